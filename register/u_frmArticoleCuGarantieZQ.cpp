#include "register/u_frmArticoleCuGarantieZQ.h"

TfrmArticoleCuGarantieZQ *frmArticoleCuGarantieZQ = nullptr;

TfrmArticoleCuGarantieZQ::TfrmArticoleCuGarantieZQ(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmArticoleCuGarantieZQ"));
    setWindowTitle(QStringLiteral("frmArticoleCuGarantieZQ"));
    resize(1088, 584);
}
