#pragma once

#include "data/value.h"

#include <QByteArrayView>
#include <libpq-fe.h>
#include <memory>

// A whole query result as the server sent it. Cells are decoded only when
// asked for, so a large list costs little more than libpq's own buffer.
class Result
{
public:
    explicit Result(PGresult *result, bool binary);

    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    QString columnName(int column) const;
    int columnIndex(const QString &name) const; // -1 when absent
    Oid columnType(int column) const { return PQftype(m_result.get(), column); }
    // The kind a column's server type suggests, and its declared length.
    FieldKind suggestedKind(int column) const;
    int suggestedSize(int column) const;

    bool isNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column); }
    Value value(int row, int column, FieldKind kind) const;
    // The cell's bytes where they lie, without a copy; valid while the result
    // lives. Only for results fetched in binary form.
    QByteArrayView rawBytes(int row, int column) const;
    bool isBinary() const { return m_binary; }
    qint64 affectedRows() const;

private:
    std::shared_ptr<PGresult> m_result;
    bool m_binary;
    int m_rows;
    int m_columns;
};

// The kind a server type suggests; varchar and char without a length are memo.
FieldKind kindForServerType(Oid type, int typmod);

// Server type numbers the data layer knows.
namespace PgType {
constexpr Oid Bool = 16, Bytea = 17, Name = 19, Int8 = 20, Int2 = 21, Int4 = 23, Text = 25,
              Oid_ = 26, Json = 114, Float4 = 700, Float8 = 701, BpChar = 1042, VarChar = 1043,
              Date = 1082, Time = 1083, Timestamp = 1114, TimestampTz = 1184, Numeric = 1700;
}
