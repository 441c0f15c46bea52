#include "LocalExchange.h"
#include "QMarketPLGetter.h"
#include "QPriceUpdater.h"
#include "QScoresWorker.h"
#include "ReplyScript.h"
#include "RequestOutcome.h"

#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// The market book and the profit-and-loss fetchers share their batching and reply handling.
enum class Fetcher { Books, ProfitAndLoss };

QStringList Ids(int count)
{
    QStringList ids;
    for (int i = 0; i < count; ++i)
        ids << QStringLiteral("1.%1").arg(i);
    return ids;
}

// A fetch of market data and what it must come to.
struct Case
{
    Fetcher fetcher;
    QStringList ids;
    QStringList events; // "data:<first entry's marketId>"; "#n" the n-th request's first id
    QStringList replies = {}; // by arrival, "ok" beyond the list; "now" answered at once, the others in turn
    QString receiver = {}; // of the first data: "box" or "cancel"
    int options = 0; // 1: starting prices, 2: traded volumes, 4: orders
    QStringList batches = {}; // where given: "<prefix>:<ids>", in any order, and every request's
    QByteArray params = {}; // parameters, "marketIds" aside
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_MarketData : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(RepliesSettled(server), Patience); }
    void fetching_data();
    void fetching();
    void scores_data();
    void scores();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_MarketData::fetching_data()
{
    QTest::addColumn<Case>("run");
    const auto books = [](const char* priceData) {
        return QByteArray(R"({"orderProjection": "ALL", "priceProjection": {"priceData": [)") + priceData
            + R"(], "virtualise": true, "exBestOffersOverrides": {"bestPricesDepth": 1}}})";
    };
    const QString ten = "api:" + Ids(10).join(',');
    const QStringList two { "data:#0", "data:#1", "done:" };
    const Fetcher pl = Fetcher::ProfitAndLoss;
    const Fetcher book = Fetcher::Books;

    // Batches as the exchange sees them: endpoint, markets and exact parameters.
    QTest::newRow("41 ids: 40 and 1") << Case { book, Ids(41), two, {}, {}, 4,
        { "api:" + Ids(40).join(','), "api:1.40" }, books(R"("EX_BEST_OFFERS")") };
    QTest::newRow("traded: 9 and 1") << Case { book, Ids(10), two, {}, {}, 2, { ten.chopped(4), "api:1.9" },
        books(R"("EX_BEST_OFFERS", "EX_TRADED")") };
    QTest::newRow("SP and traded: 8 and 2") << Case { book, Ids(10), two, {}, {}, 3,
        { ten.chopped(8), "api:1.8,1.9" }, books(R"("EX_BEST_OFFERS", "EX_TRADED", "SP_AVAILABLE")") };
    QTest::newRow("jurisdictions, malformed and empty ids to api-au") << Case { book,
        { "1.10", "10.5", "", "1.1", " 1.2", "2.1", "2.1" }, two, {}, {}, 1,
        { "api:1.10,1.1", "api-au:10.5,, 1.2,2.1,2.1" }, books(R"("EX_BEST_OFFERS", "SP_AVAILABLE")") };
    QTest::newRow("P&L, 51 ids: 50 and 1") << Case { pl, Ids(51), two, {}, {}, 0,
        { "api:" + Ids(50).join(','), "api:1.50" }, R"({"netOfCommission": true})" };
    // Nothing is sent; the two fetchers end differently, and at once.
    QTest::newRow("books, no market") << Case { book, {}, { "done:Nothing to update" }, {}, {}, 0, {}, "{}" };
    QTest::newRow("P&L, no market") << Case { pl, {}, { "done:" }, {}, {}, 0, {}, "{}" };
    // Each reply's data as it arrives, then one empty Done.
    QTest::newRow("in arrival order")
        << Case { book, Ids(81), { "data:#2", "data:#0", "data:#1", "done:" }, { "ok", "ok", "now" } };
    QTest::newRow("the Australian batch last") << Case { pl, Ids(101) + QStringList { "2.1" },
        { "data:#0", "data:#1", "data:#2", "data:2.1", "done:" } };
    // The first failure ends the run at once; the third reply reaches nobody.
    QTest::newRow("the second fails")
        << Case { book, Ids(81), { "data:#0", "done:Network error" }, { "ok", "http" } };
    // Three batches out, the fourth waiting for a slot: the rest are never sent.
    QTest::newRow("a failure while the fourth waits")
        << Case { book, Ids(161), { "done:Network error" }, { "http" } };
    QTest::newRow("the receiver of data cancels while the fourth waits")
        << Case { book, Ids(161), { "data:#0", "done:Cancelled" }, {}, "cancel" };
    // The receiver of the first data shows a box, in which the other replies arrive.
    QTest::newRow("a box") << Case { pl, Ids(101), { "data:#0", "data:#1", "data:#2", "done:" }, {}, "box" };
}

// One Done, nothing after it, and no batch sent once it is out.
void tst_MarketData::fetching()
{
    QFETCH(Case, run);
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
    const auto arrivals = std::make_shared<std::atomic<int>>(0);
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const char* method : { "listMarketBook", "listMarketProfitAndLoss" }) {
            server.setRpcHandler(LocalExchange::bettingPath(prefix),
                "SportsAPING/v1.0/" + QLatin1String(method),
                [arrivals, replies = run.replies](const RecordedRequest& request) {
                    const QString reply = replies.value((*arrivals)++, "ok");
                    const QJsonObject first { { "marketId",
                        Strings(Params(request).value("marketIds")).value(0) } };
                    const ScriptedReply data = ScriptedReply::rpcResult(QJsonArray { first });
                    return reply == "now" ? data
                        : reply == "http" ? ScriptedReply::error(500).held()
                                          : data.held();
                });
        }
    }

    QPointer<QPriceUpdater> books;
    QPointer<QMarketBatchWorker> worker = run.fetcher == Fetcher::Books
        ? static_cast<QMarketBatchWorker*>(books = new QPriceUpdater)
        : new QMarketPLGetter;
    QStringList events;
    connect(
        worker, QOverload<const QJsonArray&>::of(&QMarketBatchWorker::Done), this, [&](const QJsonArray& a) {
            events << "data:" + (a.isEmpty() ? "none" : a.first().toObject().value("marketId").toString());
            const QString once = std::exchange(run.receiver, QString());
            if (once == "cancel")
                worker->Cancel();
            if (once == "box")
                RunModalBox([&] { return events.last().startsWith("done:"); }, Patience);
        });
    connect(worker, QOverload<const QString&>::of(&QActionWorker::Done), this,
        [&](const QString& text) { events << "done:" + text; });
    const ReleaseInTurn inTurn(server);
    const int o = run.options;
    books ? books->UpdatePrices(run.ids, o & 1, o & 2, o & 4, o & 4)
          : static_cast<QMarketPLGetter*>(worker.data())->GetPL(run.ids);
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull() && RepliesSettled(server), Patience);

    QStringList sent;
    for (const RecordedRequest& request : server.requests()) {
        QJsonObject params = Params(request);
        const QStringList ids = Strings(params.take("marketIds"));
        run.events.replaceInStrings(
            QRegularExpression(QStringLiteral("#%1$").arg(sent.size())), ids.value(0));
        sent << request.path().section('/', 1, 1) + ':' + ids.join(',');
        QCOMPARE(request.rpcMethod().endsWith("Book"), run.fetcher == Fetcher::Books);
        QCOMPARE(request.header("X-Application"), QBetFair::AppKey.toUtf8());
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
        if (!run.params.isNull())
            QCOMPARE(params, QJsonDocument::fromJson(run.params).object());
    }
    QCOMPARE(events.replaceInStrings(QRegularExpression("^(done:Network error).*"), "\\1"), run.events);
    sent.removeDuplicates(); // Qt may send an aborted request again
    sent.sort();
    run.batches.sort();
    if (!run.params.isNull())
        QCOMPARE(sent, run.batches);
    else
        QCOMPARE(sent.size(), run.ids.contains("2.1") ? 4 : 3);
}

void tst_MarketData::scores_data()
{
    QTest::addColumn<QList<int>>("sports");
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QStringList>("events");
    const QByteArray events
        = R"([{"eventId":29001,"state":{"score":{"home":{"score":"2"}}}},{"eventId":29003}])";
    QTest::newRow("two sports, the array unchanged")
        << QList<int> { 7, 1 } << ScriptedReply::text(events, "application/json")
        << QStringList { "data:" + events, "done:" };
    QTest::newRow("HTTP error") << QList<int> { 1 } << ScriptedReply::error(503)
                                << QStringList { "done:Network error" };
}

// In-play scores: a plain GET of the public service, without key or
// session; the reply's array handed on once, then success.
void tst_MarketData::scores()
{
    QFETCH(QList<int>, sports);
    QFETCH(ScriptedReply, reply);
    QFETCH(QStringList, events);
    const QString path = QStringLiteral("/inplayservice/v1.0/eventsInPlay");
    server.clearRequests();
    server.setReply("GET", path, reply);
    QBetFair::SessionToken = QStringLiteral("tok");

    QStringList reported;
    QPointer<QScoresWorker> worker = new QScoresWorker;
    connect(
        worker, QOverload<const QJsonArray&>::of(&QScoresWorker::Done), this, [&](const QJsonArray& data) {
            reported << "data:" + QJsonDocument(data).toJson(QJsonDocument::Compact);
        });
    connect(worker, QOverload<const QString&>::of(&QScoresWorker::Done), this,
        [&](const QString& text) { reported << "done:" + text; });
    worker->GetScores(sports);
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), Patience);

    QCOMPARE(reported.replaceInStrings(QRegularExpression("^(done:Network error).*"), "\\1"), events);
    QStringList ids;
    for (int sport : sports)
        ids << QString::number(sport);
    const RecordedRequest request = server.lastRequest();
    QCOMPARE(server.requestCount(), 1);
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(
        request.target, (path + "?locale=en&regionCode=UK&alt=json&eventTypeIds=" + ids.join(',')).toUtf8());
    QVERIFY(request.body.isEmpty() && !request.hasHeader("X-Application")
        && !request.hasHeader("X-Authentication"));
}

QTEST_GUILESS_MAIN(tst_MarketData)
#include "tst_marketdata.moc"
