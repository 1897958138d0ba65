#include "grid/gridtreeview.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

GridTreeView::GridTreeView(QWidget *parent) : QTreeView(parent)
{
    setUniformRowHeights(true);
    setAllColumnsShowFocus(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                    | QAbstractItemView::DoubleClicked);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setExpandsOnDoubleClick(true);
}

QString GridTreeView::emptyText()
{
    return tr("<No data to display>");
}

QModelIndex GridTreeView::nextDataRow(const QModelIndex &index, bool forward) const
{
    // Visible rows in order, skipping group rows and the insides of collapsed groups.
    QModelIndex i = forward ? indexBelow(index) : indexAbove(index);
    while (i.isValid() && model()->hasChildren(i.siblingAtColumn(0)))
        i = forward ? indexBelow(i) : indexAbove(i);
    return i;
}

QModelIndex GridTreeView::neighbourCell(const QModelIndex &index, bool forward) const
{
    if (!index.isValid())
        return {};
    const QHeaderView *h = header();
    int visual = h->visualIndex(index.column());
    for (visual += forward ? 1 : -1; visual >= 0 && visual < h->count();
         visual += forward ? 1 : -1) {
        const int logical = h->logicalIndex(visual);
        if (!h->isSectionHidden(logical))
            return index.siblingAtColumn(logical);
    }
    const QModelIndex row = nextDataRow(index.siblingAtColumn(0), forward);
    if (!row.isValid())
        return {};
    for (int v = forward ? 0 : h->count() - 1; v >= 0 && v < h->count(); v += forward ? 1 : -1) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            return row.siblingAtColumn(logical);
    }
    return {};
}

QModelIndex GridTreeView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    if (cursorAction == MoveNext || cursorAction == MovePrevious) {
        const QModelIndex next = neighbourCell(currentIndex(), cursorAction == MoveNext);
        return next.isValid() ? next : currentIndex();
    }
    return QTreeView::moveCursor(cursorAction, modifiers);
}

void GridTreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex before = currentIndex();
    QTreeView::mousePressEvent(event);
    // The editor opens on the first click, also in the current cell.
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid() && at == before && at == currentIndex()
        && state() != EditingState && (at.flags() & Qt::ItemIsEditable)
        && !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        edit(at);
}

void GridTreeView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    if (model() && model()->rowCount() == 0) {
        QPainter p(viewport());
        p.setPen(palette().color(QPalette::Text));
        p.drawText(viewport()->rect().adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                   emptyText());
    }
}

void GridTreeView::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    emit focusChanged(true);
}

void GridTreeView::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    emit focusChanged(false);
}

void GridTreeView::closeCurrentEditor(bool commit)
{
    QWidget *editor = indexWidget(currentIndex());
    if (!editor)
        return;
    if (commit)
        commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}
