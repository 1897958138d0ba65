#include "xlsx/gridexport.h"

#include "grid/gridview.h"
#include "grid/presentationmodel.h"
#include "xlsx/xlsxexport.h"

#include <QApplication>
#include <QScopeGuard>
#include <QTreeView>

QString exportGrid(GridView &grid, const QString &chosenPath)
{
    const QString path = xlsxPathFor(chosenPath);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid.setEnabled(false);
    auto restore = qScopeGuard([&grid] {
        grid.setEnabled(true);
        QApplication::restoreOverrideCursor();
    });

    // Group rows are written expanded, and stay so on screen.
    grid.expandAll();
    QList<ExportColumn> columns;
    for (const GridColumn &c : grid.visibleColumns())
        columns << ExportColumn{c.modelColumn, c.header, c.width};
    ExportOptions options;
    options.styles = grid.styleSheetData();
    options.groupLevels = grid.groupLevels();
    if (grid.presentationModel()->rowCount() > 0)
        options.rowHeightPixels = grid.view()->sizeHintForRow(0);
    exportToXlsx(*grid.presentationModel(), columns, path, options);
    return path;
}
