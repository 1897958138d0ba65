#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

// A grid style: only the attributes that are set override the grid's own.
struct GridStyle
{
    std::optional<QColor> background;
    std::optional<QColor> textColor;
    std::optional<QFont> font;
};

// The elements of a table view a style sheet assigns styles to.
struct GridStyleSheet
{
    QString caption;
    GridStyle background;     // area without rows
    GridStyle content;        // all data cells
    GridStyle contentEven;
    GridStyle contentOdd;
    GridStyle filterBox;
    GridStyle incSearch;
    GridStyle footer;
    GridStyle group;          // group rows
    GridStyle groupByBox;
    GridStyle header;         // column headers
    GridStyle inactive;       // selection while the grid has no focus
    GridStyle indicator;      // row indicator column
    GridStyle preview;
    GridStyle selection;
};
