#include "grid/datedelegate.h"

#include "data/datasetmodel.h"

#include <QDateEdit>
#include <QLocale>

QString DateDelegate::editorDateFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    // A two-digit year would put a warranty into the wrong century.
    if (!f.contains(QStringLiteral("yyyy")))
        f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return f;
}

QWidget *DateDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                    const QModelIndex &) const
{
    auto *e = new QDateEdit(parent);
    e->setCalendarPopup(true);
    e->setDisplayFormat(editorDateFormat());
    e->setFrame(false);
    connect(e, &QDateEdit::dateChanged, e, [e] { markTouched(e); });
    return e;
}

void DateDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *e = static_cast<QDateEdit *>(editor);
    const QDate d = index.data(Qt::EditRole).toDate();
    // A null date opens at today; nothing is written unless the user changes it.
    e->setDate(d.isValid() ? d : QDate::currentDate());
    markTouched(e, false);
}

void DateDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const
{
    if (!isTouched(editor))
        return;
    const QDate d = static_cast<QDateEdit *>(editor)->date();
    if (d != index.data(Qt::EditRole).toDate())
        model->setData(index, QVariant::fromValue(Value(d)), DataSetModel::ValueRole);
    markTouched(editor, false);
}
