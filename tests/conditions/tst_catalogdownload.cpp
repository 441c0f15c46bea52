#include "QCatalog.h"
#include "QLog.h"
#include "TrustedHttpsServer.h"

#include "common/TestFiles.h"
#include "conditions/InterfaceLanguage.h"
#include "conditions/LocalProductSite.h"
#include "conditions/LogRecords.h"

#include <QDir>
#include <QtTest>

namespace {

const int Patience = 20000;
const QString CatalogPath = QStringLiteral("/download/1/1/1/catalogs/countries.json");
const QByteArray OldCatalog = R"({"data": [{"code": "OL", "en": "Old", "ru": "Старый"}]})";
const QByteArray NewCatalog = R"({"data": [{"code": "NW", "en": "New", "ru": "Новый"}]})";

const QString Updating = QStringLiteral("Updating catalog 'countries'...");
const QString Updated = QStringLiteral("Catalog 'countries' updated.");
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

} // namespace

class tst_CatalogDownload : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    QTemporaryDir folder;
    QLog* log = nullptr;

    QString catalogFile() const { return folder.filePath(QStringLiteral("countries.json")); }

    QStringList folderEntries() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Downloads the countries catalog and waits until it has been handled
    // (two records: the start and the outcome).
    void download(QList<LogRecord>* all)
    {
        LogRecords records(log);
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        *all = records.all();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        QVERIFY(folder.isValid());
        qRegisterMetaType<QLog::QLogType>();
        log = new QLog; // the program-wide log
        QCatalog::Init(folder.path());
    }

    void cleanupTestCase() { delete log; }

    void init()
    {
        server.clearRequests();
        for (const QString& name : folderEntries())
            QVERIFY(QDir(folder.filePath(name)).removeRecursively() || QFile::remove(folder.filePath(name)));
        writeFile(catalogFile(), OldCatalog);
    }

    void replies_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("outcome"); // the second log record
        QTest::addColumn<bool>("replaced");

        const QString url = server.url(CatalogPath);
        const QByteArray secureMirror = server.url(QStringLiteral("/mirror.json")).toLatin1();
        const QByteArray plainMirror = QByteArray("http://127.0.0.1:") + QByteArray::number(server.port())
            + "/mirror.json";
        const auto redirect
            = [](const QByteArray& to) { return ScriptedReply::text("", "text/plain", 302).withHeader("Location", to); };
        // clang-format off
        QTest::newRow("catalog") << ScriptedReply::text(NewCatalog, "application/json") << Updated << true;
        QTest::newRow("redirect to https") << redirect(secureMirror) << Updated << true;
        QTest::newRow("404") << ScriptedReply::error(404)
                             << QStringLiteral("Error transferring %1 - server replied: Not Found").arg(url) << false;
        QTest::newRow("204") << ScriptedReply::text("", "text/plain", 204)
                             << "The server did not send the file (HTTP status 204)." << false;
        QTest::newRow("redirect to http") << redirect(plainMirror) << "Insecure redirect" << false;
        QTest::newRow("HTML page") << ScriptedReply::text("<html><body>Maintenance</body></html>", "text/html")
                                   << NotACatalog << false;
        QTest::newRow("root is an array") << ScriptedReply::text("[" + NewCatalog + "]", "application/json") << NotACatalog << false;
        QTest::newRow("empty data") << ScriptedReply::text(R"({"data": []})", "application/json") << NotACatalog << false;
        // clang-format on
    }

    void replies()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, outcome);
        QFETCH(bool, replaced);
        LocalProductSite site(server);
        server.setReply("GET", CatalogPath, answer);
        server.setReply("GET", QStringLiteral("/mirror.json"), ScriptedReply::text(NewCatalog, "application/json"));

        QList<LogRecord> records;
        download(&records);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(records.first(), info(Updating));
        QCOMPARE(records.last(), replaced ? info(outcome) : error(outcome));
        QCOMPARE(server.requests().first().path(), CatalogPath);
        QCOMPARE(contentOf(catalogFile()), replaced ? NewCatalog : OldCatalog);
        QCOMPARE(folderEntries(), QStringList { "countries.json" });
    }

    void russianSite()
    {
        InterfaceLanguage russian(QStringLiteral("ru_RU"));
        QVERIFY(russian.IsLoadedOrNone());
        LocalProductSite site(server);
        server.setReply("GET", QStringLiteral("/ru") + CatalogPath, ScriptedReply::text(NewCatalog, "application/json"));

        QList<LogRecord> records;
        download(&records);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(records.first(), info(QStringLiteral("Обновление каталога 'countries'...")));
        QCOMPARE(records.last(), info(QStringLiteral("Каталог 'countries' обновлён.")));
        QCOMPARE(contentOf(catalogFile()), NewCatalog);
    }

    void saveFails_data()
    {
        QTest::addColumn<bool>("diskFull"); // else a folder stands in the file's place
        QTest::addColumn<QString>("outcome");
        QTest::newRow("disk full") << true << "Unable to save countries file: File too large";
        QTest::newRow("a folder in the way") << false << "Unable to save countries file: Filename refers to a directory";
    }

    void saveFails()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, outcome);
        LocalProductSite site(server);
        const QByteArray large = "{\"data\": [" + QByteArray(4096, ' ') + NewCatalog.mid(10);
        server.setReply("GET", CatalogPath, ScriptedReply::text(large, "application/json").held());
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        if (!diskFull) {
            QVERIFY(QFile::remove(catalogFile()));
            QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("countries.json")));
        }

        LogRecords records(log);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        {
            std::unique_ptr<FileSizeLimit> limit(diskFull ? new FileSizeLimit : nullptr);
            server.release();
            QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        }
        QCOMPARE(records.all().last(), error(outcome));
        if (diskFull)
            QCOMPARE(contentOf(catalogFile()), OldCatalog);
        QCOMPARE(folderEntries(), QStringList { "countries.json" });
    }

    // What is not fetched at all: the built-in catalog, and a site that a
    // translation made plain http.
    void notFetched()
    {
        LocalProductSite site(server);
        LogRecords records(log);
        QCatalog::sexTypes->UpdateFromInternet();

        ProductSite::English = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
        QCatalog countries;
        countries.Load(QStringLiteral("countries"), true);
        countries.UpdateFromInternet();
        QCOMPARE(records.all(),
            QList<LogRecord> { error(QStringLiteral("The download address is not secure: %1%2")
                                         .arg(ProductSite::English, CatalogPath)) });
        QCOMPARE(server.requestCount(), 0);
        QCOMPARE(contentOf(catalogFile()), OldCatalog);
    }
};

QTEST_MAIN(tst_CatalogDownload)
#include "tst_catalogdownload.moc"
