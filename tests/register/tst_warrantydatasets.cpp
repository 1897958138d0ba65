#include "data/connection.h"
#include "data/error.h"
#include "register/warrantydatasets.h"
#include "support/errortext.h"
#include "support/sandbox.h"

#include <QTest>

// The register's data sets against the company schema: dealer protection,
// re-reads after posts, joined columns and the extension-document link.
class WarrantyDataSetsTest : public QObject
{
    Q_OBJECT
    QString m_db;
    std::unique_ptr<Connection> m_con;
    std::unique_ptr<WarrantyDataSets> m_ds;

    QList<QStringList> rows(const QString &sql) { return sandbox::rows(sandbox::company(), m_db, sql); }
    void exec(const QString &sql) { sandbox::exec(sandbox::company(), m_db, sql); }
    void openAll()
    {
        for (DataSet *ds : {m_ds->dsEGarantii, m_ds->dsEGarantiiDoc, m_ds->dsEGarantiiExt,
                            m_ds->dsEGarantiiExtDoc})
            ds->isActive() ? ds->refresh() : ds->open();
    }
    void goTo(const QString &articol)
    {
        DataSet *w = m_ds->dsEGarantii;
        for (int r = 0; r < w->rowCount(); ++r)
            if (w->value(r, w->fieldIndex("articol")).toString() == articol) {
                w->moveTo(r);
                return;
            }
        QFAIL(qPrintable("no warranty " + articol));
    }

private slots:
    void initTestCase()
    {
        m_db = sandbox::createCompanyDb("warranties");
        m_con = std::make_unique<Connection>("varnok_company", true);
        m_con->setDatabase(m_db);
    }

    void init()
    {
        exec("truncate e_garantii, e_garantii_doc, e_garantii_ext, e_garantii_ext_doc, "
             "factura_linie, articol, partener cascade;"
             "insert into partener values ('Client SRL', false), ('Dealer SRL', true);"
             "insert into articol (articol, producator) values ('U1', 'Husqvarna'), "
             "('U2', 'Stihl'), ('U3', 'Bosch'), ('U4', 'Makita');"
             "insert into factura_linie (data_doc, tip_doc, nr_doc, partener, articol) values "
             "('2024-01-10', 'FACT', '100', 'Client SRL', 'U1'),"
             "('2024-01-11', 'FACT', '101', 'Dealer SRL', 'U2');"
             "insert into e_garantii (articol, data_garantie, nr_garantie, client_localitate) values "
             "('U1', '2024-02-01', 'G-1', 'Cluj'), ('U2', '2024-02-02', 'G-2', 'Iasi'),"
             "('U3', '2024-02-03', 'G-3', 'Arad');"
             "insert into e_garantii_doc (articol, data_ins, nume_doc) values "
             "('U1', '2024-03-01 10:00:00.000001', 'factura'), ('U2', '2024-03-01 10:00:00', 'dealer');"
             "insert into e_garantii_ext (articol, data_ins, nr_garantie_ext) values "
             "('U1', '2024-04-01 09:00:00.654321', 'E-1'), ('U2', '2024-04-02 09:00:00', 'E-2');"
             "insert into e_garantii_ext_doc (articol, data_ins, nume_doc) values "
             "('U1', '2024-04-01 09:00:00.654321', 'ext doc');");
        m_ds = std::make_unique<WarrantyDataSets>(m_con.get());
        openAll();
    }

    void theListCarriesJoinedColumnsAndCounts()
    {
        DataSet *w = m_ds->dsEGarantii;
        QCOMPARE(w->rowCount(), 3);
        goTo("U1");
        QCOMPARE(w->value("partener"), Value("Client SRL"));
        QCOMPARE(w->value("producator"), Value("Husqvarna"));
        QCOMPARE(w->value("nr_e_garantii_doc"), Value(qint64(1)));
        QCOMPARE(w->value("nr_e_garantii_ext_doc"), Value(qint64(1)));
        goTo("U3");
        QVERIFY(w->value("este_dealer").isNull());
        QVERIFY(w->value("nr_e_garantii_doc").isNull()); // null, not 0
    }

    void aNewWarrantyNeedsItsArticleAndShowsJoinsOnlyAfterReRead()
    {
        DataSet *w = m_ds->dsEGarantii;
        w->append();
        w->setValue("nr_garantie", Value("G-4"));
        QCOMPARE(messageOf([&] { w->post(); }), QString("Field 'articol' must have a value"));
        QCOMPARE(w->state(), DataSet::State::Insert);
        w->setValue("articol", Value("U4"));
        w->post();
        QVERIFY(w->value("producator").isNull());
        QVERIFY(w->value("data_ins").isNull());
        QCOMPARE(rows("select nr_garantie, data_ins is not null from e_garantii where articol = 'U4'"),
                 (QList<QStringList>{{"G-4", "t"}}));
        w->refresh();
        QCOMPARE(w->value("articol"), Value("U4"));
        QCOMPARE(w->value("producator"), Value("Makita"));
    }

    void dealerWarrantiesAndTheirDocumentsAreProtected_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("edit warranty") << "w" << "edit"
                                       << "Garantie adaugata de dealer, nu se poate modifica.";
        QTest::newRow("delete warranty") << "w" << "delete"
                                         << "Garantie adaugata de dealer, nu se poate sterge.";
        QTest::newRow("edit document") << "doc" << "edit"
                                       << "Garantie adaugata de dealer, nu se poate modifica.";
        QTest::newRow("add document") << "doc" << "insert"
                                      << "Garantie adaugata de dealer, nu puteti adauga documente.";
        QTest::newRow("delete document") << "doc" << "delete"
                                         << "Garantie adaugata de dealer, nu se poate sterge.";
        QTest::newRow("extension is free") << "ext" << "edit" << "";
        QTest::newRow("extension document is free") << "extdoc" << "insert" << "";
    }
    void dealerWarrantiesAndTheirDocumentsAreProtected()
    {
        QFETCH(QString, set);
        QFETCH(QString, action);
        QFETCH(QString, message);
        goTo("U2");
        DataSet *ds = set == "w" ? m_ds->dsEGarantii
            : set == "doc"       ? m_ds->dsEGarantiiDoc
            : set == "ext"       ? m_ds->dsEGarantiiExt
                                 : m_ds->dsEGarantiiExtDoc;
        const int before = ds->rowCount();
        const QString got = messageOf([&] {
            if (action == "edit")
                ds->edit();
            else if (action == "insert")
                ds->append();
            else
                ds->remove();
        });
        QCOMPARE(got, message);
        if (!message.isEmpty()) {
            QCOMPARE(ds->state(), DataSet::State::Browse);
            QCOMPARE(ds->rowCount(), before);
        } else {
            QVERIFY(ds->isEditing());
            ds->cancel();
        }
        QCOMPARE(rows("select count(*) from e_garantii_doc where articol = 'U2'")[0][0], QString("1"));
    }

    void editingAnEmptyDocumentListOfADealerIsAnInsert()
    {
        exec("delete from e_garantii_doc where articol = 'U2'");
        openAll();
        goTo("U2");
        QCOMPARE(messageOf([&] { m_ds->dsEGarantiiDoc->edit(); }),
                 QString("Garantie adaugata de dealer, nu puteti adauga documente."));
    }

    void aPostedDocumentReturnsAtTheTopWithItsDatabaseTime()
    {
        goTo("U1");
        DataSet *doc = m_ds->dsEGarantiiDoc;
        doc->edit(); // not empty: an edit; so add explicitly
        doc->cancel();
        doc->insert();
        QCOMPARE(doc->value("articol"), Value("U1"));
        doc->setValue("nume_doc", Value("garantie scanata"));
        doc->setValue("continut_doc", Value(QByteArray("%PDF-1.4")));
        doc->post();
        QCOMPARE(doc->rowCount(), 2);
        QCOMPARE(doc->currentRow(), 0);
        QCOMPARE(doc->value("nume_doc"), Value("garantie scanata"));
        QVERIFY(!doc->value("data_ins").isNull());
        QCOMPARE(doc->value("continut_doc"), Value(QByteArray("%PDF-1.4")));
    }

    void changingTheArticleMovesTheDetailListsBeforeThePost()
    {
        goTo("U3");
        QCOMPARE(m_ds->dsEGarantiiDoc->rowCount(), 0);
        DataSet *w = m_ds->dsEGarantii;
        w->edit();
        w->setValue("articol", Value("U1"));
        QCOMPARE(m_ds->dsEGarantiiDoc->rowCount(), 1);
        QCOMPARE(m_ds->dsEGarantiiExt->rowCount(), 1);
        QCOMPARE(m_ds->dsEGarantiiExtDoc->rowCount(), 1);
        w->cancel();
        QCOMPARE(m_ds->dsEGarantiiDoc->rowCount(), 0);
    }

    void editingOneMemoColumnSendsOnlyThatColumn()
    {
        goTo("U1");
        sandbox::StatementLog log(m_db);
        DataSet *w = m_ds->dsEGarantii;
        w->edit();
        w->post();
        w->edit();
        w->setValue("client_localitate", Value("Cluj-Napoca"));
        w->post();
        QStringList updates;
        for (const QString &s : log.statements())
            if (s.contains("update e_garantii"))
                updates << s;
        QCOMPARE(updates.size(), 1);
        QVERIFY2(updates[0].contains("update e_garantii set \"client_localitate\" = $1 where \"articol\" = $2"),
                 qPrintable(updates[0]));
    }

    void extensionDocumentsFollowTheExtensionToTheMicrosecond()
    {
        goTo("U1");
        DataSet *ext = m_ds->dsEGarantiiExt;
        DataSet *extDoc = m_ds->dsEGarantiiExtDoc;
        QCOMPARE(ext->value("data_ins").toString(), QString("2024-04-01 09:00:00.654321"));
        QCOMPARE(extDoc->rowCount(), 1);
        extDoc->append();
        QCOMPARE(extDoc->value("data_ins"), ext->value("data_ins"));
        extDoc->setValue("nume_doc", Value("anexa"));
        extDoc->post();
        QCOMPARE(extDoc->rowCount(), 2);
        QCOMPARE(rows("select count(*) from e_garantii_ext_doc where data_ins = "
                      "'2024-04-01 09:00:00.654321'")[0][0],
                 QString("2"));
        // A new extension gets its time from the server and its documents follow it.
        ext->append();
        ext->setValue("nr_garantie_ext", Value("E-9"));
        ext->post();
        QCOMPARE(ext->value("nr_garantie_ext"), Value("E-9")); // newest first, back on it
        QCOMPARE(extDoc->rowCount(), 0);
    }

    void thePurposeListIsReadOnlyAndOrdered()
    {
        exec("insert into e_scop_achizitie values ('Uz profesional'), ('Revanzare')");
        DataSet *scop = m_ds->dsScopAchizitie;
        scop->open();
        QCOMPARE(scop->rowCount(), 2);
        QCOMPARE(scop->value("scop_achizitie"), Value("Revanzare"));
        QVERIFY(!messageOf([&] { scop->edit(); }).isEmpty());
        scop->close();
        exec("delete from e_scop_achizitie");
    }
};

QTEST_GUILESS_MAIN(WarrantyDataSetsTest)
#include "tst_warrantydatasets.moc"
