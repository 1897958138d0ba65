#include "data/value.h"

#include "data/error.h"

#include <QLocale>
#include <cstdlib>

namespace {
constexpr qint64 usecsPerDay = 86400LL * 1000000LL;
const QDate epoch(2000, 1, 1);

int digits(const char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}
} // namespace

std::optional<Timestamp> Timestamp::parse(const char *s, int n)
{
    // "YYYY-MM-DD HH:MM:SS[.ffffff]", also with "T" between date and time.
    if (n < 19 || s[4] != '-' || s[7] != '-' || (s[10] != ' ' && s[10] != 'T') || s[13] != ':'
        || s[16] != ':')
        return std::nullopt;
    const int y = digits(s, 4), mo = digits(s + 5, 2), d = digits(s + 8, 2);
    const int h = digits(s + 11, 2), mi = digits(s + 14, 2), se = digits(s + 17, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || se < 0)
        return std::nullopt;
    const QDate date(y, mo, d);
    if (!date.isValid() || h > 23 || mi > 59 || se > 59)
        return std::nullopt;
    int frac = 0;
    int pos = 19;
    if (pos < n && s[pos] == '.') {
        ++pos;
        int scale = 100000;
        while (pos < n && s[pos] >= '0' && s[pos] <= '9') {
            frac += (s[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
    }
    if (pos != n)
        return std::nullopt;
    Timestamp t;
    t.usecs = epoch.daysTo(date) * usecsPerDay + ((h * 60LL + mi) * 60LL + se) * 1000000LL + frac;
    return t;
}

std::optional<Timestamp> Timestamp::parse(const QString &text)
{
    const QByteArray utf8 = text.trimmed().toLatin1();
    return parse(utf8.constData(), int(utf8.size()));
}

Timestamp Timestamp::fromParts(const QDate &date, const QTime &time, int extraMicroseconds)
{
    Timestamp t;
    t.usecs = epoch.daysTo(date) * usecsPerDay + qint64(time.msecsSinceStartOfDay()) * 1000
        + extraMicroseconds;
    return t;
}

Timestamp Timestamp::fromDateTime(const QDateTime &dateTime)
{
    return fromParts(dateTime.date(), dateTime.time());
}

QDate Timestamp::date() const
{
    qint64 days = usecs / usecsPerDay;
    if (usecs % usecsPerDay < 0)
        --days;
    return epoch.addDays(days);
}

static qint64 usecsOfDay(qint64 usecs)
{
    qint64 r = usecs % usecsPerDay;
    return r < 0 ? r + usecsPerDay : r;
}

QTime Timestamp::time() const
{
    return QTime::fromMSecsSinceStartOfDay(int(usecsOfDay(usecs) / 1000));
}

int Timestamp::microsecond() const
{
    return int(usecsOfDay(usecs) % 1000000);
}

QDateTime Timestamp::toDateTime() const
{
    return QDateTime(date(), time());
}

QString Timestamp::toString() const
{
    const qint64 inDay = usecsOfDay(usecs);
    const qint64 secs = inDay / 1000000;
    QString s = date().toString(Qt::ISODate)
        + QString::asprintf(" %02d:%02d:%02d", int(secs / 3600), int(secs / 60 % 60),
                            int(secs % 60));
    if (const int frac = int(inDay % 1000000))
        s += QString::asprintf(".%06d", frac);
    return s;
}

QString Value::toString() const
{
    return std::visit(
        [](const auto &v) -> QString {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<T, QString>)
                return v;
            else if constexpr (std::is_same_v<T, QDate>)
                return v.toString(Qt::ISODate);
            else if constexpr (std::is_same_v<T, Timestamp>)
                return v.toString();
            else if constexpr (std::is_same_v<T, bool>)
                return v ? QStringLiteral("true") : QStringLiteral("false");
            else if constexpr (std::is_same_v<T, double>)
                return QString::number(v, 'g', 17);
            else if constexpr (std::is_same_v<T, QByteArray>)
                return QString::fromLatin1(v.toHex());
            else
                return QString::number(v);
        },
        m_v);
}

bool Value::toBool() const
{
    return is<bool>() && get<bool>();
}

QVariant Value::toVariant() const
{
    return std::visit(
        [](const auto &v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<T, Timestamp>)
                return v.toDateTime();
            else if constexpr (std::is_same_v<T, qint32>)
                return int(v);
            else if constexpr (std::is_same_v<T, qint64>)
                return qlonglong(v);
            else
                return QVariant::fromValue(v);
        },
        m_v);
}

Value Value::fromVariant(const QVariant &v, FieldKind kind)
{
    if (!v.isValid() || v.isNull())
        return {};
    auto bad = [&]() {
        return Error(QStringLiteral("'%1' is not a valid %2 value")
                         .arg(v.toString(), fieldKindName(kind)));
    };
    const bool isText = v.metaType().id() == QMetaType::QString;
    if (isText && v.toString().isEmpty() && kind != FieldKind::Text && kind != FieldKind::Memo)
        return {};
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
        return Value(v.toString());
    case FieldKind::Date: {
        QDate d = v.toDate();
        if (isText) {
            d = QDate::fromString(v.toString().trimmed(), Qt::ISODate);
            if (!d.isValid())
                d = QLocale().toDate(v.toString().trimmed(), QLocale::ShortFormat);
        }
        if (!d.isValid())
            throw bad();
        return Value(d);
    }
    case FieldKind::Timestamp: {
        if (v.canConvert<Timestamp>() && v.metaType() == QMetaType::fromType<Timestamp>())
            return Value(v.value<Timestamp>());
        if (isText) {
            if (auto t = Timestamp::parse(v.toString()))
                return Value(*t);
            throw bad();
        }
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid())
            throw bad();
        return Value(Timestamp::fromDateTime(dt));
    }
    case FieldKind::Boolean:
        if (isText) {
            const QString t = v.toString().trimmed().toLower();
            if (t == u"true" || t == u"t" || t == u"1")
                return Value(true);
            if (t == u"false" || t == u"f" || t == u"0")
                return Value(false);
            throw bad();
        }
        return Value(v.toBool());
    case FieldKind::Integer: {
        bool ok = false;
        const int i = isText ? v.toString().trimmed().toInt(&ok) : v.toInt(&ok);
        if (!ok)
            throw bad();
        return Value(qint32(i));
    }
    case FieldKind::BigInt: {
        bool ok = false;
        const qlonglong i = isText ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
        if (!ok)
            throw bad();
        return Value(qint64(i));
    }
    case FieldKind::Float: {
        bool ok = false;
        double d = 0;
        if (isText) {
            const QString t = v.toString().trimmed();
            d = t.toDouble(&ok);
            if (!ok)
                d = QLocale().toDouble(t, &ok);
        } else {
            d = v.toDouble(&ok);
        }
        if (!ok)
            throw bad();
        return Value(d);
    }
    case FieldKind::Bytes:
        return Value(v.toByteArray());
    }
    return {};
}

int Value::compare(const Value &a, const Value &b)
{
    if (a.m_v.index() != b.m_v.index())
        return a.m_v.index() < b.m_v.index() ? -1 : 1;
    return std::visit(
        [&](const auto &x) -> int {
            using T = std::decay_t<decltype(x)>;
            const T &y = std::get<T>(b.m_v);
            if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else if constexpr (std::is_same_v<T, QString>)
                return x.compare(y, Qt::CaseInsensitive);
            else if constexpr (std::is_same_v<T, QByteArray>)
                return x.compare(y);
            else
                return x < y ? -1 : (y < x ? 1 : 0);
        },
        a.m_v);
}

QString fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text: return QStringLiteral("text");
    case FieldKind::Memo: return QStringLiteral("memo");
    case FieldKind::Date: return QStringLiteral("date");
    case FieldKind::Timestamp: return QStringLiteral("timestamp");
    case FieldKind::Boolean: return QStringLiteral("boolean");
    case FieldKind::Integer: return QStringLiteral("integer");
    case FieldKind::BigInt: return QStringLiteral("bigint");
    case FieldKind::Float: return QStringLiteral("float");
    case FieldKind::Bytes: return QStringLiteral("bytes");
    }
    return {};
}
