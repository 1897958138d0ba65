#include "xlsx/xlsxexport.h"

#include <vector>

namespace {

enum class Kind { Literal, Year, Month, Day, Hour, Minute, Second, Fraction, AmPm, TimeZone };

struct Token
{
    Kind kind;
    QString text; // Excel code, or the literal characters
};

int repeatCount(const QString &f, qsizetype i)
{
    int n = 1;
    while (i + n < f.size() && f.at(i + n) == f.at(i))
        ++n;
    return n;
}

void appendLiteral(std::vector<Token> &tokens, const QString &text)
{
    if (!tokens.empty() && tokens.back().kind == Kind::Literal)
        tokens.back().text += text;
    else
        tokens.push_back({Kind::Literal, text});
}

// Reads a Qt format the way QLocale does: letter runs are capped at the
// longest code they can form, the rest of the run starts a new code.
std::vector<Token> tokenize(const QString &f)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f.at(i);
        if (c == u'\'') {
            if (i + 1 < f.size() && f.at(i + 1) == u'\'') {
                appendLiteral(tokens, QStringLiteral("'"));
                i += 2;
                continue;
            }
            QString text;
            ++i;
            while (i < f.size()) {
                if (f.at(i) == u'\'') {
                    if (i + 1 < f.size() && f.at(i + 1) == u'\'') {
                        text += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += f.at(i++);
            }
            appendLiteral(tokens, text);
            continue;
        }
        const int run = repeatCount(f, i);
        int used = 1;
        switch (c.unicode()) {
        case 'd':
            used = qMin(run, 4);
            tokens.push_back({Kind::Day, QString(used, u'd')});
            break;
        case 'M':
            used = qMin(run, 4);
            tokens.push_back({Kind::Month, QString(used, u'm')});
            break;
        case 'y':
            if (run >= 4) {
                used = 4;
                tokens.push_back({Kind::Year, QStringLiteral("yyyy")});
            } else if (run >= 2) {
                used = 2;
                tokens.push_back({Kind::Year, QStringLiteral("yy")});
            } else {
                appendLiteral(tokens, QStringLiteral("y")); // a lone y is text to Qt too
            }
            break;
        case 'h':
        case 'H': // Excel decides 12/24 hours by the presence of AM/PM alone
            used = qMin(run, 2);
            tokens.push_back({Kind::Hour, QString(used, u'h')});
            break;
        case 'm':
            used = qMin(run, 2);
            tokens.push_back({Kind::Minute, QString(used, u'm')});
            break;
        case 's':
            used = qMin(run, 2);
            tokens.push_back({Kind::Second, QString(used, u's')});
            break;
        case 'z':
            used = run >= 3 ? 3 : 1;
            tokens.push_back({Kind::Fraction, QStringLiteral("000")});
            break;
        case 'a':
        case 'A': {
            const bool pair = i + 1 < f.size() && (f.at(i + 1) == u'p' || f.at(i + 1) == u'P');
            used = pair ? 2 : 1;
            tokens.push_back({Kind::AmPm, c == u'A' ? QStringLiteral("AM/PM") : QStringLiteral("am/pm")});
            break;
        }
        case 't':
            used = run;
            tokens.push_back({Kind::TimeZone, {}});
            break;
        default:
            appendLiteral(tokens, QString(c));
            break;
        }
        i += used;
    }
    return tokens;
}

// Excel has no time zone code: drop it with the blank that set it apart.
void dropTimeZones(std::vector<Token> &tokens)
{
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].kind != Kind::TimeZone) {
            ++i;
            continue;
        }
        tokens.erase(tokens.begin() + qsizetype(i));
        if (i > 0 && tokens[i - 1].kind == Kind::Literal) {
            QString &prev = tokens[i - 1].text;
            while (!prev.isEmpty() && prev.back().isSpace())
                prev.chop(1);
            if (prev.isEmpty())
                tokens.erase(tokens.begin() + qsizetype(--i));
        } else if (i < tokens.size() && tokens[i].kind == Kind::Literal) {
            QString &next = tokens[i].text;
            while (!next.isEmpty() && next.front().isSpace())
                next.remove(0, 1);
            if (next.isEmpty())
                tokens.erase(tokens.begin() + qsizetype(i));
        }
    }
}

// Excel shows fractions of a second only as ".000" right after seconds.
void keepValidFractions(std::vector<Token> &tokens)
{
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].kind == Kind::Fraction) {
            const bool afterSeconds = i >= 2 && tokens[i - 1].kind == Kind::Literal
                && tokens[i - 1].text == QLatin1String(".") && tokens[i - 2].kind == Kind::Second;
            if (!afterSeconds) {
                tokens.erase(tokens.begin() + qsizetype(i));
                continue;
            }
        }
        ++i;
    }
}

bool plainInExcel(QChar c)
{
    return c == u' ' || c == u'-' || c == u'/' || c == u':' || c == u'.' || c == u','
        || c == u'(' || c == u')';
}

void appendExcelLiteral(QString &out, const QString &text)
{
    bool quoted = false;
    for (QChar c : text) {
        const bool plain = plainInExcel(c);
        const bool escaped = c == u'"' || c == u'\\';
        if (quoted && (plain || escaped)) {
            out += u'"';
            quoted = false;
        }
        if (plain) {
            out += c;
        } else if (escaped) {
            out += u'\\';
            out += c;
        } else {
            if (!quoted) {
                out += u'"';
                quoted = true;
            }
            out += c;
        }
    }
    if (quoted)
        out += u'"';
}

} // namespace

QString excelNumberFormat(const QString &qtDateTimeFormat)
{
    std::vector<Token> tokens = tokenize(qtDateTimeFormat);
    dropTimeZones(tokens);
    keepValidFractions(tokens);
    QString out;
    for (const Token &t : tokens) {
        if (t.kind == Kind::Literal)
            appendExcelLiteral(out, t.text);
        else
            out += t.text;
    }
    return out;
}
