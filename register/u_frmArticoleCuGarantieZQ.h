#pragma once

#include <QDialog>

class DataSet;
class GridView;
class QLabel;
class QPushButton;

// The invoiced units without a warranty, from which a new warranty takes its
// article. Shown modally; OK returns the current row.
class TfrmArticoleCuGarantieZQ : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArticoleCuGarantieZQ(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QPushButton *ButtonOK;
    GridView *cxGrid1;
    DataSet *dsArtCuGarantieZQ;

    void FormShow();
    // The chosen unit's articol; valid after the dialog returned OK.
    QString chosenArticol() const;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmArticoleCuGarantieZQ *frmArticoleCuGarantieZQ;
