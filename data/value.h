#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <compare>
#include <optional>
#include <variant>

// The kinds a column can be declared with.
enum class FieldKind { Text, Memo, Date, Timestamp, Boolean, Integer, BigInt, Float, Bytes };

// Date and time of day to the microsecond, without a time zone, as the server
// keeps `timestamp` columns. QDateTime stops at milliseconds, and extension
// documents are found by comparing timestamps for equality.
struct Timestamp
{
    qint64 usecs = 0; // since 2000-01-01 00:00:00

    static std::optional<Timestamp> parse(const char *text, int length);
    static std::optional<Timestamp> parse(const QString &text);
    static Timestamp fromDateTime(const QDateTime &dateTime); // local wall clock, milliseconds
    static Timestamp fromParts(const QDate &date, const QTime &time, int extraMicroseconds = 0);

    QDate date() const;
    QTime time() const; // milliseconds; see microsecond()
    int microsecond() const; // 0..999999 within the second
    QDateTime toDateTime() const;
    QString toString() const; // "2024-03-05 12:34:56.123456", fraction only when not zero

    auto operator<=>(const Timestamp &) const = default;
};

struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::Memo;
    int size = 0;
    bool required = false;
    bool readOnly = false;
};

// One cell: null or a value of the column's kind.
class Value
{
public:
    using Storage = std::variant<std::monostate, QString, QDate, Timestamp, bool, qint32, qint64,
                                 double, QByteArray>;

    Value() = default;
    Value(const QString &v) : m_v(v) {}
    Value(const char *v) : m_v(QString::fromUtf8(v)) {}
    Value(const QDate &v) { if (v.isValid()) m_v = v; }
    Value(const Timestamp &v) : m_v(v) {}
    Value(bool v) : m_v(v) {}
    Value(qint32 v) : m_v(v) {}
    Value(qint64 v) : m_v(v) {}
    Value(double v) : m_v(v) {}
    Value(const QByteArray &v) : m_v(v) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_v); }
    const Storage &storage() const { return m_v; }

    template<typename T> bool is() const { return std::holds_alternative<T>(m_v); }
    template<typename T> const T &get() const { return std::get<T>(m_v); }

    // The text the server understands for a parameter, and the grid shows
    // when nothing better is known. Empty for null.
    QString toString() const;
    bool toBool() const; // false for null
    // Typed for item models: QString, QDate, QDateTime, bool, int, qlonglong,
    // double, QByteArray; an invalid QVariant for null.
    QVariant toVariant() const;
    // From an editor's value, converted to the column's kind; throws Error
    // when the text cannot be read as that kind.
    static Value fromVariant(const QVariant &v, FieldKind kind);

    bool operator==(const Value &other) const { return m_v == other.m_v; }
    bool operator!=(const Value &other) const { return !(m_v == other.m_v); }
    // Orders nulls first, then by value; values of different kinds by kind.
    static int compare(const Value &a, const Value &b);

private:
    Storage m_v;
};

QString fieldKindName(FieldKind kind);

Q_DECLARE_METATYPE(Timestamp)
