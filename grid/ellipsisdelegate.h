#pragma once

#include "grid/celldelegate.h"

#include <functional>

// A read-only text cell whose editor has a "..." button running the
// owner's handler (a picker, for instance).
class EllipsisDelegate : public CellDelegate
{
    Q_OBJECT
public:
    EllipsisDelegate(const FieldDef &field, std::function<void()> handler,
                     QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override {}

private:
    std::function<void()> m_handler;
};
