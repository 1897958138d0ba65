#include "grid/timestampdelegate.h"

#include "data/datasetmodel.h"
#include "grid/datedelegate.h"

#include <QDateTimeEdit>

QWidget *TimestampDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                         const QModelIndex &) const
{
    auto *e = new QDateTimeEdit(parent);
    e->setCalendarPopup(true);
    e->setDisplayFormat(DateDelegate::editorDateFormat() + QStringLiteral(" HH:mm:ss"));
    e->setTimeSpec(Qt::LocalTime);
    e->setFrame(false);
    connect(e, &QDateTimeEdit::dateTimeChanged, e, [e] { markTouched(e); });
    return e;
}

void TimestampDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *e = static_cast<QDateTimeEdit *>(editor);
    const Value v = index.data(DataSetModel::ValueRole).value<Value>();
    if (v.is<Timestamp>()) {
        const Timestamp &t = v.get<Timestamp>();
        e->setDateTime(QDateTime(t.date(), t.time()));
    } else {
        e->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    }
    markTouched(e, false);
}

void TimestampDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                     const QModelIndex &index) const
{
    if (!isTouched(editor))
        return;
    const QDateTime dt = static_cast<QDateTimeEdit *>(editor)->dateTime();
    const Value old = index.data(DataSetModel::ValueRole).value<Value>();
    const Timestamp t = Timestamp::fromParts(dt.date(), dt.time());
    // Seconds are what the editor shows; an unchanged second keeps the fraction.
    if (old.is<Timestamp>() && old.get<Timestamp>().usecs / 1000000 == t.usecs / 1000000)
        return;
    model->setData(index, QVariant::fromValue(Value(t)), DataSetModel::ValueRole);
    markTouched(editor, false);
}
