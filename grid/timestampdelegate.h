#pragma once

#include "grid/celldelegate.h"

// Date and time editor. The value keeps its microseconds unless the user
// changes it: the editor stops at milliseconds.
class TimestampDelegate : public CellDelegate
{
    Q_OBJECT
public:
    using CellDelegate::CellDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
