#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "support/errortext.h"
#include "support/sandbox.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

// The editable data set against a real server: what reaches the server is
// read from the server's statement log or from the rows themselves.
class DataSetTest : public QObject
{
    Q_OBJECT
    QString m_db;
    std::unique_ptr<Connection> m_con;

    std::unique_ptr<DataSet> dataSet(const QString &sql)
    {
        auto ds = std::make_unique<DataSet>(m_con.get(), sql);
        ds->setObjectName("ds");
        return ds;
    }
    QList<QStringList> rows(const QString &sql) { return sandbox::rows(sandbox::company(), m_db, sql); }
    void exec(const QString &sql) { sandbox::exec(sandbox::company(), m_db, sql); }
    QStringList writes(const sandbox::StatementLog &log)
    {
        QStringList out;
        for (const QString &s : log.statements())
            if (s.contains("update ", Qt::CaseInsensitive) || s.contains("insert ", Qt::CaseInsensitive)
                || s.contains("delete ", Qt::CaseInsensitive))
                out << s;
        return out;
    }

private slots:
    void initTestCase()
    {
        m_db = sandbox::createCompanyDb("dataset");
        exec("create table keyed (id integer primary key, name text, note text, "
             "made timestamp(6) default '2020-01-02 03:04:05.123456', flag boolean);"
             "create table uniq (code varchar(10) not null, name text);"
             "create unique index uniq_b on uniq (name); create unique index uniq_a on uniq (code);"
             "create table loose (code varchar(10), name text);"
             "create table memo_only (t text);"
             "create table master (k varchar(20) primary key, n text);"
             "create table detail (k varchar(20), at timestamp(6), v text, primary key (k, at));"
             "create table blob (id integer primary key, data bytea);");
        m_con = std::make_unique<Connection>("varnok_company", true);
        m_con->setDatabase(m_db);
    }

    void init()
    {
        exec("truncate keyed, uniq, loose, memo_only, master, detail, blob;"
             "insert into keyed (id, name, note) values (1, 'unu', 'a'), (2, 'doi', 'b'), (3, 'trei', null);");
    }

    void anUnchangedRowSendsNothingAndOneChangeSendsOneColumn()
    {
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        ds->moveTo(1);
        sandbox::StatementLog log(m_db);
        ds->edit();
        ds->post();
        QCOMPARE(writes(log), QStringList());

        ds->edit();
        ds->setValue("note", Value("nou"));
        ds->setValue("name", Value("doi")); // same value: not a change
        ds->post();
        const QStringList sent = writes(log);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent[0].contains("set \"note\" = $1 where \"id\" = $2"), qPrintable(sent[0]));
        QVERIFY(!sent[0].contains("\"name\" ="));
        QCOMPARE(rows("select note from keyed where id = 2")[0][0], QString("nou"));
        QCOMPARE(ds->state(), DataSet::State::Browse);
    }

    void insertLeavesUntouchedNullsToTheDatabase()
    {
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        ds->append();
        ds->setValue("id", Value(10));
        ds->setValue("note", Value()); // explicitly assigned null: sent
        ds->post();
        QCOMPARE(rows("select made, note is null from keyed where id = 10"),
                 (QList<QStringList>{{"2020-01-02 03:04:05.123456", "t"}}));
        // Not re-read after insert: the default is not on the client yet.
        QVERIFY(ds->value("made").isNull());
        ds->refresh();
        QCOMPARE(ds->value("id"), Value(10));
        QCOMPARE(ds->value("made").toString(), QString("2020-01-02 03:04:05.123456"));
    }

    void theRowIsIdentifiedByTheCatalogsKey_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("where");
        QTest::newRow("primary key") << "keyed" << "where \"id\" = ";
        QTest::newRow("unique index sorting first") << "uniq" << "where \"code\" = ";
        QTest::newRow("no key: non-memo columns") << "loose" << "where \"code\" = ";
    }
    void theRowIsIdentifiedByTheCatalogsKey()
    {
        QFETCH(QString, table);
        QFETCH(QString, where);
        if (table != "keyed")
            exec(QString("insert into %1 values ('c1', 'n1'), ('c2', 'n2')").arg(table));
        const QString column = table == "keyed" ? "note" : "name";
        auto ds = dataSet(QString("select * from %1 order by 1").arg(table));
        ds->open();
        sandbox::StatementLog log(m_db);
        ds->edit();
        ds->setValue(column, Value("schimbat"));
        ds->post();
        const QStringList sent = writes(log);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent[0].contains(where), qPrintable(sent[0]));
        QVERIFY2(!sent[0].contains(QString("where \"%1\"").arg(column)) || column == "code",
                 qPrintable(sent[0]));
        QCOMPARE(rows(QString("select count(*) from %1 where %2 = 'schimbat'").arg(table, column))[0][0],
                 QString("1"));
    }

    void aNullKeyValueIsMatchedWithIsNull()
    {
        exec("insert into loose values (null, 'fara cod')");
        auto ds = dataSet("select * from loose");
        ds->open();
        ds->edit();
        ds->setValue("name", Value("tot fara cod"));
        ds->post();
        QCOMPARE(rows("select name from loose where code is null")[0][0], QString("tot fara cod"));
    }

    void anUpdateMustHitExactlyOneRow()
    {
        // Another user deleted the row: nothing matches.
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        exec("delete from keyed where id = 1");
        ds->edit();
        ds->setValue("note", Value("pierdut"));
        QCOMPARE(messageOf([&] { ds->post(); }), QString("Update failed. Found 0 records"));
        QCOMPARE(ds->state(), DataSet::State::Edit);
        QCOMPARE(ds->value("note"), Value("pierdut"));

        // Two identical rows without a key: both would change; nothing may.
        exec("insert into loose values ('dublu', 'x'), ('dublu', 'x')");
        auto twin = dataSet("select * from loose");
        twin->open();
        twin->edit();
        twin->setValue("name", Value("y"));
        QCOMPARE(messageOf([&] { twin->post(); }), QString("Update failed. Found 2 records"));
        QCOMPARE(rows("select name from loose order by name"), (QList<QStringList>{{"x"}, {"x"}}));
        twin->cancel();
        QCOMPARE(messageOf([&] { twin->remove(); }), QString("Update failed. Found 2 records"));
        QCOMPARE(rows("select count(*) from loose")[0][0], QString("2"));
        QCOMPARE(twin->rowCount(), 2);
    }

    void refusalsAndStateErrors()
    {
        auto memo = dataSet("select * from memo_only");
        exec("insert into memo_only values ('x')");
        memo->open();
        memo->edit();
        memo->setValue("t", Value("y"));
        QCOMPARE(messageOf([&] { memo->post(); }), QString("Key fields not found"));
        QCOMPARE(memo->state(), DataSet::State::Edit);

        auto ds = dataSet("select * from keyed where id = -1");
        ds->setFields({{"id", FieldKind::Integer, 0, true}, {"name", FieldKind::Memo},
                       {"note", FieldKind::Memo}, {"made", FieldKind::Timestamp},
                       {"flag", FieldKind::Boolean}});
        QCOMPARE(messageOf([&] { ds->refresh(); }),
                 QString("Cannot perform this operation on a closed dataset"));
        ds->open();
        QCOMPARE(messageOf([&] { ds->remove(); }),
                 QString("Cannot perform this operation on an empty dataset"));
        ds->append();
        ds->setValue("name", Value("fara id"));
        QCOMPARE(messageOf([&] { ds->post(); }), QString("Field 'id' must have a value"));
        QCOMPARE(ds->state(), DataSet::State::Insert);
        QCOMPARE(ds->value("name"), Value("fara id"));

        // The server's own words for what it rejects.
        ds->setValue("id", Value(1));
        QCOMPARE(messageOf([&] { ds->post(); }),
                 QString("duplicate key value violates unique constraint \"keyed_pkey\""));
        QCOMPARE(ds->state(), DataSet::State::Insert);

        // A refusing before-event leaves everything as it was.
        auto guarded = dataSet("select * from keyed order by id");
        guarded->open();
        guarded->beforeEdit = [] { throw Error("nu"); };
        guarded->beforeDelete = [] { throw Error("nu sterge"); };
        QCOMPARE(messageOf([&] { guarded->edit(); }), QString("nu"));
        QCOMPARE(guarded->state(), DataSet::State::Browse);
        QCOMPARE(messageOf([&] { guarded->remove(); }), QString("nu sterge"));
        QCOMPARE(guarded->rowCount(), 3);
    }

    void editOnAnEmptyDataSetStartsANewRow()
    {
        auto ds = dataSet("select * from keyed where id < 0");
        ds->open();
        bool insertAsked = false, editAsked = false;
        ds->beforeInsert = [&] { insertAsked = true; };
        ds->beforeEdit = [&] { editAsked = true; };
        ds->edit();
        QCOMPARE(ds->state(), DataSet::State::Insert);
        QVERIFY(insertAsked);
        QVERIFY(!editAsked);
    }

    void movingToAnotherRowPostsOrDrops()
    {
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        ds->edit();
        ds->next(); // unmodified: dropped, nothing sent
        QCOMPARE(ds->state(), DataSet::State::Browse);
        ds->edit();
        ds->setValue("note", Value("mutat"));
        ds->next();
        QCOMPARE(ds->currentRow(), 2);
        QCOMPARE(rows("select note from keyed where id = 2")[0][0], QString("mutat"));
    }

    void refreshReturnsToTheSameRowByKey()
    {
        auto ds = dataSet("select * from keyed order by name");
        ds->open();
        ds->moveTo(2); // 'unu'
        exec("insert into keyed (id, name) values (0, 'aaa')");
        QSignalSpy reset(ds.get(), &DataSet::rowsReset);
        ds->refresh();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(ds->value("name"), Value("unu"));
        QCOMPARE(ds->currentRow(), 3);
        exec("delete from keyed where id = 1");
        ds->refresh();
        QCOMPARE(ds->currentRow(), 0); // gone: first row
    }

    void bookmarksReturnToTheRow()
    {
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        ds->moveTo(1);
        const quint64 mark = ds->bookmark();
        ds->last();
        QVERIFY(ds->gotoBookmark(mark));
        QCOMPARE(ds->value("id"), Value(2));
    }

    void detailsFollowTheirMaster()
    {
        exec("insert into master values ('A', 'a'), ('B', 'b');"
             "insert into detail values ('A', '2024-01-01 10:00:00.000001', 'a1'),"
             "('A', '2024-01-01 10:00:00.000002', 'a2'), ('B', '2024-01-01 10:00:00', 'b1');");
        auto master = dataSet("select * from master order by k");
        auto detail = dataSet("select * from detail where k = :k order by at");
        detail->setMaster(master.get());
        master->open();
        detail->open(); // takes the master's values first
        QCOMPARE(detail->rowCount(), 2);

        sandbox::StatementLog log(m_db);
        master->refresh(); // same link value: detail untouched
        QVERIFY(!log.statements().join('\n').contains("from detail"));

        master->next();
        QCOMPARE(detail->rowCount(), 1);
        QCOMPARE(detail->value("v"), Value("b1"));

        // A detail edit is posted before the master moves.
        detail->edit();
        detail->setValue("v", Value("b1 nou"));
        master->prior();
        QCOMPARE(rows("select v from detail where k = 'B'")[0][0], QString("b1 nou"));

        // A new detail row takes the link from the master.
        detail->append();
        QCOMPARE(detail->value("k"), Value("A"));
        detail->setValue("at", Value(*Timestamp::parse(QString("2024-02-02 02:02:02.020202"))));
        detail->post();
        QCOMPARE(rows("select count(*) from detail where k = 'A'")[0][0], QString("3"));

        // Editing the master's link column moves the detail at once.
        master->edit();
        master->setValue("k", Value("B"));
        QCOMPARE(detail->rowCount(), 1);
        master->cancel();
        QCOMPARE(detail->rowCount(), 3);

        // A new master row has no details.
        master->append();
        QCOMPARE(detail->rowCount(), 0);
        master->cancel();
        QCOMPARE(detail->rowCount(), 3);
    }

    void microsecondsSurviveTheRoundTrip()
    {
        exec("insert into master values ('M', 'm');"
             "insert into detail values ('M', '2024-05-06 07:08:09.123457', 'x')");
        auto master = dataSet("select k, at from detail where k = 'M'");
        auto detail = dataSet("select * from detail where k = :k and at = :at");
        detail->setMaster(master.get());
        master->open();
        detail->open();
        QCOMPARE(detail->rowCount(), 1);
        QCOMPARE(detail->value("at").toString(), QString("2024-05-06 07:08:09.123457"));
        detail->edit();
        detail->setValue("v", Value("y"));
        detail->post(); // identified by the microsecond key
        QCOMPARE(rows("select v from detail where k = 'M'")[0][0], QString("y"));
    }

    void largeBinaryContentIsStoredUnchanged()
    {
        QByteArray data(6 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(42);
        gen.fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
        data[0] = '\0';
        data[1] = '\\';
        auto ds = dataSet("select * from blob order by id");
        ds->open();
        ds->append();
        ds->setValue("id", Value(1));
        ds->setValue("data", Value(data));
        ds->post();
        ds->refresh();
        QCOMPARE(ds->value("data").get<QByteArray>().size(), data.size());
        QVERIFY(ds->value("data").get<QByteArray>() == data);
        QCOMPARE(rows("select md5(data) from blob")[0][0],
                 QString(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex()));
    }

    void aConnectionLostDuringTheWriteIsNotRepeated()
    {
        // The server ends the session in the middle of the UPDATE.
        exec("create function cut() returns trigger language plpgsql as $$ begin "
             "perform pg_terminate_backend(pg_backend_pid()); return new; end $$;"
             "create trigger cut before update on keyed for each row "
             "when (new.note = 'taie') execute function cut();");
        auto ds = dataSet("select * from keyed order by id");
        ds->open();
        sandbox::StatementLog log(m_db);
        ds->edit();
        ds->setValue("note", Value("taie"));
        const QString message = messageOf([&] { ds->post(); });
        exec("drop trigger cut on keyed; drop function cut();");
        QVERIFY2(message.contains("nu a fost salvata"), qPrintable(message));
        QCOMPARE(ds->state(), DataSet::State::Edit); // the user's edit stays
        QCOMPARE(ds->value("note"), Value("taie"));
        QCOMPARE(rows("select note from keyed where id = 1")[0][0], QString("a"));
        QCOMPARE(writes(log).size(), 1); // sent once, never repeated
        ds->setValue("note", Value("dupa"));
        ds->post(); // a later post reconnects
        QCOMPARE(rows("select note from keyed where id = 1")[0][0], QString("dupa"));
    }

    void aWriteAfterADroppedBackendIsReconnectedBeforeAnythingIsSent()
    {
        auto ds = dataSet("select *, pg_backend_pid() as pid from keyed order by id");
        ds->setFields({{"id", FieldKind::Integer}, {"note", FieldKind::Memo},
                       {"pid", FieldKind::Integer, 0, false, true}});
        ds->open();
        exec(QString("select pg_terminate_backend(%1)").arg(ds->value("pid").toString()));
        ds->edit();
        ds->setValue("note", Value("dupa"));
        ds->post();
        QCOMPARE(rows("select note from keyed where id = 1")[0][0], QString("dupa"));
    }
};

QTEST_GUILESS_MAIN(DataSetTest)
#include "tst_dataset.moc"
