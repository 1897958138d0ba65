#include "grid/combodelegate.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

ComboDelegate::ComboDelegate(const FieldDef &field, const QStringList &items, int visibleItems,
                             QObject *parent)
    : CellDelegate(field, parent), m_items(items), m_visibleItems(visibleItems)
{
}

QWidget *ComboDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                     const QModelIndex &) const
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(m_visibleItems);
    combo->addItems(m_items);
    combo->setFrame(false);
    if (m_field.kind == FieldKind::Text && m_field.size > 0)
        combo->lineEdit()->setMaxLength(m_field.size);
    // The list pops up under the text without taking the keyboard.
    auto *completer = new QCompleter(m_items, combo);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer->setMaxVisibleItems(m_visibleItems);
    combo->setCompleter(completer);
    QLineEdit *edit = combo->lineEdit();
    auto previous = std::make_shared<QString>();
    connect(edit, &QLineEdit::textEdited, combo, [this, edit, previous](const QString &text) {
        // Complete only while the user adds characters, never after a deletion.
        const bool growing = text.size() > previous->size() && text.startsWith(*previous);
        *previous = text;
        if (!growing || text.isEmpty())
            return;
        for (const QString &item : m_items) {
            if (item.startsWith(text, Qt::CaseInsensitive)) {
                if (item.size() > text.size()) {
                    edit->setText(item); // in the item's own letter case
                    *previous = item.left(text.size());
                    edit->setSelection(int(text.size()), int(item.size() - text.size()));
                }
                return;
            }
        }
    });
    return combo;
}

void ComboDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = static_cast<QComboBox *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (combo->currentText() == text)
        return;
    const int i = m_items.indexOf(text);
    if (i >= 0)
        combo->setCurrentIndex(i);
    combo->setEditText(text); // a stored value not in the list still shows
}

void ComboDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                 const QModelIndex &index) const
{
    writeTextIfChanged(model, index, static_cast<QComboBox *>(editor)->currentText());
}
