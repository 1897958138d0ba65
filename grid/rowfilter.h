#pragma once

#include "data/value.h"

#include <QList>
#include <QString>
#include <QStringView>

// Comparisons the filter builder offers.
enum class FilterOp {
    Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual, Like, NotLike, IsNull, IsNotNull
};

// LIKE with % (any run) and _ (one character), ignoring case; the whole text
// must match, nothing is added to the pattern.
bool likeMatches(QStringView text, QStringView pattern);

// A test of one cell. Text and memo columns compare the value's text;
// other kinds compare, for equality and LIKE, the text the grid shows in the
// cell (what the user sees is what the user types), and for ordering the
// operand read as the column's kind. Letter case never matters. A null cell
// satisfies only "is null" and the negated tests (not equal, not like).
class CellPredicate
{
public:
    CellPredicate() = default;
    // Throws Error when an ordering operand cannot be read as the kind.
    CellPredicate(FilterOp op, const QString &operand, FieldKind kind);

    // What a filter-row cell means: nothing for empty text, else equality,
    // or LIKE when the text holds "%" or "_".
    static CellPredicate fromFilterRowText(const QString &text, FieldKind kind);

    bool isActive() const { return m_active; }
    FilterOp op() const { return m_op; }
    // Whether the test needs the cell's display text (else the value does).
    bool needsDisplayText() const;
    // display: the cell's text as shown; for text kinds the value's text.
    bool matches(const Value &value, QStringView display) const;

private:
    bool m_active = false;
    FilterOp m_op = FilterOp::Equal;
    FieldKind m_kind = FieldKind::Text;
    QString m_operand;
    Value m_typed; // ordering operand of a non-text kind
};

// One line of the filter builder: "or" joins it to what comes before, else
// "and"; "and" binds tighter.
struct FilterCondition
{
    int column = -1;
    FilterOp op = FilterOp::Equal;
    QString operand;
    bool orWithPrevious = false;

    bool operator==(const FilterCondition &) const = default;
};

QString filterOpText(FilterOp op);
