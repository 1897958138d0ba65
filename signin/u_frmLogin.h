#pragma once

#include "data/dataset.h"
#include "signin/logintable.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in dialog: finds the company's database through the directory,
// checks the user, the registry and the grant, and records who signed in.
class TfrmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLineEdit *Edit1; // company, bound to dsLogin.company
    QLineEdit *Edit2; // user name, bound to dsLogin.username
    QLineEdit *Edit3; // password, never bound or stored
    QPushButton *Button1;
    LoginTable dsLogin;
    // The directory lookup; made on first use, since the connections module
    // is created after this dialog.
    DataSet *dsQelMobil();

    void FormShow();
    void Button1Click();

    QString rememberedPath() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void bindEdit(QLineEdit *edit, bool company);
    void showTable();
    void copyEditsToTable();

    DataSet *m_dsQelMobil = nullptr;
};

extern TfrmLogin *frmLogin;
