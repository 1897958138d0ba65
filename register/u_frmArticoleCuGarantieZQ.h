#pragma once

#include <QDialog>

// The invoiced units without a warranty, from which a new warranty takes its article.
class TfrmArticoleCuGarantieZQ : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArticoleCuGarantieZQ(QWidget *parent = nullptr);
};

extern TfrmArticoleCuGarantieZQ *frmArticoleCuGarantieZQ;
