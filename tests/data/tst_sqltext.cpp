#include "data/sqltext.h"

#include <QTest>

class SqlTextTest : public QObject
{
    Q_OBJECT
private slots:
    void parametersBecomeNumberedPlaceholders_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("two names") << "select * from t where a = :pA and b = :pB"
                                   << "select * from t where a = $1 and b = $2"
                                   << QStringList{"pA", "pB"};
        QTest::newRow("same name twice") << "where a = :x or b = :X" << "where a = $1 or b = $1"
                                         << QStringList{"x"};
        QTest::newRow("cast is not a parameter") << "select :a::text" << "select $1::text"
                                                 << QStringList{"a"};
        QTest::newRow("quoted text untouched") << "select ':no', \":no\", :yes"
                                               << "select ':no', \":no\", $1"
                                               << QStringList{"yes"};
        QTest::newRow("doubled quote inside text") << "select 'it''s :no' || :yes"
                                                   << "select 'it''s :no' || $1"
                                                   << QStringList{"yes"};
        QTest::newRow("comments untouched") << "select 1 -- :no\n, /* :no */ :yes"
                                            << "select 1 -- :no\n, /* :no */ $1"
                                            << QStringList{"yes"};
        QTest::newRow("date literal") << "where d >= '01.01.2021'" << "where d >= '01.01.2021'"
                                      << QStringList{};
    }
    void parametersBecomeNumberedPlaceholders()
    {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(QStringList, order);
        const ParsedSql parsed = parseParams(sql);
        QCOMPARE(parsed.text, text);
        QCOMPARE(parsed.order, order);
    }

    void firstTableOfTheOuterFromList_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("table");
        QTest::newRow("plain") << "select * from e_garantii_doc where articol = :articol"
                               << "e_garantii_doc";
        QTest::newRow("join, subselects before") << "select (select 1 from x), e_garantii.* FROM  "
                                                    "e_garantii left outer join y on 1=1"
                                                 << "e_garantii";
        QTest::newRow("schema qualified") << "select * from public.t" << "public.t";
        QTest::newRow("column named from_x") << "select from_x from t" << "t";
        QTest::newRow("none") << "select 1" << "";
    }
    void firstTableOfTheOuterFromList()
    {
        QFETCH(QString, sql);
        QFETCH(QString, table);
        QCOMPARE(firstFromTable(sql), table);
    }

    void generatedStatements()
    {
        const Statement update = buildUpdate(
            "e_garantii", {{"nr_garantie", Value("G-1")}},
            {{"articol", Value("A\"1")}, {"data_ins", Value()}});
        QCOMPARE(update.sql, QString("update e_garantii set \"nr_garantie\" = $1 where "
                                     "\"articol\" = $2 and \"data_ins\" is null"));
        QCOMPARE(update.params.size(), size_t(2));
        QCOMPARE(update.params[1], Value("A\"1"));

        const Statement insert = buildInsert("t", {{"a", Value(1)}, {"b", Value()}});
        QCOMPARE(insert.sql, QString("insert into t (\"a\", \"b\") values ($1, $2)"));
        QCOMPARE(buildInsert("t", {}).sql, QString("insert into t default values"));

        const Statement del = buildDelete("t", {{"k", Value(qint64(7))}});
        QCOMPARE(del.sql, QString("delete from t where \"k\" = $1"));
        QCOMPARE(quoteIdentifier("a\"b"), QString("\"a\"\"b\""));
    }

    void timestampsKeepMicroseconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("micro") << "2024-03-05 12:34:56.123456" << "2024-03-05 12:34:56.123456";
        QTest::newRow("short fraction") << "2024-03-05 12:34:56.5" << "2024-03-05 12:34:56.500000";
        QTest::newRow("no fraction") << "1999-12-31 23:59:59" << "1999-12-31 23:59:59";
        QTest::newRow("T separator") << "2024-03-05T00:00:00.000001" << "2024-03-05 00:00:00.000001";
    }
    void timestampsKeepMicroseconds()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        const auto t = Timestamp::parse(text);
        QVERIFY(t);
        QCOMPARE(t->toString(), canonical);
        QCOMPARE(Timestamp::parse(canonical)->usecs, t->usecs);
        QVERIFY(!Timestamp::parse(QString("2024-02-30 00:00:00")));
    }
};

QTEST_GUILESS_MAIN(SqlTextTest)
#include "tst_sqltext.moc"
