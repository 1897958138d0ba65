#include "grid/filterbuilderdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const FilterOp allOps[] = {FilterOp::Equal,       FilterOp::NotEqual, FilterOp::Less,
                           FilterOp::LessOrEqual, FilterOp::Greater,  FilterOp::GreaterOrEqual,
                           FilterOp::Like,        FilterOp::NotLike,  FilterOp::IsNull,
                           FilterOp::IsNotNull};
}

FilterBuilderDialog::FilterBuilderDialog(const QList<Column> &columns, QWidget *parent)
    : QDialog(parent), m_columns(columns)
{
    setWindowTitle(tr("Filter builder"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Show the rows where:"), this));
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    m_linesHost = new QWidget(scroll);
    auto *lines = new QVBoxLayout(m_linesHost);
    lines->addStretch(1);
    scroll->setWidget(m_linesHost);
    layout->addWidget(scroll, 1);
    auto *tools = new QHBoxLayout;
    auto *add = new QPushButton(tr("Add condition"), this);
    auto *clear = new QPushButton(tr("Clear"), this);
    add->setAutoDefault(false);
    clear->setAutoDefault(false);
    tools->addWidget(add);
    tools->addWidget(clear);
    tools->addStretch(1);
    layout->addLayout(tools);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(add, &QPushButton::clicked, this, &FilterBuilderDialog::addLine);
    connect(clear, &QPushButton::clicked, this, &FilterBuilderDialog::clearLines);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(620, 300);
}

void FilterBuilderDialog::addLine()
{
    Line line;
    line.row = new QWidget(m_linesHost);
    auto *h = new QHBoxLayout(line.row);
    h->setContentsMargins(0, 0, 0, 0);
    line.join = new QComboBox(line.row);
    line.join->addItem(tr("and"));
    line.join->addItem(tr("or"));
    line.column = new QComboBox(line.row);
    for (const Column &c : std::as_const(m_columns))
        line.column->addItem(c.caption, c.modelColumn);
    line.op = new QComboBox(line.row);
    for (FilterOp op : allOps)
        line.op->addItem(filterOpText(op), int(op));
    line.operand = new QLineEdit(line.row);
    auto *remove = new QToolButton(line.row);
    remove->setText(QStringLiteral("x"));
    remove->setToolTip(tr("Remove condition"));
    h->addWidget(line.join);
    h->addWidget(line.column, 1);
    h->addWidget(line.op, 1);
    h->addWidget(line.operand, 2);
    h->addWidget(remove);
    QLineEdit *operand = line.operand;
    connect(line.op, &QComboBox::currentIndexChanged, operand, [operand, op = line.op] {
        const auto o = FilterOp(op->currentData().toInt());
        operand->setEnabled(o != FilterOp::IsNull && o != FilterOp::IsNotNull);
    });
    QWidget *row = line.row;
    connect(remove, &QToolButton::clicked, this, [this, row] { removeLine(row); });
    auto *lines = static_cast<QVBoxLayout *>(m_linesHost->layout());
    lines->insertWidget(lines->count() - 1, line.row);
    m_lines << line;
    relabel();
}

void FilterBuilderDialog::removeLine(QWidget *row)
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].row == row) {
            m_lines.removeAt(i);
            delete row;
            break;
        }
    }
    relabel();
}

void FilterBuilderDialog::clearLines()
{
    for (const Line &l : std::as_const(m_lines))
        delete l.row;
    m_lines.clear();
}

void FilterBuilderDialog::relabel()
{
    // The first line has nothing to join to.
    for (int i = 0; i < m_lines.size(); ++i)
        m_lines[i].join->setVisible(i > 0);
}

void FilterBuilderDialog::setConditions(const QList<FilterCondition> &conditions)
{
    clearLines();
    for (const FilterCondition &c : conditions) {
        addLine();
        Line &l = m_lines.back();
        l.join->setCurrentIndex(c.orWithPrevious ? 1 : 0);
        l.column->setCurrentIndex(l.column->findData(c.column));
        l.op->setCurrentIndex(l.op->findData(int(c.op)));
        l.operand->setText(c.operand);
    }
}

QList<FilterCondition> FilterBuilderDialog::conditions() const
{
    QList<FilterCondition> out;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line &l = m_lines[i];
        if (l.column->currentIndex() < 0)
            continue;
        FilterCondition c;
        c.column = l.column->currentData().toInt();
        c.op = FilterOp(l.op->currentData().toInt());
        c.operand = l.operand->text();
        c.orWithPrevious = i > 0 && l.join->currentIndex() == 1;
        out << c;
    }
    return out;
}
