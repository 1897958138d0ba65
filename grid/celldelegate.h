#pragma once

#include "data/value.h"

#include <QStyledItemDelegate>

// Common ground of the grid's cell delegates: Enter commits and moves to
// the next cell, and a value is written only when the user changed it, so
// that opening and leaving an editor never starts an edit of the row.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CellDelegate(const FieldDef &field, QObject *parent = nullptr);

    const FieldDef &field() const { return m_field; }
    // Tall enough for a check box, an icon or an editor's button.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *editor, QEvent *event) override;
    // Empty text is written as null.
    static void writeTextIfChanged(QAbstractItemModel *model, const QModelIndex &index,
                                   const QString &text);
    static void markTouched(QWidget *editor, bool touched = true);
    static bool isTouched(const QWidget *editor);

    FieldDef m_field;
};
