#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProductSite.h"
#include "ProgramTranslation.h"
#include "QVersionChecker.h"
#include "RequestOutcome.h"
#include "TestCertificate.h"
#include "TrustedHttpsServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QByteArray VersionFile
    = "{\"MAJOR\": 2, \"MINOR\": 0, \"RELEASE\": 0, \"BUILD\": 1, "
      "\"URL\": {\"win\": \"https://tarnwickstone.com/download/setup-2.0.0.1.exe\"}, "
      "\"description\": \"<ul><li>Faster search</li></ul>\"}";

// Every way the checker can end, as its receivers see it.
struct CheckerWatch : QObject
{
    QStringList errors;
    QList<QJsonObject> files;
    int baseDone = 0;
    QPointer<QVersionChecker> checker;

    explicit CheckerWatch(QVersionChecker* watched)
        : checker(watched)
    {
        connect(watched, &QVersionChecker::Done, this, [this](const QString& error, const QJsonObject& data) {
            errors.append(error);
            files.append(data);
        });
        connect(watched, QOverload<const QString&>::of(&QActionWorker::Done), this, [this] { ++baseDone; });
    }
};

QJsonObject Object(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class tst_VersionChecker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void reply_data();
    void reply();
    void siteOfTheLanguage_data();
    void siteOfTheLanguage();
    void onlyOverTls_data();
    void onlyOverTls();
    void receiverRunsAnEventLoop();
    void siteAddress_data();
    void siteAddress();

private:
    // Runs one check to its end.
    void check(std::unique_ptr<CheckerWatch>& watch);

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    std::unique_ptr<LocalExchange> exchange;
};

void tst_VersionChecker::initTestCase()
{
    QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
    QVERIFY(server.isListening());
    exchange = std::make_unique<LocalExchange>(server);
}

void tst_VersionChecker::init()
{
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
}

void tst_VersionChecker::cleanup()
{
    QBetFair::SessionToken.clear();
}

void tst_VersionChecker::reply_data()
{
    QTest::addColumn<ScriptedReply>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QJsonObject>("file");

    QTest::newRow("version file") << ScriptedReply::text(VersionFile, "application/json") << QString()
                                  << Object(VersionFile);
    const QByteArray withoutWin
        = "{\"MAJOR\": 3, \"URL\": {\"mac\": \"https://x/y.dmg\"}, \"description\": \"\"}";
    QTest::newRow("no win address") << ScriptedReply::text(withoutWin, "application/json") << QString()
                                    << Object(withoutWin);
    QTest::newRow("array") << ScriptedReply::text("[1, 2]", "application/json") << QString()
                           << QJsonObject { { "result", QJsonArray { 1, 2 } } };
    QTest::newRow("plain text") << ScriptedReply::text("MAJOR=2") << "^Server response error$"
                                << QJsonObject();
    QTest::newRow("missing") << ScriptedReply::error(404) << "^Network error: .*Not Found" << QJsonObject();
    QTest::newRow("connection dropped") << ScriptedReply::closed() << "^Network error: " << QJsonObject();
}

// The file reaches the receiver unchanged, or the error with an empty object;
// one report, then the checker is gone.
void tst_VersionChecker::reply()
{
    QFETCH(ScriptedReply, answer);
    QFETCH(QString, error);
    QFETCH(QJsonObject, file);
    server.setReply("GET", "/version.json", answer);

    std::unique_ptr<CheckerWatch> watch;
    check(watch);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(watch->errors.size(), 1);
    if (error.isEmpty())
        QCOMPARE(watch->errors.first(), QString());
    else
        QVERIFY2(QRegularExpression(error).match(watch->errors.first()).hasMatch(),
            qPrintable(watch->errors.first()));
    QCOMPARE(watch->files.first(), file);
    QCOMPARE(watch->baseDone, 0);

    // Qt asks once more when a connection drops without an answer.
    QVERIFY(server.requestCount() >= 1);
    const RecordedRequest request = server.lastRequest();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    // Neither the program's key nor the user's session goes to the product site.
    QVERIFY(!request.hasHeader("X-Application"));
    QVERIFY(!request.hasHeader("X-Authentication"));
}

void tst_VersionChecker::siteOfTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("path");

    QTest::newRow("English") << "en_GB"
                             << "/version.json";
    QTest::newRow("Russian") << "ru_RU"
                             << "/ru/version.json";
}

void tst_VersionChecker::siteOfTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, path);
    server.setReply("GET", path, ScriptedReply::text(VersionFile, "application/json"));

    ProgramTranslation translation(language);
    QVERIFY(translation.isValid());
    std::unique_ptr<CheckerWatch> watch;
    check(watch);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(watch->errors, QStringList { QString() });
    QCOMPARE(server.lastRequest().path(), path);
}

void tst_VersionChecker::onlyOverTls_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("error");

    QTest::newRow("plain http") << "http://127.0.0.1:%1"
                                << "^The version file's address is not secure: http://";
    QTest::newRow("untrusted certificate") << "untrusted"
                                           << "^Network error: .*SSL";
}

// The version file chooses the set-up program the user is offered: it is
// read only over TLS with a trusted certificate.
void tst_VersionChecker::onlyOverTls()
{
    QFETCH(QString, site);
    QFETCH(QString, error);

    QTemporaryDir folder;
    const TestCertificate selfSigned = TestCertificate::create(folder.path());
    QVERIFY2(selfSigned.isValid(), qPrintable(selfSigned.error));
    HttpTestServer untrusted(selfSigned.certificate, selfSigned.key);
    HttpTestServer plain;
    for (HttpTestServer* each : { &untrusted, &plain })
        each->setReply("GET", "/version.json", ScriptedReply::text(VersionFile, "application/json"));
    ProductSite::English = site == QLatin1String("untrusted") ? untrusted.url() : site.arg(plain.port());

    std::unique_ptr<CheckerWatch> watch;
    check(watch);
    ProductSite::English = server.url();
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(watch->errors.size(), 1);
    QVERIFY2(
        QRegularExpression(error).match(watch->errors.first()).hasMatch(), qPrintable(watch->errors.first()));
    QCOMPARE(watch->files.first(), QJsonObject());
    QCOMPARE(plain.requestCount() + untrusted.requestCount() + server.requestCount(), 0);
}

// The settings tab asks and downloads inside its handler, with nested event
// loops: the checker must outlive them and go only afterwards.
void tst_VersionChecker::receiverRunsAnEventLoop()
{
    server.setReply("GET", "/version.json", ScriptedReply::text(VersionFile, "application/json"));
    auto* checker = new QVersionChecker;
    QPointer<QVersionChecker> alive(checker);
    bool aliveDuringLoop = false;
    bool endedDuringLoop = false;
    connect(checker, &QVersionChecker::Done, this, [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QEventLoop box;
        QTimer::singleShot(50, &box, &QEventLoop::quit);
        box.exec();
        aliveDuringLoop = !alive.isNull();
        endedDuringLoop = aliveDuringLoop && alive->IsEnded();
    });
    checker->Check();
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), Patience);
    QVERIFY(aliveDuringLoop);
    QVERIFY(endedDuringLoop);
}

void tst_VersionChecker::siteAddress_data()
{
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");
    QTest::addColumn<QString>("translated");
    QTest::addColumn<QString>("address");

    QTest::newRow("English site") << "https://e.example"
                                  << "https://r.example"
                                  << "%1/version.json"
                                  << "https://e.example/version.json";
    QTest::newRow("Russian site") << "https://e.example"
                                  << "https://r.example"
                                  << "%2/version.json"
                                  << "https://r.example/version.json";
    QTest::newRow("site holding a marker") << "https://e.example/%2"
                                           << "https://r.example"
                                           << "%1/a"
                                           << "https://e.example/%2/a";
}

void tst_VersionChecker::siteAddress()
{
    QFETCH(QString, english);
    QFETCH(QString, russian);
    QFETCH(QString, translated);
    QFETCH(QString, address);

    const QString keptEnglish = ProductSite::English;
    const QString keptRussian = ProductSite::Russian;
    ProductSite::English = english;
    ProductSite::Russian = russian;
    const QString filled = ProductSite::Address(translated);
    ProductSite::English = keptEnglish;
    ProductSite::Russian = keptRussian;
    QCOMPARE(filled, address);
}

void tst_VersionChecker::check(std::unique_ptr<CheckerWatch>& watch)
{
    auto* checker = new QVersionChecker;
    watch = std::make_unique<CheckerWatch>(checker);
    checker->Check();
    QTRY_VERIFY_WITH_TIMEOUT(!watch->errors.isEmpty(), Patience);
    QTRY_VERIFY_WITH_TIMEOUT(watch->checker.isNull(), Patience);
}

QTEST_GUILESS_MAIN(tst_VersionChecker)
#include "tst_versionchecker.moc"
