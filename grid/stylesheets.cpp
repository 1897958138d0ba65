#include "grid/stylesheets.h"

#include <QFontDatabase>
#include <QHash>

namespace {
GridStyle style(const char *background, const char *text = nullptr, bool bold = false,
                bool withFont = false)
{
    GridStyle s;
    s.background = QColor(QString::fromLatin1(background));
    if (text)
        s.textColor = QColor(QString::fromLatin1(text));
    if (withFont) {
        QFont f(QStringLiteral("MS Sans Serif"));
        f.setPointSize(8);
        f.setBold(bold);
        s.font = f;
    }
    return s;
}
} // namespace

GridStyleSheet devExpressStyleSheet()
{
    const GridStyle cxStyle1 = style("#FFFBF0");
    const GridStyle cxStyle2 = style("#D9EAF7", "black", false, true);
    const GridStyle cxStyle3 = style("#D9EAF7", "black");
    const GridStyle cxStyle4 = style("#EAF3FB", "black");
    const GridStyle cxStyle5 = style("#FFFFE1", "black");
    const GridStyle cxStyle6 = style("#FFFFE1", "navy", true, true);
    const GridStyle cxStyle7 = style("#F1EFE2");
    const GridStyle cxStyle8 = style("#FED547", "black");
    const GridStyle cxStyle9 = style("#316AC5", "white", true, true);
    const GridStyle cxStyle10 = style("#A4C4EB");
    const GridStyle cxStyle11 = style("#FED547", "black");
    const GridStyle cxStyle12 = style("#A4C4EB");
    const GridStyle cxStyle13 = style("#FFFFE1", "navy", true, true);
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

QFont displayFont(const QFont &styleFont)
{
    static QHash<QString, bool> installed;
    const QString family = styleFont.family();
    auto it = installed.find(family);
    if (it == installed.end())
        it = installed.insert(family, QFontDatabase::hasFamily(family));
    if (*it)
        return styleFont;
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (styleFont.pointSizeF() > 0)
        f.setPointSizeF(styleFont.pointSizeF());
    f.setWeight(styleFont.weight());
    f.setItalic(styleFont.italic());
    return f;
}
