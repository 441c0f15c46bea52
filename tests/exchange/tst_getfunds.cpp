#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QGetFunds.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString AccountFunds = QStringLiteral("AccountAPING/v1.0/getAccountFunds");

ScriptedReply Funds(const char* result)
{
    return ScriptedReply::rpcResult(QJsonDocument::fromJson(result).object());
}

const ScriptedReply Uk = Funds(R"({"wallet": "UK", "availableToBetBalance": 10.25, "exposure": -2})");
const ScriptedReply Australian = Funds(R"({"wallet": "AUSTRALIAN", "availableToBetBalance": 5.5})");
const ScriptedReply Refused = ScriptedReply::json(QJsonDocument::fromJson(R"({"jsonrpc": "2.0", "id": 1,
    "error": {"code": -32099, "data": {"AccountAPINGException": {"errorCode": "INVALID_SESSION_INFORMATION"}}}})"));

} // namespace

class tst_GetFunds : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void funds_data();
    void funds();
    void receiverWaitsInAModalLoop();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_GetFunds::init()
{
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
}

void tst_GetFunds::cleanup()
{
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_GetFunds::funds_data()
{
    QTest::addColumn<ScriptedReply>("uk");
    QTest::addColumn<ScriptedReply>("australian");
    QTest::addColumn<QStringList>("received");
    QTest::addColumn<QString>("done");

    QTest::newRow("Australian arrives first")
        << Uk.held() << Australian << QStringList { "AUSTRALIAN=5.5", "UK=10.25" } << "^$";
    QTest::newRow("UK arrives first")
        << Uk << Australian.held() << QStringList { "UK=10.25", "AUSTRALIAN=5.5" } << "^$";
    QTest::newRow("missing balance reads 0") << Funds(R"({"wallet": "UK"})") << Australian.held()
                                             << QStringList { "UK=0", "AUSTRALIAN=5.5" } << "^$";
    QTest::newRow("wallet as the reply names it")
        << Funds(R"({"availableToBetBalance": 3})")
        << Funds(R"({"wallet": "AU", "availableToBetBalance": 0.01})").held()
        << QStringList { "=3", "AU=0.01" } << "^$";
    QTest::newRow("first to arrive fails")
        << ScriptedReply::error(500) << Australian.held() << QStringList {} << "^Network error: ";
    QTest::newRow("second to arrive fails")
        << Uk << Refused.held() << QStringList { "UK=10.25" } << "^INVALID_SESSION_INFORMATION$";
    QTest::newRow("both fail") << Refused << ScriptedReply::error(503).held() << QStringList {}
                               << "^INVALID_SESSION_INFORMATION$";
}

// Each wallet as its reply arrives, one Done, nothing after it.
void tst_GetFunds::funds()
{
    QFETCH(ScriptedReply, uk);
    QFETCH(ScriptedReply, australian);
    QFETCH(QStringList, received);
    QFETCH(QString, done);
    server.setRpcHandler(LocalExchange::accountPath(), AccountFunds, [=](const RecordedRequest& request) {
        const QString wallet = request.json().value("params").toObject().value("wallet").toString();
        return wallet == QLatin1String("UK")        ? uk
            : wallet == QLatin1String("AUSTRALIAN") ? australian
                                                    : ScriptedReply::error(400);
    });

    auto* worker = new QGetFunds;
    WorkerWatch watch(worker);
    QStringList reported;
    connect(worker, &QGetFunds::FundsReceived, this, [&](const QString& wallet, double funds) {
        reported.append(QStringLiteral("%1=%2").arg(wallet).arg(funds));
    });
    QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
    worker->GetFunds();

    // The held reply goes only once the other one is in, whatever the load.
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 1, Patience);
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 2, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(reported, received);
    QCOMPARE(watch.done.size(), 1);
    QVERIFY2(QRegularExpression(done).match(watch.done.first()).hasMatch(), qPrintable(watch.done.first()));

    QStringList wallets;
    for (const RecordedRequest& request : server.requests()) {
        QCOMPARE(request.rpcMethod(), AccountFunds);
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
        wallets.append(request.json().value("params").toObject().value("wallet").toString());
    }
    wallets.sort();
    QCOMPARE(wallets, QStringList({ "AUSTRALIAN", "UK" }));
}

// The second reply is handled while the receiver of the first still waits
// (as in a message box): the first must not end the worker a second time.
void tst_GetFunds::receiverWaitsInAModalLoop()
{
    server.setRpcHandler(LocalExchange::accountPath(), AccountFunds, [](const RecordedRequest& request) {
        return request.json().value("params").toObject().value("wallet") == QLatin1String("UK")
            ? Uk
            : Australian.held();
    });

    auto* worker = new QGetFunds;
    WorkerWatch watch(worker);
    QStringList reported;
    connect(worker, &QGetFunds::FundsReceived, this, [&](const QString& wallet) {
        reported.append(wallet);
        if (reported.size() > 1)
            return;
        QEventLoop box;
        connect(worker, &QActionWorker::Done, &box, &QEventLoop::quit);
        server.releaseAll();
        QTimer::singleShot(Patience, &box, &QEventLoop::quit);
        box.exec();
    });
    worker->GetFunds();

    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(reported, QStringList({ "UK", "AUSTRALIAN" }));
    QCOMPARE(watch.done, QStringList { QString() });
}

QTEST_GUILESS_MAIN(tst_GetFunds)
#include "tst_getfunds.moc"
