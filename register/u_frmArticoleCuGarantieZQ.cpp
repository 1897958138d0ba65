#include "register/u_frmArticoleCuGarantieZQ.h"

#include "data/dataset.h"
#include "desktop/desktop.h"
#include "grid/gridview.h"
#include "signin/u_dmCon.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmArticoleCuGarantieZQ *frmArticoleCuGarantieZQ = nullptr;

namespace {
FieldDef column(const char *name, FieldKind kind, int size = 0)
{
    return FieldDef{QString::fromLatin1(name), kind, size, false, true};
}
} // namespace

TfrmArticoleCuGarantieZQ::TfrmArticoleCuGarantieZQ(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmArticoleCuGarantieZQ"));
    setWindowTitle(QStringLiteral("frmArticoleCuGarantieZQ"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    resize(1088, 584);

    Label1 = new QLabel(QStringLiteral("Articole cu garantie"), this);
    QFont title(QStringLiteral("Segoe UI"), 12);
    title.setBold(true);
    Label1->setFont(title);
    Label1->setStyleSheet(QStringLiteral("color: maroon;"));
    Label1->move(8, 8);
    Label1->adjustSize();

    Label2 = new QLabel(QStringLiteral("Articole cu garantie facturate catre parteneri non-dealeri"), this);
    QFont small(QStringLiteral("Segoe UI"));
    small.setPixelSize(13);
    Label2->setFont(small);
    Label2->move(8, 35);
    Label2->adjustSize();

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setGeometry(360, 27, 75, 25);
    ButtonOK->setAutoDefault(false);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);

    dsArtCuGarantieZQ = new DataSet(
        dmCon->conQel,
        QStringLiteral(
            "select view_unitati_facturate.* from view_unitati_facturate left outer join "
            "e_garantii on view_unitati_facturate.articol = e_garantii.articol where not "
            "este_dealer and e_garantii.articol is null and view_unitati_facturate.data_doc >= "
            "'01.01.2021' order by view_unitati_facturate.data_doc desc, "
            "view_unitati_facturate.tip_doc, view_unitati_facturate.nr_doc desc ;"),
        this);
    dsArtCuGarantieZQ->setObjectName(QStringLiteral("dsArtCuGarantieZQ"));
    dsArtCuGarantieZQ->setReadOnly(true);
    dsArtCuGarantieZQ->setFields({
        column("data_doc", FieldKind::Date), column("tip_doc", FieldKind::Text, 7),
        column("nr_doc", FieldKind::Text, 15), column("partener", FieldKind::Text, 100),
        column("scv", FieldKind::Integer), column("articol", FieldKind::Text, 200),
        column("cant", FieldKind::Float), column("sum_cant", FieldKind::Float),
        column("producator", FieldKind::Text, 100), column("grupa_articol", FieldKind::Text, 30),
        column("este_dealer", FieldKind::Boolean),
    });

    cxGrid1 = new GridView(this);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    cxGrid1->setStyleSheetData(&dmCon->GridTableViewStyleSheetDevExpress);
    cxGrid1->setFilterRowVisible(true);
    cxGrid1->setGroupByBoxVisible(true);
    cxGrid1->setPositionPanelVisible(false);
    cxGrid1->setDataSet(dsArtCuGarantieZQ);
    const QList<QPair<const char *, int>> shown = {
        {"data_doc", 77}, {"tip_doc", 66}, {"nr_doc", 100}, {"partener", 219},
        {"articol", 337}, {"cant", 50}, {"producator", 100}, {"grupa_articol", 88}};
    QStringList names;
    for (const auto &[name, width] : shown) {
        names << QString::fromLatin1(name);
        cxGrid1->setColumnWidth(QString::fromLatin1(name), width);
    }
    cxGrid1->setVisibleColumns(names);

    // The grid keeps its place at (8, 58) and grows with the window.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 58, 8, 8);
    layout->addWidget(cxGrid1);
}

void TfrmArticoleCuGarantieZQ::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Not when the desktop merely restores the window.
    if (!event->spontaneous())
        guarded([this] { FormShow(); });
}

void TfrmArticoleCuGarantieZQ::FormShow()
{
    // Re-read at every showing: units registered since then drop out.
    if (dsArtCuGarantieZQ->isActive())
        dsArtCuGarantieZQ->refresh();
    else
        dsArtCuGarantieZQ->open();
}

QString TfrmArticoleCuGarantieZQ::chosenArticol() const
{
    return dsArtCuGarantieZQ->value(QStringLiteral("articol")).toString();
}
