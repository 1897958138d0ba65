#include "app/varnokapplication.h"
#include "data/error.h"
#include "desktop/desktop.h"
#include "grid/gridview.h"
#include "register/u_frmVarnok.h"
#include "register/warrantydatasets.h"
#include "signin/u_dmCon.h"
#include "support/sandbox.h"
#include "support/workbook.h"

#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Answers the save dialog and records what would be opened.
class ExportDesktop : public Desktop
{
public:
    QString answer;
    QString proposed;
    QString filter;
    QStringList opened;
    QStringList errors;
    QString saveFileName(QWidget *, const QString &p, const QString &f) override
    {
        proposed = p;
        filter = f;
        return answer;
    }
    void openPath(const QString &path) override { opened << path; }
    void showError(QWidget *, const QString &text) override { errors << text; }
};
} // namespace

// "Export Excel" on the warranty grid, read back with an independent reader:
// what the grid presents, in its order, grouping and filter.
class WarrantyExportTest : public QObject
{
    Q_OBJECT
    ExportDesktop m_desktop;
    QTemporaryDir m_dir;

    GridView *grid() { return frmVarnok->cxGrid1; }
    QJsonObject exportAs(const QString &name)
    {
        m_desktop.answer = m_dir.filePath(name);
        frmVarnok->Button3Click();
        return workbook::read(frmVarnok->LabelPathSaveFile->text());
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Desktop::install(&m_desktop);
        const QString db = sandbox::createCompanyDb("warrantyexport");
        sandbox::exec(sandbox::company(), db,
                      "insert into partener values ('Client SRL', false), ('Dealer SRL', true);"
                      "insert into articol (articol, producator) values ('A1', 'Stihl'), ('A2', 'Bosch'), ('A3', 'Makita');"
                      "insert into factura_linie (data_doc, tip_doc, nr_doc, partener, articol) values "
                      "('2024-01-01', 'FACT', '1', 'Client SRL', 'A1'), ('2024-01-02', 'FACT', '2', 'Dealer SRL', 'A2');"
                      "insert into e_garantii (articol, data_garantie, client_localitate, este_pers_juridica, "
                      "obs_garantie, data_ins) values "
                      "('A1', '2024-02-01', 'Cluj', true, repeat('x', 10000), '2024-02-01 10:11:12.123456'),"
                      "('A2', '2024-03-01', 'Iasi', false, null, '2024-03-01 00:00:00'),"
                      "('A3', '2024-01-15', 'Cluj', null, null, null);"
                      "insert into e_garantii_doc (articol, nume_doc) values ('A1', 'd1'), ('A1', 'd2');");
        dmCon = new TdmCon;
        dmCon->conQel->setDatabase(db);
        dmCon->conQel->setServer("127.0.0.1");
        dmCon->conQel->setPort(sandbox::company().port);
        frmVarnok = new TfrmVarnok;
        frmVarnok->show();
        frmVarnok->ButtonCautaClick();
    }

    void cleanupTestCase()
    {
        delete frmVarnok;
        delete dmCon;
        Desktop::install(nullptr);
    }

    void theWholeListWithHeadersAndCellKinds()
    {
        const QJsonObject book = exportAs("ExportGarantii.xlsx");
        QCOMPARE(m_desktop.filter, QString("*.xlsx"));
        QVERIFY(m_desktop.proposed.endsWith("/ExportGarantii.xlsx"));
        QCOMPARE(book.value("sheets").toArray().first().toString(), QString("ExportGarantii"));
        QCOMPARE(book.value("cols").toInt(), 28);
        QCOMPARE(book.value("rows").toInt(), 4);
        QCOMPARE(workbook::text(book, "A1"), QString("articol"));
        QCOMPARE(workbook::text(book, "AB1"), QString("nr_e_garantii_ext_doc"));
        // Rows in the list's order: by data_garantie.
        QCOMPARE(workbook::text(book, "A2"), QString("A3"));
        QCOMPARE(workbook::text(book, "A3"), QString("A1"));
        const QJsonObject date = workbook::cell(book, "B3");
        QCOMPARE(date.value("t").toString(), QString("d"));
        QVERIFY(date.value("v").toString().startsWith("2024-02-01"));
        QCOMPARE(workbook::text(book, "H3"), QString("True"));  // este_pers_juridica
        QCOMPARE(workbook::text(book, "H4"), QString("False"));
        QCOMPARE(workbook::cell(book, "H2").value("t").toString(), QString("e")); // null
        QCOMPARE(workbook::text(book, "U3").size(), 10000);      // obs_garantie in full
        QCOMPARE(workbook::cell(book, "Y3").value("t").toString(), QString("d")); // data_ins
        QVERIFY(workbook::cell(book, "Y3").value("v").toString().startsWith("2024-02-01T10:11:12"));
        QCOMPARE(workbook::cell(book, "Z3").value("t").toString(), QString("n")); // nr_e_garantii_doc
        QCOMPARE(workbook::cell(book, "Z3").value("v").toInt(), 2);
        QCOMPARE(workbook::cell(book, "Z2").value("t").toString(), QString("e"));
        QCOMPARE(workbook::cell(book, "A1").value("fill").toString().right(6), QString("316AC5"));
        QCOMPARE(m_desktop.opened.last(), frmVarnok->LabelPathSaveFile->text());
        QVERIFY(frmVarnok->LabelPathSaveFile->text().endsWith("ExportGarantii.xlsx"));
    }

    void onlyTheFilteredRowsInTheSortOrder()
    {
        grid()->setFilterRowText("client_localitate", "cluj");
        grid()->sortBy("data_garantie", Qt::DescendingOrder);
        const QJsonObject book = exportAs("oras.xlsx");
        grid()->setFilterRowText("client_localitate", QString());
        grid()->sortBy(QString());
        QCOMPARE(book.value("rows").toInt(), 3);
        QCOMPARE(workbook::text(book, "A2"), QString("A1"));
        QCOMPARE(workbook::text(book, "A3"), QString("A3"));
    }

    void groupsBecomeIndentedRowsWithoutTheirColumn()
    {
        grid()->groupBy({"client_localitate"});
        const QJsonObject book = exportAs("grupat.xlsx");
        grid()->groupBy({});
        QCOMPARE(book.value("cols").toInt(), 28); // one indent, one column fewer
        QCOMPARE(workbook::text(book, "B1"), QString("articol"));
        QCOMPARE(workbook::text(book, "A2"), QString("-"));
        QVERIFY(workbook::text(book, "B2").contains("Cluj"));
        QVERIFY(book.value("merged").toArray().first().toString().startsWith("B2:"));
        QCOMPARE(workbook::text(book, "B3"), QString("A3"));
        const QJsonObject cells = book.value("cells").toObject();
        const QRegularExpression headerRow("^[A-Z]+1$");
        for (auto it = cells.begin(); it != cells.end(); ++it)
            if (headerRow.match(it.key()).hasMatch())
                QVERIFY(it.value().toObject().value("v").toString() != "client_localitate");
    }

    void aNameWithoutExtensionGetsOne()
    {
        exportAs("raport");
        const QString written = frmVarnok->LabelPathSaveFile->text();
        QCOMPARE(written, QDir::toNativeSeparators(m_dir.filePath("raport.xlsx")));
        QVERIFY(QFile::exists(written));
        QCOMPARE(m_desktop.opened.last(), written);
    }

    void cancelAndFailureChangeNothing()
    {
        const QString before = frmVarnok->LabelPathSaveFile->text();
        const int opened = m_desktop.opened.size();
        m_desktop.answer.clear();
        frmVarnok->Button3Click();
        QCOMPARE(frmVarnok->LabelPathSaveFile->text(), before);

        m_desktop.answer = m_dir.filePath("lipsa/raport.xlsx");
        try {
            frmVarnok->Button3Click();
            QFAIL("exported into a missing folder");
        } catch (const Error &e) {
            QVERIFY2(e.message().startsWith("Cannot create file \"" + QDir::toNativeSeparators(m_desktop.answer) + "\". "),
                     qPrintable(e.message()));
        }
        QCOMPARE(frmVarnok->LabelPathSaveFile->text(), before);
        QCOMPARE(m_desktop.opened.size(), opened);
        QVERIFY(grid()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
};

int main(int argc, char **argv)
{
    VarnokApplication app(argc, argv);
    WarrantyExportTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_warrantyexport.moc"
