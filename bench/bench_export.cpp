// Excel export of a warranty-list-sized model against libxlsxwriter writing
// the same cells with the same formats straight from prepared C data.
//
//   bench_export [figure...]   figures: export, export_memory (default: both)
//   VARNOK_BENCH_EXPORT_ROWS   rows of the model (100000 by default)
//
// Times are taken in this process, runs alternating after one warm-up each.
// Memory is measured apart, each run in a forked child: the child starts with
// the model already in memory and a fresh peak-RSS counter (the kernel sets a
// new process's high-water mark to its RSS at fork), so "growth" is VmHWM
// after the export minus VmRSS before it, for ours and the baseline alike.
// One process's peak cannot be reset, hence a child per run. Times are not
// taken in the children: there the first write to each shared page (a
// QString's reference count) costs a copy-on-write fault that the read-only
// baseline never pays.

#include "grid/gridview.h"
#include "grid/presentationmodel.h"
#include "grid/stylesheet.h"
#include "register/u_frmVarnok.h"
#include "signin/u_dmCon.h"
#include "xlsx/xlsxexport.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Columns = 28;
const char *const ShortDate = "dd.MM.yyyy";
const char *const LongTime = "HH:mm:ss";

// A plain in-memory table; the real grid presentation takes its place later.
class TableModel : public QAbstractTableModel
{
public:
    TableModel(int rows, int columns) : m_rows(rows), m_columns(columns), m_cells(size_t(rows) * columns) {}

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_columns; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        return m_cells[size_t(index.row()) * m_columns + index.column()];
    }
    void set(int row, int column, QVariant v) { m_cells[size_t(row) * m_columns + column] = std::move(v); }

private:
    int m_rows;
    int m_columns;
    std::vector<QVariant> m_cells;
};

enum class Kind { Text, Memo, Date, Timestamp, Bool, Int, BigInt, Float };

struct Column
{
    const char *name;
    Kind kind;
    int width;
};

const Column WarrantyColumns[Columns] = {
    {"Nr", Kind::Int, 50},           {"Client", Kind::Text, 160},    {"Product", Kind::Text, 140},
    {"Serial", Kind::Text, 110},     {"Sold", Kind::Date, 80},       {"Warranty end", Kind::Date, 80},
    {"Months", Kind::Int, 50},       {"Status", Kind::Text, 90},     {"Technician", Kind::Text, 110},
    {"Phone", Kind::Text, 100},      {"Address", Kind::Text, 200},   {"City", Kind::Text, 100},
    {"County", Kind::Text, 90},      {"Notes", Kind::Memo, 250},     {"Created", Kind::Timestamp, 130},
    {"Modified", Kind::Timestamp, 130}, {"Extended", Kind::Bool, 60}, {"Paid", Kind::Bool, 50},
    {"Invoice", Kind::Text, 90},     {"Invoice date", Kind::Date, 80}, {"Amount", Kind::Float, 80},
    {"Repairs", Kind::Int, 50},      {"Document", Kind::BigInt, 90}, {"Defect", Kind::Memo, 200},
    {"Resolution", Kind::Text, 150}, {"Dealer", Kind::Text, 120},    {"Closed", Kind::Date, 80},
    {"Printed", Kind::Bool, 50},
};

QString memoText(int row, int length)
{
    static const QString words = QStringLiteral(
        "Clientul reclamă zgomot la pornire; piesa a fost înlocuită în garanție, "
        "verificat funcționarea și presiunea, fără alte observații. ");
    QString s = QStringLiteral("#%1 ").arg(row);
    while (s.size() < length)
        s += words;
    s.truncate(length);
    return s;
}

std::unique_ptr<QAbstractItemModel> buildWarrantyModel(int rows)
{
    static const QString cities[] = {QStringLiteral("Cluj-Napoca"), QStringLiteral("Brașov"),
                                     QStringLiteral("Iași"), QStringLiteral("Timișoara")};
    static const QString statuses[] = {QStringLiteral("Deschisă"), QStringLiteral("În lucru"),
                                       QStringLiteral("Închisă")};
    auto model = std::make_unique<TableModel>(rows, Columns);
    const QDate base(2019, 1, 1);
    for (int r = 0; r < rows; ++r) {
        const QDate sold = base.addDays(r % 2000);
        const bool nulls = r % 11 == 0; // some rows leave optional fields empty
        for (int c = 0; c < Columns; ++c) {
            QVariant v;
            switch (WarrantyColumns[c].kind) {
            case Kind::Text:
                if (!nulls || c < 4)
                    v = c == 7 ? statuses[r % 3]
                        : c == 11 ? cities[r % 4]
                                  : QStringLiteral("%1 %2-%3").arg(QLatin1String(WarrantyColumns[c].name)).arg(r).arg(c);
                break;
            case Kind::Memo:
                if (!nulls)
                    v = memoText(r, c == 13 ? 180 + r % 120 : 60 + r % 40);
                break;
            case Kind::Date:
                if (!nulls || c == 4)
                    v = sold.addDays(c * 30);
                break;
            case Kind::Timestamp:
                v = QDateTime(sold, c == 14 ? QTime(8 + r % 10, r % 60, r % 59) : QTime(0, 0));
                break;
            case Kind::Bool:
                v = (r + c) % 3 == 0;
                break;
            case Kind::Int:
                v = c == 0 ? r + 1 : (r * 7 + c) % 48;
                break;
            case Kind::BigInt:
                v = qlonglong(9000000000LL + r);
                break;
            case Kind::Float:
                if (!nulls)
                    v = (r % 100000) / 100.0 + 0.25;
                break;
            }
            model->set(r, c, std::move(v));
        }
    }
    return model;
}

GridStyleSheet warrantyStyles()
{
    GridStyleSheet s;
    QFont header(QStringLiteral("Tahoma"), 8);
    header.setBold(true);
    s.header = {QColor(0x31, 0x6A, 0xC5), QColor(Qt::white), header};
    s.content = {QColor(Qt::white), QColor(Qt::black), QFont(QStringLiteral("Tahoma"), 8)};
    s.contentEven = {QColor(0xEE, 0xF3, 0xFA), std::nullopt, std::nullopt};
    s.contentOdd = {QColor(Qt::white), std::nullopt, std::nullopt};
    s.group = {QColor(0xD4, 0xD0, 0xC8), std::nullopt, std::nullopt};
    return s;
}

// ---- baseline: the same sheet written with libxlsxwriter alone ----

struct PlainCell
{
    enum : unsigned char { Blank, Number, Date, DateTime, String } kind = Blank;
    double number = 0;
    std::string text;
};

double serialOf(const QDate &d)
{
    return double(d.toJulianDay() - 2415019);
}

// Prepared before timing: the baseline starts from C data ready to write.
std::vector<PlainCell> plainCells(const QAbstractItemModel &model)
{
    std::vector<PlainCell> cells;
    cells.reserve(size_t(model.rowCount()) * Columns);
    Q_ASSERT(model.columnCount() >= Columns);
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < Columns; ++c) {
            const QVariant v = model.data(model.index(r, c), Qt::EditRole);
            PlainCell cell;
            switch (v.typeId()) {
            case QMetaType::QString:
                cell.kind = PlainCell::String;
                cell.text = v.toString().toStdString();
                break;
            case QMetaType::Bool:
                cell.kind = PlainCell::String;
                cell.text = v.toBool() ? "True" : "False";
                break;
            case QMetaType::QDate:
                cell.kind = PlainCell::Date;
                cell.number = serialOf(v.toDate());
                break;
            case QMetaType::QDateTime: {
                const QDateTime dt = v.toDateTime();
                const int ms = dt.time().msecsSinceStartOfDay();
                cell.kind = ms ? PlainCell::DateTime : PlainCell::Date;
                cell.number = serialOf(dt.date()) + ms / 86400000.0;
                break;
            }
            case QMetaType::UnknownType:
                break;
            default:
                cell.kind = PlainCell::Number;
                cell.number = v.toDouble();
                break;
            }
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

lxw_format *plainFormat(lxw_workbook *wb, lxw_color_t fill, lxw_color_t color, bool bold, const char *numFormat)
{
    lxw_format *f = workbook_add_format(wb);
    format_set_border(f, LXW_BORDER_THIN);
    format_set_border_color(f, 0xD4D4D4);
    format_set_bg_color(f, fill);
    format_set_font_color(f, color);
    format_set_font_name(f, "Tahoma");
    format_set_font_size(f, 8);
    if (bold)
        format_set_bold(f);
    if (numFormat)
        format_set_num_format(f, numFormat);
    return f;
}

void writeBaseline(const std::vector<PlainCell> &cells, int rows, const QByteArray &path)
{
    const QByteArray tmpDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options opts{};
    opts.constant_memory = LXW_TRUE;
    opts.tmpdir = const_cast<char *>(tmpDir.constData());
    lxw_workbook *wb = workbook_new_opt(path.constData(), &opts);
    lxw_worksheet *ws = workbook_add_worksheet(wb, "bench");
    lxw_format *header = plainFormat(wb, 0x316AC5, 0xFFFFFF, true, nullptr);
    lxw_format *cellFormats[2][3];
    const lxw_color_t fills[2] = {0xEEF3FA, 0xFFFFFF};
    for (int p = 0; p < 2; ++p) {
        cellFormats[p][0] = plainFormat(wb, fills[p], LXW_COLOR_BLACK, false, nullptr);
        cellFormats[p][1] = plainFormat(wb, fills[p], LXW_COLOR_BLACK, false, "dd.mm.yyyy");
        cellFormats[p][2] = plainFormat(wb, fills[p], LXW_COLOR_BLACK, false, "dd.mm.yyyy hh:mm:ss");
    }
    for (int c = 0; c < Columns; ++c) {
        worksheet_set_column_pixels(ws, lxw_col_t(c), lxw_col_t(c), uint32_t(WarrantyColumns[c].width), nullptr);
        worksheet_write_string(ws, 0, lxw_col_t(c), WarrantyColumns[c].name, header);
    }
    for (int r = 0; r < rows; ++r) {
        lxw_format **f = cellFormats[r & 1];
        for (int c = 0; c < Columns; ++c) {
            const PlainCell &cell = cells[size_t(r) * Columns + c];
            const lxw_row_t row = lxw_row_t(r + 1);
            switch (cell.kind) {
            case PlainCell::Blank:
                worksheet_write_blank(ws, row, lxw_col_t(c), f[0]);
                break;
            case PlainCell::Number:
                worksheet_write_number(ws, row, lxw_col_t(c), cell.number, f[0]);
                break;
            case PlainCell::Date:
                worksheet_write_number(ws, row, lxw_col_t(c), cell.number, f[1]);
                break;
            case PlainCell::DateTime:
                worksheet_write_number(ws, row, lxw_col_t(c), cell.number, f[2]);
                break;
            case PlainCell::String:
                worksheet_write_string(ws, row, lxw_col_t(c), cell.text.c_str(), f[0]);
                break;
            }
        }
    }
    if (workbook_close(wb) != LXW_NO_ERROR) {
        std::fprintf(stderr, "baseline: workbook_close failed\n");
        std::exit(1);
    }
}

// ---- measuring ----

long statusKb(const char *field)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            kb = std::atol(line + n + 1);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

template<typename Work, typename Prepare>
double seconds(Work work, Prepare prepare)
{
    prepare();
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// Peak RSS growth of one run, in MB.
template<typename Work, typename Prepare>
double peakGrowthInChild(Work work, Prepare prepare)
{
    prepare();
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        close(fds[0]);
        const long rssBefore = statusKb("VmRSS");
        work();
        const double growth = (statusKb("VmHWM") - rssBefore) / 1024.0;
        const bool ok = write(fds[1], &growth, sizeof growth) == ssize_t(sizeof growth);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    double growth = 0;
    const bool got = read(fds[0], &growth, sizeof growth) == ssize_t(sizeof growth);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: a measured run failed\n");
        std::exit(1);
    }
    return growth;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    // Figure names select what to measure; names of other programs' figures
    // are ignored, so a run naming none of ours measures nothing.
    bool wantTime = argc == 1;
    bool wantMemory = argc == 1;
    for (int i = 1; i < argc; ++i) {
        wantTime |= std::strcmp(argv[i], "export") == 0;
        wantMemory |= std::strcmp(argv[i], "export_memory") == 0;
    }
    if (!wantTime && !wantMemory)
        return 0;
    const char *rowsEnv = std::getenv("VARNOK_BENCH_EXPORT_ROWS");
    const int rows = rowsEnv ? std::atoi(rowsEnv) : 100000;
    if (rows <= 0) {
        std::fprintf(stderr, "bench_export: VARNOK_BENCH_EXPORT_ROWS must be a positive number\n");
        return 2;
    }
    // With the benchmark database: the warranties grid itself, as the
    // register shows it after "Cauta". Without: a generated model.
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TfrmVarnok> window;
    std::unique_ptr<QAbstractItemModel> generated;
    const QAbstractItemModel *model = nullptr;
    GridStyleSheet styles = warrantyStyles();
    QList<ExportColumn> columns;
    int rowCount = rows;
    if (const char *db = std::getenv("VARNOK_BENCH_DB")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        dmCon = new TdmCon;
        dmCon->conQel->setPort(0); // the service's port
        dmCon->conQel->setDatabase(QString::fromLatin1(db));
        window = std::make_unique<TfrmVarnok>();
        window->ButtonCautaClick();
        model = window->cxGrid1->presentationModel();
        rowCount = model->rowCount();
        styles = dmCon->GridTableViewStyleSheetDevExpress;
        for (const GridColumn &c : window->cxGrid1->visibleColumns())
            columns.append({c.modelColumn, c.header, c.width});
        std::printf("# %d warranties as the grid presents them\n", rowCount);
    } else {
        generated = buildWarrantyModel(rows);
        model = generated.get();
        for (int c = 0; c < Columns; ++c)
            columns.append({c, QString::fromLatin1(WarrantyColumns[c].name), WarrantyColumns[c].width});
    }
    const std::vector<PlainCell> cells = plainCells(*model);
    ExportOptions options;
    options.styles = &styles;
    options.shortDateFormat = QString::fromLatin1(ShortDate);
    options.longTimeFormat = QString::fromLatin1(LongTime);

    const QString ourPath = QDir::temp().filePath(QStringLiteral("varnok-bench-%1-ours.xlsx").arg(getpid()));
    const QByteArray basePath =
        QFile::encodeName(QDir::temp().filePath(QStringLiteral("varnok-bench-%1-base.xlsx").arg(getpid())));

    // Each run starts without its output file: replacing a big file costs
    // differently from creating one, and the two sides would not pay alike.
    auto ours = [&] { exportToXlsx(*model, columns, ourPath, options); };
    auto baseline = [&] { writeBaseline(cells, rowCount, basePath); };
    auto removeOutputs = [&] {
        QFile::remove(ourPath);
        QFile::remove(QFile::decodeName(basePath));
    };

    if (wantTime) {
        seconds(ours, removeOutputs); // warm-up: page cache, lazy symbol binding
        seconds(baseline, removeOutputs);
        std::vector<double> ourTimes, baseTimes;
        for (int i = 0; i < 3; ++i) {
            ourTimes.push_back(seconds(ours, removeOutputs));
            baseTimes.push_back(seconds(baseline, removeOutputs));
        }
        const double ot = median(ourTimes), bt = median(baseTimes);
        std::printf("bench export: ours=%.3fs baseline=%.3fs ratio=%.2f target=1.3\n", ot, bt, ot / bt);
        std::fflush(stdout);
    }
    if (wantMemory) {
        // Target: the export's own peak stays under 50 MB, however many rows.
        std::vector<double> ourGrowth, baseGrowth;
        for (int i = 0; i < 3; ++i) {
            ourGrowth.push_back(peakGrowthInChild(ours, removeOutputs));
            baseGrowth.push_back(peakGrowthInChild(baseline, removeOutputs));
        }
        const double om = median(ourGrowth), bm = median(baseGrowth);
        std::printf("bench export_memory: ours=%.1fMB baseline=%.1fMB ratio=%.2f target=50MB\n", om, bm,
                    bm > 0 ? om / bm : 0.0);
    }
    removeOutputs();
    return 0;
}
