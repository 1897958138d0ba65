#include "app/u_frmMenuVarnok.h"
#include "data/error.h"
#include "desktop/desktop.h"
#include "signin/u_dmCon.h"
#include "signin/u_frmLogin.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Records what the error display would show.
class RecordingDesktop : public Desktop
{
public:
    QStringList errors;
    void showError(QWidget *, const QString &text) override { errors << text; }
};
} // namespace

// The sign-in procedure against the sandbox: directory lookup, company
// connection, user, registry and grant, and what each failure leaves behind.
class SignInTest : public QObject
{
    Q_OBJECT
    QString m_company;  // company database
    QString m_company2; // a second company
    QString m_directory;
    QString m_app;
    RecordingDesktop m_desktop;

    void company(const QString &sql) { sandbox::exec(sandbox::company(), m_company, sql); }

    QString attempt(const QString &firma, const QString &user, const QString &password)
    {
        frmLogin->Edit1->setText(firma);
        frmLogin->Edit2->setText(user);
        frmLogin->Edit3->setText(password);
        try {
            frmLogin->Button1Click();
        } catch (const Error &e) {
            return e.message();
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Desktop::install(&m_desktop);
        m_app = applicationTitle();
        m_company = sandbox::createCompanyDb("signin");
        m_company2 = sandbox::createCompanyDb("signin2");
        m_directory = sandbox::createDirectoryDb("signin");
        const int port = sandbox::company().port;
        sandbox::exec(sandbox::directory(), m_directory,
                      QString("insert into m_firma (nume_firma, ip, port, db_name, activ, m_site) values "
                              "('Firma Test', '127.0.0.1', %1, '%2', false, false),"
                              "('Alta Firma', '127.0.0.1', %1, '%3', true, false),"
                              "('Fara TLS', '127.0.0.1', %4, 'qel_mob', true, false)")
                          .arg(port)
                          .arg(m_company, m_company2)
                          .arg(sandbox::directory().port));
        for (const QString &db : {m_company, m_company2})
            sandbox::exec(sandbox::company(), db,
                          QString("insert into emitent (emitent, operator_parola) values "
                                  "('ana', 'secret'), ('ion', 'parola');"
                                  "insert into aplicatie_mob values ('%1', true, null);"
                                  "insert into aplicatie_mob_emitent values ('%1', 'ana', 'admin');")
                              .arg(m_app.toUpper()));
        dmCon = new TdmCon;
        dmCon->conQelMob->setDatabase(m_directory);
        frmLogin = new TfrmLogin;
        frmMenuVarnok = new TfrmMenuVarnok;
    }

    void cleanupTestCase()
    {
        delete frmMenuVarnok;
        delete frmLogin;
        delete dmCon;
        Desktop::install(nullptr);
    }

    void nothingIsOpenBeforeSignIn()
    {
        TdmCon fresh;
        QVERIFY(!fresh.conQel->isOpen());
        QVERIFY(!fresh.conQelMob->isOpen());
        for (const QString *v : {&fresh.glNumeFirma, &fresh.glUser, &fresh.glUserPass,
                                 &fresh.glDataBase, &fresh.glUserRol})
            QVERIFY(v->isEmpty());
        QCOMPARE(fresh.GridTableViewStyleSheetDevExpress.caption, QString("DevExpress"));
    }

    void failuresSayWhatIsWrong_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("firma");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        const QString app = applicationTitle();
        QTest::newRow("unknown company") << "" << "Nimeni" << "ana" << "secret" << "Companie inexistenta";
        QTest::newRow("company in other case") << "" << "firma test" << "ana" << "secret"
                                               << "Companie inexistenta";
        QTest::newRow("wrong password") << "" << "Firma Test" << "ana" << "gresit"
                                        << "User, Password eronate";
        QTest::newRow("application inactive") << "update aplicatie_mob set activ = false"
                                              << "Firma Test" << "ana" << "secret"
                                              << "Aplicatia " + app + " nu este disponibila";
        QTest::newRow("application missing") << "delete from aplicatie_mob" << "Firma Test" << "ana"
                                             << "secret" << "Aplicatia " + app + " nu este disponibila";
        QTest::newRow("not granted") << "" << "Firma Test" << "ion" << "parola"
                                     << "Aplicatia " + app + " nu este disponibila pentru user-ul ion";
        QTest::newRow("server refuses TLS") << "" << "Fara TLS" << "ana" << "secret"
                                            << "SSL connection is not allowed";
    }
    void failuresSayWhatIsWrong()
    {
        QFETCH(QString, setup);
        QFETCH(QString, firma);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        company(QString("update aplicatie_mob set activ = true; "
                        "insert into aplicatie_mob values ('%1', true, null) on conflict do nothing;")
                    .arg(m_app.toUpper()));
        if (!setup.isEmpty())
            company(setup);
        dmCon->glUser.clear();
        QCOMPARE(attempt(firma, user, password), message);
        QCOMPARE(dmCon->glNumeFirma, firma); // written at the start of every attempt
        QVERIFY(dmCon->glUser.isEmpty());    // the rest only after every check
        QVERIFY(!dmCon->dsEmitent->isActive());
        QVERIFY(!dmCon->dsAplicatieMob->isActive());
        QVERIFY(!frmLogin->dsQelMobil()->isActive());
        QCOMPARE(frmLogin->Edit3->text(), password);
        QCOMPARE(frmLogin->result(), int(QDialog::Rejected));
    }

    void successRecordsWhoSignedIn()
    {
        company(QString("insert into aplicatie_mob values ('%1', true, null) on conflict do nothing;"
                        "update aplicatie_mob set activ = true").arg(m_app.toUpper()));
        // An inactive directory row still lets the user in.
        QCOMPARE(attempt("Firma Test", "ana", "secret"), QString());
        QCOMPARE(frmLogin->result(), int(QDialog::Accepted));
        QCOMPARE(dmCon->glNumeFirma, QString("Firma Test"));
        QCOMPARE(dmCon->glUser, QString("ana"));
        QCOMPARE(dmCon->glUserPass, QString("secret"));
        QCOMPARE(dmCon->glDataBase, m_company);
        QCOMPARE(dmCon->glUserRol, QString("admin"));
        QVERIFY(frmLogin->Edit3->text().isEmpty());
        QCOMPARE(frmLogin->Edit1->text(), QString("Firma Test"));
        QVERIFY(dmCon->dsAplicatieMobEmitent->isActive());
        QCOMPARE(dmCon->dsAplicatieMobEmitent->rowCount(), 1);
        QVERIFY(!dmCon->dsEmitent->isActive());
        QVERIFY(!dmCon->dsAplicatieMob->isActive());
        QCOMPARE(dmCon->conQel->server(), QString("127.0.0.1"));
        QCOMPARE(dmCon->conQel->port(), sandbox::company().port);
        QCOMPARE(dmCon->conQel->database(), m_company);

        // Another company: the connection left open is closed and re-pointed.
        QVERIFY(dmCon->conQel->isOpen());
        QCOMPARE(attempt("Alta Firma", "ion", "gresit"), QString("User, Password eronate"));
        QCOMPARE(dmCon->conQel->database(), m_company2);
        QVERIFY(!dmCon->dsAplicatieMobEmitent->isActive()); // closed with the old connection
        QCOMPARE(dmCon->glDataBase, m_company);               // untouched by the failed attempt
    }

    void aWrongRolePasswordShowsTheDriverText()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("pgpass"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("*:*:*:qel:nu-e-parola\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray saved = qgetenv("PGPASSFILE");
        qputenv("PGPASSFILE", f.fileName().toLocal8Bit());
        dmCon->conQelMob->close();
        const QString message = attempt("Firma Test", "ana", "secret");
        qputenv("PGPASSFILE", saved);
        QVERIFY2(message.contains("password authentication failed"), qPrintable(message));
    }

    void aBrokenRememberedFileIsReportedAndSigningInStillWorks()
    {
        const QString path = frmLogin->rememberedPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF{\"FDBS\":{\"Version\":16,");
        f.close();
        m_desktop.errors.clear();
        frmLogin->show();
        QTRY_COMPARE(m_desktop.errors.size(), 1);
        QVERIFY2(m_desktop.errors[0].contains("position"), qPrintable(m_desktop.errors[0]));
        QVERIFY(frmLogin->isVisible());
        company(QString("insert into aplicatie_mob values ('%1', true, null) on conflict do nothing;"
                        "update aplicatie_mob set activ = true").arg(m_app.toUpper()));
        frmLogin->Edit1->clear();
        frmLogin->Edit2->clear();
        QTest::keyClicks(frmLogin->Edit1, "Firma Test");
        QTest::keyClicks(frmLogin->Edit2, "ana");
        QCOMPARE(attempt("Firma Test", "ana", "secret"), QString());
        frmLogin->hide();
        // The next save wrote a fresh, readable document.
        LoginTable reread;
        reread.load(path);
        QCOMPARE(reread.company(), std::optional<QString>("Firma Test"));
        m_desktop.errors.clear();
    }

    void theMenuSwitchesAfterSigningInThroughTheDialog()
    {
        QVERIFY(frmMenuVarnok->PanelLogin->isVisibleTo(frmMenuVarnok));
        QVERIFY(!frmMenuVarnok->PanelMenu->isVisibleTo(frmMenuVarnok));
        frmMenuVarnok->show();
        bool typed = false;
        QTimer::singleShot(0, this, [&] {
            // Whatever fails below, the modal dialog must not stay open.
            auto close = qScopeGuard([] { if (frmLogin->isVisible()) frmLogin->reject(); });
            QTRY_VERIFY(frmLogin->isVisible());
            QCOMPARE(frmLogin->focusWidget(), frmLogin->Edit3);
            frmLogin->Edit1->clear();
            QTest::keyClicks(frmLogin->Edit1, "Firma Test");
            frmLogin->Edit2->clear();
            QTest::keyClicks(frmLogin->Edit2, "ana");
            QTest::keyClicks(frmLogin->Edit3, "secret");
            QTest::keyClick(frmLogin->Edit3, Qt::Key_Return);
            typed = true;
        });
        QTest::mouseClick(frmMenuVarnok->ButtonLogin, Qt::LeftButton);
        QVERIFY(typed);
        QVERIFY(m_desktop.errors.isEmpty());
        QVERIFY(!frmMenuVarnok->PanelLogin->isVisibleTo(frmMenuVarnok));
        QVERIFY(frmMenuVarnok->PanelMenu->isVisibleTo(frmMenuVarnok));
    }

    void closingTheDialogLeavesTheMenuSignedOut()
    {
        TfrmMenuVarnok menu;
        menu.show();
        QTimer::singleShot(0, this, [] { QTRY_VERIFY(frmLogin->isVisible()); frmLogin->reject(); });
        menu.ButtonLoginClick();
        QVERIFY(menu.PanelLogin->isVisibleTo(&menu));
        QVERIFY(!menu.PanelMenu->isVisibleTo(&menu));
    }
};

QTEST_MAIN(SignInTest)
#include "tst_signin.moc"
