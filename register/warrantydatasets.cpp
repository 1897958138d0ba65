#include "register/warrantydatasets.h"

#include "data/error.h"

namespace {
FieldDef field(const char *name, FieldKind kind, int size = 0, bool required = false,
               bool readOnly = false)
{
    return FieldDef{QString::fromLatin1(name), kind, size, required, readOnly};
}

QList<FieldDef> warrantyFields()
{
    using K = FieldKind;
    return {
        field("articol", K::Text, 200, true), field("data_garantie", K::Date),
        field("nr_garantie", K::Memo), field("client_data_fact", K::Date),
        field("client_nr_fact", K::Memo), field("client_data_livrare", K::Date),
        field("client_proprietar", K::Memo), field("este_pers_juridica", K::Boolean),
        field("client_utilizator", K::Memo), field("client_strada_nr", K::Memo),
        field("client_localitate", K::Memo), field("client_judet", K::Memo),
        field("client_tara", K::Memo), field("client_cod_postal", K::Memo),
        field("client_telefon", K::Memo), field("client_email", K::Memo),
        field("scop_achizitie", K::Text, 200), field("obs_garantie", K::Memo),
        field("dealer_nou", K::Memo), field("data_fact_pt_dealer_nou", K::Date),
        field("nr_fact_pt_dealer_nou", K::Memo), field("data_ins", K::Timestamp),
        // Joined and counted: shown, never written.
        field("partener", K::Text, 100, false, true), field("este_dealer", K::Boolean, 0, false, true),
        field("producator", K::Text, 100, false, true),
        field("nr_e_garantii_doc", K::BigInt, 0, false, true),
        field("nr_e_garantii_ext", K::BigInt, 0, false, true),
        field("nr_e_garantii_ext_doc", K::BigInt, 0, false, true),
    };
}

DataSet *dataSet(QObject *owner, Connection *connection, const char *name, const char *sql,
                 const QList<FieldDef> &fields)
{
    auto *ds = new DataSet(connection, QString::fromLatin1(sql), owner);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setFields(fields);
    return ds;
}
} // namespace

WarrantyDataSets::WarrantyDataSets(Connection *connection, QObject *parent) : QObject(parent)
{
    using K = FieldKind;
    dsEGarantii = dataSet(
        this, connection, "dsEGarantii",
        "select e_garantii.*, view_unitati_facturate.partener, view_unitati_facturate.este_dealer, "
        "articol.producator, e_garantii_doc.nr_e_garantii_doc, e_garantii_ext.nr_e_garantii_ext, "
        "e_garantii_ext_doc.nr_e_garantii_ext_doc from e_garantii left outer join "
        "view_unitati_facturate on e_garantii.articol = view_unitati_facturate.articol inner join "
        "articol on e_garantii.articol = articol.articol left outer join (select count(*) as "
        "nr_e_garantii_doc, articol from e_garantii_doc group by articol ) as e_garantii_doc on "
        "e_garantii.articol = e_garantii_doc.articol left outer join (select count(*) as "
        "nr_e_garantii_ext, articol from e_garantii_ext group by articol ) as e_garantii_ext on "
        "e_garantii.articol = e_garantii_ext.articol left outer join (select count(*) as "
        "nr_e_garantii_ext_doc, articol from e_garantii_ext_doc group by articol ) as "
        "e_garantii_ext_doc on e_garantii.articol = e_garantii_ext_doc.articol order by "
        "data_garantie, nr_garantie, client_data_fact, client_nr_fact, data_ins ;",
        warrantyFields());

    dsEGarantiiDoc = dataSet(
        this, connection, "dsEGarantiiDoc",
        "select * from e_garantii_doc where articol = :articol order by data_ins desc ;",
        {field("articol", K::Text, 200, true), field("data_ins", K::Timestamp, 0, false, true),
         field("nume_doc", K::Memo, 0, true), field("data_doc", K::Date),
         field("extensie_doc", K::Text, 10), field("continut_doc", K::Bytes),
         field("obs", K::Memo)});
    dsEGarantiiDoc->setMaster(dsEGarantii);

    dsEGarantiiExt = dataSet(
        this, connection, "dsEGarantiiExt",
        "select * from e_garantii_ext where articol = :articol order by data_ins desc ;",
        {field("articol", K::Text, 200, true), field("data_ins", K::Timestamp, 0, false, true),
         field("data_garantie_ext", K::Date), field("nr_garantie_ext", K::Memo),
         field("obs_garantie_ext", K::Memo)});
    dsEGarantiiExt->setMaster(dsEGarantii);

    dsEGarantiiExtDoc = dataSet(
        this, connection, "dsEGarantiiExtDoc",
        "select * from e_garantii_ext_doc where articol = :articol and data_ins = :data_ins "
        "order by data_ins desc ;",
        {field("articol", K::Text, 200, true), field("data_ins", K::Timestamp),
         field("data_ins_gar_ext", K::Timestamp, 0, false, true), field("nume_doc", K::Memo),
         field("data_doc", K::Date), field("extensie_doc", K::Text, 10),
         field("continut_doc", K::Bytes), field("obs", K::Memo)});
    dsEGarantiiExtDoc->setMaster(dsEGarantiiExt);

    dsScopAchizitie = dataSet(this, connection, "dsScopAchizitie",
                              "select * from e_scop_achizitie order by scop_achizitie ;",
                              {field("scop_achizitie", K::Text, 200, true)});
    dsScopAchizitie->setReadOnly(true);

    dsEGarantii->beforeEdit = [this] { dsEGarantiiBeforeEdit(); };
    dsEGarantii->beforeDelete = [this] { dsEGarantiiBeforeDelete(); };
    dsEGarantiiDoc->beforeEdit = [this] { dsEGarantiiDocBeforeEdit(); };
    dsEGarantiiDoc->beforeInsert = [this] { dsEGarantiiDocBeforeInsert(); };
    dsEGarantiiDoc->beforeDelete = [this] { dsEGarantiiDocBeforeDelete(); };
    dsEGarantiiDoc->afterPost = [this] { dsEGarantiiDocAfterPost(); };
    dsEGarantiiExt->afterPost = [this] { dsEGarantiiExtAfterPost(); };
    dsEGarantiiExtDoc->afterPost = [this] { dsEGarantiiExtDocAfterPost(); };
}

bool WarrantyDataSets::currentIsDealerWarranty() const
{
    // A null este_dealer counts as false.
    return dsEGarantii->isActive() && dsEGarantii->currentRow() >= 0
        && dsEGarantii->value(QStringLiteral("este_dealer")).toBool();
}

void WarrantyDataSets::dsEGarantiiBeforeEdit()
{
    if (currentIsDealerWarranty())
        throw Error(QStringLiteral("Garantie adaugata de dealer, nu se poate modifica."));
}

void WarrantyDataSets::dsEGarantiiBeforeDelete()
{
    if (currentIsDealerWarranty())
        throw Error(QStringLiteral("Garantie adaugata de dealer, nu se poate sterge."));
}

void WarrantyDataSets::dsEGarantiiDocBeforeEdit()
{
    if (currentIsDealerWarranty())
        throw Error(QStringLiteral("Garantie adaugata de dealer, nu se poate modifica."));
}

void WarrantyDataSets::dsEGarantiiDocBeforeInsert()
{
    if (currentIsDealerWarranty())
        throw Error(QStringLiteral("Garantie adaugata de dealer, nu puteti adauga documente."));
}

void WarrantyDataSets::dsEGarantiiDocBeforeDelete()
{
    if (currentIsDealerWarranty())
        throw Error(QStringLiteral("Garantie adaugata de dealer, nu se poate sterge."));
}

void WarrantyDataSets::dsEGarantiiDocAfterPost()
{
    dsEGarantiiDoc->refresh();
}

void WarrantyDataSets::dsEGarantiiExtAfterPost()
{
    dsEGarantiiExt->refresh();
}

void WarrantyDataSets::dsEGarantiiExtDocAfterPost()
{
    dsEGarantiiExtDoc->refresh();
}
