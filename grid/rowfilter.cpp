#include "grid/rowfilter.h"

#include "data/error.h"

namespace {
bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::Text || kind == FieldKind::Memo;
}

bool isOrdering(FilterOp op)
{
    return op == FilterOp::Less || op == FilterOp::LessOrEqual || op == FilterOp::Greater
           || op == FilterOp::GreaterOrEqual;
}
} // namespace

bool likeMatches(QStringView text, QStringView pattern)
{
    // Greedy match with one backtrack point at the last '%'.
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'%') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size()
                   && (pattern[p] == u'_'
                       || pattern[p].toCaseFolded() == text[t].toCaseFolded())) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'%')
        ++p;
    return p == pattern.size();
}

CellPredicate::CellPredicate(FilterOp op, const QString &operand, FieldKind kind)
    : m_active(true), m_op(op), m_kind(kind), m_operand(operand)
{
    if (isOrdering(op) && !isTextKind(kind))
        m_typed = Value::fromVariant(operand, kind);
}

CellPredicate CellPredicate::fromFilterRowText(const QString &text, FieldKind kind)
{
    if (text.isEmpty())
        return {};
    const bool pattern = text.contains(u'%') || text.contains(u'_');
    return CellPredicate(pattern ? FilterOp::Like : FilterOp::Equal, text, kind);
}

bool CellPredicate::needsDisplayText() const
{
    return m_active && !isTextKind(m_kind) && !isOrdering(m_op) && m_op != FilterOp::IsNull
           && m_op != FilterOp::IsNotNull;
}

bool CellPredicate::matches(const Value &value, QStringView display) const
{
    if (!m_active)
        return true;
    if (value.isNull()) {
        return m_op == FilterOp::IsNull || m_op == FilterOp::NotEqual
               || m_op == FilterOp::NotLike;
    }
    switch (m_op) {
    case FilterOp::IsNull:
        return false;
    case FilterOp::IsNotNull:
        return true;
    case FilterOp::Equal:
        return display.compare(m_operand, Qt::CaseInsensitive) == 0;
    case FilterOp::NotEqual:
        return display.compare(m_operand, Qt::CaseInsensitive) != 0;
    case FilterOp::Like:
        return likeMatches(display, m_operand);
    case FilterOp::NotLike:
        return !likeMatches(display, m_operand);
    default:
        break;
    }
    const int c = isTextKind(m_kind) ? display.compare(m_operand, Qt::CaseInsensitive)
                                     : Value::compare(value, m_typed);
    switch (m_op) {
    case FilterOp::Less: return c < 0;
    case FilterOp::LessOrEqual: return c <= 0;
    case FilterOp::Greater: return c > 0;
    case FilterOp::GreaterOrEqual: return c >= 0;
    default: return false;
    }
}

QString filterOpText(FilterOp op)
{
    switch (op) {
    case FilterOp::Equal: return QStringLiteral("equals");
    case FilterOp::NotEqual: return QStringLiteral("does not equal");
    case FilterOp::Less: return QStringLiteral("is less than");
    case FilterOp::LessOrEqual: return QStringLiteral("is less than or equal to");
    case FilterOp::Greater: return QStringLiteral("is greater than");
    case FilterOp::GreaterOrEqual: return QStringLiteral("is greater than or equal to");
    case FilterOp::Like: return QStringLiteral("like");
    case FilterOp::NotLike: return QStringLiteral("not like");
    case FilterOp::IsNull: return QStringLiteral("is blank");
    case FilterOp::IsNotNull: return QStringLiteral("is not blank");
    }
    return {};
}
