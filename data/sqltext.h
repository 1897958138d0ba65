#pragma once

#include "data/value.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <vector>

// SQL with ":name" parameters rewritten to "$n"; order[n-1] names "$n".
// Quoted text, quoted identifiers, comments and "::" casts are left alone.
struct ParsedSql
{
    QString text;
    QStringList order;
};
ParsedSql parseParams(const QString &sql);

// The first table of the outermost FROM list, as written (empty when none).
QString firstFromTable(const QString &sql);

QString quoteIdentifier(const QString &name);

// Generated write-back statements: the row is identified by its key columns'
// values as read, "is null" where such a value was null.
struct Statement
{
    QString sql;
    std::vector<Value> params;
};
using ColumnValues = QList<QPair<QString, Value>>;
Statement buildInsert(const QString &table, const ColumnValues &values);
Statement buildUpdate(const QString &table, const ColumnValues &changed, const ColumnValues &key);
Statement buildDelete(const QString &table, const ColumnValues &key);
