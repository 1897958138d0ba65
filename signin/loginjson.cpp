#include "signin/loginjson.h"

#include "data/error.h"

namespace loginjson {

namespace {

// Hostile input must not exhaust the stack; real documents nest 6 deep.
constexpr int MaxDepth = 64;

class Parser
{
public:
    explicit Parser(const QByteArray &data) : m_d(data), m_size(data.size()) {}

    Value document()
    {
        if (m_d.startsWith("\xEF\xBB\xBF"))
            m_p = 3;
        Value v = value(0);
        skipSpace();
        if (m_p < m_size)
            fail("expected end of data");
        return v;
    }

private:
    [[noreturn]] void failAt(qsizetype pos, const char *what) const
    {
        if (pos >= m_size)
            throw Error(QStringLiteral("Invalid JSON storage format at position %1: "
                                       "unexpected end of data")
                            .arg(m_size));
        throw Error(QStringLiteral("Invalid JSON storage format at position %1: %2")
                        .arg(pos)
                        .arg(QString::fromLatin1(what)));
    }
    [[noreturn]] void fail(const char *what) const { failAt(m_p, what); }

    int peek() const { return m_p < m_size ? uchar(m_d[m_p]) : -1; }

    void skipSpace()
    {
        while (m_p < m_size) {
            const char c = m_d[m_p];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                break;
            ++m_p;
        }
    }

    Value value(int depth)
    {
        skipSpace();
        if (depth > MaxDepth)
            fail("nesting too deep");
        switch (peek()) {
        case '{':
            return object(depth);
        case '[':
            return array(depth);
        case '"': {
            Value v;
            v.kind = Value::Kind::String;
            v.pos = m_p;
            v.text = string();
            return v;
        }
        case 't':
            return literal("true", Value::Kind::Bool, true);
        case 'f':
            return literal("false", Value::Kind::Bool, false);
        case 'n':
            return literal("null", Value::Kind::Null, false);
        default:
            if (peek() == '-' || (peek() >= '0' && peek() <= '9'))
                return number();
            fail("expected value");
        }
    }

    Value object(int depth)
    {
        Value v;
        v.kind = Value::Kind::Object;
        v.pos = m_p++;
        skipSpace();
        if (peek() == '}') {
            ++m_p;
            return v;
        }
        for (;;) {
            skipSpace();
            if (peek() != '"')
                fail("expected member name");
            v.names.push_back(string());
            skipSpace();
            if (peek() != ':')
                fail("expected ':'");
            ++m_p;
            v.items.push_back(value(depth + 1));
            skipSpace();
            if (peek() == ',') {
                ++m_p;
                continue;
            }
            if (peek() == '}') {
                ++m_p;
                return v;
            }
            fail("expected ',' or '}'");
        }
    }

    Value array(int depth)
    {
        Value v;
        v.kind = Value::Kind::Array;
        v.pos = m_p++;
        skipSpace();
        if (peek() == ']') {
            ++m_p;
            return v;
        }
        for (;;) {
            v.items.push_back(value(depth + 1));
            skipSpace();
            if (peek() == ',') {
                ++m_p;
                continue;
            }
            if (peek() == ']') {
                ++m_p;
                return v;
            }
            fail("expected ',' or ']'");
        }
    }

    Value literal(const char *word, Value::Kind kind, bool boolean)
    {
        const qsizetype start = m_p;
        for (const char *w = word; *w; ++w, ++m_p) {
            if (peek() != uchar(*w))
                failAt(m_p >= m_size ? m_p : start, "expected value");
        }
        Value v;
        v.kind = kind;
        v.pos = start;
        v.boolean = boolean;
        return v;
    }

    bool digits()
    {
        const qsizetype start = m_p;
        while (peek() >= '0' && peek() <= '9')
            ++m_p;
        return m_p > start;
    }

    Value number()
    {
        Value v;
        v.kind = Value::Kind::Number;
        v.pos = m_p;
        if (peek() == '-')
            ++m_p;
        if (peek() == '0')
            ++m_p;
        else if (!digits())
            fail("invalid number");
        if (peek() == '.') {
            ++m_p;
            if (!digits())
                fail("invalid number");
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_p;
            if (peek() == '+' || peek() == '-')
                ++m_p;
            if (!digits())
                fail("invalid number");
        }
        v.number = m_d.mid(v.pos, m_p - v.pos).toDouble();
        return v;
    }

    int hexDigit()
    {
        const int c = peek();
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        fail("invalid \\u escape");
    }

    void escape(QString &out)
    {
        const qsizetype start = m_p++;
        const int c = peek();
        ++m_p;
        switch (c) {
        case '"': out += u'"'; return;
        case '\\': out += u'\\'; return;
        case '/': out += u'/'; return;
        case 'b': out += u'\b'; return;
        case 'f': out += u'\f'; return;
        case 'n': out += u'\n'; return;
        case 'r': out += u'\r'; return;
        case 't': out += u'\t'; return;
        case 'u': {
            // Each escape is one UTF-16 unit, so \uD83D\uDE00 pairs up by itself.
            char16_t unit = 0;
            for (int i = 0; i < 4; ++i, ++m_p)
                unit = char16_t(unit * 16 + hexDigit());
            out += QChar(unit);
            return;
        }
        default:
            failAt(c < 0 ? m_size : start, "invalid escape sequence");
        }
    }

    void utf8(QString &out)
    {
        const qsizetype start = m_p;
        const uchar lead = uchar(m_d[m_p]);
        int follow;
        char32_t cp;
        char32_t least;
        if (lead >= 0xC2 && lead <= 0xDF) {
            follow = 1;
            cp = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            follow = 2;
            cp = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            follow = 3;
            cp = lead & 0x07;
            least = 0x10000;
        } else {
            fail("invalid UTF-8 sequence");
        }
        for (int i = 0; i < follow; ++i) {
            ++m_p;
            const int c = peek();
            if (c < 0)
                fail("unexpected end of data");
            if ((c & 0xC0) != 0x80)
                failAt(start, "invalid UTF-8 sequence");
            cp = (cp << 6) | (c & 0x3F);
        }
        ++m_p;
        if (cp < least || cp > 0x10FFFF)
            failAt(start, "invalid UTF-8 sequence");
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            // A 3-byte surrogate half (as written by the storage writer) is
            // kept as its UTF-16 unit; the next half completes the character.
            out += QChar(char16_t(cp));
        }
    }

    QString string()
    {
        ++m_p; // opening quote
        QString out;
        for (;;) {
            const int c = peek();
            if (c < 0)
                fail("unexpected end of data");
            if (c == '"') {
                ++m_p;
                return out;
            }
            if (c == '\\') {
                escape(out);
            } else if (c < 0x80) {
                out += QChar(char16_t(c));
                ++m_p;
            } else {
                utf8(out);
            }
        }
    }

    const QByteArray &m_d;
    const qsizetype m_size;
    qsizetype m_p = 0;
};

void appendUnit(QByteArray &out, char16_t u)
{
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

} // namespace

Value parse(const QByteArray &data)
{
    return Parser(data).document();
}

void appendString(QByteArray &out, QStringView s)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    for (const QChar ch : s) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'/': out += "\\/"; break;
        case u'\b': out += "\\b"; break;
        case u'\t': out += "\\t"; break;
        case u'\n': out += "\\n"; break;
        case u'\f': out += "\\f"; break;
        case u'\r': out += "\\r"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 0xF];
            } else {
                appendUnit(out, u);
            }
        }
    }
    out += '"';
}

} // namespace loginjson
