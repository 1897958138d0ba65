#include "data/error.h"
#include "grid/stylesheet.h"
#include "support/workbook.h"
#include "xlsx/xlsxexport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

bool readBack(const QString &path, QJsonObject &out)
{
    out = workbook::read(path);
    return !out.isEmpty();
}

using workbook::cell;
using workbook::text;

// Back from Excel's character units to pixels (7 px per digit, Calibri 11).
int widthPixels(const QJsonObject &book, const QString &column)
{
    return int(std::lround(book.value(QStringLiteral("widths")).toObject().value(column).toDouble() * 7));
}

QStandardItem *item(const QVariant &value)
{
    auto *it = new QStandardItem;
    if (value.isValid())
        it->setData(value, Qt::EditRole);
    return it;
}

QList<QStandardItem *> dataRow(const QString &name, int count, const QDate &date)
{
    return {item(name), item(count), item(date)};
}

QStandardItem *group(const QString &caption)
{
    return new QStandardItem(caption);
}

// Client A / 2024 (2 rows), Client A / 2025 (1 row), Client B / 2024 (1 row).
void fillGrouped(QStandardItemModel &model)
{
    auto *clientA = group(QStringLiteral("Client A"));
    auto *a2024 = group(QStringLiteral("2024"));
    a2024->appendRow(dataRow(QStringLiteral("Pump"), 2, QDate(2024, 1, 10)));
    a2024->appendRow(dataRow(QStringLiteral("Valve"), 5, QDate(2024, 6, 1)));
    auto *a2025 = group(QStringLiteral("2025"));
    a2025->appendRow(dataRow(QStringLiteral("Motor"), 1, QDate(2025, 2, 3)));
    clientA->appendRow(a2024);
    clientA->appendRow(a2025);
    auto *clientB = group(QStringLiteral("Client B"));
    auto *b2024 = group(QStringLiteral("2024"));
    b2024->appendRow(dataRow(QStringLiteral("Fan"), 7, QDate(2024, 9, 9)));
    clientB->appendRow(b2024);
    model.appendRow(clientA);
    model.appendRow(clientB);
}

const QList<ExportColumn> groupedColumns = {
    {0, QStringLiteral("Product"), 120},
    {1, QStringLiteral("Count"), 60},
    {2, QStringLiteral("Sold"), 90},
};

// Rows without data, as many as asked, at no memory cost.
class EmptyRows : public QAbstractTableModel
{
public:
    explicit EmptyRows(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex &, int) const override { return {}; }

private:
    int m_rows;
};

ExportOptions fixedFormats()
{
    ExportOptions o;
    o.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    o.longTimeFormat = QStringLiteral("HH:mm:ss");
    return o;
}

} // namespace

class TestXlsxExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void worksheetName_data();
    void worksheetName();
    void worksheetNameInWorkbook();
    void xlsxPath_data();
    void xlsxPath();
    void numberFormat_data();
    void numberFormat();

    void headersWidthsAndLayout();
    void cellKinds_data();
    void cellKinds();
    void systemFormatsWhenUnset();
    void groupedRows();
    void styles();
    void unwritablePath_data();
    void unwritablePath();
    void tooManyRowsForASheet();
    void overwritesExistingFile();

private:
    QTemporaryDir m_dir;
    QJsonObject m_kinds;
};

void TestXlsxExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(workbook::readerAvailable(), "python3-openpyxl is needed to read workbooks back");
}

void TestXlsxExport::worksheetName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QString longName = QStringLiteral("Garantii_si_interventii_service_2024");
    QTest::newRow("plain") << "ExportGarantii.xlsx" << "ExportGarantii";
    QTest::newRow("folders") << QDir::toNativeSeparators(QStringLiteral("/tmp/rapoarte/ExportGarantii.xlsx"))
            << "ExportGarantii";
    QTest::newRow("no extension") << "/tmp/raport" << "raport";
    QTest::newRow("inner dots") << "raport.2024.xlsx" << "raport.2024";
    QTest::newRow("forbidden") << "a*b:c?d[e]f\\g.xlsx" << "a b c d e f g";
    QTest::newRow("nul and 0x03") << QStringLiteral("a") + QChar(0) + u'b' + QChar(3) + QStringLiteral("c.xlsx")
            << "a b c";
    QTest::newRow("over 31") << longName + ".xlsx" << longName.left(31);
    QTest::newRow("apostrophes") << "''a'b''.xlsx" << "a'b";
    QTest::newRow("cut before trimming") << QString(30, u'x') + QStringLiteral("'yz.xlsx") << QString(30, u'x');
    QTest::newRow("only apostrophes") << "'''.xlsx" << "Sheet1";
}

void TestXlsxExport::worksheetName()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(worksheetNameFor(path), expected);
}

// The name survives libxlsxwriter and is what a reader sees.
void TestXlsxExport::worksheetNameInWorkbook()
{
    QStandardItemModel model;
    const QString path = m_dir.filePath(QStringLiteral("'[Garanții]*'.xlsx"));
    exportToXlsx(model, {{0, QStringLiteral("A"), 50}}, path, fixedFormats());
    QJsonObject book;
    QVERIFY(readBack(path, book));
    QCOMPARE(book.value(QStringLiteral("sheets")).toArray(), QJsonArray{QStringLiteral(" Garanții  ")});
}

void TestXlsxExport::xlsxPath_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no extension") << "raport" << "raport.xlsx";
    QTest::newRow("other extension") << "a.b.txt" << "a.b.xlsx";
    QTest::newRow("upper case") << "x.XLSX" << "x.xlsx";
    QTest::newRow("dot in folder only") << "/tmp/my.dir/raport" << QDir::toNativeSeparators("/tmp/my.dir/raport.xlsx");
    QTest::newRow("folders") << "/tmp/a/raport.csv" << QDir::toNativeSeparators("/tmp/a/raport.xlsx");
}

void TestXlsxExport::xlsxPath()
{
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(xlsxPathFor(chosen), expected);
}

void TestXlsxExport::numberFormat_data()
{
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QString>("excel");

    QTest::newRow("ro short date") << "dd.MM.yyyy" << "dd.mm.yyyy";
    QTest::newRow("us short date") << "M/d/yy" << "m/d/yy";
    QTest::newRow("long date") << "dddd, d MMMM yyyy" << "dddd, d mmmm yyyy";
    QTest::newRow("24h time") << "HH:mm:ss" << "hh:mm:ss";
    QTest::newRow("12h with zone") << "h:mm:ss AP t" << "h:mm:ss AM/PM";
    QTest::newRow("zone first") << "t HH:mm" << "hh:mm";
    QTest::newRow("lower am/pm") << "h:mm ap" << "h:mm am/pm";
    QTest::newRow("milliseconds") << "HH:mm:ss.zzz" << "hh:mm:ss.000";
    QTest::newRow("quoted letters") << "yyyy-MM-dd'T'HH:mm" << "yyyy-mm-dd\"T\"hh:mm";
    QTest::newRow("quoted apostrophe") << "h 'o''clock'" << "h \"o'clock\"";
    QTest::newRow("bare letters") << "d.M.yyyy г." << "d.m.yyyy \"г\".";
}

void TestXlsxExport::numberFormat()
{
    QFETCH(QString, qt);
    QFETCH(QString, excel);
    QCOMPARE(excelNumberFormat(qt), excel);
}

void TestXlsxExport::headersWidthsAndLayout()
{
    QStandardItemModel model(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, item(QStringLiteral("r%1c%2").arg(r).arg(c)));

    // Sheet columns follow the list, not the model.
    const QList<ExportColumn> columns = {
        {2, QStringLiteral("Număr"), 100},
        {0, QStringLiteral("Client"), 250},
        {1, QStringLiteral("Stare"), 64},
    };
    ExportOptions options = fixedFormats();
    options.rowHeightPixels = 24;
    const QString path = m_dir.filePath(QStringLiteral("ExportGarantii.xlsx"));
    exportToXlsx(model, columns, path, options);

    QJsonObject book;
    QVERIFY(readBack(path, book));
    QCOMPARE(book.value(QStringLiteral("sheets")).toArray(), QJsonArray{QStringLiteral("ExportGarantii")});
    QCOMPARE(book.value(QStringLiteral("rows")).toInt(), 4);
    QCOMPARE(book.value(QStringLiteral("cols")).toInt(), 3);
    QCOMPARE(text(book, "A1"), QStringLiteral("Număr"));
    QCOMPARE(text(book, "B1"), QStringLiteral("Client"));
    QCOMPARE(text(book, "C1"), QStringLiteral("Stare"));
    QCOMPARE(widthPixels(book, "A"), 100);
    QCOMPARE(widthPixels(book, "B"), 250);
    QCOMPARE(widthPixels(book, "C"), 64);
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(text(book, QStringLiteral("A%1").arg(r + 2)), QStringLiteral("r%1c2").arg(r));
        QCOMPARE(text(book, QStringLiteral("B%1").arg(r + 2)), QStringLiteral("r%1c0").arg(r));
        QCOMPARE(text(book, QStringLiteral("C%1").arg(r + 2)), QStringLiteral("r%1c1").arg(r));
    }
    const QJsonObject heights = book.value(QStringLiteral("heights")).toObject();
    for (int r = 1; r <= 4; ++r)
        QCOMPARE(heights.value(QString::number(r)).toDouble(), 18.0); // 24 px in points
    QVERIFY(book.value(QStringLiteral("freeze")).isNull());
    QVERIFY(book.value(QStringLiteral("filter")).isNull());
    QVERIFY(book.value(QStringLiteral("merged")).toArray().isEmpty());
}

void TestXlsxExport::cellKinds_data()
{
    QTest::addColumn<int>("row"); // of the workbook all cases share
    QTest::addColumn<QString>("kind"); // as readxlsx.py reports it
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("format");

    QString memo;
    for (int i = 0; memo.size() < 10000; ++i)
        memo += QStringLiteral("linia %1: garanție extinsă; ").arg(i);
    memo.truncate(10000);

    // Every case is one row, its value between two texts so that a lost or
    // shifted cell shows; one export and one read-back serve them all.
    QStandardItemModel model(0, 3);
    auto addCase = [&model](const char *tag, const QVariant &value) -> QTestData & {
        const int row = model.rowCount();
        model.appendRow({item(QStringLiteral("before")), item(value), item(QStringLiteral("after"))});
        return QTest::newRow(tag) << row + 2;
    };

    const QDate day(2024, 3, 5);
    addCase("text", QVariant(QStringLiteral("Garanție ok"))) << "s" << QVariant("Garanție ok") << "General";
    addCase("memo 10000", QVariant(memo)) << "s" << QVariant(memo) << "General";
    addCase("text over cell limit", QVariant(QString(40000, u'x'))) << "s"
            << QVariant(QString(32767, u'x')) << "General";
    addCase("date", QVariant(day)) << "d" << QVariant("2024-03-05T00:00:00") << "dd.mm.yyyy";
    addCase("date in Jan 1900", QVariant(QDate(1900, 1, 15))) << "d" << QVariant("1900-01-15T00:00:00")
            << "dd.mm.yyyy";
    addCase("date in Mar 1900", QVariant(QDate(1900, 3, 1))) << "d" << QVariant("1900-03-01T00:00:00")
            << "dd.mm.yyyy";
    addCase("date before 1900", QVariant(QDate(1850, 1, 2))) << "s" << QVariant("02.01.1850") << "General";
    addCase("timestamp", QVariant(QDateTime(day, QTime(14, 30, 15)))) << "d"
            << QVariant("2024-03-05T14:30:15") << "dd.mm.yyyy hh:mm:ss";
    addCase("timestamp at midnight", QVariant(QDateTime(day, QTime(0, 0)))) << "d"
            << QVariant("2024-03-05T00:00:00") << "dd.mm.yyyy";
    addCase("true", QVariant(true)) << "s" << QVariant("True") << "General";
    addCase("false", QVariant(false)) << "s" << QVariant("False") << "General";
    addCase("int", QVariant(42)) << "n" << QVariant(42.0) << "General";
    addCase("uint", QVariant(4000000000u)) << "n" << QVariant(4000000000.0) << "General";
    addCase("bigint", QVariant(qlonglong(1234567890123))) << "n" << QVariant(1234567890123.0) << "General";
    addCase("double", QVariant(1234.5)) << "n" << QVariant(1234.5) << "General";
    addCase("bytes", QVariant(QByteArray("\x89PNG", 4))) << "e" << QVariant() << "General";
    addCase("other", QVariant(QTime(8, 5))) << "s" << QVariant(QVariant(QTime(8, 5)).toString()) << "General";
    addCase("null", QVariant()) << "e" << QVariant() << "General";
    addCase("null text", QVariant(QString())) << "e" << QVariant() << "General";
    addCase("null date", QVariant(QDate())) << "e" << QVariant() << "General";
    addCase("null timestamp", QVariant(QDateTime())) << "e" << QVariant() << "General";

    const QString path = m_dir.filePath(QStringLiteral("kinds.xlsx"));
    exportToXlsx(model, {{0, "A", 60}, {1, "B", 60}, {2, "C", 60}}, path, fixedFormats());
    QVERIFY(readBack(path, m_kinds));
}

void TestXlsxExport::cellKinds()
{
    QFETCH(int, row);
    QFETCH(QString, kind);
    QFETCH(QVariant, expected);
    QFETCH(QString, format);

    const QJsonObject &book = m_kinds;
    QVERIFY(!book.isEmpty());
    QCOMPARE(text(book, QStringLiteral("A%1").arg(row)), QStringLiteral("before"));
    QCOMPARE(text(book, QStringLiteral("C%1").arg(row)), QStringLiteral("after"));
    const QJsonObject c = cell(book, QStringLiteral("B%1").arg(row));
    QCOMPARE(c.value("t").toString(), kind);
    if (expected.isValid())
        QCOMPARE(c.value("v").toVariant(), expected);
    else
        QVERIFY(c.value("v").isNull());
    QCOMPARE(c.value("fmt").toString(), format);
}

void TestXlsxExport::systemFormatsWhenUnset()
{
    QStandardItemModel model(1, 2);
    model.setItem(0, 0, item(QDate(2024, 3, 5)));
    model.setItem(0, 1, item(QDateTime(QDate(2024, 3, 5), QTime(9, 41, 7))));
    const QString path = m_dir.filePath(QStringLiteral("system.xlsx"));
    exportToXlsx(model, {{0, "Date", 80}, {1, "Time", 80}}, path, ExportOptions());

    QJsonObject book;
    QVERIFY(readBack(path, book));
    const QLocale system = QLocale::system();
    const QString date = excelNumberFormat(system.dateFormat(QLocale::ShortFormat));
    QVERIFY(!date.isEmpty());
    QCOMPARE(cell(book, "A2").value("fmt").toString(), date);
    QCOMPARE(cell(book, "B2").value("fmt").toString(),
             date + u' ' + excelNumberFormat(system.timeFormat(QLocale::LongFormat)));
    QCOMPARE(cell(book, "B2").value("v").toString(), QStringLiteral("2024-03-05T09:41:07"));
}

void TestXlsxExport::groupedRows()
{
    QStandardItemModel model;
    fillGrouped(model);
    ExportOptions options = fixedFormats();
    options.groupLevels = 2;
    const QString path = m_dir.filePath(QStringLiteral("grouped.xlsx"));
    exportToXlsx(model, groupedColumns, path, options);

    QJsonObject book;
    QVERIFY(readBack(path, book));
    // Columns A, B indent; C..E data. A blank entry is an empty cell.
    const QList<QStringList> expected = {
        {"", "", "Product", "Count", "Sold"},
        {"-", "Client A", "", "", ""},
        {"", "-", "2024", "", ""},
        {"", "", "Pump", "2", "2024-01-10T00:00:00"},
        {"", "", "Valve", "5", "2024-06-01T00:00:00"},
        {"", "-", "2025", "", ""},
        {"", "", "Motor", "1", "2025-02-03T00:00:00"},
        {"-", "Client B", "", "", ""},
        {"", "-", "2024", "", ""},
        {"", "", "Fan", "7", "2024-09-09T00:00:00"},
    };
    QCOMPARE(book.value("rows").toInt(), expected.size());
    QCOMPARE(book.value("cols").toInt(), 5);
    for (int r = 0; r < expected.size(); ++r) {
        for (int c = 0; c < 5; ++c) {
            const QString ref = QChar(u'A' + c) + QString::number(r + 1);
            const QVariant v = cell(book, ref).value("v").toVariant();
            const QString got = v.typeId() == QMetaType::Double ? QString::number(v.toDouble()) : v.toString();
            QVERIFY2(got == expected[r][c], qPrintable(ref + ": " + got));
        }
    }
    const QJsonArray merged = {"B2:E2", "B8:E8", "C3:E3", "C6:E6", "C9:E9"};
    QCOMPARE(book.value("merged").toArray(), merged);
    QCOMPARE(widthPixels(book, "A"), 20);
    QCOMPARE(widthPixels(book, "B"), 20);
    QCOMPARE(widthPixels(book, "C"), 120);
    QCOMPARE(widthPixels(book, "E"), 90);
}

void TestXlsxExport::styles()
{
    GridStyleSheet sheet;
    QFont headerFont(QStringLiteral("Tahoma"), 9);
    headerFont.setBold(true);
    sheet.header = {QColor(0x31, 0x6A, 0xC5), QColor(Qt::white), headerFont};
    sheet.content = {QColor(Qt::white), QColor(Qt::black), QFont(QStringLiteral("Verdana"), 10)};
    sheet.contentEven = {QColor(0xEE, 0xF3, 0xFA), std::nullopt, std::nullopt};
    sheet.contentOdd = {std::nullopt, QColor(0x80, 0, 0), std::nullopt};
    sheet.group = {QColor(0xD4, 0xD0, 0xC8), std::nullopt, std::nullopt};

    QStandardItemModel model;
    fillGrouped(model);
    ExportOptions options = fixedFormats();
    options.styles = &sheet;
    options.groupLevels = 2;
    const QString path = m_dir.filePath(QStringLiteral("styled.xlsx"));
    exportToXlsx(model, groupedColumns, path, options);

    QJsonObject book;
    QVERIFY(readBack(path, book));
    for (const char *ref : {"A1", "C1", "E1"}) { // indent cells of the header are styled too
        const QJsonObject h = cell(book, ref);
        QCOMPARE(h.value("fill").toString(), QStringLiteral("FF316AC5"));
        QCOMPARE(h.value("color").toString(), QStringLiteral("FFFFFFFF"));
        QVERIFY(h.value("bold").toBool());
        QCOMPARE(h.value("font").toString(), QStringLiteral("Tahoma"));
        QCOMPARE(h.value("size").toDouble(), 9.0);
    }
    QCOMPARE(cell(book, "B2").value("fill").toString(), QStringLiteral("FFD4D0C8"));
    QCOMPARE(cell(book, "A2").value("fill").toString(), QStringLiteral("FFD4D0C8"));

    // Data rows 4, 5, 7: the first is even, the second odd, counted over data rows only.
    const QJsonObject even = cell(book, "C4");
    QCOMPARE(even.value("fill").toString(), QStringLiteral("FFEEF3FA"));
    QCOMPARE(even.value("color").toString(), QStringLiteral("FF000000"));
    QCOMPARE(even.value("font").toString(), QStringLiteral("Verdana"));
    QCOMPARE(even.value("size").toDouble(), 10.0);
    QVERIFY(!even.value("bold").toBool());
    const QJsonObject odd = cell(book, "E5");
    QCOMPARE(odd.value("fill").toString(), QStringLiteral("FFFFFFFF"));
    QCOMPARE(odd.value("color").toString(), QStringLiteral("FF800000"));
    QCOMPARE(odd.value("font").toString(), QStringLiteral("Verdana"));
    QCOMPARE(odd.value("fmt").toString(), QStringLiteral("dd.mm.yyyy")); // style and date format together
    QCOMPARE(cell(book, "D7").value("fill").toString(), QStringLiteral("FFEEF3FA"));

    for (const char *ref : {"C1", "C4", "D5", "B2"}) {
        QCOMPARE(cell(book, ref).value("border").toString(), QStringLiteral("thin"));
        QCOMPARE(cell(book, ref).value("borderColor").toString(), QStringLiteral("FFD4D4D4"));
    }
}

void TestXlsxExport::unwritablePath_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder") << "missing/raport.xlsx" << "No such file or directory";
    QTest::newRow("a folder") << "folder.xlsx" << "Is a directory";
}

void TestXlsxExport::unwritablePath()
{
    QFETCH(QString, relative);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    const QString path = dir.filePath(relative);
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, item(QStringLiteral("x")));
    try {
        exportToXlsx(model, {{0, "A", 50}}, path, fixedFormats());
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    }
    // Nothing written anywhere: only the folder made above remains.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("folder.xlsx")});
    QVERIFY(QDir(dir.filePath("folder.xlsx")).isEmpty());
}

// With the header, one row more than a sheet holds: refused before writing.
void TestXlsxExport::tooManyRowsForASheet()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.xlsx"));
    EmptyRows model(1048576);
    try {
        exportToXlsx(model, {{0, "A", 50}}, path, fixedFormats());
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". An Excel worksheet holds at most "
                                             "1048576 rows.").arg(path));
    }
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestXlsxExport::overwritesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ExportGarantii.xlsx"));
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, item(QStringLiteral("first")));
    exportToXlsx(model, {{0, "A", 50}}, path, fixedFormats());

    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly)); // a non-workbook left behind must not matter
    old.write(QByteArray(100000, 'z'));
    old.close();

    model.setItem(0, 0, item(QStringLiteral("second")));
    exportToXlsx(model, {{0, "Nou", 50}}, path, fixedFormats());
    QJsonObject book;
    QVERIFY(readBack(path, book));
    QCOMPARE(text(book, "A1"), QStringLiteral("Nou"));
    QCOMPARE(text(book, "A2"), QStringLiteral("second"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("ExportGarantii.xlsx")});
}

QTEST_MAIN(TestXlsxExport)
#include "tst_xlsxexport.moc"
