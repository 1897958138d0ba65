#include "grid/rowindicator.h"

#include "grid/stylesheet.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QTreeView>

RowIndicator::RowIndicator(QTreeView *view, QWidget *parent) : QWidget(parent), m_view(view)
{
    setFixedWidth(14);
    // Repaint whenever the rows do: scrolling, expanding, moving.
    view->viewport()->installEventFilter(this);
}

void RowIndicator::setMark(Mark mark)
{
    m_mark = mark;
    update();
}

void RowIndicator::setStyleSheetData(const GridStyleSheet *sheet)
{
    m_sheet = sheet;
    update();
}

bool RowIndicator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Paint)
        update();
    return QWidget::eventFilter(watched, event);
}

void RowIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPoint viewportTop = m_view->viewport()->mapTo(window(), QPoint(0, 0));
    const int top = viewportTop.y() - mapTo(window(), QPoint(0, 0)).y();
    const int bottom = top + m_view->viewport()->height();
    const QColor headerBg = m_sheet && m_sheet->header.background ? *m_sheet->header.background
                                                                  : palette().color(QPalette::Button);
    const QColor bg = m_sheet && m_sheet->indicator.background ? *m_sheet->indicator.background
                                                               : palette().color(QPalette::Button);
    p.fillRect(QRect(0, 0, width(), top), headerBg);
    p.fillRect(QRect(0, top, width(), bottom - top), bg);
    p.setPen(bg.darker(130));
    p.drawLine(width() - 1, top, width() - 1, bottom);

    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    QRect r = m_view->visualRect(current);
    if (!r.isValid() || r.bottom() < 0 || r.top() > m_view->viewport()->height())
        return;
    r = QRect(0, top + r.top(), width() - 1, r.height());
    p.setPen(bg.darker(130));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.setClipRect(QRect(0, top, width(), bottom - top));
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(r).center();
    const QColor ink(0x10, 0x10, 0x10);
    switch (m_mark) {
    case Mark::Browse: {
        QPainterPath t;
        t.moveTo(c.x() - 2.5, c.y() - 4);
        t.lineTo(c.x() + 2.5, c.y());
        t.lineTo(c.x() - 2.5, c.y() + 4);
        t.closeSubpath();
        p.fillPath(t, ink);
        break;
    }
    case Mark::Edit: // pencil
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(0xF0, 0xC0, 0x40));
        p.drawPolygon(QPolygonF({QPointF(c.x() - 4, c.y() + 5), QPointF(c.x() - 3, c.y() + 2),
                                 QPointF(c.x() + 2, c.y() - 4), QPointF(c.x() + 4, c.y() - 2),
                                 QPointF(c.x() - 1, c.y() + 4)}));
        break;
    case Mark::Insert:
        p.setPen(QPen(ink, 1.4));
        for (int i = 0; i < 3; ++i) {
            const qreal a = i * M_PI / 3;
            p.drawLine(QPointF(c.x() - 4 * std::cos(a), c.y() - 4 * std::sin(a)),
                       QPointF(c.x() + 4 * std::cos(a), c.y() + 4 * std::sin(a)));
        }
        break;
    }
}
