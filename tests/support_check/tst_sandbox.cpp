// The test bed itself: the two servers, their TLS setup, the per-suite
// databases, the demo data the demo signs in with, and the statement log.

#include "support/sandbox.h"

#include <QtTest>

#include <libpq-fe.h>

#include <memory>

namespace {

// Connects as qel with the given sslmode; returns "" on success (with
// *ssl telling whether TLS is in use) or libpq's error text.
QString tryConnect(const sandbox::Server &server, const QString &db, const QString &sslmode,
                   bool *ssl = nullptr, const QString &rootCert = {})
{
    const QByteArray port = QByteArray::number(server.port);
    const QByteArray dbname = db.toUtf8(), mode = sslmode.toUtf8(), root = rootCert.toUtf8();
    const QByteArray password = sandbox::rolePassword().toUtf8();
    const QByteArray host = rootCert.isEmpty() ? server.host.toUtf8() : QByteArray("localhost");
    const char *keys[] = {"host", "port", "dbname", "user", "password", "sslmode",
                          rootCert.isEmpty() ? nullptr : "sslrootcert", nullptr};
    const char *values[] = {host.constData(), port.constData(), dbname.constData(), "qel",
                            password.constData(), mode.constData(), root.constData(), nullptr};
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdbParams(keys, values, 0), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK)
        return QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
    if (ssl)
        *ssl = PQsslInUse(conn.get());
    return {};
}

QStringList columnsOf(const QString &db, const QString &table)
{
    QStringList names;
    const auto r = sandbox::rows(sandbox::company(), db,
        QString("select column_name || ' ' || data_type from information_schema.columns "
                "where table_name = '%1' order by ordinal_position").arg(table));
    for (const QStringList &row : r)
        names << row[0];
    return names;
}

} // namespace

class tst_Sandbox : public QObject {
    Q_OBJECT

    QString m_db;

private slots:
    void initTestCase()
    {
        m_db = sandbox::createCompanyDb("support_check");
    }

    void theDemoCompanyIsListedInTheDirectoryOnTheCompanyServer()
    {
        const auto r = sandbox::rows(sandbox::directory(), "qel_mob",
                                     "select ip, port, db_name, activ from m_firma where nume_firma = 'Demo'");
        QCOMPARE(r, (QList<QStringList>{{"127.0.0.1", QString::number(sandbox::company().port), "qel1", "t"}}));
    }

    void onlyTheCompanyServerOffersTls_data()
    {
        QTest::addColumn<bool>("company");
        QTest::addColumn<QString>("sslmode");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<bool>("encrypted");
        QTest::newRow("company, require") << true << "require" << true << true;
        QTest::newRow("company, disable") << true << "disable" << true << false;
        QTest::newRow("directory, require") << false << "require" << false << false;
        QTest::newRow("directory, disable") << false << "disable" << true << false;
    }

    void onlyTheCompanyServerOffersTls()
    {
        QFETCH(bool, company);
        QFETCH(QString, sslmode);
        QFETCH(bool, connects);
        QFETCH(bool, encrypted);
        const auto server = company ? sandbox::company() : sandbox::directory();
        bool ssl = false;
        const QString error = tryConnect(server, company ? "qel1" : "qel_mob", sslmode, &ssl);
        QVERIFY2(error.isEmpty() == connects, qPrintable(error));
        if (connects)
            QCOMPARE(ssl, encrypted);
        else
            QVERIFY2(error.contains("does not support SSL"), qPrintable(error));
    }

    void theCompanyCertificateVerifiesAgainstItsOwnRoot()
    {
        bool ssl = false;
        const QString error = tryConnect(sandbox::company(), "qel1", "verify-full", &ssl,
                                         sandbox::folder() + "/company-root.crt");
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(ssl);
    }

    void aWrongPasswordIsRefused()
    {
        const QByteArray port = QByteArray::number(sandbox::company().port);
        const char *keys[] = {"host", "port", "dbname", "user", "password", "sslmode", nullptr};
        const char *values[] = {"127.0.0.1", port.constData(), "qel1", "qel", "not-the-password", "disable", nullptr};
        std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdbParams(keys, values, 0), &PQfinish);
        QCOMPARE(PQstatus(conn.get()), CONNECTION_BAD);
        QVERIFY(QString(PQerrorMessage(conn.get())).contains("password authentication failed"));
    }

    void aFreshCompanyDbHasTheSchemaAndNoRows()
    {
        QCOMPARE(sandbox::rows(sandbox::company(), m_db, "select count(*) from e_garantii")[0][0], "0");
        QCOMPARE(sandbox::rows(sandbox::company(), m_db, "select count(*) from emitent")[0][0], "0");
        QCOMPARE(columnsOf(m_db, "emitent").size(), 65);
        QCOMPARE(columnsOf(m_db, "view_unitati_facturate"),
                 (QStringList{"data_doc date", "tip_doc character varying", "nr_doc character varying",
                              "partener character varying", "scv integer", "articol character varying",
                              "cant double precision", "sum_cant double precision",
                              "producator character varying", "grupa_articol character varying",
                              "este_dealer boolean"}));
        QCOMPARE(columnsOf(m_db, "e_garantii_ext_doc"),
                 (QStringList{"articol character varying", "data_ins timestamp without time zone",
                              "data_ins_gar_ext timestamp without time zone", "nume_doc text",
                              "data_doc date", "extensie_doc character varying", "continut_doc bytea",
                              "obs text"}));
    }

    void recreatingADbDropsWhatWasInIt()
    {
        const QString db = sandbox::createCompanyDb("support_check_again");
        sandbox::exec(sandbox::company(), db, "insert into e_scop_achizitie values ('x'); insert into e_scop_achizitie values ('y')");
        QCOMPARE(sandbox::createCompanyDb("support_check_again"), db);
        QCOMPARE(sandbox::rows(sandbox::company(), db, "select count(*) from e_scop_achizitie")[0][0], "0");
        const QString dir = sandbox::createDirectoryDb("support_check");
        QCOMPARE(sandbox::rows(sandbox::directory(), dir, "select count(*) from m_firma")[0][0], "0");
    }

    void rowsTellNullFromEmptyAndErrorsCarryTheServerMessage()
    {
        const auto r = sandbox::rows(sandbox::company(), m_db, "select '', null::text, 'ă'");
        QVERIFY(!r[0][0].isNull());
        QVERIFY(r[0][0].isEmpty());
        QVERIFY(r[0][1].isNull());
        QCOMPARE(r[0][2], QString::fromUtf8("ă"));
        try {
            sandbox::exec(sandbox::company(), m_db, "select 1; select * from no_such_table");
            QFAIL("no error");
        } catch (const std::runtime_error &e) {
            QCOMPARE(QString(e.what()), "relation \"no_such_table\" does not exist");
        }
    }

    // The sign-in and the register rely on these facts of the demo data.
    void theDemoDataHolds_data()
    {
        QTest::addColumn<QString>("check");
        QTest::newRow("demo signs in with demo")
            << "select count(*) = 1 from emitent where emitent = 'demo' and operator_parola = 'demo'";
        QTest::newRow("Varnok is registered, active and granted to demo")
            << "select count(*) = 1 from aplicatie_mob a join aplicatie_mob_emitent g using (aplicatie_mob) "
               "where lower(a.aplicatie_mob) = 'varnok' and a.activ and g.emitent = 'demo'";
        QTest::newRow("a few hundred warranties")
            << "select count(*) between 300 and 400 from e_garantii";
        QTest::newRow("dealer warranties exist")
            << "select count(*) > 5 from e_garantii g join view_unitati_facturate v using (articol) where v.este_dealer";
        QTest::newRow("some warranties have no articol row")
            << "select count(*) > 0 from e_garantii g where not exists (select from articol a where a.articol = g.articol)";
        QTest::newRow("the picker has candidates from 2021 on")
            << "select count(*) > 50 from view_unitati_facturate v left join e_garantii g using (articol) "
               "where not v.este_dealer and g.articol is null and v.data_doc >= date '2021-01-01'";
        QTest::newRow("invoices before 2021 exist")
            << "select count(*) > 0 from view_unitati_facturate where data_doc < date '2021-01-01'";
        QTest::newRow("insertion times carry microseconds")
            << "select count(*) > 0 from e_garantii where extract(microseconds from data_ins)::bigint % 1000 <> 0";
        QTest::newRow("every extension document belongs to an extension")
            << "select count(*) > 0 and bool_and(exists (select from e_garantii_ext x where x.articol = d.articol "
               "and x.data_ins = d.data_ins)) from e_garantii_ext_doc d";
        QTest::newRow("documents have content and an extension without dot")
            << "select count(*) > 0 and bool_and(length(continut_doc) > 0 and extensie_doc !~ '\\.') from e_garantii_doc";
        QTest::newRow("eight purposes of purchase")
            << "select count(*) = 8 from e_scop_achizitie";
    }

    void theDemoDataHolds()
    {
        QFETCH(QString, check);
        QCOMPARE(sandbox::rows(sandbox::company(), "qel1", check)[0][0], "t");
    }

    void theStatementLogSeesThisDatabasesStatementsWithTheirParameters()
    {
        const QString other = sandbox::createCompanyDb("support_check_other");
        sandbox::StatementLog log(m_db);
        sandbox::exec(sandbox::company(), other, "select 'elsewhere'");
        sandbox::exec(sandbox::company(), m_db, "select 4242 as marker,\n 'two lines'");

        const QByteArray port = QByteArray::number(sandbox::company().port);
        const QByteArray db = m_db.toUtf8(), password = sandbox::rolePassword().toUtf8();
        const char *keys[] = {"host", "port", "dbname", "user", "password", "sslmode", nullptr};
        const char *values[] = {"127.0.0.1", port.constData(), db.constData(), "qel", password.constData(), "disable", nullptr};
        std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdbParams(keys, values, 0), &PQfinish);
        QCOMPARE(PQstatus(conn.get()), CONNECTION_OK);
        const char *params[] = {"Cluj-Napoca"};
        PQclear(PQexecParams(conn.get(), "select $1::text", 1, nullptr, params, nullptr, nullptr, 0));

        QCOMPARE(log.statements(),
                 (QStringList{"select 4242 as marker,\n 'two lines'",
                              "select $1::text\nparameters: $1 = 'Cluj-Napoca'"}));
    }
};

QTEST_GUILESS_MAIN(tst_Sandbox)
#include "tst_sandbox.moc"
