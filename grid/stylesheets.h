#pragma once

#include "grid/stylesheet.h"

// The style sheet every grid of the program names, captioned "DevExpress".
GridStyleSheet devExpressStyleSheet();
