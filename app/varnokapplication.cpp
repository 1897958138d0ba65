#include "app/varnokapplication.h"

#include "app/u_frmMenuVarnok.h"
#include "desktop/desktop.h"
#include "register/u_frmArticoleCuGarantieZQ.h"
#include "register/u_frmVarnok.h"
#include "signin/u_dmCon.h"
#include "signin/u_frmLogin.h"

#include <QFont>

VarnokApplication::VarnokApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The main window alone decides when the program ends.
    setQuitOnLastWindowClosed(false);
    // The windows were laid out for these Windows faces; where they are
    // missing, metric-compatible faces keep captions inside their places.
    for (const char *face : {"Segoe UI", "Tahoma", "MS Sans Serif"})
        QFont::insertSubstitutions(QString::fromLatin1(face),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                    QStringLiteral("DejaVu Sans")});
}

bool VarnokApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        reportError(e);
    }
    return false;
}

void createApplicationObjects()
{
    frmMenuVarnok = new TfrmMenuVarnok;
    frmLogin = new TfrmLogin;
    dmCon = new TdmCon;
    frmVarnok = new TfrmVarnok;
    frmArticoleCuGarantieZQ = new TfrmArticoleCuGarantieZQ;
}

void destroyApplicationObjects()
{
    delete frmArticoleCuGarantieZQ;
    frmArticoleCuGarantieZQ = nullptr;
    delete frmVarnok;
    frmVarnok = nullptr;
    delete frmLogin;
    frmLogin = nullptr;
    delete dmCon;
    dmCon = nullptr;
    delete frmMenuVarnok;
    frmMenuVarnok = nullptr;
}
