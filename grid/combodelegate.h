#pragma once

#include "grid/celldelegate.h"

#include <QStringList>

// An editable drop-down list: items in the order given, the typed text
// completed from the first item it starts, the list opened as soon as the
// user types; any text is accepted.
class ComboDelegate : public CellDelegate
{
    Q_OBJECT
public:
    ComboDelegate(const FieldDef &field, const QStringList &items, int visibleItems,
                  QObject *parent = nullptr);

    QStringList items() const { return m_items; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

private:
    QStringList m_items;
    int m_visibleItems;
};
