#include "register/u_frmVarnok.h"

TfrmVarnok *frmVarnok = nullptr;

TfrmVarnok::TfrmVarnok(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmVarnok"));
    setWindowTitle(QStringLiteral("frmVarnok"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(1188, 722);
}
