#include "app/u_frmMenuVarnok.h"
#include "app/varnokapplication.h"

int main(int argc, char **argv)
{
    VarnokApplication app(argc, argv);
    createApplicationObjects();
    frmMenuVarnok->show();
    const int code = app.exec();
    destroyApplicationObjects();
    return code;
}
