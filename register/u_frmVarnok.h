#pragma once

#include <QWidget>

class GridView;
class QLabel;
class QPushButton;
class WarrantyDataSets;

// The warranty register: four stacked grids over the linked warranty data
// sets, the article picker, documents and the spreadsheet export.
class TfrmVarnok : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVarnok(QWidget *parent = nullptr);

    QLabel *Label1;
    QPushButton *ButtonCauta;
    QPushButton *Button3;
    QLabel *LabelUltimFisier;
    QLabel *LabelPathSaveFile;
    GridView *cxGrid1;
    QLabel *Label2;
    QPushButton *Button1;
    GridView *cxGrid2;
    QLabel *Label3;
    GridView *cxGrid3;
    QLabel *Label4;
    QPushButton *Button2;
    GridView *cxGrid4;

    WarrantyDataSets *data;

    void FormCreate();
    void FormShow();
    void ButtonCautaClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void LabelPathSaveFileClick();
    void cxGrid1DBTableView1articolPropertiesButtonClick();
    void cxGrid2continut_docPropertiesButtonClick();
    void cxGrid4continut_docPropertiesButtonClick();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutAnchored();
};

extern TfrmVarnok *frmVarnok;
