#include "SettingsTab.h"

#include "FileDialog.h"
#include "LanguageSetup.h"
#include "LocalExchange.h"
#include "MyTemplates.h"
#include "ProgramTranslation.h"
#include "QLog.h"
#include "SetupProgram.h"
#include "Terms.h"
#include "TrustedHttpsServer.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QRegExp>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>

namespace {

constexpr int Patience = 20000;

QJsonObject Version(int major, int minor, int release, int build, const QString& win = "https://host/setup.exe")
{
    QJsonObject file { { "MAJOR", major }, { "MINOR", minor }, { "RELEASE", release }, { "BUILD", build },
        { "description", "<ul><li>Faster</li></ul>" } };
    if (!win.isNull())
        file.insert("URL", QJsonObject { { "win", win } });
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
    QLog log;
    QStringList records;
    QTemporaryDir downloads;
    std::unique_ptr<MyTemplates> templates;

    QStringList paths() const
    {
        QStringList requested;
        for (const RecordedRequest& request : server.requests())
            requested << request.path();
        return requested;
    }

    // Refreshes started since the last clear: catalogs, then templates.
    QStringList refreshes() const
    {
        QStringList started;
        for (const QString& record : records) {
            if (Catalogs.contains(record) || record == Templates)
                started << record;
        }
        return started;
    }

    void serveVersion(const QJsonObject& file)
    {
        server.setReply("GET", "/version.json", ScriptedReply::json(QJsonDocument(file)));
    }

    // A tab on the About page, shown, that checks only when asked, wired to
    // a template panel as the main window wires them.
    void openTab(SettingsTab& t, bool updateTemplates = true)
    {
        templates = std::make_unique<MyTemplates>();
        connect(&t.tab, &Settings::requireUpdateFromInternet, templates.get(), &MyTemplates::UpdateFromInternet);
        SettingsStore()->setValue("Options/CheckForUpdates", false);
        SettingsStore()->setValue("Options/UpdateTemplates", updateTemplates);
        t.tab.Load();
        t.tab.setCurrentIndex(Settings::AboutPage);
        t.tab.show();
        records.clear();
        server.clearRequests();
    }

    QPushButton* checkNow(SettingsTab& t) { return t.find<QPushButton>("CheckNow"); }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        LoadLanguageTable();
        connect(&log, &QLog::Logged, this, [this](QLog::QLogType, const QString& text) { records << text; });
        FileDialog::SetResponder([this](const FileDialog::Request&) { return downloads.path(); });
    }

    void cleanup() { templates.reset(); }

    void init()
    {
        server.clearRequests();
        records.clear();
        SetInteractiveLevel(0);
    }

    void versions_data()
    {
        QTest::addColumn<QJsonObject>("file");
        QTest::addColumn<bool>("newer");
        QTest::newRow("the same") << Version(1, 1, 1, 50) << false;
        QTest::newRow("build one on") << Version(1, 1, 1, 51) << true;
        QTest::newRow("build one back") << Version(1, 1, 1, 49) << false;
        QTest::newRow("minor on") << Version(1, 2, 0, 0) << true;
        QTest::newRow("major on") << Version(2, 0, 0, 0) << true;
        QTest::newRow("release on") << Version(1, 1, 2, 0) << true;
        QTest::newRow("older minor, later release") << Version(1, 0, 5, 0) << false;
        QTest::newRow("older major, later rest") << Version(0, 9, 9, 99) << false;
        QTest::newRow("newer without URL") << Version(2, 0, 0, 0, QString()) << false;
        QJsonObject noWin = Version(2, 0, 0, 0);
        noWin.insert("URL", QJsonObject { { "mac", "https://host/setup.dmg" } });
        QTest::newRow("newer without win") << noWin << false;
        QJsonObject flat = Version(2, 0, 0, 0, QString());
        flat.insert("URL", "https://host/setup.exe");
        QTest::newRow("URL not an object") << flat << false;
        QJsonObject text = Version(1, 1, 1, 50);
        text.insert("MAJOR", "2");
        QTest::newRow("major as text reads 0") << text << false;
        QJsonObject fraction = Version(1, 1, 1, 50);
        fraction.insert("BUILD", 50.5);
        QTest::newRow("fractional build reads 0") << fraction << false;
        QJsonObject whole = Version(1, 1, 1, 50);
        whole.insert("BUILD", 51.0);
        QTest::newRow("whole build 51.0") << whole << true;
        QJsonObject onlyMajor { { "MAJOR", 2 }, { "URL", QJsonObject { { "win", "https://h/s.exe" } } } };
        QTest::newRow("missing numbers read 0") << onlyMajor << true;
        QJsonObject huge = Version(1, 1, 1, 50);
        huge.insert("BUILD", 1e20);
        QTest::newRow("build out of range reads 0") << huge << false;
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
        QTest::newRow("latest, on another page") << true << true << 0 << "";
        QTest::newRow("latest, templates off") << true << false << 0 << "";
        QTest::newRow("failed, on the About page")
            << false << true << 4 << "Critical: Network error: Error transferring https://127.0.0.1:*";
        QTest::newRow("failed, on another page") << false << true << 2 << "";
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
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t, updateTemplates);
        t.tab.setCurrentIndex(page);

        t.tab.CheckVersion();
        QVERIFY(!checkNow(t)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(checkNow(t)->isEnabled(), Patience);

        QCOMPARE(boxes.shown.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty())
            QVERIFY2(QRegExp(box, Qt::CaseSensitive, QRegExp::Wildcard).exactMatch(boxes.shown.first()),
                qPrintable(boxes.shown.first()));
        QCOMPARE(boxes.topics, served || box.isEmpty() ? "" : "NetworkError");
        auto* label = t.tab.findChild<QLabel*>("LastChecked");
        QCOMPARE(settings.store()->contains("Options/LastChecked"), served);
        QCOMPARE(label->isHidden(), !served);
        if (served) {
            const QDateTime stored = settings.store()->value("Options/LastChecked").toDateTime();
            QVERIFY(qAbs(stored.secsTo(QDateTime::currentDateTime())) < 600);
            QCOMPARE(label->text(), "Last checked " + QLocale().toString(stored, QLocale::LongFormat));
            QVERIFY(records.contains("You are using the latest version. Thank you for checking."));
        } else {
            QVERIFY(records.filter("Network error").size() == 1);
        }
        const QStringList expected = served ? Catalogs + (updateTemplates ? QStringList { Templates } : QStringList())
                                            : QStringList();
        QCOMPARE(refreshes(), expected);
        if (served) {
            QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1 + expected.size(), Patience);
            QStringList wanted { "/version.json", "/download/1/1/1/catalogs/countries.json",
                "/download/1/1/1/catalogs/sports.json", "/download/1/1/1/catalogs/marketTypes.json" };
            if (updateTemplates)
                wanted << "/download/1/1/1/templates.zip";
            QStringList got = paths();
            std::sort(got.begin(), got.end());
            std::sort(wanted.begin(), wanted.end());
            QCOMPARE(got, wanted);
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
        server.setReply("GET", "/setup.exe", ScriptedReply::text("MZ set-up", "application/octet-stream"));
        const TempSettings settings;
        Boxes boxes;
        boxes.answer = QMessageBox::StandardButton(answer);
        SettingsTab t;
        openTab(t);
        QTest::mouseClick(checkNow(t), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(checkNow(t)->isEnabled(), Patience);

        QStringList expected { "Question: A newer version has been discovered.<hr><h4>What's new:</h4>"
                               "<ul><li>Faster</li></ul><hr>Would you like to update?" };
        if (!box.isEmpty())
            expected << box;
        QCOMPARE(boxes.shown, expected);
        QCOMPARE(boxes.topics, downloaded ? "StartSetup" : (box.isEmpty() ? "" : "NetworkError"));
        QCOMPARE(paths().contains("/setup.exe"), downloaded);
        QCOMPARE(QFile::exists(downloads.filePath("setup.exe")), downloaded);
        // The refresh comes whatever became of the offer.
        QCOMPARE(refreshes(), Catalogs + QStringList { Templates });
        QFile::remove(downloads.filePath("setup.exe"));
    }

    // A set-up that starts replaces the program: quit, and nothing more fetched.
    void setupStarted()
    {
        serveVersion(Version(2, 0, 0, 0, server.url("/setup.exe")));
        server.setReply("GET", "/setup.exe", ScriptedReply::text("MZ set-up", "application/octet-stream"));
        QString started;
        SetupProgram::SetLauncher([&](const QString& path) { return started = path, true; });
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        QTimer::singleShot(0, checkNow(t), [&] { QTest::mouseClick(checkNow(t), Qt::LeftButton); });
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        safety.start(Patience);
        QCOMPARE(QCoreApplication::exec(), 0);
        safety.stop();
        SetupProgram::SetLauncher({});

        QCOMPARE(started, downloads.filePath("setup.exe"));
        QCOMPARE(contentOf(started), "MZ set-up");
        QCOMPARE(refreshes(), QStringList());
        QFile::remove(started);
    }

    void termsLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("accept");
        QTest::newRow("English") << "en" << "You should accept Tarnwickstone terms and conditions:" << "Accept";
        QTest::newRow("Russian") << "ru" << "Примите условия использования Tarnwickstone:" << "Принять";
    }

    void termsLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, title);
        QFETCH(QString, accept);
        const TempSettings settings;
        settings.store()->setValue("Options/Language", stored);
        Terms terms;
        auto* combo = terms.findChild<QComboBox*>();
        QCOMPARE(combo->currentData().toString(), stored);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemData(0).toString(), "en");
        QCOMPARE(combo->itemText(1), "Русский");
        QCOMPARE(terms.windowTitle(), title);
        QVERIFY(ButtonOf(&terms, accept));
        QVERIFY(ButtonOf(&terms, accept)->isDefault());
        QVERIFY(terms.isModal());
        QCOMPARE(terms.size(), QSize(600, 600));
        const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
        QCOMPARE(terms.pos(), QPoint(centre.x() - 300, centre.y() - 300));
        // Numbered sections with nested clauses.
        QVERIFY(terms.findChild<QTextBrowser*>()->toHtml().count("<li") >= 8);
    }

    void termsOwnLanguageOnly()
    {
        const TempSettings settings;
        Terms terms;
        QTest::keyClick(terms.findChild<QComboBox*>(), Qt::Key_Down);
        QCOMPARE(terms.windowTitle(), "Примите условия использования Tarnwickstone:");
        QVERIFY(ButtonOf(&terms, "Принять"));
        QVERIFY(ButtonOf(&terms, "Отказаться"));
        QVERIFY(terms.findChild<QTextBrowser*>()->toPlainText().contains("Ваш счёт и ваши деньги"));
        // The program itself keeps its language.
        QCOMPARE(QCoreApplication::translate("SettingsForm", "General"), "General");
        QCOMPARE(settings.store()->value("Options/Language", "en").toString(), "en");
    }

    // No request before the terms are answered; the due check only after Accept.
    void consentFirst()
    {
        serveVersion(Version(1, 1, 1, 50));
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t(false);
        int requestsWhileAsked = -1;
        bool checkedWhileAsked = true;
        QTimer::singleShot(0, this, [&] {
            auto* terms = qobject_cast<Terms*>(QApplication::activeModalWidget());
            QVERIFY(terms);
            requestsWhileAsked = server.requestCount();
            checkedWhileAsked = records.contains("Checking program version...");
            QTest::mouseClick(ButtonOf(terms, "Accept"), Qt::LeftButton);
        });
        t.tab.Load();
        QCOMPARE(requestsWhileAsked, 0);
        QVERIFY(!checkedWhileAsked);
        QCOMPARE(settings.store()->value("TermsAccepted").toBool(), true);
        QVERIFY(records.contains("Checking program version..."));
        QTRY_VERIFY_WITH_TIMEOUT(paths().contains("/version.json"), Patience);

        // Accepted once, never asked again.
        QTimer refuse;
        int asked = 0;
        connect(&refuse, &QTimer::timeout, this, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                ++asked, dialog->reject();
        });
        refuse.start(10);
        SettingsTab again;
        again.tab.Load();
        QCOMPARE(asked, 0);
    }

    // Declining ends the program 10 ms into its event loop; nothing is stored or checked.
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
        const QJsonObject report = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
        QCOMPARE(probe.exitCode(), 0);
        QCOMPARE(report.value("answered").toBool(), true);
        QCOMPARE(report.value("termsAccepted").toBool(), false);
        QCOMPARE(report.value("checked").toBool(), false);
        QSettings after(home.filePath(".config") + "settings.ini", QSettings::IniFormat);
        QVERIFY(!after.contains("TermsAccepted"));
    }

    // Run with TW_SHOT_DIR set: the terms in English and in Russian.
    void screenshots_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "en";
        QTest::newRow("Russian") << "ru";
    }

    void screenshots()
    {
        QFETCH(QString, language);
        SKIP_WITHOUT_SHOT_FOLDER();
        const TempSettings settings;
        settings.store()->setValue("Options/Language", language);
        Terms terms;
        terms.show();
        QTest::qWait(50);
        QVERIFY(terms.grab().save(ShotPath("terms", language)));
    }
};

QTEST_MAIN(tst_Update)
#include "tst_update.moc"
