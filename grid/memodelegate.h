#pragma once

#include "grid/celldelegate.h"

// Memo cells: a line editor for one-line text with a "..." button that
// opens the whole text in a multi-line dialog. Text with line breaks is
// edited in the dialog only.
class MemoDelegate : public CellDelegate
{
    Q_OBJECT
public:
    using CellDelegate::CellDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

    // The multi-line dialog; returns false when cancelled. Replaceable in tests.
    static inline std::function<bool(QWidget *parent, const QString &title, QString &text)>
        editText;
    static bool editTextInDialog(QWidget *parent, const QString &title, QString &text);
};
