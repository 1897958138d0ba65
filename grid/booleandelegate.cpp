#include "grid/booleandelegate.h"

#include "data/datasetmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>

namespace {
QRect centredIndicator(const QStyleOptionViewItem &option, const QWidget *widget)
{
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
    return QRect(option.rect.center().x() - w / 2, option.rect.center().y() - h / 2, w, h);
}
} // namespace

void BooleanDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QStyleOptionButton box;
    box.rect = centredIndicator(option, widget);
    box.state = QStyle::State_Enabled;
    switch (index.data(Qt::CheckStateRole).toInt()) {
    case Qt::Checked: box.state |= QStyle::State_On; break;
    case Qt::PartiallyChecked: box.state |= QStyle::State_NoChange; break;
    default: box.state |= QStyle::State_Off; break;
    }
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

QWidget *BooleanDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                       const QModelIndex &) const
{
    auto *box = new QCheckBox(parent);
    box->setAutoFillBackground(false);
    connect(box, &QCheckBox::clicked, box, [box] {
        // Once touched the value is true or false, never null again.
        box->setTristate(false);
        markTouched(box);
    });
    return box;
}

void BooleanDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = static_cast<QCheckBox *>(editor);
    const auto state = Qt::CheckState(index.data(Qt::CheckStateRole).toInt());
    box->setTristate(state == Qt::PartiallyChecked);
    box->setCheckState(state);
    markTouched(box, false);
}

void BooleanDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                   const QModelIndex &index) const
{
    auto *box = static_cast<QCheckBox *>(editor);
    if (!isTouched(box) || box->checkState() == Qt::PartiallyChecked)
        return;
    const bool checked = box->checkState() == Qt::Checked;
    const Value old = index.data(DataSetModel::ValueRole).value<Value>();
    if (!old.isNull() && old.toBool() == checked)
        return;
    model->setData(index, QVariant::fromValue(Value(checked)), DataSetModel::ValueRole);
}

void BooleanDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                           const QModelIndex &) const
{
    const QSize s = editor->sizeHint();
    editor->setGeometry(QRect(option.rect.center().x() - s.width() / 2 + 2,
                              option.rect.center().y() - s.height() / 2, s.width(), s.height()));
}
