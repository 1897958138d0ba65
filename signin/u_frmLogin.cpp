#include "signin/u_frmLogin.h"

#include "data/error.h"
#include "desktop/desktop.h"
#include "signin/u_dmCon.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTimer>

TfrmLogin *frmLogin = nullptr;

namespace {
constexpr int boundFieldSize = 200;

QLabel *label(const char *text, int x, int y, QWidget *parent)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setFont(QFont(QStringLiteral("Tahoma"), 9));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *lineEdit(const char *name, int x, int y, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, 268, 21);
    return e;
}
} // namespace

TfrmLogin::TfrmLogin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("frmLogin"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(353, 158);

    Label1 = label("Company", 16, 24, this);
    Label2 = label("UserName", 16, 56, this);
    Label3 = label("Password", 16, 88, this);
    Edit1 = lineEdit("Edit1", 77, 22, this);
    Edit2 = lineEdit("Edit2", 77, 54, this);
    Edit3 = lineEdit("Edit3", 77, 86, this);
    Edit3->setEchoMode(QLineEdit::Password);
    Edit3->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*" for each character
    Button1 = new QPushButton(QStringLiteral("Login"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(77, 120, 75, 30);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);

    // The password edit comes first so that it has the focus on opening.
    setTabOrder(Edit3, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);

    bindEdit(Edit1, true);
    bindEdit(Edit2, false);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
}

void TfrmLogin::bindEdit(QLineEdit *edit, bool company)
{
    edit->setMaxLength(boundFieldSize);
    // The first key typed starts the single row; later keys edit it.
    connect(edit, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            if (!dsLogin.isOpen())
                dsLogin.open();
            dsLogin.edit();
        });
    });
    // The text reaches its column when the edit loses the focus.
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, company] {
        guarded([&] {
            if (!dsLogin.isEditing())
                return;
            const std::optional<QString> shown = company ? dsLogin.company() : dsLogin.username();
            if (edit->text() == shown.value_or(QString()))
                return;
            if (company)
                dsLogin.setCompany(edit->text());
            else
                dsLogin.setUsername(edit->text());
        });
    });
}

DataSet *TfrmLogin::dsQelMobil()
{
    if (!m_dsQelMobil) {
        m_dsQelMobil = new DataSet(dmCon->conQelMob,
                                   QStringLiteral("select * from m_firma where nume_firma = :pNumeFirma ;"),
                                   this);
        m_dsQelMobil->setObjectName(QStringLiteral("dsQelMobil"));
        m_dsQelMobil->setReadOnly(true);
        m_dsQelMobil->setFields({
            {QStringLiteral("nume_firma"), FieldKind::Text, 200, true, false},
            {QStringLiteral("ip"), FieldKind::Memo, 0, false, false},
            {QStringLiteral("port"), FieldKind::Integer, 0, false, false},
            {QStringLiteral("db_name"), FieldKind::Memo, 0, false, false},
            {QStringLiteral("activ"), FieldKind::Boolean, 0, false, false},
            {QStringLiteral("m_site"), FieldKind::Boolean, 0, true, false},
        });
    }
    return m_dsQelMobil;
}

QString TfrmLogin::rememberedPath() const
{
    return QDir(Desktop::instance().roamingDataFolder()).filePath(QStringLiteral("preCmd.json"));
}

void TfrmLogin::showTable()
{
    Edit1->setText(dsLogin.company().value_or(QString()));
    Edit2->setText(dsLogin.username().value_or(QString()));
}

void TfrmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Not when the desktop merely restores the window: the edits keep what was typed.
    if (event->spontaneous())
        return;
    Edit3->setFocus();
    try {
        FormShow();
    } catch (const std::exception &e) {
        // Shown once the dialog is up; signing in still works from the edits.
        const QString text = dynamic_cast<const Error *>(&e)
            ? static_cast<const Error &>(e).message()
            : QString::fromUtf8(e.what());
        QTimer::singleShot(0, this, [text] { reportError(text); });
    }
}

void TfrmLogin::FormShow()
{
    const QString path = rememberedPath();
    auto openAndShow = qScopeGuard([this] {
        if (!dsLogin.isOpen())
            dsLogin.open();
        showTable();
    });
    if (QFileInfo::exists(path))
        dsLogin.load(path);
}

void TfrmLogin::copyEditsToTable()
{
    if (!dsLogin.isEditing())
        return;
    if (Edit1->text() != dsLogin.company().value_or(QString()))
        dsLogin.setCompany(Edit1->text());
    if (Edit2->text() != dsLogin.username().value_or(QString()))
        dsLogin.setUsername(Edit2->text());
}

void TfrmLogin::Button1Click()
{
    const QString company = Edit1->text();
    const QString user = Edit2->text();
    const QString password = Edit3->text();
    const QString application = applicationTitle();

    // 1. Remembered before any check, so a failed attempt is remembered too.
    if (!dsLogin.isOpen())
        dsLogin.open();
    copyEditsToTable();
    const QString path = rememberedPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    dsLogin.save(path);

    // 2.-3.
    dmCon->glNumeFirma = company;
    DataSet *directory = dsQelMobil();
    directory->close();
    directory->setParam(QStringLiteral("pNumeFirma"), company);
    directory->open();

    // 4. Whatever happens next, the account queries end closed.
    auto cleanUp = qScopeGuard([directory] {
        if (dmCon->dsAplicatieMob->isActive())
            dmCon->dsAplicatieMob->close();
        if (dmCon->dsEmitent->isActive())
            dmCon->dsEmitent->close();
        directory->close();
    });

    // 5.
    if (directory->rowCount() == 0)
        throw Error(QStringLiteral("Companie inexistenta"));

    // 6. Each different value closes the connection left by an earlier attempt.
    const Value port = directory->value(QStringLiteral("port"));
    dmCon->conQel->setServer(directory->value(QStringLiteral("ip")).toString());
    dmCon->conQel->setPort(port.isNull() ? 0 : port.get<qint32>());
    dmCon->conQel->setDatabase(directory->value(QStringLiteral("db_name")).toString());
    const QString database = directory->value(QStringLiteral("db_name")).toString();

    // 7.
    dmCon->dsEmitent->close();
    dmCon->dsEmitent->setParam(QStringLiteral("pEmitent"), user);
    dmCon->dsEmitent->setParam(QStringLiteral("pP"), password);
    dmCon->dsEmitent->open();
    if (dmCon->dsEmitent->rowCount() == 0)
        throw Error(QStringLiteral("User, Password eronate"));

    // 8.
    dmCon->dsAplicatieMob->close();
    dmCon->dsAplicatieMob->setParam(QStringLiteral("pAplicatieMob"), application);
    dmCon->dsAplicatieMob->open();
    if (dmCon->dsAplicatieMob->rowCount() == 0)
        throw Error(QStringLiteral("Aplicatia ") + application + QStringLiteral(" nu este disponibila"));

    // 9.
    DataSet *grant = dmCon->dsAplicatieMobEmitent;
    grant->close();
    grant->setParam(QStringLiteral("pEmitent"), user);
    grant->setParam(QStringLiteral("pAplicatieMob"), application);
    grant->open();
    if (grant->rowCount() == 0)
        throw Error(QStringLiteral("Aplicatia ") + application
                    + QStringLiteral(" nu este disponibila pentru user-ul ") + user);

    // 10.-12.
    dmCon->glUser = user;
    dmCon->glUserPass = password;
    dmCon->glDataBase = database;
    dmCon->glUserRol = grant->value(QStringLiteral("rol")).toString();
    Edit3->clear();
    accept();
}
