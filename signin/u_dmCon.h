#pragma once

#include "data/connection.h"
#include "data/dataset.h"
#include "grid/stylesheet.h"

#include <QObject>

// The connections, the account queries, the sign-in values and the grid
// style sheet, shared by the whole program.
class TdmCon : public QObject
{
    Q_OBJECT
public:
    explicit TdmCon(QObject *parent = nullptr);

    Connection *conQel;    // company database, TLS required; re-pointed at sign-in
    Connection *conQelMob; // company directory

    DataSet *dsEmitent;             // user check
    DataSet *dsAplicatieMob;        // application registry
    DataSet *dsAplicatieMobEmitent; // per-user grant

    QString glNumeFirma;
    QString glUser;
    QString glUserPass;
    QString glDataBase;
    QString glUserRol;

    const GridStyleSheet GridTableViewStyleSheetDevExpress;
};

extern TdmCon *dmCon;
