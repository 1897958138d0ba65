#pragma once

#include "data/dataset.h"

#include <QObject>

class Connection;

// The register's five queries and the rules they enforce themselves:
// dealers' warranties are protected, detail lists re-read after each post.
class WarrantyDataSets : public QObject
{
    Q_OBJECT
public:
    explicit WarrantyDataSets(Connection *connection, QObject *parent = nullptr);

    DataSet *dsEGarantii;
    DataSet *dsEGarantiiDoc;
    DataSet *dsEGarantiiExt;
    DataSet *dsEGarantiiExtDoc;
    DataSet *dsScopAchizitie;

    // True when the current warranty was entered by a dealer.
    bool currentIsDealerWarranty() const;

    void dsEGarantiiBeforeEdit();
    void dsEGarantiiBeforeDelete();
    void dsEGarantiiDocBeforeEdit();
    void dsEGarantiiDocBeforeInsert();
    void dsEGarantiiDocBeforeDelete();
    void dsEGarantiiDocAfterPost();
    void dsEGarantiiExtAfterPost();
    void dsEGarantiiExtDocAfterPost();
};
