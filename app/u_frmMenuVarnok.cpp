#include "app/u_frmMenuVarnok.h"

#include "desktop/desktop.h"
#include "register/u_frmVarnok.h"
#include "signin/u_frmLogin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

TfrmMenuVarnok *frmMenuVarnok = nullptr;

namespace {
const char *const versionText = "Varnok v. 2025-04-10";

QLabel *versionLabel(QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(versionText), parent);
    QFont font(QStringLiteral("Tahoma"), 8);
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: navy;"));
    label->adjustSize();
    return label;
}
} // namespace

TfrmMenuVarnok::TfrmMenuVarnok(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMenuVarnok"));
    setWindowTitle(QStringLiteral("frmMenuVarnok"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    resize(357, 289);

    PanelLogin = new QFrame(this);
    PanelLogin->setObjectName(QStringLiteral("PanelLogin"));
    ButtonLogin = new QPushButton(QStringLiteral("Login"), PanelLogin);
    ButtonLogin->setObjectName(QStringLiteral("ButtonLogin"));
    ButtonLogin->setGeometry(16, 8, 75, 30);
    Label1 = versionLabel(PanelLogin);
    Label1->setObjectName(QStringLiteral("Label1"));

    PanelMenu = new QFrame(this);
    PanelMenu->setObjectName(QStringLiteral("PanelMenu"));
    Button1 = new QPushButton(QStringLiteral("Garantii"), PanelMenu);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 24, 105, 25);
    Label2 = versionLabel(PanelMenu);
    Label2->setObjectName(QStringLiteral("Label2"));

    connect(ButtonLogin, &QPushButton::clicked, this, [this] { guarded([this] { ButtonLoginClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    FormCreate();
    layoutPanels();
}

void TfrmMenuVarnok::FormCreate()
{
    PanelMenu->hide();
}

void TfrmMenuVarnok::ButtonLoginClick()
{
    if (frmLogin->exec() == QDialog::Accepted) {
        PanelLogin->hide();
        PanelMenu->show();
        layoutPanels();
    }
}

void TfrmMenuVarnok::Button1Click()
{
    frmVarnok->show();
    frmVarnok->raise();
    frmVarnok->activateWindow();
}

void TfrmMenuVarnok::layoutPanels()
{
    // PanelLogin sits at the top, 46 high; PanelMenu fills what is left.
    const int top = PanelLogin->isVisibleTo(this) ? 46 : 0;
    PanelLogin->setGeometry(0, 0, width(), 46);
    PanelMenu->setGeometry(0, top, width(), height() - top);
    // The version labels keep to the top-right corner.
    Label1->move(PanelLogin->width() - Label1->width() - 8, 8);
    Label2->move(PanelMenu->width() - Label2->width() - 8, 8);
}

void TfrmMenuVarnok::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void TfrmMenuVarnok::closeEvent(QCloseEvent *event)
{
    event->accept();
    QApplication::quit();
}
