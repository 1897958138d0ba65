#include "signin/u_dmCon.h"

#include "grid/stylesheets.h"

TdmCon *dmCon = nullptr;

namespace {
FieldDef text(const char *name, int size, bool required = false)
{
    return FieldDef{QString::fromLatin1(name), FieldKind::Text, size, required, false};
}
FieldDef of(const char *name, FieldKind kind, bool required = false)
{
    return FieldDef{QString::fromLatin1(name), kind, 0, required, false};
}
FieldDef boolean(const char *name, bool required = true)
{
    return of(name, FieldKind::Boolean, required);
}

QList<FieldDef> emitentFields()
{
    return {
        text("emitent", 100, true), text("emitent_corect", 100), boolean("este_emitent"),
        boolean("este_operator"), boolean("este_comisionar"), boolean("este_sofer"),
        text("operator_parola", 256), text("cod_casier_pos", 10), text("banca_eu_default", 100),
        text("cont_banca_eu_default", 28), text("casa", 50), text("moneda", 3),
        text("magazie_sursa_default", 5), text("magazie_dest_default", 5), text("functie", 30),
        text("eu_punct_lucru", 50, true), text("com_int", 25), text("loc", 25),
        text("nr_obiect", 20), text("ci_nume", 30), text("ci_serie", 3), text("ci_nr", 25),
        of("ci_data_elib", FieldKind::Date), text("ci_elib", 25), text("cnp", 25),
        text("transport_mijloc", 25), text("transport_nr", 25), boolean("da_nu_schimbare_pl"),
        boolean("da_nu_adaugare_partener"), boolean("da_nu_adaugare_articol"),
        boolean("da_nu_acces_la_politica_pret"), boolean("da_nu_modif_data_listare"),
        boolean("da_nu_acces_limita_creditare"), boolean("prez_of_stoc_fact_cl"),
        boolean("prez_of_stoc_av_exp"), boolean("prez_of_stoc_bte"), boolean("prez_of_stoc_bc"),
        boolean("pret_fact_cl_cu_tva"), boolean("da_nu_fact_pe_calc"),
        boolean("da_nu_modif_nr_fact_pe_calc"), boolean("da_nu_fact_autocopy"),
        boolean("da_nu_aviz_autocopy"), boolean("da_nu_modif_data_livrare"),
        of("nr_zile_prezentare_doc", FieldKind::Integer), of("data_ins", FieldKind::Date, true),
        boolean("da_nu_fact_ci_rosu", false), text("em_email_adr", 50), text("tel_fix", 30),
        text("tel_mobil", 30), of("proc_comisionar", FieldKind::Float),
        text("em_outgoing_email_server", 50), of("em_outgoing_email_port", FieldKind::Integer),
        boolean("em_outgoing_email_secure"), text("em_outgoing_email_user", 50),
        text("em_outgoing_email_psw", 50), boolean("em_outlook"), text("lang", 15),
        text("rol_web", 25), text("rol_win", 25), text("web_theme", 25), boolean("discontinued"),
        of("data_export", FieldKind::Timestamp), of("data_import", FieldKind::Timestamp),
        boolean("vede_pret_stoc", false), boolean("da_nu_generare_op"),
    };
}

DataSet *query(QObject *owner, Connection *con, const char *name, const char *sql,
               const QList<FieldDef> &fields)
{
    auto *ds = new DataSet(con, QString::fromLatin1(sql), owner);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setFields(fields);
    ds->setReadOnly(true);
    return ds;
}
} // namespace

TdmCon::TdmCon(QObject *parent)
    : QObject(parent),
      conQel(new Connection(QStringLiteral("varnok_company"), true, this)),
      conQelMob(new Connection(QStringLiteral("varnok_directory"), false, this)),
      GridTableViewStyleSheetDevExpress(devExpressStyleSheet())
{
    setObjectName(QStringLiteral("dmCon"));
    // The server comes from the service file until sign-in sets it.
    conQel->setPort(5432);
    conQel->setDatabase(QStringLiteral("qel1"));

    dsEmitent = query(this, conQel, "dsEmitent",
                      "select * from emitent where emitent = :pEmitent and operator_parola = :pP ;",
                      emitentFields());
    dsAplicatieMob = query(this, conQel, "dsAplicatieMob",
                           "select * from aplicatie_mob where lower(aplicatie_mob) = "
                           "lower(:pAplicatieMob) and activ ;",
                           {text("aplicatie_mob", 100, true), boolean("activ"),
                            of("obs", FieldKind::Memo)});
    dsAplicatieMobEmitent = query(this, conQel, "dsAplicatieMobEmitent",
                                  "select * from aplicatie_mob_emitent where emitent = :pEmitent "
                                  "and lower(aplicatie_mob) = lower(:pAplicatieMob) ;",
                                  {text("aplicatie_mob", 100, true), text("emitent", 100, true),
                                   of("rol", FieldKind::Memo)});
}
