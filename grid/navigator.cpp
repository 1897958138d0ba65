#include "grid/navigator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {
// Small glyphs drawn here, so the bar looks the same on every platform.
QIcon glyph(Navigator::Button which)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1F, 0x3F, 0x7F);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    auto left = [&](qreal x) {
        QPainterPath t;
        t.moveTo(x + 5, 3.5);
        t.lineTo(x, 8);
        t.lineTo(x + 5, 12.5);
        t.closeSubpath();
        p.drawPath(t);
    };
    auto right = [&](qreal x) {
        QPainterPath t;
        t.moveTo(x, 3.5);
        t.lineTo(x + 5, 8);
        t.lineTo(x, 12.5);
        t.closeSubpath();
        p.drawPath(t);
    };
    switch (which) {
    case Navigator::First: p.drawLine(QPointF(4, 3.5), QPointF(4, 12.5)); left(6); break;
    case Navigator::PriorPage: left(3); left(8); break;
    case Navigator::Prior: left(5.5); break;
    case Navigator::Next: right(5.5); break;
    case Navigator::NextPage: right(3); right(8); break;
    case Navigator::Last: right(5); p.drawLine(QPointF(12, 3.5), QPointF(12, 12.5)); break;
    case Navigator::Insert:
        p.setPen(QPen(QColor(0x10, 0x80, 0x30), 2.2));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Navigator::Delete:
        p.setPen(QPen(QColor(0xB0, 0x20, 0x20), 2.2));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Navigator::Edit: // a pencil
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(0xF0, 0xC0, 0x40));
        p.drawPolygon(QPolygonF({QPointF(3, 13), QPointF(4, 10), QPointF(11, 3), QPointF(13, 5),
                                 QPointF(6, 12)}));
        break;
    case Navigator::Post:
        p.setPen(QPen(QColor(0x10, 0x80, 0x30), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case Navigator::Cancel:
        p.setPen(QPen(QColor(0xB0, 0x20, 0x20), 2.2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Navigator::Refresh: {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
        p.setBrush(ink);
        QPainterPath t;
        t.moveTo(8, 1);
        t.lineTo(11.5, 3);
        t.lineTo(8, 5.5);
        t.closeSubpath();
        p.drawPath(t);
        break;
    }
    case Navigator::SaveBookmark:
    case Navigator::GotoBookmark: {
        p.setBrush(which == Navigator::SaveBookmark ? QColor(0xE0, 0x40, 0x40) : QColor(0x40, 0x80, 0xE0));
        p.setPen(QPen(ink, 1));
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(12, 2), QPointF(12, 14), QPointF(8, 10.5),
                                 QPointF(4, 14)}));
        if (which == Navigator::GotoBookmark) {
            p.setPen(QPen(Qt::white, 1.5));
            p.drawLine(QPointF(6, 6), QPointF(10, 6));
        }
        break;
    }
    case Navigator::Filter:
        p.setBrush(QColor(0x70, 0x90, 0xC0));
        p.setPen(QPen(ink, 1));
        p.drawPolygon(QPolygonF({QPointF(2, 3), QPointF(14, 3), QPointF(9.5, 8.5), QPointF(9.5, 13),
                                 QPointF(6.5, 11.5), QPointF(6.5, 8.5)}));
        break;
    default:
        break;
    }
    return QIcon(pm);
}
} // namespace

QString Navigator::hint(Button which)
{
    static const char *const hints[ButtonCount] = {
        "First record", "Prior page", "Prior record", "Next record", "Next page", "Last record",
        "Insert record", "Delete record", "Edit record", "Post edit", "Cancel edit",
        "Refresh data", "Save Bookmark", "Goto Bookmark", "Filter data"};
    return QString::fromLatin1(hints[which]);
}

Navigator::Navigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = Button(i);
        auto *b = new QToolButton(this);
        b->setIcon(glyph(which));
        b->setToolTip(hint(which));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setObjectName(QStringLiteral("navigator%1").arg(i));
        connect(b, &QToolButton::clicked, this, [this, which] { emit buttonClicked(which); });
        m_buttons[size_t(i)] = b;
        layout->addWidget(b);
        if (which == Last || which == Cancel || which == GotoBookmark)
            layout->addSpacing(6);
    }
    m_position = new QLabel(this);
    m_position->setMinimumWidth(80);
    m_position->setAlignment(Qt::AlignCenter);
    m_position->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_position);
    layout->addStretch(1);
    setPosition(0, 0);
}

void Navigator::setPositionVisible(bool visible)
{
    m_position->setVisible(visible);
}

bool Navigator::isPositionVisible() const
{
    return !m_position->isHidden();
}

void Navigator::setPosition(int recordIndex, int recordCount)
{
    m_position->setText(QStringLiteral("%1 of %2").arg(recordIndex).arg(recordCount));
}

QString Navigator::positionText() const
{
    return m_position->text();
}
