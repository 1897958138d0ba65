#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

// The main window: "Login" until the user has signed in, then "Garantii".
class TfrmMenuVarnok : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmMenuVarnok(QWidget *parent = nullptr);

    QFrame *PanelLogin;
    QPushButton *ButtonLogin;
    QLabel *Label1;
    QFrame *PanelMenu;
    QPushButton *Button1;
    QLabel *Label2;

    void FormCreate();
    void ButtonLoginClick();
    void Button1Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void layoutPanels();
};

extern TfrmMenuVarnok *frmMenuVarnok;
