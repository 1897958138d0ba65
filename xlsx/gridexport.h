#pragma once

#include <QString>

class GridView;

// Writes what the grid presents (filtered, sorted, grouped with every group
// expanded) to the xlsx file derived from the chosen name; returns the path
// written. The grid is disabled and the cursor busy meanwhile.
QString exportGrid(GridView &grid, const QString &chosenPath);
