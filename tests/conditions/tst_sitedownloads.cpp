#include "LocalExchange.h"
#include "MyTemplates.h"
#include "QCatalog.h"
#include "QConfirm.h"
#include "QLog.h"
#include "TrustedHttpsServer.h"

#include "common/TestFiles.h"
#include "conditions/InterfaceLanguage.h"
#include "conditions/LogRecords.h"
#include "conditions/ZipBuilder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <optional>

namespace {

const int Patience = 20000;
const QString CatalogPath = QStringLiteral("/download/1/1/1/catalogs/countries.json");
const QString ArchivePath = QStringLiteral("/download/1/1/1/templates.zip");
const QByteArray OldCatalog = R"({"data": [{"code": "OL", "en": "Old", "ru": "Старый"}]})";
const QByteArray NewCatalog = R"({"data": [{"code": "NW", "en": "New", "ru": "Новый"}]})";
const QByteArray Favourites = R"({"readOnly": true, "name": {"eng": "Favourites"}, "conditions": []})";
const QByteArray Mine = R"({"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 1000}]})";

const QString CatalogUpdated = QStringLiteral("Catalog 'countries' updated.");
const QString NotACatalog
    = QStringLiteral("The downloaded catalog 'countries' is not a catalog; the file is left as it was.");

LogRecord info(const QString& text)
{
    return { QLog::QLogType::Info, text };
}

LogRecord error(const QString& text)
{
    return { QLog::QLogType::Error, text };
}

QStringList entriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList listed(MyTemplates& panel)
{
    auto* list = panel.findChild<QComboBox*>(QStringLiteral("TemplatesList"));
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << (i == list->currentIndex() ? "*" : "") + list->itemText(i);
    return texts;
}

} // namespace

// The catalogs and the predefined templates, downloaded from the product
// site (a local trusted https server) in the background.
class tst_SiteDownloads : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    std::optional<LocalExchange> site;
    std::optional<QTemporaryDir> data;
    QString catalogs;
    QString templates;
    QLog* log = nullptr;
    QStringList boxes;

    QString catalogFile() const { return catalogs + QStringLiteral("/countries.json"); }

    // Downloads the countries catalog; the log gets the start and the outcome.
    void downloadCatalog(LogRecords& records)
    {
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        QCOMPARE(records.all().first(), info(QStringLiteral("Updating catalog 'countries'...")));
    }

    // The panel with the user's own template "Mine" open and edited.
    void openEdited(MyTemplates& panel)
    {
        panel.ReloadTemplates(QStringLiteral("Mine"));
        QTest::keyClicks(panel.findChild<QLineEdit*>(QStringLiteral("Value1")), QStringLiteral("5"));
        QVERIFY(panel.IsChanged());
        QCOMPARE(listed(panel), (QStringList { "[Unsaved]", "*Mine" }));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        site.emplace(server);
        qRegisterMetaType<QLog::QLogType>();
        log = new QLog; // the program-wide log
        QConfirm::Init();
        SetInteractiveLevel(QConfirm::All);
        QConfirm::SetResponder([this](QMessageBox* box) {
            boxes << box->text();
            return box->button(QMessageBox::No);
        });
    }

    void cleanupTestCase()
    {
        QConfirm::SetResponder({});
        delete log;
        site.reset();
    }

    // Each test has a data folder of its own: an old catalog and the user's
    // template "Mine".
    void init()
    {
        server.clearRequests();
        boxes.clear();
        data.emplace();
        QVERIFY(data->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(data->filePath(QStringLiteral("config"))));
        catalogs = data->filePath(QStringLiteral("configcatalogs"));
        templates = data->filePath(QStringLiteral("configtemplates"));
        QVERIFY(QDir().mkpath(catalogs) && QDir().mkpath(templates));
        QCatalog::Init(catalogs);
        writeFile(catalogFile(), OldCatalog);
        writeFile(templates + QStringLiteral("/Mine.twt"), Mine);
    }

    void catalogReplies_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("outcome"); // the second log record
        QTest::addColumn<bool>("replaced");

        const QByteArray secureMirror = server.url(QStringLiteral("/mirror.json")).toLatin1();
        const QByteArray plainMirror = QByteArray(secureMirror).replace("https:", "http:");
        const auto redirect
            = [](const QByteArray& to) { return ScriptedReply::text("", "text/plain", 302).withHeader("Location", to); };
        const auto json = [](const QByteArray& body) { return ScriptedReply::text(body, "application/json"); };
        // clang-format off
        QTest::newRow("catalog") << json(NewCatalog) << CatalogUpdated << true;
        QTest::newRow("redirect to https") << redirect(secureMirror) << CatalogUpdated << true;
        QTest::newRow("404") << ScriptedReply::error(404)
                             << QStringLiteral("Error transferring %1 - server replied: Not Found").arg(server.url(CatalogPath)) << false;
        QTest::newRow("204") << ScriptedReply::text("", "text/plain", 204) << "The server did not send the file (HTTP status 204)." << false;
        QTest::newRow("redirect to http") << redirect(plainMirror) << "Insecure redirect" << false;
        QTest::newRow("HTML page") << ScriptedReply::text("<html><body>Maintenance</body></html>", "text/html") << NotACatalog << false;
        QTest::newRow("root is an array") << json("[" + NewCatalog + "]") << NotACatalog << false;
        QTest::newRow("empty data") << json(R"({"data": []})") << NotACatalog << false;
        // clang-format on
    }

    void catalogReplies()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, outcome);
        QFETCH(bool, replaced);
        server.setReply("GET", CatalogPath, answer);
        server.setReply("GET", QStringLiteral("/mirror.json"), ScriptedReply::text(NewCatalog, "application/json"));

        LogRecords records(log);
        downloadCatalog(records);
        QCOMPARE(records.all().last(), replaced ? info(outcome) : error(outcome));
        QCOMPARE(server.requests().first().path(), CatalogPath);
        QCOMPARE(contentOf(catalogFile()), replaced ? NewCatalog : OldCatalog);
        QCOMPARE(entriesIn(catalogs), QStringList { "countries.json" });
    }

    void catalogFromTheRussianSite()
    {
        InterfaceLanguage russian(QStringLiteral("ru_RU"));
        QVERIFY(russian.IsLoadedOrNone());
        server.setReply("GET", QStringLiteral("/ru") + CatalogPath, ScriptedReply::text(NewCatalog, "application/json"));

        LogRecords records(log);
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        QCOMPARE(records.all(),
            (QList<LogRecord> { info(QStringLiteral("Обновление каталога 'countries'...")),
                info(QStringLiteral("Каталог 'countries' обновлён.")) }));
        QCOMPARE(contentOf(catalogFile()), NewCatalog);
    }

    void catalogNotSaved_data()
    {
        QTest::addColumn<bool>("diskFull"); // else a folder stands in the file's place
        QTest::addColumn<QString>("outcome");
        QTest::newRow("disk full") << true << "Unable to save countries file: File too large";
        QTest::newRow("a folder in the way") << false << "Unable to save countries file: Filename refers to a directory";
    }

    void catalogNotSaved()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, outcome);
        const QByteArray large = "{\"data\": [" + QByteArray(4096, ' ') + NewCatalog.mid(10);
        server.setReply("GET", CatalogPath, ScriptedReply::text(large, "application/json").held());
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        if (!diskFull)
            QVERIFY(QFile::remove(catalogFile()) && QDir(catalogs).mkdir(QStringLiteral("countries.json")));

        LogRecords records(log);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        {
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace();
            server.release();
            QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        }
        QCOMPARE(records.all().last(), error(outcome));
        if (diskFull)
            QCOMPARE(contentOf(catalogFile()), OldCatalog);
        QCOMPARE(entriesIn(catalogs), QStringList { "countries.json" });
    }

    // The built-in catalog is never fetched, and nothing is from a site that
    // a translation made plain http.
    void notFetched()
    {
        LogRecords records(log);
        QCatalog::sexTypes->UpdateFromInternet();
        const QString kept = ProductSite::English;
        ProductSite::English = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        countries.UpdateFromInternet();
        MyTemplates().UpdateFromInternet();
        ProductSite::English = kept;
        const QString refused = QStringLiteral("The download address is not secure: http://127.0.0.1:%1%2");
        QCOMPARE(records.all(),
            (QList<LogRecord> { error(refused.arg(server.port()).arg(CatalogPath)),
                error(refused.arg(server.port()).arg(ArchivePath)) }));
        QCOMPARE(server.requestCount(), 0);
        QCOMPARE(contentOf(catalogFile()), OldCatalog);
    }

    // Installed while the user works: nothing asked, nothing reloaded, the
    // open template still chosen, the user's file of the same name kept.
    void templatesInstalledInTheBackground()
    {
        server.setReply("GET", ArchivePath,
            ScriptedReply::text(makeZip({ ZipEntry::file("Favourites.twt", Favourites),
                                    ZipEntry::file("Mine.twt", R"({"readOnly": true, "conditions": []})") }),
                "application/zip"));
        MyTemplates panel;
        openEdited(panel);
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        LogRecords records(log);

        panel.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.last(), QStringLiteral("Predefined templates were updated."), Patience);
        QCOMPARE(server.lastRequest().path(), ArchivePath);
        QCOMPARE(records.all().first(), info(QStringLiteral("Updating predefined templates...")));
        QCOMPARE(records.count(), 3); // and the warning that "Mine" was kept
        QCOMPARE(listed(panel), (QStringList { "[Unsaved]", "Favourites", "*Mine" }));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Mine"));
        QVERIFY(panel.IsChanged());
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(boxes, QStringList());
        QCOMPARE(contentOf(templates + QStringLiteral("/Mine.twt")), Mine);
        QCOMPARE(contentOf(templates + QStringLiteral("/Favourites.twt")), Favourites);
    }

    void templatesNotInstalled_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        QTest::newRow("404") << ScriptedReply::error(404)
            << QStringLiteral("Error transferring %1 - server replied: Not Found").arg(server.url(ArchivePath));
        QTest::newRow("HTML page") << ScriptedReply::text("<html>Maintenance</html>", "text/html")
            << "The templates archive is not a zip file or is empty.";
        QTest::newRow("only entries leading out")
            << ScriptedReply::text(makeZip({ ZipEntry::file("../../x.twt", Favourites), ZipEntry::link("y.twt", "/etc/passwd") }), "application/zip")
            << "The templates archive holds no template; nothing was installed.";
        // clang-format on
    }

    void templatesNotInstalled()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, outcome);
        server.setReply("GET", ArchivePath, answer);
        MyTemplates panel;
        openEdited(panel);
        const QStringList before = entriesIn(data->path());
        LogRecords records(log);

        panel.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.last(), outcome, Patience);
        QCOMPARE(records.all().last().first, QLog::QLogType::Error);
        QCOMPARE(listed(panel), (QStringList { "[Unsaved]", "*Mine" }));
        QCOMPARE(entriesIn(templates), QStringList { "Mine.twt" });
        QCOMPARE(entriesIn(data->path()), before);
        QCOMPARE(boxes, QStringList());
    }
};

QTEST_MAIN(tst_SiteDownloads)
#include "tst_sitedownloads.moc"
