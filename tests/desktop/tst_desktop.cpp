#include "desktop/desktop.h"

#include <QTest>

// The error display's full-stop rule and the program title taken from the
// executable's name.
class DesktopTest : public QObject
{
    Q_OBJECT
private slots:
    void aFullStopIsAddedAfterCharactersAboveIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Companie inexistenta" << "Companie inexistenta.";
        QTest::newRow("ends with full stop") << "Garantie adaugata de dealer, nu se poate sterge."
                                             << "Garantie adaugata de dealer, nu se poate sterge.";
        QTest::newRow("ends with double quote") << "Apasati butonul \"Cauta\"" << "Apasati butonul \"Cauta\"";
        QTest::newRow("digit is above") << "Found 2" << "Found 2.";
        QTest::newRow("closing bracket") << "(x)" << "(x)"; // ")" is below "."
        QTest::newRow("comma is below") << "a," << "a,";
        QTest::newRow("slash is above") << "a/" << "a/.";
        QTest::newRow("question mark") << "de ce?" << "de ce?.";
        QTest::newRow("accented letter") << "Ș" << "Ș.";
        QTest::newRow("empty") << "" << "";
    }
    void aFullStopIsAddedAfterCharactersAboveIt()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(withFullStop(text), shown);
    }

    void theTitleComesFromTheExecutableName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("windows") << "C:/Program Files/Varnok/Varnok.exe" << "Varnok";
        QTest::newRow("linux") << "/opt/varnok/bin/Varnok" << "Varnok";
        QTest::newRow("upper case") << "/x/VARNOK.EXE" << "Varnok";
        QTest::newRow("cut at the first dot") << "/x/Varnok.test.exe" << "Varnok";
        QTest::newRow("first letter kept") << "/x/varnok.exe" << "varnok";
        QTest::newRow("renamed") << "/x/Garantii2" << "Garantii2";
        QTest::newRow("one letter") << "/x/v.exe" << "v";
    }
    void theTitleComesFromTheExecutableName()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(applicationTitleFor(path), title);
    }
};

QTEST_GUILESS_MAIN(DesktopTest)
#include "tst_desktop.moc"
