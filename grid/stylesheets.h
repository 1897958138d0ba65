#pragma once

#include "grid/stylesheet.h"

// The grid style sheet captioned "DevExpress": pale-blue alternating rows
// under dark-blue headers, a yellow group-by box.
GridStyleSheet devExpressStyleSheet();

// The font a style names, or the platform's sans font of the same size and
// weight where that face is not installed. The style keeps the name.
QFont displayFont(const QFont &styleFont);
