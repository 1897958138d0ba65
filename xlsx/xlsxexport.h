#pragma once

#include <QList>
#include <QString>

class QAbstractItemModel;
struct GridStyleSheet;

// One sheet column: which model column it shows, its caption and width.
struct ExportColumn
{
    int modelColumn;
    QString header;
    int widthPixels;
};

struct ExportOptions
{
    const GridStyleSheet *styles = nullptr; // null: unstyled
    int groupLevels = 0;                    // number of indent columns written first
    int rowHeightPixels = 0;                // 0: default height
    QString shortDateFormat;                // Qt notation; empty: QLocale::system()
    QString longTimeFormat;                 // Qt notation; empty: QLocale::system()
};

// Writes what the model presents to one worksheet of a new workbook at
// filePath, replacing an existing file only once the workbook is complete.
// Rows whose column-0 index has children are group rows; the others are data
// rows read with Qt::EditRole. Throws Error when the file cannot be written.
void exportToXlsx(const QAbstractItemModel &model, const QList<ExportColumn> &columns,
                  const QString &filePath, const ExportOptions &options);

// The worksheet name exportToXlsx gives the sheet for that file.
QString worksheetNameFor(const QString &filePath);

// The chosen path with its extension replaced by (or given) ".xlsx".
QString xlsxPathFor(const QString &chosenPath);

// A Qt date/time format ("dd.MM.yyyy HH:mm") as an Excel number format code.
QString excelNumberFormat(const QString &qtDateTimeFormat);
