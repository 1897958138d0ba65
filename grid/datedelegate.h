#pragma once

#include "grid/celldelegate.h"

// Date editor with a calendar popup in the short date format.
class DateDelegate : public CellDelegate
{
    Q_OBJECT
public:
    using CellDelegate::CellDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

    static QString editorDateFormat();
};
