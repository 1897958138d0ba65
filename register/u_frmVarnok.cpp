#include "register/u_frmVarnok.h"

#include "data/error.h"
#include "desktop/desktop.h"
#include "data/datasetmodel.h"
#include "grid/gridview.h"
#include "register/documents.h"
#include "register/u_frmArticoleCuGarantieZQ.h"
#include "register/warrantydatasets.h"
#include "signin/u_dmCon.h"
#include "xlsx/gridexport.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>

TfrmVarnok *frmVarnok = nullptr;

namespace {
// Positions as designed for a 1188 x 722 client area.
constexpr int designWidth = 1188;
constexpr int designHeight = 722;

QLabel *label(const QString &text, int x, int y, QWidget *parent, bool title = false)
{
    auto *l = new QLabel(text, parent);
    if (title) {
        QFont f(QStringLiteral("Segoe UI"), 9);
        f.setBold(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: maroon;"));
    }
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton *button(const QString &text, int x, int y, int w, int h, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

GridView *grid(const char *name, QWidget *parent, DataSet *ds,
               const QList<QPair<const char *, int>> &columns)
{
    auto *g = new GridView(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setStyleSheetData(&dmCon->GridTableViewStyleSheetDevExpress);
    g->setPositionPanelVisible(true);
    g->setDataSet(ds);
    QStringList names;
    for (const auto &[column, width] : columns) {
        names << QString::fromLatin1(column);
        g->setColumnWidth(QString::fromLatin1(column), width);
    }
    g->setVisibleColumns(names);
    return g;
}
} // namespace

TfrmVarnok::TfrmVarnok(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmVarnok"));
    setWindowTitle(QStringLiteral("frmVarnok"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(designWidth, designHeight);

    data = new WarrantyDataSets(dmCon->conQel, this);

    Label1 = new QLabel(QStringLiteral("Garantii"), this);
    QFont title(QStringLiteral("Segoe UI"), 12);
    title.setBold(true);
    Label1->setFont(title);
    Label1->setStyleSheet(QStringLiteral("color: maroon;"));
    Label1->move(8, 8);
    Label1->adjustSize();

    ButtonCauta = button(QStringLiteral("Cauta"), 104, 6, 75, 25, this);
    Button3 = button(QStringLiteral("Export Excel"), 239, 6, 89, 25, this);
    LabelUltimFisier = label(QStringLiteral("Ultimul fisier:"), 334, 13, this);
    LabelPathSaveFile = label(QString(), 412, 13, this);
    QFont underlined = LabelPathSaveFile->font();
    underlined.setUnderline(true);
    LabelPathSaveFile->setFont(underlined);
    LabelPathSaveFile->setCursor(Qt::PointingHandCursor);
    LabelPathSaveFile->installEventFilter(this);

    cxGrid1 = grid("cxGrid1", this, data->dsEGarantii,
                   {{"articol", 234}, {"data_garantie", 92}, {"nr_garantie", 84},
                    {"client_data_fact", 106}, {"client_nr_fact", 91},
                    {"client_data_livrare", 118}, {"client_proprietar", 140},
                    {"este_pers_juridica", 121}, {"client_utilizator", 140},
                    {"client_strada_nr", 105}, {"client_localitate", 110},
                    {"client_judet", 100}, {"client_tara", 72}, {"client_cod_postal", 118},
                    {"client_telefon", 100}, {"client_email", 157}, {"scop_achizitie", 135},
                    {"partener", 238}, {"este_dealer", 84}, {"producator", 100},
                    {"obs_garantie", 148}, {"dealer_nou", 129},
                    {"data_fact_pt_dealer_nou", 154}, {"nr_fact_pt_dealer_nou", 146},
                    {"data_ins", 100}, {"nr_e_garantii_doc", 130}, {"nr_e_garantii_ext", 130},
                    {"nr_e_garantii_ext_doc", 130}});
    cxGrid1->setFilterRowVisible(true);
    cxGrid1->setGroupByBoxVisible(true);
    cxGrid1->setEllipsisEditor(QStringLiteral("articol"), [this] {
        cxGrid1DBTableView1articolPropertiesButtonClick();
    });

    Label2 = label(QStringLiteral("Documente garantie"), 8, 326, this);
    Button1 = button(QStringLiteral("Vizualizeaza document"), 175, 319, 138, 21, this);
    cxGrid2 = grid("cxGrid2", this, data->dsEGarantiiDoc,
                   {{"nume_doc", 145}, {"data_doc", 100}, {"extensie_doc", 94},
                    {"continut_doc", 150}, {"obs", 300}, {"data_ins", 130}});
    cxGrid2->setBytesButtonHandler(QStringLiteral("continut_doc"),
                                   [this] { cxGrid2continut_docPropertiesButtonClick(); });

    Label3 = label(QStringLiteral("Extensii garantie"), 8, 482, this, true);
    cxGrid3 = grid("cxGrid3", this, data->dsEGarantiiExt,
                   {{"data_garantie_ext", 135}, {"nr_garantie_ext", 120},
                    {"obs_garantie_ext", 338}, {"data_ins", 130}});

    Label4 = label(QStringLiteral("Documente extensii garantie"), 8, 603, this);
    Button2 = button(QStringLiteral("Vizualizeaza document"), 175, 595, 138, 21, this);
    cxGrid4 = grid("cxGrid4", this, data->dsEGarantiiExtDoc,
                   {{"nume_doc", 145}, {"data_doc", 100}, {"extensie_doc", 100},
                    {"continut_doc", 150}, {"obs", 300}, {"data_ins", 130},
                    {"data_ins_gar_ext", 130}});
    // Set by attaching, from the extension; never typed.
    cxGrid4->dataSetModel()->setColumnLocked(QStringLiteral("data_ins"));
    cxGrid4->setBytesButtonHandler(QStringLiteral("continut_doc"),
                                   [this] { cxGrid4continut_docPropertiesButtonClick(); });

    // Files dropped from the file manager are attached like the cell button does.
    for (GridView *g : {cxGrid2, cxGrid4}) {
        g->setAcceptDrops(true);
        g->installEventFilter(this);
        g->view()->viewport()->setAcceptDrops(true);
        g->view()->viewport()->installEventFilter(this);
    }

    auto click = [this](QPushButton *b, void (TfrmVarnok::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    click(ButtonCauta, &TfrmVarnok::ButtonCautaClick);
    click(Button1, &TfrmVarnok::Button1Click);
    click(Button2, &TfrmVarnok::Button2Click);
    click(Button3, &TfrmVarnok::Button3Click);

    FormCreate();
    layoutAnchored();
}

void TfrmVarnok::FormCreate()
{
    LabelPathSaveFile->clear();
}

void TfrmVarnok::layoutAnchored()
{
    const int dx = width() - designWidth;
    const int dy = height() - designHeight;
    cxGrid1->setGeometry(8, 37, 1168 + dx, 276 + dy);
    Label2->move(8, 326 + dy);
    Button1->move(175, 319 + dy);
    cxGrid2->setGeometry(8, 343 + dy, 1168 + dx, 130);
    Label3->move(8, 482 + dy);
    cxGrid3->setGeometry(8, 497 + dy, 1168 + dx, 93);
    Label4->move(8, 603 + dy);
    Button2->move(175, 595 + dy);
    cxGrid4->setGeometry(8, 620 + dy, 1168 + dx, 94);
}

void TfrmVarnok::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutAnchored();
}

void TfrmVarnok::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(); });
}

void TfrmVarnok::FormShow()
{
    // The purpose list is rebuilt from the database at every showing.
    DataSet *scop = data->dsScopAchizitie;
    scop->open();
    QStringList items;
    const int column = scop->fieldIndex(QStringLiteral("scop_achizitie"));
    for (int r = 0; r < scop->rowCount(); ++r)
        items << scop->value(r, column).toString();
    cxGrid1->setComboEditor(QStringLiteral("scop_achizitie"), items, 8);
    scop->close();
}

void TfrmVarnok::ButtonCautaClick()
{
    for (DataSet *ds : {data->dsEGarantii, data->dsEGarantiiDoc, data->dsEGarantiiExt,
                        data->dsEGarantiiExtDoc}) {
        if (ds->isActive())
            ds->refresh();
        else
            ds->open();
    }
}

void TfrmVarnok::cxGrid1DBTableView1articolPropertiesButtonClick()
{
    DataSet *w = data->dsEGarantii;
    if (!w->isActive())
        throw Error(QStringLiteral("Apasati butonul \"Cauta\""));
    if (frmArticoleCuGarantieZQ->exec() != QDialog::Accepted)
        return;
    const QString articol = frmArticoleCuGarantieZQ->chosenArticol();
    w->edit(); // a dealer's warranty refuses here
    w->setValue(QStringLiteral("articol"), Value(articol));
}

void TfrmVarnok::cxGrid2continut_docPropertiesButtonClick()
{
    attachWarrantyDocument(*data, this);
}

void TfrmVarnok::cxGrid4continut_docPropertiesButtonClick()
{
    attachExtensionDocument(*data, this);
}

void TfrmVarnok::Button1Click()
{
    openDocument(*data->dsEGarantiiDoc, this);
}

void TfrmVarnok::Button2Click()
{
    openDocument(*data->dsEGarantiiExtDoc, this);
}

void TfrmVarnok::Button3Click()
{
    const QString proposed =
        QDir(Desktop::instance().documentsFolder()).filePath(QStringLiteral("ExportGarantii.xlsx"));
    const QString chosen =
        Desktop::instance().saveFileName(this, proposed, QStringLiteral("*.xlsx"));
    if (chosen.isEmpty())
        return;
    const QString written = exportGrid(*cxGrid1, chosen);
    LabelPathSaveFile->setText(written);
    LabelPathSaveFile->adjustSize();
    Desktop::instance().openPath(written);
}

void TfrmVarnok::LabelPathSaveFileClick()
{
    if (!LabelPathSaveFile->text().isEmpty())
        Desktop::instance().openPath(LabelPathSaveFile->text());
}

bool TfrmVarnok::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LabelPathSaveFile && event->type() == QEvent::MouseButtonRelease) {
        guarded([this] { LabelPathSaveFileClick(); });
        return true;
    }
    const bool warrantyDocs = watched == cxGrid2 || watched == cxGrid2->view()->viewport();
    const bool extensionDocs = watched == cxGrid4 || watched == cxGrid4->view()->viewport();
    if (!warrantyDocs && !extensionDocs)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        const auto urls = drag->mimeData()->urls();
        if (urls.size() == 1 && urls.first().isLocalFile()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = drop->mimeData()->urls().value(0).toLocalFile();
        drop->acceptProposedAction();
        guarded([&] {
            if (warrantyDocs)
                attachFile(*data->dsEGarantiiDoc, path); // the dealer protection runs here
            else
                attachExtensionFile(*data, path);
        });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
