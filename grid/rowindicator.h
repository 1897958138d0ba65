#pragma once

#include <QWidget>

class QTreeView;
struct GridStyleSheet;

// The narrow column left of the rows: a marker at the current row, a pencil
// while it is edited, a star while it is a new row.
class RowIndicator : public QWidget
{
    Q_OBJECT
public:
    enum class Mark { Browse, Edit, Insert };

    RowIndicator(QTreeView *view, QWidget *parent = nullptr);

    void setMark(Mark mark);
    Mark mark() const { return m_mark; }
    void setStyleSheetData(const GridStyleSheet *sheet);

    QSize sizeHint() const override { return QSize(14, 20); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeView *m_view;
    Mark m_mark = Mark::Browse;
    const GridStyleSheet *m_sheet = nullptr;
};
