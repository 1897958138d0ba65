#include "grid/groupbybox.h"

#include "grid/filterheader.h"
#include "grid/stylesheet.h"
#include "grid/stylesheets.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

namespace {
// A header dragged from the same grid: "owner:h:column".
int headerColumn(const QMimeData *mime, const void *owner)
{
    const QList<QByteArray> parts =
        mime->data(QString::fromLatin1(FilterHeader::columnMimeType)).split(':');
    if (parts.size() != 3 || parts[0].toULongLong() != quintptr(owner) || parts[1] != "h")
        return -1;
    return parts[2].toInt();
}
} // namespace

GroupByBox::GroupByBox(const void *owner, QWidget *parent) : QFrame(parent), m_owner(owner)
{
    setAcceptDrops(true);
    setFrameShape(QFrame::NoFrame);
}

QString GroupByBox::emptyText()
{
    return tr("Drag a column header here to group by that column");
}

void GroupByBox::setColumns(const QList<QPair<int, QString>> &columns)
{
    m_columns = columns;
    updateGeometry();
    update();
}

QList<int> GroupByBox::columns() const
{
    QList<int> out;
    for (const auto &c : m_columns)
        out << c.first;
    return out;
}

void GroupByBox::setStyleSheetData(const GridStyleSheet *sheet)
{
    m_sheet = sheet;
    update();
}

QSize GroupByBox::sizeHint() const
{
    const int h = fontMetrics().height() + 8;
    return QSize(200, 10 + h + qMax(0, int(m_columns.size()) - 1) * (h / 2) + 8);
}

QRect GroupByBox::itemRect(int level) const
{
    const int h = fontMetrics().height() + 8;
    int x = 8;
    for (int i = 0; i < level; ++i)
        x += fontMetrics().horizontalAdvance(m_columns[i].second) + 24 + 10;
    const int w = fontMetrics().horizontalAdvance(m_columns[level].second) + 24;
    return QRect(x, 8 + level * (h / 2), w, h);
}

int GroupByBox::itemAt(const QPoint &pos) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (itemRect(i).contains(pos))
            return i;
    return -1;
}

int GroupByBox::levelFor(const QPoint &pos) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (pos.x() < itemRect(i).center().x())
            return i;
    return int(m_columns.size());
}

void GroupByBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const GridStyle *box = m_sheet ? &m_sheet->groupByBox : nullptr;
    p.fillRect(rect(), box && box->background ? *box->background : palette().color(QPalette::Dark));
    if (box && box->font)
        p.setFont(displayFont(*box->font));
    const QColor text = box && box->textColor ? *box->textColor : palette().color(QPalette::WindowText);
    if (m_columns.isEmpty()) {
        p.setPen(text);
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, emptyText());
        return;
    }
    const GridStyle *header = m_sheet ? &m_sheet->header : nullptr;
    const QColor bg = header && header->background ? *header->background : palette().color(QPalette::Button);
    const QColor fg = header && header->textColor ? *header->textColor : palette().color(QPalette::ButtonText);
    for (int i = 0; i < m_columns.size(); ++i) {
        const QRect r = itemRect(i);
        if (i > 0) { // the connector from the previous level
            const QRect prev = itemRect(i - 1);
            p.setPen(text);
            p.drawLine(prev.left() + 8, prev.bottom(), prev.left() + 8, r.center().y());
            p.drawLine(prev.left() + 8, r.center().y(), r.left(), r.center().y());
        }
        p.fillRect(r, bg);
        p.setPen(bg.darker(150));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(fg);
        QFont f = p.font();
        if (header && header->font)
            p.setFont(displayFont(*header->font));
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter, m_columns[i].second);
        p.setFont(f);
    }
}

void GroupByBox::mousePressEvent(QMouseEvent *event)
{
    m_pressItem = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : -1;
    m_pressPos = event->position().toPoint();
}

void GroupByBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressItem < 0 || !(event->buttons() & Qt::LeftButton)
        || (event->position().toPoint() - m_pressPos).manhattanLength()
               < QApplication::startDragDistance())
        return;
    const int column = m_columns[m_pressItem].first;
    const QRect r = itemRect(m_pressItem);
    m_pressItem = -1;
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(FilterHeader::columnMimeType),
                  QByteArray::number(quintptr(m_owner)) + ":g:" + QByteArray::number(column));
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(grab(r));
    drag->exec(Qt::MoveAction);
}

QMenu *GroupByBox::createContextMenu(int column, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *ungroup = menu->addAction(tr("Ungroup"));
    connect(ungroup, &QAction::triggered, this, [this, column] { emit ungroupRequested(column); });
    return menu;
}

void GroupByBox::contextMenuEvent(QContextMenuEvent *event)
{
    const int item = itemAt(event->pos());
    if (item < 0)
        return;
    QMenu *menu = createContextMenu(m_columns[item].first, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void GroupByBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (headerColumn(event->mimeData(), m_owner) >= 0)
        event->acceptProposedAction();
}

void GroupByBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (headerColumn(event->mimeData(), m_owner) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void GroupByBox::dropEvent(QDropEvent *event)
{
    const int column = headerColumn(event->mimeData(), m_owner);
    if (column < 0)
        return;
    event->acceptProposedAction();
    emit groupRequested(column, levelFor(event->position().toPoint()));
}
