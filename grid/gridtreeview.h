#pragma once

#include <QTreeView>

// The rows of a grid: a tree (group rows have children) whose editors open
// on the first click, whose Enter moves on to the next cell (and the next
// row after the last), and which says "<No data to display>" when empty.
class GridTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit GridTreeView(QWidget *parent = nullptr);

    static QString emptyText();
    // The cell after (or before) index in on-screen column order, wrapping
    // to the next (previous) data row.
    QModelIndex neighbourCell(const QModelIndex &index, bool forward) const;

    // Ends the editing of the current cell, writing its value when asked.
    void closeCurrentEditor(bool commit);

signals:
    void focusChanged(bool focused);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QModelIndex nextDataRow(const QModelIndex &index, bool forward) const;
};
