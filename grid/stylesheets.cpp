#include "grid/stylesheets.h"

namespace {
QFont msSansSerif(bool bold)
{
    // Where the face is missing the font matcher picks the platform's sans.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    return font;
}

GridStyle style(const char *background, const char *text = nullptr,
                std::optional<QFont> font = std::nullopt)
{
    GridStyle s;
    s.background = QColor(QString::fromLatin1(background));
    if (text)
        s.textColor = QColor(QString::fromLatin1(text));
    s.font = font;
    return s;
}
} // namespace

GridStyleSheet devExpressStyleSheet()
{
    const GridStyle cxStyle1 = style("#FFFBF0");
    const GridStyle cxStyle2 = style("#D9EAF7", "black", msSansSerif(false));
    const GridStyle cxStyle3 = style("#D9EAF7", "black");
    const GridStyle cxStyle4 = style("#EAF3FB", "black");
    const GridStyle cxStyle5 = style("#FFFFE1", "black");
    const GridStyle cxStyle6 = style("#FFFFE1", "navy", msSansSerif(true));
    const GridStyle cxStyle7 = style("#F1EFE2");
    const GridStyle cxStyle8 = style("#FED547", "black");
    const GridStyle cxStyle9 = style("#316AC5", "white", msSansSerif(true));
    const GridStyle cxStyle10 = style("#A4C4EB");
    const GridStyle cxStyle11 = style("#FED547", "black");
    const GridStyle cxStyle12 = style("#A4C4EB");
    const GridStyle cxStyle13 = style("#FFFFE1", "navy", msSansSerif(true));
    const GridStyle cxStyle14 = style("#316AC5", "white");

    GridStyleSheet sheet;
    sheet.caption = QStringLiteral("DevExpress");
    sheet.background = cxStyle1;
    sheet.content = cxStyle2;
    sheet.contentEven = cxStyle3;
    sheet.contentOdd = cxStyle4;
    sheet.filterBox = cxStyle5;
    sheet.incSearch = cxStyle11;
    sheet.footer = cxStyle6;
    sheet.group = cxStyle7;
    sheet.groupByBox = cxStyle8;
    sheet.header = cxStyle9;
    sheet.inactive = cxStyle10;
    sheet.indicator = cxStyle12;
    sheet.preview = cxStyle13;
    sheet.selection = cxStyle14;
    return sheet;
}
