#include "grid/celldelegate.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QWidget>

CellDelegate::CellDelegate(const FieldDef &field, QObject *parent)
    : QStyledItemDelegate(parent), m_field(field)
{
}

bool CellDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void CellDelegate::writeTextIfChanged(QAbstractItemModel *model, const QModelIndex &index,
                                      const QString &text)
{
    if (text == index.data(Qt::EditRole).toString())
        return;
    model->setData(index, text.isEmpty() ? QVariant() : QVariant(text), Qt::EditRole);
}

void CellDelegate::markTouched(QWidget *editor, bool touched)
{
    editor->setProperty("varnokTouched", touched);
}

bool CellDelegate::isTouched(const QWidget *editor)
{
    return editor->property("varnokTouched").toBool();
}

QSize CellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(qMax(s.height(), qMax(option.fontMetrics.height() + 6, 20)));
    return s;
}
