#include "app/u_frmMenuVarnok.h"
#include "app/varnokapplication.h"
#include "data/error.h"
#include "desktop/desktop.h"
#include "grid/combodelegate.h"
#include "grid/gridview.h"
#include "grid/presentationmodel.h"
#include "register/u_frmArticoleCuGarantieZQ.h"
#include "register/u_frmVarnok.h"
#include "register/warrantydatasets.h"
#include "signin/u_dmCon.h"
#include "signin/u_frmLogin.h"
#include "support/sandbox.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {
class RecordingDesktop : public Desktop
{
public:
    QStringList errors;
    void showError(QWidget *, const QString &text) override { errors << text; }
};

void saveShot(QWidget *w, const char *name)
{
    // Screenshots for a person to look at, when asked for.
    const QString dir = qEnvironmentVariable("VARNOK_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(QDir(dir).filePath(QString::fromLatin1(name) + ".png"));
}
} // namespace

// The register as a clerk uses it, against the sandbox: sign in, search,
// register a warranty through the picker, and the picker's choice of units.
class RegisterTest : public QObject
{
    Q_OBJECT
    QString m_db;
    RecordingDesktop m_desktop;

    QList<QStringList> rows(const QString &sql) { return sandbox::rows(sandbox::company(), m_db, sql); }
    void exec(const QString &sql) { sandbox::exec(sandbox::company(), m_db, sql); }
    WarrantyDataSets *data() { return frmVarnok->data; }

    // Runs f once the picker is shown modally, then closes it with OK or not.
    template<typename F> void whilePickerShown(F f, bool ok)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [poll, f, ok] {
            if (!frmArticoleCuGarantieZQ->isVisible())
                return;
            poll->deleteLater();
            poll->stop();
            f();
            if (ok)
                QTest::mouseClick(frmArticoleCuGarantieZQ->ButtonOK, Qt::LeftButton);
            else
                frmArticoleCuGarantieZQ->reject();
        });
        poll->start(20);
    }
    QStringList pickerArticles()
    {
        QStringList out;
        DataSet *ds = frmArticoleCuGarantieZQ->dsArtCuGarantieZQ;
        for (int r = 0; r < ds->rowCount(); ++r)
            out << ds->value(r, ds->fieldIndex("articol")).toString();
        return out;
    }
    void goTo(const QString &articol)
    {
        DataSet *w = data()->dsEGarantii;
        for (int r = 0; r < w->rowCount(); ++r)
            if (w->value(r, w->fieldIndex("articol")).toString() == articol)
                return w->moveTo(r);
        QFAIL("warranty not listed");
    }
    QModelIndex cell(GridView *grid, const QString &column)
    {
        PresentationModel *m = grid->presentationModel();
        const int ordinal = m->ordinalOf(grid->dataSet()->currentRow());
        const int c = grid->dataSet()->fieldIndex(column);
        return m->index(ordinal, c);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Desktop::install(&m_desktop);
        m_db = sandbox::createCompanyDb("register");
        const QString directory = sandbox::createDirectoryDb("register");
        sandbox::exec(sandbox::directory(), directory,
                      QString("insert into m_firma values ('Firma', '127.0.0.1', %1, '%2', true, false)")
                          .arg(sandbox::company().port)
                          .arg(m_db));
        exec(QString("insert into emitent (emitent, operator_parola) values ('ana', 'x');"
                     "insert into aplicatie_mob values ('%1', true, null);"
                     "insert into aplicatie_mob_emitent values ('%1', 'ana', 'operator');"
                     "insert into e_scop_achizitie values ('Uz personal'), ('Revanzare');"
                     "insert into partener values ('Client SRL', false), ('Dealer SRL', true);"
                     "insert into articol (articol, producator) values ('P-2021', 'Stihl'), "
                     "('P-2020', 'Stihl'), ('P-DEALER', 'Bosch'), ('P-CU-GARANTIE', 'Bosch'), "
                     "('P-NOU', 'Makita'), ('D-1', 'Husqvarna');"
                     "insert into factura_linie (data_doc, tip_doc, nr_doc, partener, articol) values "
                     "('2021-01-01', 'FACT', '1', 'Client SRL', 'P-2021'),"
                     "('2020-12-31', 'FACT', '2', 'Client SRL', 'P-2020'),"
                     "('2024-05-01', 'FACT', '3', 'Dealer SRL', 'P-DEALER'),"
                     "('2024-05-02', 'FACT', '4', 'Client SRL', 'P-CU-GARANTIE'),"
                     "('2025-02-03', 'FACT', '5', 'Client SRL', 'P-NOU'),"
                     "('2023-01-01', 'FACT', '6', 'Dealer SRL', 'D-1');"
                     "insert into e_garantii (articol, nr_garantie, scop_achizitie, client_localitate) values "
                     "('P-CU-GARANTIE', 'G-1', 'Scop vechi', 'Cluj'), ('D-1', 'G-D', null, 'Iasi');")
                 .arg(applicationTitle()));

        createApplicationObjects();
        dmCon->conQelMob->setDatabase(directory);
        frmLogin->Edit1->setText("Firma");
        frmLogin->Edit2->setText("ana");
        frmLogin->Edit3->setText("x");
        frmLogin->Button1Click();
        frmMenuVarnok->show();
        saveShot(frmMenuVarnok, "menu");
    }

    void cleanupTestCase()
    {
        destroyApplicationObjects();
        Desktop::install(nullptr);
    }

    void garantiiShowsOneWindowWithItsPurposeList()
    {
        frmMenuVarnok->Button1Click();
        frmMenuVarnok->Button1Click();
        QTRY_VERIFY(frmVarnok->isVisible());
        int windows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows += qobject_cast<TfrmVarnok *>(w) != nullptr;
        QCOMPARE(windows, 1);
        auto *combo = qobject_cast<ComboDelegate *>(frmVarnok->cxGrid1->delegateFor("scop_achizitie"));
        QVERIFY(combo);
        QCOMPARE(combo->items(), QStringList({"Revanzare", "Uz personal"}));
        QVERIFY(!data()->dsScopAchizitie->isActive());
        QVERIFY(!data()->dsEGarantii->isActive()); // grids stay empty until Cauta
    }

    void theEllipsisBeforeCautaAsksForIt()
    {
        bool pickerShown = false;
        QTimer watch; // local, so it cannot fire into a later test
        connect(&watch, &QTimer::timeout, this, [&] {
            if (frmArticoleCuGarantieZQ->isVisible()) {
                pickerShown = true;
                frmArticoleCuGarantieZQ->reject();
            }
        });
        watch.start(10);
        try {
            frmVarnok->cxGrid1DBTableView1articolPropertiesButtonClick();
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("Apasati butonul \"Cauta\""));
        }
        QVERIFY(!pickerShown);
    }

    void thePickerListsInvoicedUnitsWithoutWarranty()
    {
        QTest::mouseClick(frmVarnok->ButtonCauta, Qt::LeftButton);
        QVERIFY(data()->dsEGarantii->isActive());
        QVERIFY(data()->dsEGarantiiExtDoc->isActive());
        goTo("P-CU-GARANTIE");
        QStringList listed;
        whilePickerShown([&] {
            listed = pickerArticles();
            saveShot(frmArticoleCuGarantieZQ, "picker");
        }, false);
        frmVarnok->cxGrid1DBTableView1articolPropertiesButtonClick();
        QVERIFY2(m_desktop.errors.isEmpty(), qPrintable(m_desktop.errors.join('\n')));
        // Newest first; 2020, dealers and units with a warranty never appear.
        QCOMPARE(listed, QStringList({"P-NOU", "P-2021"}));
        QCOMPARE(data()->dsEGarantii->state(), DataSet::State::Browse); // closed: no choice
        QVERIFY(!frmArticoleCuGarantieZQ->cxGrid1->dataSet()->canModify());
    }

    void registeringAWarrantyEndToEnd()
    {
        GridView *grid = frmVarnok->cxGrid1;
        grid->insertRecord();
        QCOMPARE(data()->dsEGarantii->state(), DataSet::State::Insert);
        whilePickerShown([&] {
            DataSet *units = frmArticoleCuGarantieZQ->dsArtCuGarantieZQ;
            units->moveTo(pickerArticles().indexOf("P-2021"));
        }, true);
        frmVarnok->cxGrid1DBTableView1articolPropertiesButtonClick();
        QCOMPARE(data()->dsEGarantii->value("articol"), Value("P-2021"));
        PresentationModel *m = grid->presentationModel();
        QVERIFY(m->setData(cell(grid, "client_proprietar"), "Ion Popescu"));
        QVERIFY(m->setData(cell(grid, "client_localitate"), "Brasov"));
        QVERIFY(m->setData(cell(grid, "scop_achizitie"), "Uz personal"));
        grid->postEdit();
        QVERIFY2(m_desktop.errors.isEmpty(), qPrintable(m_desktop.errors.join('\n')));
        QCOMPARE(rows("select client_proprietar, client_localitate, scop_achizitie from e_garantii "
                      "where articol = 'P-2021'"),
                 (QList<QStringList>{{"Ion Popescu", "Brasov", "Uz personal"}}));

        QStringList listed;
        whilePickerShown([&] { listed = pickerArticles(); }, false);
        frmVarnok->cxGrid1DBTableView1articolPropertiesButtonClick();
        QCOMPARE(listed, QStringList({"P-NOU"}));

        frmVarnok->ButtonCautaClick();
        goTo("P-2021");
        QCOMPARE(data()->dsEGarantii->value("partener"), Value("Client SRL"));
        QCOMPARE(data()->dsEGarantii->value("producator"), Value("Stihl"));
        saveShot(frmVarnok, "register");
    }

    void aDealerWarrantyRefusesThePickedArticle()
    {
        goTo("D-1");
        whilePickerShown([] {}, true);
        try {
            frmVarnok->cxGrid1DBTableView1articolPropertiesButtonClick();
            QFAIL("dealer warranty changed");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("Garantie adaugata de dealer, nu se poate modifica."));
        }
        QCOMPARE(data()->dsEGarantii->value("articol"), Value("D-1"));
        QCOMPARE(data()->dsEGarantii->state(), DataSet::State::Browse);

        // Typing into a cell of it is refused the same way, through the error display.
        m_desktop.errors.clear();
        GridView *grid = frmVarnok->cxGrid1;
        QVERIFY(!grid->presentationModel()->setData(cell(grid, "client_localitate"), "Vaslui"));
        QCOMPARE(m_desktop.errors, QStringList{"Garantie adaugata de dealer, nu se poate modifica."});
        QCOMPARE(data()->dsEGarantii->state(), DataSet::State::Browse);
        m_desktop.errors.clear();
    }

    void theLowerGridsKeepToTheBottomEdge()
    {
        const QRect top = frmVarnok->cxGrid1->geometry();
        const QRect docs = frmVarnok->cxGrid2->geometry();
        const QPoint button = frmVarnok->Button2->pos();
        frmVarnok->resize(frmVarnok->width() + 100, frmVarnok->height() + 60);
        QCOMPARE(frmVarnok->cxGrid1->geometry(), top.adjusted(0, 0, 100, 60));
        QCOMPARE(frmVarnok->cxGrid2->geometry(), docs.translated(0, 60).adjusted(0, 0, 100, 0));
        QCOMPARE(frmVarnok->Button2->pos(), button + QPoint(0, 60));
        frmVarnok->resize(frmVarnok->width() - 100, frmVarnok->height() - 60);
    }

    void aFileDroppedOnTheDocumentsGridIsAttached()
    {
        goTo("P-2021");
        QTemporaryDir dir;
        QFile f(dir.filePath("factura.scan.PDF"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.7 dropped");
        f.close();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(f.fileName())});
        QWidget *target = frmVarnok->cxGrid2->view()->viewport();
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QApplication::sendEvent(target, &drop);
        DataSet *docs = data()->dsEGarantiiDoc;
        QVERIFY2(m_desktop.errors.isEmpty(), qPrintable(m_desktop.errors.join('\n')));
        QCOMPARE(docs->state(), DataSet::State::Insert);
        QCOMPARE(docs->value("articol"), Value("P-2021"));
        QCOMPARE(docs->value("extensie_doc"), Value("PDF"));
        QCOMPARE(docs->value("continut_doc"), Value(QByteArray("%PDF-1.7 dropped")));
        docs->cancel();

        // A dealer's warranty refuses a dropped document too.
        goTo("D-1");
        m_desktop.errors.clear();
        QApplication::sendEvent(target, &enter);
        QApplication::sendEvent(target, &drop);
        QCOMPARE(m_desktop.errors, QStringList{"Garantie adaugata de dealer, nu puteti adauga documente."});
        QCOMPARE(docs->state(), DataSet::State::Browse);
        m_desktop.errors.clear();
    }

    void reopeningKeepsRowsAndFiltersAndRebuildsPurposes()
    {
        GridView *grid = frmVarnok->cxGrid1;
        grid->setFilterRowText("client_localitate", "cluj");
        const int shown = grid->presentationModel()->presentedRowCount();
        QCOMPARE(shown, 1);
        frmVarnok->close();
        exec("insert into e_scop_achizitie values ('Inchiriere')");
        frmMenuVarnok->Button1Click();
        QTRY_VERIFY(frmVarnok->isVisible());
        QCOMPARE(grid->presentationModel()->presentedRowCount(), shown);
        QCOMPARE(grid->filterRowText("client_localitate"), QString("cluj"));
        auto *combo = qobject_cast<ComboDelegate *>(grid->delegateFor("scop_achizitie"));
        QVERIFY(combo->items().contains("Inchiriere"));
        // A stored purpose no longer in the list still shows in its cell.
        goTo("P-CU-GARANTIE");
        QCOMPARE(cell(grid, "scop_achizitie").data().toString(), QString("Scop vechi"));
        grid->setFilterRowText("client_localitate", QString());
    }
};

int main(int argc, char **argv)
{
    VarnokApplication app(argc, argv);
    RegisterTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_register.moc"
