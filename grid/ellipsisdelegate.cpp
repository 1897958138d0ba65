#include "grid/ellipsisdelegate.h"

#include "desktop/desktop.h"
#include "grid/buttonedit.h"

#include <QLineEdit>

EllipsisDelegate::EllipsisDelegate(const FieldDef &field, std::function<void()> handler,
                                   QObject *parent)
    : CellDelegate(field, parent), m_handler(std::move(handler))
{
}

QWidget *EllipsisDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                        const QModelIndex &) const
{
    auto *e = new ButtonEdit(parent);
    e->lineEdit()->setReadOnly(true);
    const auto handler = m_handler;
    connect(e, &ButtonEdit::buttonClicked, e, [handler] {
        if (handler)
            guarded(handler);
    });
    return e;
}

void EllipsisDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<ButtonEdit *>(editor)->lineEdit()->setText(index.data(Qt::DisplayRole).toString());
}
