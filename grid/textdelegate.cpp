#include "grid/textdelegate.h"

#include <QLineEdit>

QWidget *TextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                    const QModelIndex &) const
{
    auto *e = new QLineEdit(parent);
    e->setFrame(false);
    if (m_field.kind == FieldKind::Text && m_field.size > 0)
        e->setMaxLength(m_field.size);
    if (m_field.kind == FieldKind::Integer || m_field.kind == FieldKind::BigInt
        || m_field.kind == FieldKind::Float)
        e->setAlignment(Qt::AlignRight);
    return e;
}

void TextDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *e = static_cast<QLineEdit *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (e->text() != text)
        e->setText(text);
}

void TextDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const
{
    writeTextIfChanged(model, index, static_cast<QLineEdit *>(editor)->text());
}
