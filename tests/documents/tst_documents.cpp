#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "desktop/desktop.h"
#include "register/documents.h"
#include "register/warrantydatasets.h"
#include "support/errortext.h"
#include "support/sandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>

namespace {
// Answers the file dialog and records what the program asks of the desktop.
class TestDesktop : public Desktop
{
public:
    QString chosenFile;
    int fileDialogs = 0;
    QString filter = "<no dialog>";
    QStringList opened;
    QStringList errors;
    QString folder;

    void showError(QWidget *, const QString &text) override { errors << text; }
    bool confirm(QWidget *, const QString &) override { return true; }
    QString openFileName(QWidget *, const QString &asked) override
    {
        ++fileDialogs;
        filter = asked;
        return chosenFile;
    }
    void openPath(const QString &path) override { opened << path; }
    QString openedDocumentsFolder() override
    {
        QDir().mkpath(folder);
        return folder;
    }
};

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing " + path.toUtf8() + ">";
    return f.readAll();
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A document list held on the client, for the rules that need no server.
std::unique_ptr<DataSet> memoryDocuments()
{
    auto ds = std::make_unique<DataSet>(nullptr, QString());
    ds->setFields({{"nume_doc", FieldKind::Memo},
                   {"extensie_doc", FieldKind::Text, 10},
                   {"continut_doc", FieldKind::Bytes}});
    ds->open();
    return ds;
}

void addDocument(DataSet &ds, const QString &name, const QString &extension, const QByteArray &bytes)
{
    ds.append();
    ds.setValue("nume_doc", Value(name));
    ds.setValue("extensie_doc", Value(extension));
    ds.setValue("continut_doc", Value(bytes));
    ds.post();
}
} // namespace

// Attaching files to warranty and extension documents and opening them again.
class DocumentsTest : public QObject
{
    Q_OBJECT
    QString m_db;
    std::unique_ptr<Connection> m_con;
    std::unique_ptr<WarrantyDataSets> m_ds;
    std::unique_ptr<QTemporaryDir> m_tmp;
    TestDesktop m_desktop;

    QList<QStringList> rows(const QString &sql) { return sandbox::rows(sandbox::company(), m_db, sql); }
    void exec(const QString &sql) { sandbox::exec(sandbox::company(), m_db, sql); }

    QString cacheFolder() const { return m_tmp->path() + "/cache"; }
    QString inputFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_tmp->path() + "/in/" + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // What the opened-documents folder and its parent hold.
    QStringList writtenFiles() const
    {
        QStringList found;
        for (const QString &dir : {cacheFolder(), m_desktop.folder})
            for (const QFileInfo &fi : QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden
                                                               | QDir::System | QDir::NoDotAndDotDot))
                if (fi.absoluteFilePath() != QFileInfo(m_desktop.folder).absoluteFilePath())
                    found << fi.fileName();
        return found;
    }

    std::unique_ptr<WarrantyDataSets> openSets()
    {
        auto sets = std::make_unique<WarrantyDataSets>(m_con.get());
        for (DataSet *ds : {sets->dsEGarantii, sets->dsEGarantiiDoc, sets->dsEGarantiiExt,
                            sets->dsEGarantiiExtDoc})
            ds->open();
        return sets;
    }
    static void goTo(WarrantyDataSets &sets, const QString &articol)
    {
        DataSet *w = sets.dsEGarantii;
        for (int r = 0; r < w->rowCount(); ++r)
            if (w->value(r, w->fieldIndex("articol")).toString() == articol) {
                w->moveTo(r);
                return;
            }
        qFatal("no warranty %s", qPrintable(articol));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Desktop::install(&m_desktop);
        m_db = sandbox::createCompanyDb("documents");
        m_con = std::make_unique<Connection>("varnok_company", true);
        m_con->setDatabase(m_db);
    }

    void cleanupTestCase() { Desktop::install(nullptr); }

    void init()
    {
        // U1 a customer's warranty with one document and an extension without
        // any; U2 a dealer's; U3 a customer's without documents.
        exec("truncate e_garantii, e_garantii_doc, e_garantii_ext, e_garantii_ext_doc, "
             "factura_linie, articol, partener cascade;"
             "insert into partener values ('Client SRL', false), ('Dealer SRL', true);"
             "insert into articol (articol, producator) values ('U1', 'Stihl'), ('U2', 'Stihl'), "
             "('U3', 'Bosch');"
             "insert into factura_linie (data_doc, tip_doc, nr_doc, partener, articol) values "
             "('2024-01-10', 'FACT', '100', 'Client SRL', 'U1'),"
             "('2024-01-11', 'FACT', '101', 'Dealer SRL', 'U2'),"
             "('2024-01-12', 'FACT', '102', 'Client SRL', 'U3');"
             "insert into e_garantii (articol, data_garantie, nr_garantie) values "
             "('U1', '2024-02-01', 'G-1'), ('U2', '2024-02-02', 'G-2'), ('U3', '2024-02-03', 'G-3');"
             "insert into e_garantii_doc (articol, data_ins, nume_doc, extensie_doc, continut_doc) "
             "values ('U1', '2024-03-01 10:00:00', 'factura', 'pdf', 'old'),"
             "('U2', '2024-03-01 10:00:00', 'dealer', 'pdf', 'dealer');"
             "insert into e_garantii_ext (articol, data_ins, nr_garantie_ext) values "
             "('U1', '2024-04-01 09:00:00.654321', 'E-1'), ('U2', '2024-04-02 09:00:00', 'E-2');");
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_desktop = TestDesktop();
        m_desktop.folder = cacheFolder() + "/documents";
        m_ds = openSets();
    }

    void cleanup() { m_ds.reset(); }

    void aLargeFileTravelsUnchangedToTheOpenedCopy()
    {
        const QByteArray bytes = randomBytes(6 * 1024 * 1024 + 3, 7);
        m_desktop.chosenFile = inputFile("scan.final.PDF", bytes);
        goTo(*m_ds, "U3");
        DataSet *doc = m_ds->dsEGarantiiDoc;
        attachWarrantyDocument(*m_ds, nullptr);
        QCOMPARE(doc->state(), DataSet::State::Insert);
        QCOMPARE(doc->value("extensie_doc"), Value("PDF"));
        doc->setValue("nume_doc", Value("Garantie 12"));
        doc->post();
        QCOMPARE(rows("select nume_doc, extensie_doc, length(continut_doc), md5(continut_doc) "
                      "from e_garantii_doc where articol = 'U3'"),
                 (QList<QStringList>{{"Garantie 12", "PDF", QString::number(bytes.size()),
                                      QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()}}));

        auto reread = openSets();
        goTo(*reread, "U3");
        QCOMPARE(reread->dsEGarantiiDoc->rowCount(), 1);
        openDocument(*reread->dsEGarantiiDoc, nullptr);
        const QString expected = m_desktop.folder + "/Garantie 12.PDF";
        QCOMPARE(m_desktop.opened, QStringList{expected});
        QVERIFY(readFile(expected) == bytes);
        QCOMPARE(writtenFiles(), QStringList{"Garantie 12.PDF"}); // no temporary left behind
    }

    void attachingEditsTheDocumentAndCancelKeepsTheEdit_data()
    {
        QTest::addColumn<QString>("articol");
        QTest::addColumn<bool>("choose");
        QTest::addColumn<int>("state");
        QTest::newRow("existing document, file chosen") << "U1" << true << int(DataSet::State::Edit);
        QTest::newRow("existing document, cancelled") << "U1" << false << int(DataSet::State::Edit);
        QTest::newRow("empty list, file chosen") << "U3" << true << int(DataSet::State::Insert);
        QTest::newRow("empty list, cancelled") << "U3" << false << int(DataSet::State::Insert);
    }
    void attachingEditsTheDocumentAndCancelKeepsTheEdit()
    {
        QFETCH(QString, articol);
        QFETCH(bool, choose);
        QFETCH(int, state);
        m_desktop.chosenFile = choose ? inputFile("poza.jpeg", "JFIF") : QString();
        goTo(*m_ds, articol);
        DataSet *doc = m_ds->dsEGarantiiDoc;
        const Value extension = doc->value("extensie_doc");
        const Value content = doc->value("continut_doc");
        attachWarrantyDocument(*m_ds, nullptr);
        QCOMPARE(m_desktop.fileDialogs, 1);
        QCOMPARE(m_desktop.filter, QString()); // any file
        QCOMPARE(int(doc->state()), state);
        QCOMPARE(doc->value("extensie_doc"), choose ? Value("jpeg") : extension);
        QCOMPARE(doc->value("continut_doc"), choose ? Value(QByteArray("JFIF")) : content);
        if (articol == "U1" && choose) {
            doc->post(); // replaces the document's file, adds none
            QCOMPARE(rows("select nume_doc, extensie_doc, encode(continut_doc, 'escape') "
                          "from e_garantii_doc where articol = 'U1'"),
                     (QList<QStringList>{{"factura", "jpeg", "JFIF"}}));
        }
    }

    void aDroppedFileGoesThroughTheSameRules()
    {
        const QString file = inputFile("bon.png", "PNG");
        goTo(*m_ds, "U2");
        QCOMPARE(messageOf([&] { attachFile(*m_ds->dsEGarantiiDoc, file); }),
                 QString("Garantie adaugata de dealer, nu se poate modifica."));
        goTo(*m_ds, "U3");
        DataSet *doc = m_ds->dsEGarantiiDoc;
        attachFile(*doc, file);
        QCOMPARE(doc->state(), DataSet::State::Insert);
        QCOMPARE(doc->value("extensie_doc"), Value("png"));
        QCOMPARE(doc->value("continut_doc"), Value(QByteArray("PNG")));
        QCOMPARE(m_desktop.fileDialogs, 0);
    }

    void aDealersWarrantyRefusesBeforeTheFileDialog_data()
    {
        QTest::addColumn<bool>("emptyList");
        QTest::addColumn<QString>("message");
        QTest::newRow("document") << false << "Garantie adaugata de dealer, nu se poate modifica.";
        QTest::newRow("no documents yet")
            << true << "Garantie adaugata de dealer, nu puteti adauga documente.";
    }
    void aDealersWarrantyRefusesBeforeTheFileDialog()
    {
        QFETCH(bool, emptyList);
        QFETCH(QString, message);
        if (emptyList) {
            exec("delete from e_garantii_doc where articol = 'U2'");
            m_ds = openSets();
        }
        m_desktop.chosenFile = inputFile("x.pdf", "x");
        goTo(*m_ds, "U2");
        QCOMPARE(messageOf([&] { attachWarrantyDocument(*m_ds, nullptr); }), message);
        QCOMPARE(m_desktop.fileDialogs, 0);
        QCOMPARE(m_ds->dsEGarantiiDoc->state(), DataSet::State::Browse);
    }

    void anExtensionDocumentTakesTheExtensionsTimeToTheMicrosecond_data()
    {
        QTest::addColumn<QString>("articol");
        QTest::addColumn<QString>("dataIns");
        QTest::newRow("customer") << "U1" << "2024-04-01 09:00:00.654321";
        QTest::newRow("dealer's warranty is allowed") << "U2" << "2024-04-02 09:00:00";
    }
    void anExtensionDocumentTakesTheExtensionsTimeToTheMicrosecond()
    {
        QFETCH(QString, articol);
        QFETCH(QString, dataIns);
        const QByteArray bytes = randomBytes(100000, 3);
        m_desktop.chosenFile = inputFile("anexa.tiff", bytes);
        goTo(*m_ds, articol);
        DataSet *extDoc = m_ds->dsEGarantiiExtDoc;
        attachExtensionDocument(*m_ds, nullptr);
        QCOMPARE(m_desktop.fileDialogs, 1);
        QCOMPARE(extDoc->state(), DataSet::State::Insert);
        const Value stamp = extDoc->value("data_ins");
        QVERIFY(stamp.is<Timestamp>());
        QCOMPARE(stamp.toString(), dataIns);
        QCOMPARE(extDoc->value("extensie_doc"), Value("tiff"));
        extDoc->setValue("nume_doc", Value("anexa"));
        extDoc->post();
        QCOMPARE(rows("select data_ins, nume_doc, length(continut_doc) from e_garantii_ext_doc"),
                 (QList<QStringList>{{dataIns, "anexa", "100000"}}));

        auto reread = openSets();
        goTo(*reread, articol);
        QCOMPARE(reread->dsEGarantiiExtDoc->rowCount(), 1);
        QCOMPARE(reread->dsEGarantiiExtDoc->value("continut_doc"), Value(bytes));
    }

    void cancellingAnExtensionDocumentLeavesItsRowBeingAdded()
    {
        goTo(*m_ds, "U1");
        attachExtensionDocument(*m_ds, nullptr);
        QCOMPARE(m_desktop.fileDialogs, 1);
        QCOMPARE(m_ds->dsEGarantiiExtDoc->state(), DataSet::State::Insert);
        QVERIFY(m_ds->dsEGarantiiExtDoc->value("continut_doc").isNull());
    }

    void extensionOfAFileName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extension");
        QTest::newRow("last dot counts") << "/tmp/scan.final.PDF" << "PDF";
        QTest::newRow("no dot") << "/tmp/scan" << "";
        QTest::newRow("dot in a folder only") << "/x.y/scan" << "";
        QTest::newRow("backslash folder") << "C:\\acte.2024\\scan" << "";
        QTest::newRow("trailing dot") << "/tmp/arhiva." << "";
        QTest::newRow("leading dot") << "/tmp/.profil" << "profil";
        QTest::newRow("bare name") << "foto.jpeg" << "jpeg";
    }
    void extensionOfAFileName()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, extension);
        QCOMPARE(extensionForDocument(fileName), extension);
    }

    void theNameBecomesOneFileInTheFolderOrNothingIsWritten_data()
    {
        const QString invalid = "Invalid characters in path";
        auto refused = [](const char *ext) {
            return QString("Documentele de tip %1 nu se deschid din registru, deoarece ar putea "
                           "rula un program.").arg(ext);
        };
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("file");  // in the folder, when the name is accepted
        QTest::addColumn<QString>("error"); // of opening; %1 stands for the folder

        QTest::newRow("plain") << "Garantie 12" << "pdf" << "Garantie 12.pdf" << "";
        QTest::newRow("no extension") << "scan" << "" << "scan." << "";
        QTest::newRow("dots and Romanian letters") << "Factură nr. 3.2" << "docx"
                                                   << "Factură nr. 3.2.docx" << "";
        QTest::newRow("executable before a harmless extension") << "setup.exe" << "pdf"
                                                                << "setup.exe.pdf" << "";
        const QString longName = QString(300, 'a') + ".pdf";
        QTest::newRow("too long for the file system")
            << QString(300, 'a') << "pdf" << longName
            << QString("Cannot create file \"%1/%2\". %3").arg("%1", longName, systemText(ENAMETOOLONG));

        for (const char *c : {"\"", "<", ">", "|", "\t", "\n", "\x01", "\x1f"}) {
            QTest::addRow("name with %s", QByteArray(c).toPercentEncoding().constData())
                << QString("a%1b").arg(c) << "pdf" << "" << invalid;
            QTest::addRow("extension with %s", QByteArray(c).toPercentEncoding().constData())
                << "a" << QString("p%1").arg(c) << "" << invalid;
        }
        QTest::newRow("empty name") << "" << "pdf" << "" << invalid;
        QTest::newRow("absolute name") << "/tmp/victim" << "pdf" << "" << invalid;
        QTest::newRow("drive") << "C:victim" << "pdf" << "" << invalid;
        QTest::newRow("windows absolute") << "C:\\Windows\\victim" << "pdf" << "" << invalid;
        QTest::newRow("slash") << "../victim" << "pdf" << "" << invalid;
        QTest::newRow("backslash") << "..\\victim" << "pdf" << "" << invalid;
        QTest::newRow("separator in extension") << "a" << "/../b" << "" << invalid;
        QTest::newRow("dot") << "." << "pdf" << "" << invalid;
        QTest::newRow("dot dot") << ".." << "pdf" << "" << invalid;
        QTest::newRow("extension dot dot") << "a" << ".." << "" << invalid;

        QTest::newRow("exe") << "setup" << "exe" << "" << refused("EXE");
        QTest::newRow("upper case") << "run" << "Sh" << "" << refused("SH");
        QTest::newRow("desktop entry") << "x" << "desktop" << "" << refused("DESKTOP");
        QTest::newRow("library") << "x" << "so" << "" << refused("SO");
        QTest::newRow("powershell") << "x" << "PS1" << "" << refused("PS1");
        QTest::newRow("trailing dot") << "x" << "exe." << "" << refused("EXE");
        QTest::newRow("trailing space") << "x" << "exe " << "" << refused("EXE");
        QTest::newRow("in the name") << "x.bat" << "" << "" << refused("BAT");
        QTest::newRow("in the name, spaces after") << "x.vbs" << " . " << "" << refused("VBS");
        QTest::newRow("stream of an executable") << "x" << "exe:zz" << "" << refused("EXE");
    }
    void theNameBecomesOneFileInTheFolderOrNothingIsWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, file);
        QFETCH(QString, error);
        const QString folder = m_desktop.folder;

        QString path;
        const QString pathError = messageOf([&] { path = documentFilePath(folder, name, extension); });
        if (file.isEmpty()) {
            QCOMPARE(pathError, error);
        } else {
            QCOMPARE(pathError, QString());
            QCOMPARE(path, folder + "/" + file);
        }

        auto docs = memoryDocuments();
        addDocument(*docs, name, extension, "continut");
        const QString openError = messageOf([&] { openDocument(*docs, nullptr); });
        if (error.isEmpty()) {
            QCOMPARE(openError, QString());
            QCOMPARE(m_desktop.opened, QStringList{path});
            QCOMPARE(readFile(path), QByteArray("continut"));
            QCOMPARE(writtenFiles(), QStringList{file});
        } else {
            QCOMPARE(openError, error.contains("%1") ? error.arg(folder) : error);
            QCOMPARE(m_desktop.opened, QStringList());
            QCOMPARE(writtenFiles(), QStringList());
        }
    }

    void aFolderThatCannotHoldTheCopyGivesTheSystemsReason()
    {
        // A file where the folder should be.
        QDir().mkpath(cacheFolder());
        QFile blocker(m_desktop.folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_desktop.folder += "/inner";
        auto docs = memoryDocuments();
        addDocument(*docs, "Garantie", "pdf", "x");
        QCOMPARE(messageOf([&] { openDocument(*docs, nullptr); }),
                 QString("Cannot create file \"%1/Garantie.pdf\". %2")
                     .arg(m_desktop.folder, systemText(ENOTDIR)));
        QCOMPARE(m_desktop.opened, QStringList());
    }

    void anUnreadableFileGivesTheSystemsReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = QDir::tempPath() + "/varnok-no-such-dir/scan.pdf";
        QTest::newRow("cannot open") << missing
                                     << QString("Cannot open file \"%1\". %2")
                                            .arg(missing, systemText(ENOENT));
        // Opens, then fails on the first read (page 0 is never mapped).
        QTest::newRow("cannot read") << "/proc/self/mem"
                                     << QString("Cannot read file \"/proc/self/mem\". %1")
                                            .arg(systemText(EIO));
    }
    void anUnreadableFileGivesTheSystemsReason()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        m_desktop.chosenFile = path;
        goTo(*m_ds, "U1");
        QCOMPARE(messageOf([&] { attachWarrantyDocument(*m_ds, nullptr); }), message);
        QCOMPARE(m_ds->dsEGarantiiDoc->value("continut_doc"), Value(QByteArray("old")));
        QCOMPARE(m_ds->dsEGarantiiDoc->state(), DataSet::State::Edit);
    }

    void withoutADocumentRowNothingIsWritten_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("closed") << true;
        QTest::newRow("empty") << false;
    }
    void withoutADocumentRowNothingIsWritten()
    {
        QFETCH(bool, closed);
        goTo(*m_ds, "U3");
        DataSet *doc = m_ds->dsEGarantiiDoc;
        if (closed)
            doc->close();
        QCOMPARE(doc->currentRow(), -1);
        // As the button runs it: the message reaches the error display.
        QVERIFY(!guarded([&] { openDocument(*doc, nullptr); }));
        QCOMPARE(m_desktop.errors, QStringList{"Nu exista niciun document de vizualizat"});
        QCOMPARE(m_desktop.opened, QStringList());
        QCOMPARE(writtenFiles(), QStringList());
    }

    void documentsOfTheSameNameReplaceEachOthersCopy()
    {
        exec("insert into e_garantii_doc (articol, data_ins, nume_doc, extensie_doc, continut_doc) "
             "values ('U3', '2024-05-01 10:00:00', 'factura', 'pdf', 'first version, longer'),"
             "('U3', '2024-05-02 10:00:00', 'factura', 'pdf', 'second');");
        m_ds = openSets();
        goTo(*m_ds, "U3");
        DataSet *doc = m_ds->dsEGarantiiDoc;
        QCOMPARE(doc->rowCount(), 2);
        doc->last();
        openDocument(*doc, nullptr);
        const QString path = m_desktop.folder + "/factura.pdf";
        QCOMPARE(readFile(path), QByteArray("first version, longer"));

        // A viewer still reading the first copy keeps it whole.
        QFile viewer(path);
        QVERIFY(viewer.open(QIODevice::ReadOnly));
        doc->first();
        openDocument(*doc, nullptr);
        QCOMPARE(readFile(path), QByteArray("second"));
        QCOMPARE(viewer.readAll(), QByteArray("first version, longer"));
        QCOMPARE(m_desktop.opened, QStringList({path, path}));
        QCOMPARE(writtenFiles(), QStringList{"factura.pdf"});
    }
};

QTEST_MAIN(DocumentsTest)
#include "tst_documents.moc"
