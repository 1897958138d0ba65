#include "grid/bytesdelegate.h"

#include "data/datasetmodel.h"
#include "desktop/desktop.h"
#include "grid/buttonedit.h"

#include <QApplication>
#include <QPainter>
#include <QToolButton>

QPixmap BytesDelegate::icon(bool hasContent)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF page({QPointF(3.5, 1.5), QPointF(10, 1.5), QPointF(13.5, 5), QPointF(13.5, 14.5),
                          QPointF(3.5, 14.5)});
    if (hasContent) {
        p.setPen(QPen(QColor(0x30, 0x50, 0x80), 1));
        p.setBrush(Qt::white);
        p.drawPolygon(page);
        p.setPen(QPen(QColor(0x30, 0x50, 0x80), 1));
        for (int y = 6; y <= 12; y += 2)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
    } else {
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(page);
    }
    return pm;
}

void BytesDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const bool has = index.data(DataSetModel::HasContentRole).toBool();
    painter->drawPixmap(option.rect.left() + 4, option.rect.center().y() - 8, icon(has));
}

QWidget *BytesDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                     const QModelIndex &) const
{
    auto *e = new ButtonEdit(parent);
    e->setIcon(icon(false));
    e->button()->setEnabled(bool(m_handler));
    const auto handler = m_handler;
    connect(e, &ButtonEdit::buttonClicked, e, [handler] {
        if (handler)
            guarded(handler);
    });
    return e;
}

void BytesDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<ButtonEdit *>(editor)->setIcon(icon(index.data(DataSetModel::HasContentRole).toBool()));
}
