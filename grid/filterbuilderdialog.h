#pragma once

#include "data/value.h"
#include "grid/rowfilter.h"

#include <QDialog>

class QGridLayout;
class QComboBox;
class QLineEdit;
class QToolButton;

// The filter builder: lines of "column, comparison, value", joined by
// "and" / "or" ("and" binds tighter).
class FilterBuilderDialog : public QDialog
{
    Q_OBJECT
public:
    struct Column
    {
        int modelColumn;
        QString caption;
        FieldKind kind;
    };

    FilterBuilderDialog(const QList<Column> &columns, QWidget *parent = nullptr);

    void setConditions(const QList<FilterCondition> &conditions);
    QList<FilterCondition> conditions() const;

    // One line's editors, for tests.
    int lineCount() const { return int(m_lines.size()); }
    QComboBox *joinBox(int line) const { return m_lines[line].join; }
    QComboBox *columnBox(int line) const { return m_lines[line].column; }
    QComboBox *opBox(int line) const { return m_lines[line].op; }
    QLineEdit *operandEdit(int line) const { return m_lines[line].operand; }

public slots:
    void addLine();
    void clearLines();

private:
    struct Line
    {
        QWidget *row;
        QComboBox *join;
        QComboBox *column;
        QComboBox *op;
        QLineEdit *operand;
    };
    void removeLine(QWidget *row);
    void relabel();

    QList<Column> m_columns;
    QList<Line> m_lines;
    QWidget *m_linesHost;
};
