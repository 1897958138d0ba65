# Sourced by scripts/test, scripts/demo and scripts/bench.
# configure_and_build BUILD_DIR BUILD_TYPE [TARGET...]: quiet CMake configure
# and build; on failure shows the end of the log and exits.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)

configure_and_build() {
  local dir=$1 type=$2; shift 2
  local gen=()
  mkdir -p "$ROOT/$dir"
  # A generator can only be chosen for a fresh build folder.
  if [[ ! -f $ROOT/$dir/CMakeCache.txt ]] && command -v ninja >/dev/null; then gen=(-G Ninja); fi
  if ! cmake -S "$ROOT" -B "$ROOT/$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE="$type" \
       >"$ROOT/$dir/configure.log" 2>&1; then
    echo "cmake configure failed; the end of $dir/configure.log:" >&2
    tail -n 40 "$ROOT/$dir/configure.log" >&2
    exit 1
  fi
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  echo "building $dir ($type)..."
  if ! cmake --build "$ROOT/$dir" -j2 "${targets[@]}" >"$ROOT/$dir/build.log" 2>&1; then
    echo "build failed; the end of $dir/build.log:" >&2
    tail -n 60 "$ROOT/$dir/build.log" >&2
    exit 1
  fi
}
