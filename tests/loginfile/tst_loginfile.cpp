// The sign-in memory file preCmd.json: exact bytes written, tolerant reading,
// row state across runs, and the errors a user may see.

#include "data/error.h"
#include "signin/logintable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Opt = std::optional<QString>;

// A null QString in a data row stands for a null column.
Opt opt(const QString &s)
{
    return s.isNull() ? Opt() : Opt(s);
}

// A first run's file, as the sign-in has always written it.
const QByteArray FirstRun = QByteArray("\xEF\xBB\xBF") + R"({"FDBS":{"Version":16,"Manager":{"UpdatesRegistry":true,"TableList":[{"class":"Table","Name":"dsLogin","TabID":0,"EnforceConstraints":false,"MinimumCapacity":50,"CheckNotNull":false,"ColumnList":[{"class":"Column","Name":"company","SourceID":1,"DataType":"WideString","Size":200,"Searchable":true,"AllowNull":true,"Base":true,"OAllowNull":true,"OInUpdate":true,"OInWhere":true,"SourceSize":200},{"class":"Column","Name":"username","SourceID":2,"DataType":"WideString","Size":200,"Searchable":true,"AllowNull":true,"Base":true,"OAllowNull":true,"OInUpdate":true,"OInWhere":true,"SourceSize":200}],"ConstraintList":[],"ViewList":[],"RowList":[{"RowID":0,"Original":{"company":"Demo","username":"demo"}}]}],"RelationList":[],"UpdatesJournal":{"SavePoint":1,"Changes":[]}}}})";

// The same document around other rows and another save point.
QByteArray storedFile(const QByteArray &rows, int savePoint)
{
    const qsizetype head = FirstRun.indexOf(R"("RowList":[)") + 11;
    QByteArray out = FirstRun.left(head) + rows + R"(]}],"RelationList":[],"UpdatesJournal":{)";
    if (savePoint)
        out += "\"SavePoint\":" + QByteArray::number(savePoint) + ',';
    return out + R"("Changes":[]}}}})";
}

QByteArray storedRow(const QByteArray &original, bool priorState = false)
{
    return R"({"RowID":0,)" + QByteArray(priorState ? R"("RowPriorState":"Unchanged",)" : "")
        + R"("Original":{)" + original + "}}";
}

// Hand-written documents for the reader, in the loosest shape it must take.
QByteArray column(const QByteArray &name)
{
    return R"({"class":"Column","Name":")" + name + R"(","DataType":"WideString","Size":200})";
}

QByteArray table(const QByteArray &name, const QByteArray &columns, const QByteArray &rows)
{
    return R"({"class":"Table","Name":")" + name + R"(","ColumnList":[)" + columns
        + R"(],"ConstraintList":[],"ViewList":[],"RowList":[)" + rows + "]}";
}

QByteArray storage(const QByteArray &tables)
{
    return R"({"FDBS":{"Version":16,"Manager":{"TableList":[)" + tables
        + R"(],"RelationList":[]}}})";
}

QByteArray loginTable(const QByteArray &rows)
{
    return table("dsLogin", column("company") + ',' + column("username"), rows);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class TestLoginFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void defaultPathIsInRoamingConfig()
    {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(QFileInfo(LoginTable::defaultPath()).absolutePath(), QDir(dir).absolutePath());
        QCOMPARE(QFileInfo(LoginTable::defaultPath()).fileName(), QStringLiteral("preCmd.json"));
    }

    void firstRunWritesAndReadsBack_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("username");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("typical") << "Demo" << "demo" << FirstRun;
        QTest::newRow("slash") << "A/B" << "u"
                               << storedFile(storedRow(R"("company":"A\/B","username":"u")"), 1);
        QTest::newRow("quote and backslash")
            << "say \"hi\" \\ bye" << "u"
            << storedFile(storedRow("\"company\":\"say \\\"hi\\\" \\\\ bye\",\"username\":\"u\""), 1);
        QTest::newRow("control characters")
            << QString::fromLatin1("\x01\t\n\b\f\r\x1f|\x7f") << "u"
            << storedFile(storedRow("\"company\":\"\\u0001\\t\\n\\b\\f\\r\\u001F|\x7f\","
                                    "\"username\":\"u\""),
                          1);
        QTest::newRow("accents and euro")
            << QString::fromUtf8("M\xC3\xBCller \xE2\x82\xAC") << "u"
            << storedFile(storedRow("\"company\":\"M\xC3\xBCller \xE2\x82\xAC\",\"username\":\"u\""), 1);
        QTest::newRow("beyond U+FFFF")
            << QString::fromUcs4(U"x\U0001F600y") << "u"
            << storedFile(storedRow("\"company\":\"x\xED\xA0\xBD\xED\xB8\x80y\",\"username\":\"u\""), 1);
        QTest::newRow("null username") << "Demo" << QString()
                                       << storedFile(storedRow(R"("company":"Demo")"), 1);
        QTest::newRow("null company") << QString() << "demo"
                                      << storedFile(storedRow(R"("username":"demo")"), 1);
        QTest::newRow("empty is not null")
            << "" << "demo" << storedFile(storedRow(R"("company":"","username":"demo")"), 1);
    }

    void firstRunWritesAndReadsBack()
    {
        QFETCH(QString, company);
        QFETCH(QString, username);
        QFETCH(QByteArray, expected);
        // A folder that does not exist yet, as on a fresh account.
        const QString file = path(u"roaming/preCmd.json"_s);

        LoginTable first;
        first.open();
        first.edit();
        first.setCompany(opt(company));
        first.setUsername(opt(username));
        first.save(file);
        QCOMPARE(readFile(file), expected);
        QCOMPARE(QDir(path(u"roaming"_s)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"preCmd.json"_s});

        LoginTable next;
        next.load(file);
        QVERIFY(next.isOpen());
        QVERIFY(next.hasRow());
        QCOMPARE(next.company(), opt(company));
        QCOMPARE(next.username(), opt(username));
        // Nothing typed on the next run: the file stays as it was.
        next.save(file);
        QCOMPARE(readFile(file), expected);
    }

    void changedValuesMarkTheRow()
    {
        const QString file = path(u"preCmd.json"_s);
        QVERIFY(writeFile(file, FirstRun));

        LoginTable second;
        second.load(file);
        second.edit();
        second.setCompany(u"Other"_s);
        second.save(file);
        const QByteArray secondRun =
            storedFile(storedRow(R"("company":"Other","username":"demo")", true), 2);
        QCOMPARE(readFile(file), secondRun);

        LoginTable third;
        third.load(file);
        third.edit();
        third.setUsername(std::nullopt);
        third.post();
        third.save(file);
        QCOMPARE(readFile(file), storedFile(storedRow(R"("company":"Other")", true), 3));

        // Two posts in one run count twice; a row typed in this run is new, not changed.
        LoginTable fresh;
        fresh.open();
        fresh.edit();
        fresh.setCompany(u"A"_s);
        fresh.post();
        fresh.edit();
        fresh.setCompany(u"B"_s);
        fresh.save(file);
        QCOMPARE(readFile(file), storedFile(storedRow(R"("company":"B")"), 2));
    }

    void untouchedRunKeepsTheFile_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("action");

        const QList<std::pair<const char *, QByteArray>> sources = {
            {"first run", FirstRun},
            {"marked row", storedFile(storedRow(R"("company":"Other","username":"demo")", true), 7)},
            {"company only", storedFile(storedRow(R"("company":"x\/\u0001\t")"), 1)},
            {"no row", storedFile({}, 0)},
        };
        const char *actions[] = {"no edit", "edit and post", "same values assigned",
                                 "changed and changed back"};
        for (const auto &[name, data] : sources) {
            for (int a = 0; a < 4; ++a)
                QTest::addRow("%s, %s", name, actions[a]) << data << a;
        }
    }

    void untouchedRunKeepsTheFile()
    {
        QFETCH(QByteArray, source);
        QFETCH(int, action);
        const QString file = path(u"preCmd.json"_s);
        QVERIFY(writeFile(file, source));

        LoginTable t;
        t.load(file);
        const bool hadRow = t.hasRow();
        switch (action) {
        case 1:
            t.edit();
            t.post();
            break;
        case 2:
            t.edit();
            t.setCompany(t.company());
            t.setUsername(t.username());
            break;
        case 3: {
            t.edit();
            const Opt was = t.company();
            t.setCompany(u"typed"_s);
            t.setCompany(was);
            break;
        }
        }
        t.save(file);
        QCOMPARE(t.hasRow(), hadRow);
        QCOMPARE(readFile(file), source);
    }

    void readsTolerantly_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("hasRow");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("username");

        QTest::newRow("spaces, no BOM, lower-case names, nulls")
            << QByteArray(" {\r\n \"fdbs\" : {\"version\" : null, \"MANAGER\":{\n"
                          "\t\"updatesregistry\":null,\"tablelist\":[ {\"class\":\"table\",\n"
                          "\"name\":\"dslogin\",\"tabid\":null,\"columnlist\":[\n"
                          "{\"class\":null,\"name\":\"company\",\"size\":null},\n"
                          "{\"name\":\"username\",\"allownull\":true}],\n"
                          "\"constraintlist\":[],\"viewlist\":[],\"rowlist\":[\n"
                          "{\"rowid\":0,\"rowpriorstate\":null,\"original\":{\"company\":\"Demo\","
                          "\"username\":null}}]}],\"relationlist\":[],\"updatesjournal\":null}}}\n")
            << true << "Demo" << QString();
        QTest::newRow("only the required objects")
            << QByteArray(R"({"FDBS":{"Manager":{"TableList":[{"ColumnList":[{"Name":"company"},)"
                          R"({"Name":"username"}],"ConstraintList":[],"ViewList":[],"RowList":)"
                          R"([{"Original":{"company":"c","username":"u"}}]}],"RelationList":[]}}})")
            << true << "c" << "u";
        QTest::newRow("unknown and misplaced members skipped")
            << QByteArray(R"({"FDBS":{"Comment":{"a":[1,2.5e3,true]},"Version":16,"Manager":)"
                          R"({"TableList":[{"class":"Table","Name":"dsLogin","ColumnList":[)"
                          R"({"Name":"company","Extra":null},{"Name":"username"}],)"
                          R"("ConstraintList":[],"ViewList":[],"RowList":[{"Original":)"
                          R"({"company":"c","username":"u"},"RowID":0,"Current":{}}]}],)"
                          R"("RelationList":[]},"Version":17}})")
            << true << "c" << "u";
        QTest::newRow("escapes in either case")
            << storage(loginTable(R"({"Original":{"company":"A\/B\u00e9\ud83d\uDE00",)"
                                  "\"username\":\"\\u0041\\t\\\"\\\\\"}}"))
            << true << QString::fromUcs4(U"A/B\u00e9\U0001F600") << "A\t\"\\";
        QTest::newRow("4-byte and CESU-8 sequences")
            << storage(loginTable("{\"Original\":{\"company\":\"\xF0\x9F\x98\x80\","
                                  "\"username\":\"\xED\xA0\xBD\xED\xB8\x80\"}}"))
            << true << QString::fromUcs4(U"\U0001F600") << QString::fromUcs4(U"\U0001F600");
        QTest::newRow("dsLogin among other tables")
            << storage(table("Other", column("company") + ',' + column("username"),
                             R"({"Original":{"company":"wrong","username":"wrong"}})")
                       + ',' + table("DSLOGIN", column("company") + ',' + column("username"),
                                     R"({"Original":{"company":"right","username":"r"}})"))
            << true << "right" << "r";
        QTest::newRow("first table when none is dsLogin")
            << storage(table("Saved", column("company") + ',' + column("username"),
                             R"({"Original":{"company":"c","username":"u"}})"))
            << true << "c" << "u";
        QTest::newRow("columns matched by name")
            << storage(table("dsLogin",
                             column("id") + ',' + column("USERNAME") + ',' + column("Company"),
                             R"({"Original":{"id":"7","USERNAME":"u","Company":"c"}})"))
            << true << "c" << "u";
        QTest::newRow("missing value is null")
            << storage(loginTable(R"({"Original":{"username":"u"}})")) << true << QString() << "u";
        QTest::newRow("only the first row")
            << storage(loginTable(R"({"Original":{"company":"1"}},{"Original":{"company":"2"}})"))
            << true << "1" << QString();
        QTest::newRow("no row") << storage(loginTable({})) << false << QString() << QString();
    }

    void readsTolerantly()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, hasRow);
        QFETCH(QString, company);
        QFETCH(QString, username);

        LoginTable t;
        t.loadJson(data);
        QVERIFY(t.isOpen());
        QCOMPARE(t.hasRow(), hasRow);
        QCOMPARE(t.company(), opt(company));
        QCOMPARE(t.username(), opt(username));
    }

    void rejectsMalformed_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");

        const QString at = u"Invalid JSON storage format at position %1: %2"_s;
        const QString format = u"Invalid JSON storage format: %1"_s;

        // Positions count bytes from the start of the file, BOM included.
        const QByteArray cut = FirstRun.left(FirstRun.size() - 3);
        QTest::newRow("truncated") << cut << at.arg(cut.size()).arg("unexpected end of data");
        QTest::newRow("truncated in a character")
            << QByteArray("{\"FDBS\":\"\xE2\x82") << at.arg(11).arg("unexpected end of data");
        QTest::newRow("missing comma")
            << QByteArray("\xEF\xBB\xBF{\"FDBS\":{\"Version\":16 \"Manager\":{}}}")
            << at.arg(25).arg("expected ',' or '}'");
        QTest::newRow("root not an object")
            << QByteArray("\xEF\xBB\xBF[]") << at.arg(3).arg("expected object");
        QTest::newRow("bad literal") << QByteArray(R"({"FDBS":tru})") << at.arg(8).arg("expected value");
        QTest::newRow("bad escape") << QByteArray(R"({"FDBS":"\q"})")
                                    << at.arg(9).arg("invalid escape sequence");
        QTest::newRow("bad \\u escape") << QByteArray(R"({"FDBS":"\u00g0"})")
                                        << at.arg(13).arg("invalid \\u escape");
        QTest::newRow("bad UTF-8") << QByteArray("{\"FDBS\":\"\xC3(\"}")
                                   << at.arg(9).arg("invalid UTF-8 sequence");
        QTest::newRow("overlong UTF-8") << QByteArray("{\"FDBS\":\"\xE0\x80\xAF\"}")
                                        << at.arg(9).arg("invalid UTF-8 sequence");
        QTest::newRow("data after the document")
            << FirstRun + " x" << at.arg(FirstRun.size() + 1).arg("expected end of data");
        QTest::newRow("too deep") << QByteArray(100, '[') << at.arg(65).arg("nesting too deep");
        QTest::newRow("text for a number")
            << QByteArray(R"({"FDBS":{"Version":"16","Manager":{}}})")
            << at.arg(19).arg("expected integer");
        QTest::newRow("fraction for an integer")
            << QByteArray(R"({"FDBS":{"Version":16.5,"Manager":{}}})")
            << at.arg(19).arg("expected integer");
        QTest::newRow("integer out of range")
            << QByteArray(R"({"FDBS":{"Version":1e99,"Manager":{}}})")
            << at.arg(19).arg("expected integer");
        QByteArray numberValue = storage(loginTable(R"({"Original":{"company":5}})"));
        QTest::newRow("number for a text")
            << numberValue << at.arg(numberValue.indexOf("5}")).arg("expected string");

        QTest::newRow("missing FDBS") << QByteArray("{}") << format.arg(R"(object "FDBS" not found)");
        QTest::newRow("missing Manager") << QByteArray(R"({"FDBS":{"Version":16}})")
                                         << format.arg(R"(object "Manager" not found)");
        QByteArray noRowList = storage(loginTable({}));
        noRowList.replace(R"(,"RowList":[])", "");
        QTest::newRow("missing RowList") << noRowList << format.arg(R"(object "RowList" not found)");
        QByteArray nullRowList = storage(loginTable({}));
        nullRowList.replace(R"("RowList":[])", R"("RowList":null)");
        QTest::newRow("null RowList") << nullRowList << format.arg(R"(object "RowList" not found)");
        // Found past its place: the rows would be read before their columns.
        QByteArray lateColumns = storage(R"({"Name":"dsLogin","RowList":[],"ColumnList":[],)"
                                         R"("ConstraintList":[],"ViewList":[]})");
        QTest::newRow("ColumnList after RowList")
            << lateColumns << format.arg(R"(object "ColumnList" not found)");
        QTest::newRow("missing RelationList")
            << QByteArray(R"({"FDBS":{"Manager":{"TableList":[]}}})")
            << format.arg(R"(object "RelationList" not found)");

        QByteArray tabel = storage(loginTable({}));
        tabel.replace(R"("class":"Table")", R"("class":"Tabel")");
        QTest::newRow("unknown table class") << tabel << format.arg(R"(unknown class "Tabel")");
        QByteArray colum = storage(loginTable({}));
        colum.replace(R"("class":"Column")", R"("class":"Colum")");
        QTest::newRow("unknown column class") << colum << format.arg(R"(unknown class "Colum")");
        QByteArray columnAsTable = storage(loginTable({}));
        columnAsTable.replace(R"("class":"Table")", R"("class":"Column")");
        QTest::newRow("column where a table belongs")
            << columnAsTable << format.arg(R"(class "Column" found where "Table" expected)");

        QTest::newRow("missing username column")
            << storage(table("dsLogin", column("company") + ',' + column("user"), {}))
            << u"dsLogin: Field 'username' not found"_s;
        QTest::newRow("no table") << storage({}) << u"dsLogin: Field 'company' not found"_s;
    }

    void rejectsMalformed()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);

        LoginTable t;
        t.loadJson(FirstRun);
        try {
            t.loadJson(data);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), message);
        }
        // Nothing half-read stays behind.
        QVERIFY(!t.isOpen());
        QVERIFY(!t.hasRow());
    }

    void fileErrors_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");

        QTest::newRow("load missing") << false << "missing.json" << "Cannot open file";
        QTest::newRow("load a folder") << false << "folder" << "Cannot open file";
        QTest::newRow("save under a plain file") << true << "plain/preCmd.json" << "Cannot create file";
        QTest::newRow("save onto a folder") << true << "folder" << "Cannot create file";
    }

    void fileErrors()
    {
        QFETCH(bool, saving);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QVERIFY(writeFile(path(u"plain"_s), "x"));
        QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
        const QString file = path(name);

        LoginTable t;
        t.loadJson(FirstRun);
        try {
            if (saving)
                t.save(file);
            else
                t.load(file);
            QFAIL("no error");
        } catch (const Error &e) {
            const QString head = expected + " \"" + QDir::toNativeSeparators(file) + "\". ";
            QVERIFY2(e.message().startsWith(head), qPrintable(e.message()));
            QVERIFY2(e.message().size() > head.size(), "no system reason");
        }
        QCOMPARE(t.isOpen(), saving);
        QCOMPARE(readFile(path(u"plain"_s)), QByteArray("x"));
        QVERIFY(QFileInfo(path(u"folder"_s)).isDir());
    }

    void failedLoadStartsAfresh()
    {
        const QString file = path(u"preCmd.json"_s);
        QVERIFY(writeFile(file, storedFile(storedRow(R"("company":"Old")", true), 5)));
        LoginTable t;
        t.load(file);
        QVERIFY(writeFile(file, "\xEF\xBB\xBF{\"FDBS\":{"));
        QVERIFY_THROWS_EXCEPTION(Error, t.load(file));
        QVERIFY(!t.isOpen());
        QVERIFY(!t.hasRow());
        QVERIFY_THROWS_EXCEPTION(Error, t.edit());

        // As the dialog does after such a failure: open the empty table and type again.
        t.open();
        t.edit();
        t.setCompany(u"Demo"_s);
        t.setUsername(u"demo"_s);
        t.save(file);
        QCOMPARE(readFile(file), FirstRun);

        // Nothing typed at all: an empty but valid document.
        LoginTable untouched;
        QVERIFY_THROWS_EXCEPTION(Error, untouched.load(path(u"missing.json"_s)));
        untouched.save(file);
        QCOMPARE(readFile(file), storedFile({}, 0));
    }

    void editing()
    {
        LoginTable t;
        t.open();
        QVERIFY_THROWS_EXCEPTION(Error, t.setCompany(u"x"_s));
        QVERIFY_THROWS_EXCEPTION(Error, t.setUsername(u"x"_s));

        // An insert with nothing typed is dropped.
        t.edit();
        QVERIFY(t.isEditing());
        t.post();
        QVERIFY(!t.isEditing());
        QVERIFY(!t.hasRow());

        t.edit();
        t.setCompany(u"A"_s);
        t.edit(); // no-op: keeps what was typed
        QCOMPARE(t.company(), Opt(u"A"_s));
        t.post();
        QVERIFY(t.hasRow());

        t.edit();
        t.setCompany(u"B"_s);
        QCOMPARE(t.company(), Opt(u"B"_s));
        t.post();
        QCOMPARE(t.company(), Opt(u"B"_s));
        QCOMPARE(t.username(), Opt());
        QVERIFY_THROWS_EXCEPTION(Error, t.setUsername(u"late"_s));
        QCOMPARE(t.toJson(), storedFile(storedRow(R"("company":"B")"), 2));
    }

    void cutsToFieldSize_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");

        const QString a199(199, u'a');
        const QString smile = QString::fromUcs4(U"\U0001F600");
        QTest::newRow("200 kept") << a199 + 'b' << a199 + 'b';
        QTest::newRow("201 cut") << a199 + "bc" << a199 + 'b';
        QTest::newRow("pair inside kept") << a199.left(198) + smile << a199.left(198) + smile;
        QTest::newRow("pair across the end dropped whole") << a199 + smile << a199;
    }

    void cutsToFieldSize()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);

        LoginTable t;
        t.open();
        t.edit();
        t.setCompany(typed);
        t.setUsername(typed);
        QCOMPARE(t.company(), Opt(kept));
        QCOMPARE(t.username(), Opt(kept));
        t.post();
        LoginTable back;
        back.loadJson(t.toJson());
        QCOMPARE(back.company(), Opt(kept));
    }
};

QTEST_GUILESS_MAIN(TestLoginFile)
#include "tst_loginfile.moc"
