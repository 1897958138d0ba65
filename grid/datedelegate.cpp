#include "grid/datedelegate.h"

#include "data/datasetmodel.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLocale>

namespace {
// Shown empty; no warranty is dated in the year 100.
const QDate emptyDate(100, 1, 1);

// Ctrl+Delete empties the date, which is otherwise impossible in a date editor.
class ClearOnCtrlDelete : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
                static_cast<QDateEdit *>(watched)->setDate(emptyDate);
                return true;
            }
        }
        return false;
    }
};
} // namespace

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
    e->setMinimumDate(emptyDate);
    e->setSpecialValueText(QStringLiteral(" "));
    e->installEventFilter(new ClearOnCtrlDelete(e));
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
    const Value v = d == emptyDate ? Value() : Value(d);
    if (v != index.data(DataSetModel::ValueRole).value<Value>())
        model->setData(index, QVariant::fromValue(v), DataSetModel::ValueRole);
    markTouched(editor, false);
}
