#include "data/result.h"

#include "data/error.h"

#include <QtEndian>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {
constexpr qint64 usecsPerDay = 86400LL * 1000000LL;

qint64 readInt(const char *p, int length)
{
    switch (length) {
    case 2: return qFromBigEndian<qint16>(p);
    case 4: return qFromBigEndian<qint32>(p);
    case 8: return qFromBigEndian<qint64>(p);
    }
    return 0;
}

double readFloat(const char *p, int length)
{
    if (length == 4) {
        const quint32 bits = qFromBigEndian<quint32>(p);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    const quint64 bits = qFromBigEndian<quint64>(p);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

// Binary numeric: ndigits, weight, sign, dscale, then base-10000 digits.
double readNumeric(const char *p)
{
    const int ndigits = qFromBigEndian<qint16>(p);
    const int weight = qFromBigEndian<qint16>(p + 2);
    const quint16 sign = qFromBigEndian<quint16>(p + 4);
    if (sign == 0xC000)
        return std::nan("");
    double v = 0;
    for (int i = 0; i < ndigits; ++i)
        v += qFromBigEndian<qint16>(p + 8 + 2 * i) * std::pow(10000.0, weight - i);
    return sign == 0x4000 ? -v : v;
}

QByteArray unescapeBytea(const char *text)
{
    size_t length = 0;
    unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &length);
    if (!raw)
        throw Error(QStringLiteral("out of memory"));
    QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(length));
    PQfreemem(raw);
    return bytes;
}
} // namespace

Result::Result(PGresult *result, bool binary)
    : m_result(result, PQclear), m_binary(binary), m_rows(PQntuples(result)),
      m_columns(PQnfields(result))
{
}

QString Result::columnName(int column) const
{
    return QString::fromUtf8(PQfname(m_result.get(), column));
}

int Result::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns; ++i)
        if (columnName(i) == name)
            return i;
    return -1;
}

FieldKind kindForServerType(Oid type, int typmod)
{
    switch (type) {
    case PgType::Bool: return FieldKind::Boolean;
    case PgType::Bytea: return FieldKind::Bytes;
    case PgType::Int2:
    case PgType::Int4:
    case PgType::Oid_: return FieldKind::Integer;
    case PgType::Int8: return FieldKind::BigInt;
    case PgType::Float4:
    case PgType::Float8:
    case PgType::Numeric: return FieldKind::Float;
    case PgType::Date: return FieldKind::Date;
    case PgType::Timestamp:
    case PgType::TimestampTz: return FieldKind::Timestamp;
    case PgType::VarChar:
    case PgType::BpChar: return typmod > 0 ? FieldKind::Text : FieldKind::Memo;
    case PgType::Name: return FieldKind::Text;
    default: return FieldKind::Memo;
    }
}

FieldKind Result::suggestedKind(int column) const
{
    return kindForServerType(columnType(column), PQfmod(m_result.get(), column));
}

int Result::suggestedSize(int column) const
{
    const int mod = PQfmod(m_result.get(), column);
    const Oid type = columnType(column);
    if ((type == PgType::VarChar || type == PgType::BpChar) && mod > 4)
        return mod - 4;
    return 0;
}

QByteArrayView Result::rawBytes(int row, int column) const
{
    PGresult *r = m_result.get();
    if (!m_binary || PQgetisnull(r, row, column))
        return {};
    return QByteArrayView(PQgetvalue(r, row, column), PQgetlength(r, row, column));
}

qint64 Result::affectedRows() const
{
    return QByteArray(PQcmdTuples(m_result.get())).toLongLong();
}

Value Result::value(int row, int column, FieldKind kind) const
{
    PGresult *r = m_result.get();
    if (PQgetisnull(r, row, column))
        return {};
    const char *p = PQgetvalue(r, row, column);
    const int length = PQgetlength(r, row, column);
    const Oid type = PQftype(r, column);

    if (m_binary) {
        switch (type) {
        case PgType::Bytea: return Value(QByteArray(p, length));
        case PgType::Bool: return Value(*p != 0);
        case PgType::Int2:
        case PgType::Int4:
        case PgType::Oid_:
            return kind == FieldKind::BigInt ? Value(qint64(readInt(p, length)))
                                             : Value(qint32(readInt(p, length)));
        case PgType::Int8:
            return kind == FieldKind::Integer ? Value(qint32(readInt(p, length)))
                                              : Value(qint64(readInt(p, length)));
        case PgType::Float4:
        case PgType::Float8: return Value(readFloat(p, length));
        case PgType::Numeric: return Value(readNumeric(p));
        case PgType::Date: {
            const qint32 days = qFromBigEndian<qint32>(p);
            return Value(QDate(2000, 1, 1).addDays(days));
        }
        case PgType::Timestamp:
        case PgType::TimestampTz: {
            Timestamp t;
            t.usecs = qFromBigEndian<qint64>(p);
            if (kind == FieldKind::Date)
                return Value(t.date());
            return Value(t);
        }
        default:
            // Text-like types are sent as their text in binary format too.
            return Value(QString::fromUtf8(p, length));
        }
    }

    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
        if (type == PgType::Bytea)
            return Value(QString::fromLatin1(p, length));
        return Value(QString::fromUtf8(p, length));
    case FieldKind::Date: {
        const QDate d = QDate::fromString(QString::fromLatin1(p, qMin(length, 10)), Qt::ISODate);
        return d.isValid() ? Value(d) : Value(QString::fromUtf8(p, length));
    }
    case FieldKind::Timestamp:
        if (auto t = Timestamp::parse(p, length))
            return Value(*t);
        if (length == 10) // a date column read as a timestamp
            if (auto t = Timestamp::parse((QString::fromLatin1(p, length) + " 00:00:00")))
                return Value(*t);
        return Value(QString::fromUtf8(p, length));
    case FieldKind::Boolean: return Value(*p == 't');
    case FieldKind::Integer: return Value(qint32(std::strtol(p, nullptr, 10)));
    case FieldKind::BigInt: return Value(qint64(std::strtoll(p, nullptr, 10)));
    case FieldKind::Float: {
        // from_chars ignores the process locale, which may use a decimal comma.
        double d = 0;
        std::from_chars(p, p + length, d);
        return Value(d);
    }
    case FieldKind::Bytes:
        return type == PgType::Bytea ? Value(unescapeBytea(p)) : Value(QByteArray(p, length));
    }
    return {};
}
