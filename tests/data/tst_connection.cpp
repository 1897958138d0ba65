#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "support/sandbox.h"

#include <QTemporaryDir>
#include <QTest>

// The connection against the sandbox servers: lazy opening, TLS, errors,
// re-pointing and surviving a dropped backend.
class ConnectionTest : public QObject
{
    Q_OBJECT
    QString m_db;

    std::unique_ptr<Connection> company()
    {
        auto con = std::make_unique<Connection>("varnok_company", true);
        con->setDatabase(m_db);
        return con;
    }

private slots:
    void initTestCase()
    {
        m_db = sandbox::createCompanyDb("connection");
        sandbox::exec(sandbox::company(), m_db,
                      "create table narrow (a integer primary key); insert into narrow values (1);");
    }

    void opensWithTheFirstQueryAndStaysOpen()
    {
        auto con = company();
        DataSet ds(con.get(), "select a from narrow");
        QVERIFY(!con->isOpen());
        ds.open();
        QVERIFY(con->isOpen());
        QVERIFY(PQsslInUse(con->handle()));
        ds.close();
        QVERIFY(con->isOpen());
    }

    void changingTheAddressClosesConnectionAndQueries()
    {
        auto con = company();
        DataSet ds(con.get(), "select 1 as a");
        ds.open();
        const quint64 session = con->session();

        con->setDatabase(m_db); // equal: nothing happens
        con->setPort(con->port());
        QVERIFY(con->isOpen());
        QVERIFY(ds.isActive());

        con->setDatabase("qel1");
        QVERIFY(!con->isOpen());
        QVERIFY(!ds.isActive());
        ds.open(); // reopens at the new address
        QVERIFY(con->session() > session);
    }

    void aTerminatedBackendIsReconnectedForReads()
    {
        auto con = company();
        DataSet ds(con.get(), "select pg_backend_pid() as pid");
        ds.open();
        const QString pid = ds.value("pid").toString();
        sandbox::exec(sandbox::company(), m_db,
                      QString("select pg_terminate_backend(%1)").arg(pid));
        ds.refresh();
        QVERIFY(ds.value("pid").toString() != pid);
    }

    void aServerWithoutTlsIsRefused()
    {
        Connection con("varnok_company", true);
        con.setServer("127.0.0.1");
        con.setPort(sandbox::directory().port);
        con.setDatabase("qel_mob");
        DataSet ds(&con, "select 1");
        try {
            ds.open();
            QFAIL("opened without TLS");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("SSL connection is not allowed"));
        }
        QVERIFY(!con.isOpen());
    }

    // What the service file asks of TLS is kept when stronger than
    // "require" and raised to "require" otherwise.
    void theServiceFileDecidesVerificationNeverLessThanTls_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("error"); // part of it; empty: connects with TLS
        const QString root = sandbox::folder() + "/company-root.crt";
        QTest::newRow("disable raised to require") << "sslmode=disable" << "";
        QTest::newRow("prefer raised to require") << "sslmode=prefer" << "";
        QTest::newRow("verify-full with the root") << "sslmode=verify-full\nsslrootcert=" + root
                                                         + "\nchannel_binding=require"
                                                  << "";
        QTest::newRow("verify-full kept") << "sslmode=verify-full\nsslrootcert=/nonexistent/root.crt"
                                          << "root certificate file";
    }
    void theServiceFileDecidesVerificationNeverLessThanTls()
    {
        QFETCH(QString, settings);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QFile f(dir.filePath("pg_service.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("[probe]\nhost=127.0.0.1\nport=%1\ndbname=%2\nuser=qel\n%3\n")
                    .arg(sandbox::company().port)
                    .arg(m_db, settings)
                    .toUtf8());
        f.close();
        const QByteArray saved = qgetenv("PGSERVICEFILE");
        qputenv("PGSERVICEFILE", f.fileName().toLocal8Bit());
        Connection con("probe", true);
        QString message;
        try {
            con.open();
        } catch (const Error &e) {
            message = e.message();
        }
        qputenv("PGSERVICEFILE", saved);
        if (error.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QVERIFY(PQsslInUse(con.handle()));
        } else {
            QVERIFY2(message.contains(error), qPrintable(message));
        }
    }

    void aMissingDeclaredColumnIsNamed()
    {
        auto con = company();
        DataSet ds(con.get(), "select a from narrow");
        ds.setObjectName("dsNarrow");
        ds.setFields({{"a", FieldKind::Integer}, {"b", FieldKind::Text, 10}});
        try {
            ds.open();
            QFAIL("opened without column b");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("dsNarrow: Field 'b' not found"));
        }
        QVERIFY(!ds.isActive());
    }

    void serverErrorsCarryThePrimaryMessageOnly()
    {
        auto con = company();
        DataSet ds(con.get(), "select * from no_such_table where x = :p");
        try {
            ds.open();
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("relation \"no_such_table\" does not exist"));
            QCOMPARE(e.sqlState(), QString("42P01"));
        }
    }

    void aWrongRolePasswordGivesTheDriverText()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("pgpass");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("*:*:*:qel:wrong-password\n").toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray saved = qgetenv("PGPASSFILE");
        qputenv("PGPASSFILE", file.toLocal8Bit());
        auto con = company();
        DataSet ds(con.get(), "select 1");
        QString message;
        try {
            ds.open();
        } catch (const Error &e) {
            message = e.message();
        }
        qputenv("PGPASSFILE", saved);
        QVERIFY2(message.contains("password authentication failed"), qPrintable(message));
    }

    void parametersAreNeverSplicedIntoTheText()
    {
        auto con = company();
        DataSet ds(con.get(), "select :p::text as v");
        const QString hostile = "x'); drop table narrow; --";
        ds.setParam("p", hostile);
        ds.open();
        QCOMPARE(ds.value("v").toString(), hostile);
        QCOMPARE(sandbox::rows(sandbox::company(), m_db, "select count(*) from narrow")[0][0],
                 QString("1"));
    }
};

QTEST_GUILESS_MAIN(ConnectionTest)
#include "tst_connection.moc"
