#include "data/sqltext.h"

namespace {
bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Skips a quoted run, a comment, or nothing; returns the index after it.
qsizetype skipQuotedOrComment(const QString &s, qsizetype i)
{
    const QChar c = s[i];
    if (c == u'\'' || c == u'"') {
        qsizetype j = i + 1;
        while (j < s.size()) {
            if (s[j] == c) {
                if (j + 1 < s.size() && s[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return s.size();
    }
    if (c == u'-' && i + 1 < s.size() && s[i + 1] == u'-') {
        const qsizetype end = s.indexOf(u'\n', i);
        return end < 0 ? s.size() : end;
    }
    if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'*') {
        const qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? s.size() : end + 2;
    }
    return i;
}
} // namespace

ParsedSql parseParams(const QString &sql)
{
    ParsedSql out;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = skipQuotedOrComment(sql, i);
        if (skipped != i) {
            out.text += QStringView(sql).mid(i, skipped - i);
            i = skipped;
            continue;
        }
        const QChar c = sql[i];
        if (c == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            out.text += QLatin1String("::");
            i += 2;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && isIdentChar(sql[i + 1])
            && (i == 0 || !isIdentChar(sql[i - 1]))) {
            qsizetype j = i + 1;
            while (j < sql.size() && isIdentChar(sql[j]))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            qsizetype n = -1;
            for (qsizetype k = 0; k < out.order.size(); ++k)
                if (out.order[k].compare(name, Qt::CaseInsensitive) == 0)
                    n = k;
            if (n < 0) {
                out.order << name;
                n = out.order.size() - 1;
            }
            out.text += u'$' + QString::number(n + 1);
            i = j;
            continue;
        }
        out.text += c;
        ++i;
    }
    return out;
}

QString firstFromTable(const QString &sql)
{
    int depth = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = skipQuotedOrComment(sql, i);
        if (skipped != i) {
            i = skipped;
            continue;
        }
        const QChar c = sql[i];
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (depth == 0 && (c == u'f' || c == u'F') && (i == 0 || !isIdentChar(sql[i - 1]))
                   && sql.mid(i, 4).compare(QLatin1String("from"), Qt::CaseInsensitive) == 0
                   && (i + 4 >= sql.size() || !isIdentChar(sql[i + 4]))) {
            qsizetype j = i + 4;
            while (j < sql.size() && sql[j].isSpace())
                ++j;
            const qsizetype start = j;
            while (j < sql.size()) {
                if (sql[j] == u'"') {
                    j = skipQuotedOrComment(sql, j);
                } else if (isIdentChar(sql[j]) || sql[j] == u'.') {
                    ++j;
                } else {
                    break;
                }
            }
            return sql.mid(start, j - start);
        }
        ++i;
    }
    return {};
}

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

namespace {
QString whereClause(const ColumnValues &key, std::vector<Value> &params)
{
    QStringList parts;
    for (const auto &[column, value] : key) {
        if (value.isNull()) {
            parts << quoteIdentifier(column) + QLatin1String(" is null");
        } else {
            params.push_back(value);
            parts << quoteIdentifier(column) + QLatin1String(" = $") + QString::number(params.size());
        }
    }
    return parts.join(QLatin1String(" and "));
}
} // namespace

Statement buildInsert(const QString &table, const ColumnValues &values)
{
    Statement st;
    if (values.isEmpty()) {
        st.sql = QLatin1String("insert into ") + table + QLatin1String(" default values");
        return st;
    }
    QStringList columns, placeholders;
    for (const auto &[column, value] : values) {
        st.params.push_back(value);
        columns << quoteIdentifier(column);
        placeholders << u'$' + QString::number(st.params.size());
    }
    st.sql = QLatin1String("insert into ") + table + QLatin1String(" (") + columns.join(u", ")
        + QLatin1String(") values (") + placeholders.join(u", ") + u')';
    return st;
}

Statement buildUpdate(const QString &table, const ColumnValues &changed, const ColumnValues &key)
{
    Statement st;
    QStringList sets;
    for (const auto &[column, value] : changed) {
        st.params.push_back(value);
        sets << quoteIdentifier(column) + QLatin1String(" = $") + QString::number(st.params.size());
    }
    st.sql = QLatin1String("update ") + table + QLatin1String(" set ") + sets.join(u", ")
        + QLatin1String(" where ") + whereClause(key, st.params);
    return st;
}

Statement buildDelete(const QString &table, const ColumnValues &key)
{
    Statement st;
    st.sql = QLatin1String("delete from ") + table + QLatin1String(" where ")
        + whereClause(key, st.params);
    return st;
}
