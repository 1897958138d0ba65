#pragma once

#include <QJsonObject>
#include <QString>

namespace workbook {

// The workbook as openpyxl, an independent reader, sees it: sheets, cells
// (t: kind, v: value, fmt, fill, bold ...), widths, merged ranges. Empty on
// failure, with the reason in warnings.
QJsonObject read(const QString &path);
bool readerAvailable();

QJsonObject cell(const QJsonObject &book, const QString &ref);
QString text(const QJsonObject &book, const QString &ref);

} // namespace workbook
