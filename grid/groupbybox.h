#pragma once

#include <QFrame>
#include <QList>
#include <QPair>

class QMenu;
struct GridStyleSheet;

// The bar above the headers that collects the grouped columns, in level
// order. Headers dropped on it group; its items dragged back to the headers
// (or "Ungroup" from their menu) ungroup.
class GroupByBox : public QFrame
{
    Q_OBJECT
public:
    explicit GroupByBox(const void *owner, QWidget *parent = nullptr);

    // (model column, caption) per level.
    void setColumns(const QList<QPair<int, QString>> &columns);
    QList<int> columns() const;
    void setStyleSheetData(const GridStyleSheet *sheet);
    static QString emptyText();

    // The menu offered on a grouped column's item.
    QMenu *createContextMenu(int column, QWidget *parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void groupRequested(int column, int level);
    void ungroupRequested(int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QRect itemRect(int level) const;
    int itemAt(const QPoint &pos) const;
    int levelFor(const QPoint &pos) const;

    const void *m_owner;
    QList<QPair<int, QString>> m_columns;
    const GridStyleSheet *m_sheet = nullptr;
    int m_pressItem = -1;
    QPoint m_pressPos;
};
