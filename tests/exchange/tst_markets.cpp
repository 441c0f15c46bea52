#include "ExchangeTest.h"
#include "QMarketPLGetter.h"
#include "QPriceUpdater.h"
#include "QScoresWorker.h"
#include "QSearchWorker.h"

#include <QtTest>

#include <atomic>
#include <memory>

namespace {

const QString TimeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
const QString Catalogue = QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
const QDateTime FirstMinute(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);

ScriptedReply Ranges(const QList<int>& counts)
{
    QJsonArray ranges;
    for (int i = 0; i < counts.size(); ++i) {
        const QJsonObject range { { "from", FirstMinute.addSecs(60 * i).toString(Qt::ISODateWithMs) },
            { "to", FirstMinute.addSecs(60 * i + 60).toString(Qt::ISODateWithMs) } };
        ranges.append(QJsonObject { { "timeRange", range }, { "marketCount", counts.at(i) } });
    }
    return ScriptedReply::rpcResult(ranges);
}

// A request's prefix, and for a catalogue request " <first minute>-<last minute>".
QString Sent(const RecordedRequest& request)
{
    const QJsonObject window = Params(request).value("filter")["marketStartTime"].toObject();
    const auto minute = [&](const char* end) {
        return FirstMinute.secsTo(QDateTime::fromString(window.value(end).toString(), Qt::ISODateWithMs))
            / 60;
    };
    const QString prefix = request.path().section('/', 1, 1);
    return request.rpcMethod() != Catalogue
        ? prefix
        : QStringLiteral("%1 %2-%3").arg(prefix).arg(minute("from")).arg(minute("to") - 1);
}

struct Search
{
    ScriptedReply api;
    ScriptedReply australian;
    QStringList events;
    int failing = -1; // the catalogue reply that fails, by order of arrival
    bool box = false; // the receiver of the first markets shows one, in which later replies come
    QJsonObject searchData { { "eventTypeIds", QJsonArray { "7" } } };
};

QStringList Ids(int count, const QString& prefix = "1.")
{
    QStringList ids;
    for (int i = 0; i < count; ++i)
        ids << prefix + QString::number(i);
    return ids;
}

struct Fetch
{
    bool books; // else profit and loss
    QStringList ids;
    QStringList events; // "data:<first entry's marketId>"; "#n" the n-th request's first id
    QStringList replies = {}; // by arrival, "http" fails; all answered in turn
    QString receiver = {}; // of the first data: "box" or "cancel"
    int options = 0; // 1: starting prices, 2: traded volumes, 4: orders
    QStringList batches = {}; // where given: "<prefix>:<ids>", in any order, and every request's
    QByteArray params = {}; // parameters, "marketIds" aside
};

} // namespace

Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(Fetch)

// Markets searched, their books and profit and loss fetched in batches, and scores.
class tst_Markets : public QObject
{
    Q_OBJECT

private slots:
    void init() { server.clearRequests(); }
    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(RepliesSettled(server), Patience); }
    void searching_data();
    void searching();
    void fetching_data();
    void fetching();
    void scores();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_Markets::searching_data()
{
    QTest::addColumn<Search>("search");
    const auto FoundInfo
        = [](int count) { return QStringLiteral("Info:Found %1 intermediately result(s).").arg(count); };
    const ScriptedReply none = Ranges({}), five = Ranges({ 5 });
    const ScriptedReply six = Ranges({ 150, 150, 150, 150, 150, 150 });
    const QString failed = "Done:TOO_MANY_REQUESTS";
    // Both stages ask only the chosen jurisdictions, with the filter the exchange can apply.
    QTest::newRow("AU alone") << Search { five, five, { FoundInfo(5), "Found:api-au 0-0", "Done:" }, -1,
        false,
        { { "marketCountries", QJsonArray { "AU" } }, { "marketBettingTypes", QJsonArray { "LINE" } } } };
    const QStringList both { FoundInfo(10), "Found:api 0-0", "Found:api-au 0-0", "Done:" };
    QTest::newRow("no countries") << Search { five, five, both };
    QTest::newRow("GB and AU") << Search { five, five, both, -1, false,
        { { "marketCountries", QJsonArray { "GB", "AU" } } } };
    // At most 200 markets a window; a crowded minute is reported.
    QTest::newRow("150 60 30 250 10") << Search { Ranges({ 150, 60, 30, 250, 10 }), none,
        { FoundInfo(500),
            "Info:50 market(s) starting at 2030-01-01 10:03 could not be fetched: one request returns at "
            "most 200.",
            "Found:api 0-0", "Found:api 1-2", "Found:api 3-3", "Found:api 4-4", "Done:" } };
    QTest::newRow("no ranges anywhere") << Search { none, none.held(), { "Done:" } };
    // A failure ends the search at once: nothing later is reported or asked for.
    QTest::newRow("a time range reply fails")
        << Search { ScriptedReply::error(500), five.held(), { "Done:Network error" } };
    QTest::newRow("a window fails while the fourth waits")
        << Search { six, none, { FoundInfo(900), failed }, 0 };
    QTest::newRow("the last window fails in a box") << Search { Ranges({ 150, 150, 150 }), none,
        { FoundInfo(450), "Found:m0", "Found:m1", failed }, 2, true };
}

// The jurisdictions and windows asked, the counts told; one Done, nothing after it.
void tst_Markets::searching()
{
    QFETCH(Search, search);
    server.setRpcReply(LocalExchange::bettingPath("api"), TimeRanges, search.api);
    server.setRpcReply(LocalExchange::bettingPath("api-au"), TimeRanges, search.australian);
    const auto arrivals = std::make_shared<std::atomic<int>>(0);
    AnswerBetting(server, { "listMarketCatalogue" },
        [arrivals, failing = search.failing](const RecordedRequest& request) {
            // Named after its window, or where one fails after its order of arrival.
            const int arrival = (*arrivals)++;
            const QJsonObject market { { "marketId",
                failing < 0 ? Sent(request) : QStringLiteral("m%1").arg(arrival) } };
            return (arrival == failing ? ScriptedReply::json(QJsonDocument::fromJson(
                        R"({"error": {"data": {"APINGException": {"errorCode": "TOO_MANY_REQUESTS"}}}})"))
                                       : ScriptedReply::rpcResult(QJsonArray { market }))
                .held();
        });
    // All it reports, in order: "Info:<text>", "Found:<market id>", "Done:<text>".
    QStringList events;
    const QPointer<QSearchWorker> worker = new QSearchWorker(search.searchData);
    connect(worker, &QActionWorker::Info, this, [&](const QString& text) { events << "Info:" + text; });
    connect(worker, &QActionWorker::Done, this, [&](const QString& error) { events << "Done:" + error; });
    connect(worker, &QSearchWorker::FoundMarkets, this, [&](const QJsonArray& markets) {
        events << "Found:" + markets.at(0)["marketId"].toString();
        if (std::exchange(search.box, false))
            RunModalBox([&] { return events.last().startsWith("Done:"); });
    });
    const ReleaseInTurn inTurn(server);
    worker->Search();
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull() && RepliesSettled(server), Patience);
    // The events between the first and the last come with the replies, in any order.
    for (QStringList* list : { &events, &search.events }) {
        list->replaceInStrings(QRegularExpression("^(Done:Network error).*"), "\\1");
        if (list->size() > 2)
            std::sort(list->begin() + 1, list->end() - 1);
    }
    QCOMPARE(events, search.events);
    QStringList windows;
    for (const RecordedRequest& request : server.requests())
        windows << (request.rpcMethod() == Catalogue ? Sent(request) : QString());
    windows.removeDuplicates(); // Qt may send an aborted request again
    windows.removeAll(QString());
    QCOMPARE(windows.size(), search.failing < 0 ? search.events.filter("Found:").size() : 3);
    QJsonObject expected = search.searchData; // only ever ODDS
    expected.insert("marketBettingTypes", QJsonArray { "ODDS" });
    for (const RecordedRequest& request : server.requests()) {
        QJsonObject filter = Params(request).value("filter").toObject();
        if (request.rpcMethod() == Catalogue) {
            QCOMPARE(Params(request).value("maxResults"), 200);
            filter.remove("marketStartTime"); // the window, as Sent reads it
        }
        QCOMPARE(filter, expected);
    }
}

void tst_Markets::fetching_data()
{
    QTest::addColumn<Fetch>("run");
    const auto books = [](const char* priceData) {
        return QByteArray(R"({"orderProjection": "ALL", "priceProjection": {"priceData": [)") + priceData
            + R"(], "virtualise": true, "exBestOffersOverrides": {"bestPricesDepth": 1}}})";
    };
    const QStringList two { "data:#0", "data:#1", "done:" },
        three { "data:#0", "data:#1", "data:#2", "done:" };
    const bool pl = false, book = true;
    // Batches as the exchange sees them: endpoint, markets and exact parameters. Each projection's limit is
    // met by the main exchange's markets and passed by one on the other's.
    const auto limit = [&](const char* name, int options, int most, const char* priceData) {
        QTest::newRow(name) << Fetch { book, Ids(most) + Ids(most + 1, "2."), three, {}, {}, options,
            { "api:" + Ids(most).join(','), "api-au:" + Ids(most, "2.").join(','),
                "api-au:2." + QString::number(most) },
            books(priceData) };
    };
    limit("best offers: 40, 41", 4, 40, R"("EX_BEST_OFFERS")");
    limit("starting prices: 25, 26", 1, 25, R"("EX_BEST_OFFERS", "SP_AVAILABLE")");
    limit("traded volumes: 9, 10", 2, 9, R"("EX_BEST_OFFERS", "EX_TRADED")");
    limit("both: 8, 9", 3, 8, R"("EX_BEST_OFFERS", "EX_TRADED", "SP_AVAILABLE")");
    QTest::newRow("jurisdictions, malformed and empty ids to api-au") << Fetch { book,
        { "1.10", "10.5", "", "1.1", " 1.2", "2.1", "2.1" }, two, {}, {}, 1,
        { "api:1.10,1.1", "api-au:10.5,, 1.2,2.1,2.1" }, books(R"("EX_BEST_OFFERS", "SP_AVAILABLE")") };
    QTest::newRow("P&L, no market") << Fetch { pl, {}, { "done:" }, {}, {}, 0, {}, "{}" };
    // The first failure ends the run at once; the third reply reaches nobody.
    QTest::newRow("the second fails")
        << Fetch { book, Ids(81), { "data:#0", "done:Network error" }, { "ok", "http" } };
    // Three batches out, the fourth waiting for a slot: the rest are never sent.
    QTest::newRow("a failure while the fourth waits")
        << Fetch { book, Ids(161), { "done:Network error" }, { "http" } };
    QTest::newRow("the receiver of data cancels while the fourth waits")
        << Fetch { book, Ids(161), { "data:#0", "done:Cancelled" }, {}, "cancel" };
    // The receiver of the first data shows a box, in which the other replies arrive.
    QTest::newRow("a box, P&L in 50s") << Fetch { pl, Ids(101), three, {}, "box", 0,
        { "api:" + Ids(50).join(','), "api:" + Ids(100).mid(50).join(','), "api:1.100" },
        R"({"netOfCommission": true})" };
}

// One Done, nothing after it, and no batch sent once it is out.
void tst_Markets::fetching()
{
    QFETCH(Fetch, run);
    QBetFair::SessionToken = QStringLiteral("tok");
    const auto arrivals = std::make_shared<std::atomic<int>>(0);
    AnswerBetting(server, { "listMarketBook", "listMarketProfitAndLoss" },
        [arrivals, replies = run.replies](const RecordedRequest& request) {
            const QJsonObject first { { "marketId", Strings(Params(request).value("marketIds")).value(0) } };
            return (replies.value((*arrivals)++) == "http" ? ScriptedReply::error(500)
                                                           : ScriptedReply::rpcResult(QJsonArray { first }))
                .held();
        });
    QPointer<QPriceUpdater> books;
    QPointer<QMarketBatchWorker> worker
        = run.books ? static_cast<QMarketBatchWorker*>(books = new QPriceUpdater) : new QMarketPLGetter;
    QStringList events;
    connect(
        worker, QOverload<const QJsonArray&>::of(&QMarketBatchWorker::Done), this, [&](const QJsonArray& a) {
            events << "data:" + a.at(0).toObject().value("marketId").toString();
            const QString once = std::exchange(run.receiver, QString());
            if (once == "cancel")
                worker->Cancel();
            if (once == "box")
                RunModalBox([&] { return events.last().startsWith("done:"); });
        });
    // Whatever the receiver of Done runs, the worker outlives it and sends nothing more.
    connect(worker, QOverload<const QString&>::of(&QActionWorker::Done), this, [&](const QString& text) {
        events << "done:" + text;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        RunModalBox([] { return false; }, 50);
        QVERIFY(worker && worker->IsEnded());
        QVERIFY(!worker->CreateRequest(QBetFair::BettingUrl.arg("api"), QString(), QString(), QVariant()));
        worker->Cancel();
    });
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
        QCOMPARE(request.rpcMethod().endsWith("Book"), run.books);
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
        if (!run.params.isNull())
            QCOMPARE(params, QJsonDocument::fromJson(run.params).object());
    }
    QCOMPARE(events.replaceInStrings(QRegularExpression("^(done:Network error).*"), "\\1"), run.events);
    sent.removeDuplicates(); // Qt may send an aborted request again
    sent.sort();
    run.batches.sort();
    if (run.params.isNull())
        QCOMPARE(sent.size(), 3);
    else
        QCOMPARE(sent, run.batches);
}

// Scores: the public service gets neither key nor session; its array is handed on unchanged.
void tst_Markets::scores()
{
    const QByteArray events
        = R"([{"eventId":29001,"state":{"score":{"home":{"score":"2"}}}},{"eventId":29003}])";
    server.setReply(
        "GET", "/inplayservice/v1.0/eventsInPlay", ScriptedReply::text(events, "application/json"));
    QBetFair::SessionToken = QStringLiteral("tok");
    QStringList reported;
    auto* worker = new QScoresWorker;
    connect(worker, QOverload<const QJsonArray&>::of(&QScoresWorker::Done), this,
        [&](const QJsonArray& data) { reported << QJsonDocument(data).toJson(QJsonDocument::Compact); });
    reported += WorkerWatch::run(worker, [&] { worker->GetScores({ 7, 1 }); });
    QCOMPARE(reported, QStringList({ events, "" }));
    QCOMPARE(server.lastRequest().target,
        "/inplayservice/v1.0/eventsInPlay?locale=en&regionCode=UK&alt=json&eventTypeIds=7,1");
    QVERIFY(!server.lastRequest().hasHeader("X-Application")
        && !server.lastRequest().hasHeader("X-Authentication"));
}

QTEST_GUILESS_MAIN(tst_Markets)
#include "tst_markets.moc"
