#include "LocalExchange.h"
#include "QSearchWorker.h"
#include "ReplyScript.h"
#include "RequestOutcome.h"

#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

const QString TimeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
const QString Catalogue = QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
const QDateTime FirstMinute(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);

QJsonObject Json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

QString Minute(int index)
{
    return FirstMinute.addSecs(60 * index).toString(Qt::ISODateWithMs);
}

// One minute per count, from minute `first` on.
ScriptedReply Ranges(const QList<int>& counts, int first = 0)
{
    QJsonArray ranges;
    for (int i = 0; i < counts.size(); ++i) {
        const QJsonObject range { { "from", Minute(first + i) }, { "to", Minute(first + i + 1) } };
        ranges.append(QJsonObject { { "timeRange", range }, { "marketCount", counts.at(i) } });
    }
    return ScriptedReply::rpcResult(ranges);
}

// A request's prefix, and for a catalogue request " <first minute>[-<last minute>]".
QString Sent(const RecordedRequest& request)
{
    const QString prefix = request.path().section('/', 1, 1);
    const QJsonObject window = Params(request).value("filter").toObject().value("marketStartTime").toObject();
    const auto minute = [&](const char* end) {
        return FirstMinute.secsTo(QDateTime::fromString(window.value(end).toString(), Qt::ISODateWithMs))
            / 60;
    };
    if (request.rpcMethod() != Catalogue)
        return prefix;
    const QString first = prefix + ' ' + QString::number(minute("from"));
    return minute("to") - minute("from") == 1 ? first : first + '-' + QString::number(minute("to") - 1);
}

// A search and all it reports, in order: "Info:<text>", "Found:<market ids>", "Done:<text>".
struct SearchLog : QObject
{
    QStringList events;
    QPointer<QSearchWorker> worker;

    explicit SearchLog(const QJsonObject& searchData)
        : worker(new QSearchWorker(searchData))
    {
        connect(
            worker, &QActionWorker::Info, this, [this](const QString& text) { events << "Info:" + text; });
        connect(worker, &QSearchWorker::FoundMarkets, this, [this](const QJsonArray& markets) {
            QStringList ids;
            for (const QJsonValue& market : markets)
                ids << market.toObject().value("marketId").toString();
            events << "Found:" + ids.join(',');
        });
        connect(
            worker, &QActionWorker::Done, this, [this](const QString& error) { events << "Done:" + error; });
    }
};

// A search, the time ranges of both jurisdictions, and what they must lead to.
struct Case
{
    ScriptedReply api;
    ScriptedReply australian;
    QStringList events;
    int failing = -1; // the catalogue reply that fails, by order of arrival
    bool box = false; // the receiver of the first markets shows one, in which later replies come
    QJsonObject searchData = Json(R"({"eventTypeIds": ["7"]})");
    QJsonObject filter = Json(R"({"eventTypeIds": ["7"]})"); // as sent, "marketBettingTypes" aside
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_SearchWorker : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(RepliesSettled(server), Patience); }
    void windows_data();
    void windows();

private:
    void answer(const QString& method, const HttpTestServer::Handler& handler, const QString& prefix = {})
    {
        for (const QString& each : QBetFair::EndpointPrefixes) {
            if (prefix.isEmpty() || prefix == each)
                server.setRpcHandler(LocalExchange::bettingPath(each), method, handler);
        }
    }

    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_SearchWorker::windows_data()
{
    QTest::addColumn<Case>("search");
    const auto FoundInfo
        = [](int count) { return QStringLiteral("Info:Found %1 intermediately result(s).").arg(count); };
    const ScriptedReply none = Ranges({});
    const QString lost = "Info:%1 market(s) starting at 2030-01-01 %2 could not be fetched: "
                         "one request returns at most %3.";
    const ScriptedReply six = Ranges({ 150, 150, 150, 150, 150, 150 });
    const QString failed = "Done:TOO_MANY_REQUESTS";

    // Both stages ask only the chosen jurisdictions, with the filter the exchange can apply.
    const ScriptedReply five = Ranges({ 5 });
    const QStringList both { FoundInfo(10), "Found:api 0", "Found:api-au 0", "Done:" };
    const QStringList main { FoundInfo(5), "Found:api 0", "Done:" };
    const QJsonObject all
        = Json(R"({"eventTypeIds": ["1", "7"], "marketTypeCodes": ["WIN"], "marketCountries": [],
        "eventIds": [29000001], "withOrders": ["EXECUTABLE"], "bspOnly": true, "turnInPlayEnabled": false,
        "inPlayOnly": true, "marketStartTime": {"from": "2030-01-01T00:00:00Z"}})");
    QTest::newRow("nothing the exchange applies") << Case { five, five, both, -1, false,
        Json(R"({"marketName": ["Match Odds"], "inPlayMinutes": 30, "marketBettingTypes": ["LINE"],
            "filter": {"eventIds": [9]}})"),
        {} };
    QTest::newRow("every key in its form") << Case { five, five, main, -1, false, all, all };
    QTest::newRow("every key in another form") << Case { five, five, both, -1, false,
        Json(
            R"({"eventTypeIds": "7", "marketTypeCodes": {"WIN": true}, "marketCountries": "AU", "eventIds": 2,
            "withOrders": "NONE", "bspOnly": 1, "turnInPlayEnabled": "true", "inPlayOnly": null,
            "marketStartTime": "2030-01-01T00:00:00Z"})"),
        Json(R"({"bspOnly": false, "turnInPlayEnabled": false, "inPlayOnly": false})") };
    const auto countries = [&](const char* name, const char* data, const QStringList& events) {
        QTest::newRow(name) << Case { five, five, events, -1, false, Json(data), Json(data) };
    };
    countries("AU alone", R"({"marketCountries": ["AU"]})", { FoundInfo(5), "Found:api-au 0", "Done:" });
    countries("AU among others", R"({"marketCountries": ["GB", "AU"]})", both);
    countries("AUS and au are not AU", R"({"marketCountries": ["AUS", "au"]})", main);
    // At most 200 markets a window, 100 with silks; a crowded minute is reported.
    QTest::newRow("150 60 30 250 10") << Case { Ranges({ 150, 60, 30, 250, 10 }), none,
        { FoundInfo(500), lost.arg(50).arg("10:03").arg(200), "Found:api 0", "Found:api 1-2", "Found:api 3",
            "Found:api 4", "Done:" } };
    QTest::newRow("60 30 20") << Case { Ranges({ 60, 30, 20 }), none,
        { FoundInfo(110), "Found:api 0-2", "Done:" } };
    QTest::newRow("60 30 20 with silks")
        << Case { Ranges({ 60, 30, 20 }), none, { FoundInfo(110), "Found:api 0-1", "Found:api 2", "Done:" },
               -1, false, Json(R"({"silks": true})"), {} };
    QTest::newRow("100 and 100 fill one window")
        << Case { Ranges({ 100, 100 }), none, { FoundInfo(200), "Found:api 0-1", "Done:" } };
    QTest::newRow("100 and 101 need two")
        << Case { Ranges({ 100, 101 }), none, { FoundInfo(201), "Found:api 0", "Found:api 1", "Done:" } };
    // One count over both jurisdictions, told before any market is handed on.
    QTest::newRow("no ranges anywhere") << Case { none, none.held(), { "Done:" } };
    QTest::newRow("Australia only, answering last")
        << Case { none, Ranges({ 2, 2 }, 5).held(), { FoundInfo(4), "Found:api-au 5-6", "Done:" } };
    QTest::newRow("both, Australia answering last") << Case { Ranges({ 300 }), Ranges({ 0, 250 }, 10).held(),
        { FoundInfo(550), lost.arg(100).arg("10:00").arg(200), lost.arg(50).arg("10:11").arg(200),
            "Found:api 0", "Found:api-au 10", "Found:api-au 11", "Done:" } };
    // A failure ends the search at once; a reply still out changes nothing later,
    // and no window waiting its turn (three requests are out at most) is asked for.
    QTest::newRow("a time range reply fails")
        << Case { ScriptedReply::error(500), Ranges({ 5 }).held(), { "Done:Network error" } };
    QTest::newRow("the second window fails")
        << Case { Ranges({ 150, 150, 150 }), none, { FoundInfo(450), "Found:m0", failed }, 1 };
    QTest::newRow("a window fails while the fourth waits")
        << Case { six, none, { FoundInfo(900), failed }, 0 };
    QTest::newRow("the last window fails in a box") << Case { Ranges({ 150, 150, 150 }), none,
        { FoundInfo(450), "Found:m0", "Found:m1", failed }, 2, true };
    QTest::newRow("a window fails in a box while the fourth waits")
        << Case { six, none, { FoundInfo(900), "Found:m0", failed }, 1, true };
}

// Where a search leads: the jurisdictions and windows asked, the counts told,
// and each request as the exchange takes it. One Done, nothing after it.
void tst_SearchWorker::windows()
{
    QFETCH(Case, search);
    server.clearRequests();
    answer(
        TimeRanges, [reply = search.api](const RecordedRequest&) { return reply; }, "api");
    answer(
        TimeRanges, [reply = search.australian](const RecordedRequest&) { return reply; }, "api-au");
    const auto arrivals = std::make_shared<std::atomic<int>>(0);
    answer(Catalogue, [arrivals, failing = search.failing](const RecordedRequest& request) {
        // Named after its window, or where one fails after its order of arrival.
        const int arrival = (*arrivals)++;
        const QJsonObject market { { "marketId",
            failing < 0 ? Sent(request) : QStringLiteral("m%1").arg(arrival) } };
        return (arrival == failing ? Refused("TOO_MANY_REQUESTS")
                                   : ScriptedReply::rpcResult(QJsonArray { market }))
            .held();
    });
    QBetFair::Locale = QStringLiteral("ru");

    SearchLog log(search.searchData);
    connect(log.worker, &QSearchWorker::FoundMarkets, this, [&] {
        if (std::exchange(search.box, false))
            RunModalBox([&] { return log.events.last().startsWith("Done:"); }, Patience);
    });
    const ReleaseInTurn inTurn(server);
    log.worker->Search();
    QTRY_VERIFY_WITH_TIMEOUT(log.worker.isNull() && RepliesSettled(server), Patience);
    QBetFair::Locale = QStringLiteral("en");

    // The events between the first and the last come with the replies, in any order.
    for (QStringList* events : { &log.events, &search.events }) {
        events->replaceInStrings(QRegularExpression("^(Done:Network error).*"), "\\1");
        if (events->size() > 2)
            std::sort(events->begin() + 1, events->end() - 1);
    }
    QCOMPARE(log.events, search.events);
    QStringList windows;
    for (const RecordedRequest& request : server.requests())
        windows << (request.rpcMethod() == Catalogue ? Sent(request) : QString());
    windows.removeDuplicates(); // Qt may send an aborted request again
    windows.removeAll(QString());
    QCOMPARE(windows.size(), search.failing < 0 ? search.events.filter("Found:").size() : 3);
    QStringList projection { "RUNNER_DESCRIPTION", "EVENT", "EVENT_TYPE", "MARKET_START_TIME",
        "MARKET_DESCRIPTION" };
    const bool silks = search.searchData.value("silks") == true;
    if (silks)
        projection << "RUNNER_METADATA";
    const QJsonObject expected { { "maxResults", silks ? 100 : 200 }, { "locale", "ru" },
        { "marketProjection", QJsonArray::fromStringList(projection) }, { "sort", "FIRST_TO_START" } };
    search.filter.insert("marketBettingTypes", QJsonArray { "ODDS" });
    for (const RecordedRequest& request : server.requests()) {
        QJsonObject params = Params(request);
        QJsonObject filter = params.take("filter").toObject();
        if (request.rpcMethod() == TimeRanges) {
            QCOMPARE(params, QJsonObject({ { "granularity", "MINUTES" } }));
            QCOMPARE(filter, search.filter);
        } else {
            QCOMPARE(params, expected);
            filter.remove("marketStartTime"); // the window, as Sent reads it
            search.filter.remove("marketStartTime");
            QCOMPARE(filter, search.filter);
        }
    }
}

QTEST_GUILESS_MAIN(tst_SearchWorker)
#include "tst_searchworker.moc"
