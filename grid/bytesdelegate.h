#pragma once

#include "grid/celldelegate.h"

#include <functional>

// Binary content: the cell shows only an icon (empty or content present);
// the editor adds a button running the owner's handler, which changes the
// data set itself.
class BytesDelegate : public CellDelegate
{
    Q_OBJECT
public:
    using CellDelegate::CellDelegate;

    void setButtonHandler(std::function<void()> handler) { m_handler = std::move(handler); }

    static QPixmap icon(bool hasContent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override {}

private:
    std::function<void()> m_handler;
};
