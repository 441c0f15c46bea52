#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QKeepAlive.h"
#include "RequestOutcome.h"

#include <QJsonDocument>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

const int ShortInterval = 100;

ScriptedReply Json(const char* json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(json));
}

} // namespace

class tst_KeepAlive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void nothingSentWithoutValidSession_data();
    void nothingSentWithoutValidSession();
    void ticksWhileTheSessionHolds();
    void replies_data();
    void replies();

private:
    // Lets the network route every reply that is still on its way.
    void settle();

    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_KeepAlive::initTestCase()
{
    QKeepAlive::IntervalMs = ShortInterval;
    QBetFair::SetSessionToken(QString());
    QVERIFY(QBetFair::KeepAliveWorker);
}

void tst_KeepAlive::init()
{
    server.setReply("GET", LocalExchange::identityPath("keepAlive"), Json(R"({"status": "SUCCESS"})"));
    server.clearRequests();
}

void tst_KeepAlive::cleanup()
{
    QBetFair::SetSessionToken(QString());
    QBetFair::Currency = QStringLiteral("???");
    settle();
}

void tst_KeepAlive::settle()
{
    QTest::qWait(4 * ShortInterval);
}

void tst_KeepAlive::nothingSentWithoutValidSession_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<bool>("running");

    QTest::newRow("token, account not known yet") << "tok"
                                                  << "???" << true;
    QTest::newRow("logged out") << ""
                                << "GBP" << false;
}

void tst_KeepAlive::nothingSentWithoutValidSession()
{
    QFETCH(QString, token);
    QFETCH(QString, currency);
    QFETCH(bool, running);
    QBetFair::Currency = currency;
    QBetFair::SetSessionToken(token);

    QTest::qWait(6 * ShortInterval);
    QCOMPARE(QBetFair::KeepAliveWorker->isActive(), running);
    QCOMPARE(server.requestCount(), 0);
}

// Every interval one GET naming the session; a logout stops them.
void tst_KeepAlive::ticksWhileTheSessionHolds()
{
    QKeepAlive* keepAlive = QBetFair::KeepAliveWorker;
    QBetFair::Currency = QStringLiteral("GBP");
    QBetFair::SetSessionToken(QStringLiteral("first"));
    QTRY_VERIFY_WITH_TIMEOUT(server.requestCount() >= 2, Patience);

    // A new token is used from the next tick on, by the same object.
    QBetFair::SetSessionToken(QStringLiteral("second"));
    QCOMPARE(QBetFair::KeepAliveWorker, keepAlive);
    server.clearRequests();
    QTRY_VERIFY_WITH_TIMEOUT(server.requestCount() >= 2, Patience);
    for (const RecordedRequest& request : server.requests()) {
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.path(), LocalExchange::identityPath("keepAlive"));
        QCOMPARE(request.header("X-Authentication"), QByteArray("second"));
        QCOMPARE(request.header("X-Application"), QBetFair::AppKey.toUtf8());
        QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    }

    QBetFair::SetSessionToken(QString());
    settle();
    const int afterLogout = server.requestCount();
    QTest::qWait(6 * ShortInterval);
    QCOMPARE(server.requestCount(), afterLogout);
}

void tst_KeepAlive::replies_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QStringList>("done");
    QTest::addColumn<QString>("language");

    QTest::newRow("confirmed") << Json(R"({"token": "t", "product": "p", "status": "SUCCESS", "error": ""})")
                               << QStringList {} << "";
    QTest::newRow("other status") << Json(R"({"status": "LOGIN_RESTRICTED"})")
                                  << QStringList { "LOGIN_RESTRICTED" } << "";
    QTest::newRow("status in lower case")
        << Json(R"({"status": "success"})") << QStringList { "success" } << "";
    QTest::newRow("no status") << Json(R"({"token": "t"})") << QStringList { "Server response error" } << "";
    QTest::newRow("refused with an error")
        << Json(R"({"status": "FAIL", "error": "NO_SESSION"})") << QStringList { "Network error" } << "";
    QTest::newRow("server error") << ScriptedReply::error(500) << QStringList { "Network error" } << "";
    QTest::newRow("not JSON") << ScriptedReply::text("<html/>", "text/html")
                              << QStringList { "Network error" } << "";
    QTest::newRow("server error, in Russian")
        << ScriptedReply::error(500) << QStringList { QStringLiteral("Ошибка сети") } << "ru_RU";
}

// Whatever the reply, the object stays and keeps going.
void tst_KeepAlive::replies()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(QStringList, done);
    QFETCH(QString, language);
    server.setReply("GET", LocalExchange::identityPath("keepAlive"), reply);
    ProgramTranslation translation(language);
    QVERIFY(translation.isValid());
    QBetFair::Currency = QStringLiteral("GBP");
    QBetFair::SetSessionToken(QStringLiteral("tok"));
    QPointer<QKeepAlive> keepAlive = QBetFair::KeepAliveWorker;
    keepAlive->stop();

    QStringList texts;
    connect(keepAlive, &QActionWorker::Done, this, [&](const QString& error) { texts.append(error); });
    QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
    keepAlive->onTimer();
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 1, Patience);
    translation.remove();
    QCOMPARE(texts, done);

    settle();
    QVERIFY(keepAlive);
    QVERIFY(!keepAlive->IsEnded());
    keepAlive->disconnect(this);
    QBetFair::SetSessionToken(QStringLiteral("tok"));
    QVERIFY(keepAlive->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(server.requestCount() >= 2, Patience);
}

QTEST_GUILESS_MAIN(tst_KeepAlive)
#include "tst_keepalive.moc"
