#include "SettingsTab.h"

#include "FileDialog.h"
#include "LocalExchange.h"
#include "MyTemplates.h"
#include "SetupProgram.h"
#include "Terms.h"
#include "TrustedHttpsServer.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTextBrowser>

namespace {

QJsonObject Version(int major, int minor, int release, int build, const QString& win = "https://host/setup.exe")
{
    QJsonObject file { { "MAJOR", major }, { "MINOR", minor }, { "RELEASE", release }, { "BUILD", build },
        { "description", "<ul><li>Faster</li></ul>" } };
    if (!win.isNull())
        file.insert("URL", QJsonObject { { "win", win } });
    return file;
}

QJsonObject With(QJsonObject file, const QString& key, const QJsonValue& value)
{
    file.insert(key, value);
    return file;
}

const QStringList Catalogs { "Updating catalog 'countries'...", "Updating catalog 'sports'...",
    "Updating catalog 'marketTypes'..." };
const QString Templates = "Updating predefined templates...";

QPushButton* ButtonOf(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class tst_Update : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    LocalExchange exchange { server };
    LogRecords records;
    QTemporaryDir downloads;
    std::unique_ptr<MyTemplates> templates;

    QStringList paths() const
    {
        QStringList requested;
        for (const RecordedRequest& request : server.requests())
            requested << request.path();
        std::sort(requested.begin(), requested.end());
        return requested;
    }

    // Refreshes started since the last clear: catalogs, then templates.
    QStringList refreshes() const
    {
        QStringList started;
        for (const QString& record : records.texts) {
            if (Catalogs.contains(record) || record == Templates)
                started << record;
        }
        return started;
    }

    void serveVersion(const QJsonObject& file)
    {
        server.setReply("GET", "/version.json", ScriptedReply::json(QJsonDocument(file)));
        server.setReply("GET", "/setup.exe", ScriptedReply::text("MZ set-up", "application/octet-stream"));
    }

    // Shows the About page, the tab wired to a template panel as the main window wires them.
    void openTab(SettingsTab& t)
    {
        templates = std::make_unique<MyTemplates>();
        connect(&t.tab, &Settings::requireUpdateFromInternet, templates.get(), &MyTemplates::UpdateFromInternet);
        t.tab.setCurrentIndex(Settings::AboutPage);
        t.tab.show();
        records.clear();
        server.clearRequests();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        LoadLanguageTable();
        FileDialog::SetResponder([this](const FileDialog::Request&) { return downloads.path(); });
    }

    void init()
    {
        server.clearRequests();
        records.clear();
        SetInteractiveLevel(0);
    }

    void cleanup()
    {
        // The catalogs outlive a test: their downloads end in it, not in the next one's log.
        // The site serves neither catalogs nor templates, so each refresh ends with an error.
        QTRY_VERIFY_WITH_TIMEOUT(records.texts.filter("/download/").size() >= refreshes().size(), Patience);
        templates.reset();
        QFile::remove(downloads.filePath("setup.exe"));
    }

    // Compared part by part, the first difference deciding; a number that is not a whole one reads 0.
    void versions_data()
    {
        QTest::addColumn<QJsonObject>("file");
        QTest::addColumn<bool>("newer");
        QTest::newRow("the same") << Version(1, 1, 1, 50) << false;
        QTest::newRow("build one on") << Version(1, 1, 1, 51) << true;
        QTest::newRow("release on") << Version(1, 1, 2, 0) << true;
        QTest::newRow("minor on") << Version(1, 2, 0, 0) << true;
        QTest::newRow("major on") << Version(2, 0, 0, 0) << true;
        QTest::newRow("older minor, later release") << Version(1, 0, 5, 0) << false;
        QTest::newRow("newer without URL") << Version(2, 0, 0, 0, QString()) << false;
        QTest::newRow("newer without win")
            << With(Version(2, 0, 0, 0, QString()), "URL", QJsonObject { { "mac", "https://host/setup.dmg" } }) << false;
        QTest::newRow("URL not an object") << With(Version(2, 0, 0, 0, QString()), "URL", "https://host/s.exe") << false;
        QTest::newRow("major as text") << With(Version(1, 1, 1, 50), "MAJOR", "2") << false;
        QTest::newRow("fractional build") << With(Version(1, 1, 1, 50), "BUILD", 51.5) << false;
        QTest::newRow("whole build 51.0") << With(Version(1, 1, 1, 50), "BUILD", 51.0) << true;
        QTest::newRow("build out of range") << With(Version(1, 1, 1, 50), "BUILD", 1e20) << false;
        QTest::newRow("missing numbers") << QJsonObject { { "MAJOR", 2 }, { "URL", QJsonObject { { "win", "x" } } } }
                                         << true;
    }

    void versions()
    {
        QFETCH(QJsonObject, file);
        QFETCH(bool, newer);
        QCOMPARE(OffersNewerVersion(file), newer);
    }

    void checkOutcomes_data()
    {
        QTest::addColumn<bool>("served"); // the version file, else a 404
        QTest::addColumn<bool>("updateTemplates");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("box");

        QTest::newRow("latest, on the About page")
            << true << true << 4 << "Information: You are using the latest version. Thank you for checking.";
        QTest::newRow("latest, templates off, another page") << true << false << 0 << "";
        QTest::newRow("failed, on the About page")
            << false << true << 4 << "Critical: Network error: Error transferring https://127.0.0.1:*";
    }

    void checkOutcomes()
    {
        QFETCH(bool, served);
        QFETCH(bool, updateTemplates);
        QFETCH(int, page);
        QFETCH(QString, box);
        if (served)
            serveVersion(Version(1, 1, 1, 50));
        else
            server.setReply("GET", "/version.json", ScriptedReply::error(404));
        Boxes boxes;
        TabOnStore t({ { "CheckForUpdates", false }, { "UpdateTemplates", updateTemplates } });
        openTab(t);
        t.tab.setCurrentIndex(page);
        t.tab.CheckVersion();
        QVERIFY(!t.button("CheckNow")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(t.button("CheckNow")->isEnabled(), Patience);

        QCOMPARE(boxes.shown.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty())
            QVERIFY2(Matches(boxes.shown.first(), box), qPrintable(boxes.shown.first()));
        QCOMPARE(boxes.topics, served || box.isEmpty() ? "" : "NetworkError");
        QCOMPARE(SettingsStore()->contains("Options/LastChecked"), served);
        QCOMPARE(t.tab.findChild<QLabel*>("LastChecked")->isHidden(), !served);
        QCOMPARE(records.texts.filter(served ? "latest version" : "Network error").size(), 1);
        QCOMPARE(refreshes(), served ? Catalogs + (updateTemplates ? QStringList { Templates } : QStringList()) : QStringList());
        if (served) {
            QStringList wanted { "/download/1/1/1/catalogs/countries.json", "/download/1/1/1/catalogs/marketTypes.json",
                "/download/1/1/1/catalogs/sports.json" };
            if (updateTemplates)
                wanted << "/download/1/1/1/templates.zip";
            wanted << "/version.json";
            QTRY_COMPARE_WITH_TIMEOUT(paths(), wanted, Patience);
        }
    }

    void newerVersion_data()
    {
        QTest::addColumn<QString>("win");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("box"); // after the question
        QTest::addColumn<bool>("downloaded");

        QTest::newRow("declined") << "/setup.exe" << int(QMessageBox::No) << "" << false;
        QTest::newRow("not https") << "http://127.0.0.1:1/setup.exe" << int(QMessageBox::Yes)
                                   << "Critical: The file is not offered over a secure connection: "
                                      "http://127.0.0.1:1/setup.exe"
                                   << false;
        QTest::newRow("set-up cannot run here")
            << "/setup.exe" << int(QMessageBox::Yes) << "Critical: Unable to start setup executable" << true;
    }

    void newerVersion()
    {
        QFETCH(QString, win);
        QFETCH(int, answer);
        QFETCH(QString, box);
        QFETCH(bool, downloaded);
        serveVersion(Version(1, 1, 2, 0, win.startsWith("/") ? server.url(win) : win));
        Boxes boxes { QMessageBox::StandardButton(answer) };
        TabOnStore t({ { "CheckForUpdates", false } });
        openTab(t);
        t.click(t.button("CheckNow"));
        QTRY_VERIFY_WITH_TIMEOUT(t.button("CheckNow")->isEnabled(), Patience);

        QCOMPARE(boxes.shown.value(0), "Question: A newer version has been discovered.<hr><h4>What's new:</h4>"
                                       "<ul><li>Faster</li></ul><hr>Would you like to update?");
        QCOMPARE(boxes.shown.value(1), box);
        QCOMPARE(boxes.topics, downloaded ? "StartSetup" : (box.isEmpty() ? "" : "NetworkError"));
        QCOMPARE(paths().contains("/setup.exe"), downloaded);
        QCOMPARE(QFile::exists(downloads.filePath("setup.exe")), downloaded);
        // The refresh comes whatever became of the offer.
        QCOMPARE(refreshes(), Catalogs + QStringList { Templates });
    }

    // A set-up that starts replaces the program: quit, and nothing more fetched.
    void setupStarted()
    {
        serveVersion(Version(2, 0, 0, 0, server.url("/setup.exe")));
        QString started;
        SetupProgram::SetLauncher([&](const QString& path) { return started = path, true; });
        Boxes boxes;
        TabOnStore t({ { "CheckForUpdates", false } });
        openTab(t);
        QTimer::singleShot(0, &t.tab, [&] { t.click(t.button("CheckNow")); });
        QTimer::singleShot(Patience, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        SetupProgram::SetLauncher({});
        QCOMPARE(started, downloads.filePath("setup.exe"));
        QCOMPARE(contentOf(started), "MZ set-up");
        QCOMPARE(refreshes(), QStringList());
    }

    // The terms open in the stored language; another choice changes only the dialog.
    void termsLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("title");
        QTest::newRow("English") << "en" << "You should accept Tarnwickstone terms and conditions:";
        QTest::newRow("Russian") << "ru" << "Примите условия использования Tarnwickstone:";
    }

    void termsLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, title);
        const TempSettings settings;
        StoreOptions({ { "Language", stored } });
        Terms terms;
        auto* combo = terms.findChild<QComboBox*>();
        QCOMPARE(combo->currentData().toString(), stored);
        QCOMPARE(QStringList({ combo->itemData(0).toString(), combo->itemData(1).toString() }), QStringList({ "en", "ru" }));
        QCOMPARE(terms.windowTitle(), title);
        if (stored == "ru")
            return;
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(terms.windowTitle(), "Примите условия использования Tarnwickstone:");
        QVERIFY(ButtonOf(&terms, "Принять") && ButtonOf(&terms, "Отказаться"));
        QVERIFY(terms.findChild<QTextBrowser*>()->toPlainText().contains("Ваш счёт и ваши деньги"));
        QCOMPARE(QCoreApplication::translate("SettingsForm", "General"), "General");
        QCOMPARE(SettingsStore()->value("Options/Language").toString(), "en");
    }

    // The terms open 600 by 600 around the middle of the screen, Accept then Decline in a row under the
    // text; Enter accepts.
    void termsDialog()
    {
        const TempSettings settings;
        Terms terms;
        const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
        QCOMPARE(terms.geometry(), QRect(middle - QPoint(300, 300), QSize(600, 600)));
        terms.show();
        QVERIFY(QTest::qWaitForWindowExposed(&terms));
        const QRect text = terms.findChild<QTextBrowser*>()->geometry();
        const QRect accept = ButtonOf(&terms, "Accept")->geometry();
        const QRect decline = ButtonOf(&terms, "Decline")->geometry();
        QVERIFY(accept.top() > text.bottom() && decline.top() == accept.top());
        QVERIFY(accept.right() < decline.left());
        // The language list, where the focus starts, leaves Enter to the dialog.
        QTest::keyClick(terms.findChild<QComboBox*>(), Qt::Key_Return);
        QCOMPARE(terms.result(), int(QDialog::Accepted));
    }

    // No request before the terms are answered; the due check only after Accept, which is kept.
    void consentFirst()
    {
        serveVersion(Version(1, 1, 1, 50));
        Boxes boxes;
        TabOnStore t({}, SettingsTab::TermsUnanswered);
        int requestsWhileAsked = -1;
        QStringList recordsWhileAsked;
        QTimer::singleShot(0, this, [&] {
            auto* terms = qobject_cast<Terms*>(QApplication::activeModalWidget());
            QVERIFY(terms);
            // Catalog downloads of the earlier tests may still arrive: the check is what must wait.
            requestsWhileAsked = paths().count("/version.json");
            recordsWhileAsked = records.texts;
            QTest::mouseClick(ButtonOf(terms, "Accept"), Qt::LeftButton);
        });
        t.tab.Load();
        QCOMPARE(requestsWhileAsked, 0);
        QCOMPARE(recordsWhileAsked, QStringList());
        QCOMPARE(SettingsStore()->value("TermsAccepted").toBool(), true);
        QVERIFY(records.texts.contains("Checking program version..."));
        QTRY_VERIFY_WITH_TIMEOUT(paths().contains("/version.json"), Patience);
    }

    // Declining ends the program from its event loop; nothing is stored or checked.
    void termsDeclined_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Decline") << "decline";
        QTest::newRow("Esc") << "escape";
    }

    void termsDeclined()
    {
        QFETCH(QString, how);
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(TERMS_PROBE, { how });
        QVERIFY2(probe.waitForFinished(60000), "the probe did not end");
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit, probe.readAllStandardError().constData());
        QCOMPARE(probe.exitCode(), 0);
        QCOMPARE(probe.readAllStandardOutput(), "answered, terms not accepted, not checked");
    }

    // The tab goes while its check waits: the checker ends with it and gives
    // up its request (the connection closes), and nothing is shown or fetched.
    void tabGoesMidCheck()
    {
        server.setReply("GET", "/version.json", ScriptedReply::json(QJsonDocument(Version(1, 1, 2, 0))).held());
        Boxes boxes;
        {
            TabOnStore t({ { "CheckForUpdates", false } });
            openTab(t);
            t.tab.CheckVersion();
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(refreshes(), QStringList());
    }
};

QTEST_MAIN(tst_Update)
#include "tst_update.moc"
