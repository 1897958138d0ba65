#include "grid/memodelegate.h"

#include "grid/buttonedit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
const char *const fullTextProperty = "varnokMemoText";

void showText(ButtonEdit *e, const QString &text)
{
    e->setProperty(fullTextProperty, text);
    const bool multiLine = text.contains(u'\n');
    e->lineEdit()->setReadOnly(multiLine);
    e->lineEdit()->setText(multiLine ? text.section(u'\n', 0, 0) + QStringLiteral(" ...") : text);
}

QString fullText(const ButtonEdit *e)
{
    return e->lineEdit()->isReadOnly() ? e->property(fullTextProperty).toString()
                                       : e->lineEdit()->text();
}
} // namespace

bool MemoDelegate::editTextInDialog(QWidget *parent, const QString &title, QString &text)
{
    if (editText)
        return editText(parent, title, text);
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new QPlainTextEdit(&dialog);
    edit->setPlainText(text);
    layout->addWidget(edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(480, 300);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = edit->toPlainText();
    return true;
}

QWidget *MemoDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                    const QModelIndex &) const
{
    auto *e = new ButtonEdit(parent);
    const QString title = m_field.name;
    connect(e, &ButtonEdit::buttonClicked, e, [this, e, title] {
        QString text = fullText(e);
        if (!editTextInDialog(e, title, text))
            return;
        showText(e, text);
        emit const_cast<MemoDelegate *>(this)->commitData(e);
    });
    return e;
}

void MemoDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *e = static_cast<ButtonEdit *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (fullText(e) != text || e->property(fullTextProperty).isNull())
        showText(e, text);
}

void MemoDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const
{
    writeTextIfChanged(model, index, fullText(static_cast<ButtonEdit *>(editor)));
}
