#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QSearchWorker.h"
#include "RequestOutcome.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

const QString TimeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
const QString Catalogue = QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
const QString Api = QStringLiteral("api");
const QString ApiAu = QStringLiteral("api-au");
const QStringList BaseProjection
    = { "RUNNER_DESCRIPTION", "EVENT", "EVENT_TYPE", "MARKET_START_TIME", "MARKET_DESCRIPTION" };
const QDateTime FirstMinute(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);
const int Late = 300;

QJsonObject Json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

QString Minute(int index)
{
    return FirstMinute.addSecs(60 * index).toString(Qt::ISODateWithMs);
}

int MinuteIndex(const QString& text)
{
    return int(FirstMinute.secsTo(QDateTime::fromString(text, Qt::ISODateWithMs)) / 60);
}

// A time-range reply with one minute per count, from the first minute on.
ScriptedReply Ranges(const QList<int>& counts, int first = 0)
{
    QJsonArray ranges;
    for (int i = 0; i < counts.size(); ++i) {
        const QJsonObject range { { "from", Minute(first + i) }, { "to", Minute(first + i + 1) } };
        ranges.append(QJsonObject { { "timeRange", range }, { "marketCount", counts.at(i) } });
    }
    return ScriptedReply::rpcResult(ranges);
}

ScriptedReply Refused(const char* code)
{
    return ScriptedReply::json(QJsonDocument(QJsonObject { { "jsonrpc", "2.0" }, { "id", 1 },
        { "error",
            QJsonObject { { "code", -32099 },
                { "data",
                    QJsonObject { { "APINGException", QJsonObject { { "errorCode", code } } } } } } } }));
}

QJsonObject Params(const RecordedRequest& request)
{
    return request.json().value("params").toObject();
}

QString PrefixOf(const RecordedRequest& request)
{
    return request.path().section(QLatin1Char('/'), 1, 1);
}

QJsonObject WindowOf(const RecordedRequest& request)
{
    return Params(request).value("filter").toObject().value("marketStartTime").toObject();
}

// A catalogue window as the minutes it spans: "3", or "1-2".
QString WindowLabel(const QJsonObject& window)
{
    const int first = MinuteIndex(window.value("from").toString());
    const int last = MinuteIndex(window.value("to").toString()) - 1;
    return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
}

// One market per catalogue request, named after its jurisdiction and first minute.
ScriptedReply WindowMarkets(const RecordedRequest& request)
{
    const QString id = QStringLiteral("%1@%2")
                           .arg(PrefixOf(request))
                           .arg(MinuteIndex(WindowOf(request).value("from").toString()));
    return ScriptedReply::rpcResult(QJsonArray { QJsonObject { { "marketId", id } } });
}

// Everything a search reports, in order: "Info:<text>", "Found:<market ids>", "Done:<text>".
struct SearchLog : QObject
{
    QStringList events;
    QPointer<QSearchWorker> worker;

    explicit SearchLog(QSearchWorker* watched)
        : worker(watched)
    {
        connect(watched, &QActionWorker::Info, this,
            [this](const QString& text) { events.append("Info:" + text); });
        connect(watched, &QSearchWorker::FoundMarkets, this, [this](const QJsonArray& markets) {
            QStringList ids;
            for (const QJsonValue& market : markets)
                ids.append(market.toObject().value("marketId").toString());
            events.append("Found:" + ids.join(','));
        });
        connect(watched, &QActionWorker::Done, this,
            [this](const QString& error) { events.append("Done:" + error); });
    }

    bool deleted() const { return worker.isNull(); }
    QStringList withPrefix(const QString& prefix) const
    {
        return events.filter(QRegularExpression("^" + prefix));
    }
};

QString FoundInfo(int count)
{
    return QStringLiteral("Info:Found %1 intermediately result(s).").arg(count);
}

// Ways to call the worker out of turn.
enum class Misuse { EmptySearchData, CatalogueFirst, SearchTwice, CatalogueWhileRangesPending };

// How a search is ended while its catalogue requests are being sent.
enum class Interruption {
    FailureWhileFourthWaits,
    SuccessThenFailure,
    CancelWhileFourthWaits,
    FailureInReceiversLoop
};

} // namespace

Q_DECLARE_METATYPE(Misuse)
Q_DECLARE_METATYPE(Interruption)

class tst_SearchWorker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void marketFilter_data();
    void marketFilter();
    void jurisdictions_data();
    void jurisdictions();
    void timeWindows_data();
    void timeWindows();
    void timeRangeOutcomes_data();
    void timeRangeOutcomes();
    void failedTimeRangeEndsAtOnce_data();
    void failedTimeRangeEndsAtOnce();
    void foundCountOverBothJurisdictions_data();
    void foundCountOverBothJurisdictions();
    void catalogueReplies_data();
    void catalogueReplies();
    void crowdedMinutesReported_data();
    void crowdedMinutesReported();
    void infoInRussian_data();
    void infoInRussian();
    void outOfTurn_data();
    void outOfTurn();
    void endedMidDispatch_data();
    void endedMidDispatch();

private:
    void answer(const QString& prefix, const QString& method, const ScriptedReply& reply);
    void answerCatalogue(const HttpTestServer::Handler& handler = WindowMarkets);
    // Runs one search to its end and leaves the worker deleted.
    void search(SearchLog& log);
    QList<RecordedRequest> requestsOf(const QString& method) const;
    QStringList prefixesOf(const QString& method) const;

    HttpTestServer server;
    LocalExchange exchange { server };
    QTranslator translator;
};

void tst_SearchWorker::init()
{
    server.clearRequests();
    answerCatalogue();
}

void tst_SearchWorker::cleanup()
{
    QCoreApplication::removeTranslator(&translator);
    QBetFair::Locale = QStringLiteral("en");
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
    // Let every late reply be routed and every worker go.
    QTest::qWait(50);
}

void tst_SearchWorker::answer(const QString& prefix, const QString& method, const ScriptedReply& reply)
{
    server.setRpcHandler(
        LocalExchange::bettingPath(prefix), method, [reply](const RecordedRequest&) { return reply; });
}

void tst_SearchWorker::answerCatalogue(const HttpTestServer::Handler& handler)
{
    for (const QString& prefix : { Api, ApiAu })
        server.setRpcHandler(LocalExchange::bettingPath(prefix), Catalogue, handler);
}

void tst_SearchWorker::search(SearchLog& log)
{
    log.worker->Search();
    QTRY_VERIFY_WITH_TIMEOUT(log.deleted(), Patience);
}

QList<RecordedRequest> tst_SearchWorker::requestsOf(const QString& method) const
{
    QList<RecordedRequest> found;
    for (const RecordedRequest& request : server.requests()) {
        if (request.rpcMethod() == method)
            found.append(request);
    }
    return found;
}

// Sorted: the order of the jurisdictions is not fixed.
QStringList tst_SearchWorker::prefixesOf(const QString& method) const
{
    QStringList prefixes;
    for (const RecordedRequest& request : requestsOf(method))
        prefixes.append(PrefixOf(request));
    prefixes.sort();
    return prefixes;
}

void tst_SearchWorker::marketFilter_data()
{
    QTest::addColumn<QJsonObject>("searchData");
    QTest::addColumn<QJsonObject>("filter");

    QTest::newRow("nothing the exchange applies")
        << Json(R"({"marketName": ["Match Odds"], "sel": [{"price": 2}], "minVolume": 100})")
        << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("betting types are always odds")
        << Json(R"({"marketBettingTypes": ["LINE"]})") << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("code lists copied")
        << Json(R"({"eventTypeIds": ["1", "7"], "marketTypeCodes": ["WIN", "PLACE"]})")
        << Json(
               R"({"marketBettingTypes": ["ODDS"], "eventTypeIds": ["1", "7"], "marketTypeCodes": ["WIN", "PLACE"]})");
    QTest::newRow("code lists of another form left out")
        << Json(R"({"eventTypeIds": "7", "marketTypeCodes": {"WIN": true}})")
        << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("countries copied")
        << Json(R"({"marketCountries": ["GB", "IE"]})")
        << Json(R"({"marketBettingTypes": ["ODDS"], "marketCountries": ["GB", "IE"]})");
    QTest::newRow("empty country list copied") << Json(
        R"({"marketCountries": []})") << Json(R"({"marketBettingTypes": ["ODDS"], "marketCountries": []})");
    QTest::newRow("countries as text left out")
        << Json(R"({"marketCountries": "GB"})") << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("event ids copied unchanged")
        << Json(R"({"eventIds": [29000001, 29000002]})")
        << Json(R"({"marketBettingTypes": ["ODDS"], "eventIds": [29000001, 29000002]})");
    QTest::newRow("event id as a number left out")
        << Json(R"({"eventIds": 29000001})") << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("orders copied")
        << Json(R"({"withOrders": ["EXECUTABLE", "EXECUTION_COMPLETE"]})")
        << Json(R"({"marketBettingTypes": ["ODDS"], "withOrders": ["EXECUTABLE", "EXECUTION_COMPLETE"]})");
    QTest::newRow("orders NONE left out")
        << Json(R"({"withOrders": "NONE"})") << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("flags true")
        << Json(R"({"bspOnly": true, "turnInPlayEnabled": true, "inPlayOnly": true})")
        << Json(
               R"({"marketBettingTypes": ["ODDS"], "bspOnly": true, "turnInPlayEnabled": true, "inPlayOnly": true})");
    QTest::newRow("flags false")
        << Json(R"({"bspOnly": false, "turnInPlayEnabled": false, "inPlayOnly": false})")
        << Json(
               R"({"marketBettingTypes": ["ODDS"], "bspOnly": false, "turnInPlayEnabled": false, "inPlayOnly": false})");
    QTest::newRow("flags of another form read false")
        << Json(R"({"bspOnly": 1, "turnInPlayEnabled": "true", "inPlayOnly": null})")
        << Json(
               R"({"marketBettingTypes": ["ODDS"], "bspOnly": false, "turnInPlayEnabled": false, "inPlayOnly": false})");
    QTest::newRow("start time copied")
        << Json(R"({"marketStartTime": {"from": "2030-01-01T00:00:00Z", "to": "2030-01-02T00:00:00Z"}})")
        << Json(R"({"marketBettingTypes": ["ODDS"],
                    "marketStartTime": {"from": "2030-01-01T00:00:00Z", "to": "2030-01-02T00:00:00Z"}})");
    QTest::newRow("start time as text left out") << Json(R"({"marketStartTime": "2030-01-01T00:00:00Z"})")
                                                 << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("silks and scores stay home")
        << Json(R"({"silks": true, "inPlayMinutes": 30})") << Json(R"({"marketBettingTypes": ["ODDS"]})");
    QTest::newRow("a filter handed in is rebuilt")
        << Json(R"({"filter": {"eventIds": [9]}, "eventTypeIds": ["7"]})")
        << Json(R"({"marketBettingTypes": ["ODDS"], "eventTypeIds": ["7"]})");
}

// The filter of every request, as the exchange receives it.
void tst_SearchWorker::marketFilter()
{
    QFETCH(QJsonObject, searchData);
    QFETCH(QJsonObject, filter);
    for (const QString& prefix : { Api, ApiAu })
        answer(prefix, TimeRanges, Ranges({ 5 }));

    SearchLog log(new QSearchWorker(searchData));
    search(log);
    QCOMPARE(log.events.last(), QStringLiteral("Done:"));

    const QList<RecordedRequest> ranges = requestsOf(TimeRanges);
    QVERIFY(!ranges.isEmpty());
    for (const RecordedRequest& request : ranges) {
        QCOMPARE(Params(request), QJsonObject({ { "filter", filter }, { "granularity", "MINUTES" } }));
    }
    QJsonObject windowFilter = filter;
    windowFilter.insert("marketStartTime", QJsonObject { { "from", Minute(0) }, { "to", Minute(1) } });
    const QList<RecordedRequest> catalogue = requestsOf(Catalogue);
    QCOMPARE(catalogue.size(), ranges.size());
    for (const RecordedRequest& request : catalogue)
        QCOMPARE(Params(request).value("filter").toObject(), windowFilter);
}

void tst_SearchWorker::jurisdictions_data()
{
    QTest::addColumn<QJsonObject>("searchData");
    QTest::addColumn<QStringList>("prefixes");

    const QStringList both { Api, ApiAu };
    QTest::newRow("no countries") << Json(R"({"eventTypeIds": ["7"]})") << both;
    QTest::newRow("countries as text") << Json(R"({"marketCountries": "AU"})") << both;
    QTest::newRow("AU alone") << Json(R"({"marketCountries": ["AU"]})") << QStringList { ApiAu };
    QTest::newRow("AU among others") << Json(R"({"marketCountries": ["GB", "AU"]})") << both;
    QTest::newRow("AU first of others") << Json(R"({"marketCountries": ["AU", "NZ", "IE"]})") << both;
    QTest::newRow("without AU") << Json(R"({"marketCountries": ["GB", "IE"]})") << QStringList { Api };
    QTest::newRow("empty list") << Json(R"({"marketCountries": []})") << QStringList { Api };
    QTest::newRow("AUS is not AU") << Json(R"({"marketCountries": ["AUS"]})") << QStringList { Api };
    QTest::newRow("au is not AU") << Json(R"({"marketCountries": ["au"]})") << QStringList { Api };
}

// Both stages ask only the chosen jurisdictions, each once per window.
void tst_SearchWorker::jurisdictions()
{
    QFETCH(QJsonObject, searchData);
    QFETCH(QStringList, prefixes);
    answer(Api, TimeRanges, Ranges({ 5 }));
    answer(ApiAu, TimeRanges, Ranges({ 7 }).delayed(100));

    SearchLog log(new QSearchWorker(searchData));
    search(log);

    QCOMPARE(prefixesOf(TimeRanges), prefixes);
    QCOMPARE(prefixesOf(Catalogue), prefixes);
    const int found = (prefixes.contains(Api) ? 5 : 0) + (prefixes.contains(ApiAu) ? 7 : 0);
    QCOMPARE(log.withPrefix("Info:"), QStringList { FoundInfo(found) });
    QCOMPARE(log.withPrefix("Found:").size(), prefixes.size());
    QCOMPARE(log.events.last(), QStringLiteral("Done:"));
}

void tst_SearchWorker::timeWindows_data()
{
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QJsonValue>("silks");
    QTest::addColumn<QStringList>("windows");

    const QJsonValue none;
    QTest::newRow("150 60 30 250 10")
        << QList<int> { 150, 60, 30, 250, 10 } << none << QStringList { "0", "1-2", "3", "4" };
    QTest::newRow("60 30 20") << QList<int> { 60, 30, 20 } << none << QStringList { "0-2" };
    QTest::newRow("60 30 20 with silks")
        << QList<int> { 60, 30, 20 } << QJsonValue(true) << QStringList { "0-1", "2" };
    QTest::newRow("100 and 100 fill one window") << QList<int> { 100, 100 } << none << QStringList { "0-1" };
    QTest::newRow("100 and 101 need two") << QList<int> { 100, 101 } << none << QStringList { "0", "1" };
    QTest::newRow("50 and 50 fill one window with silks")
        << QList<int> { 50, 50, 1 } << QJsonValue(true) << QStringList { "0-1", "2" };
    QTest::newRow("a first range of 300") << QList<int> { 300, 10 } << none << QStringList { "0", "1" };
    QTest::newRow("empty minutes merge") << QList<int> { 0, 0, 5 } << none << QStringList { "0-2" };
    QTest::newRow("silks as text are not asked")
        << QList<int> { 60, 30, 20 } << QJsonValue("true") << QStringList { "0-2" };
    QTest::newRow("silks as a number are not asked")
        << QList<int> { 60, 30, 20 } << QJsonValue(1) << QStringList { "0-2" };
    QTest::newRow("silks false") << QList<int> { 60, 30, 20 } << QJsonValue(false) << QStringList { "0-2" };
}

// The windows sent, and the rest of each catalogue request, on the wire.
void tst_SearchWorker::timeWindows()
{
    QFETCH(QList<int>, counts);
    QFETCH(QJsonValue, silks);
    QFETCH(QStringList, windows);
    answer(Api, TimeRanges, Ranges(counts));
    QBetFair::Locale = QStringLiteral("ru");

    QJsonObject searchData { { "marketCountries", QJsonArray { "GB" } } };
    if (!silks.isNull())
        searchData.insert("silks", silks);
    SearchLog log(new QSearchWorker(searchData));
    search(log);

    const bool silksAsked = silks == QJsonValue(true);
    const QJsonArray projection = QJsonArray::fromStringList(
        silksAsked ? BaseProjection + QStringList { "RUNNER_METADATA" } : BaseProjection);
    QStringList sent;
    for (const RecordedRequest& request : requestsOf(Catalogue)) {
        const QJsonObject params = Params(request);
        QCOMPARE(params.value("maxResults"), QJsonValue(silksAsked ? 100 : 200));
        QCOMPARE(params.value("marketProjection").toArray(), projection);
        QCOMPARE(params.value("sort"), QJsonValue("FIRST_TO_START"));
        QCOMPARE(params.value("locale"), QJsonValue("ru"));
        QCOMPARE(PrefixOf(request), Api);
        sent.append(WindowLabel(WindowOf(request)));
    }
    std::sort(
        sent.begin(), sent.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    QCOMPARE(sent, windows);

    int total = 0;
    for (int count : counts)
        total += count;
    QCOMPARE(log.withPrefix("Info:Found"), QStringList { FoundInfo(total) });
    QCOMPARE(log.withPrefix("Found:").size(), windows.size());
    QCOMPARE(log.events.last(), QStringLiteral("Done:"));
}

void tst_SearchWorker::timeRangeOutcomes_data()
{
    QTest::addColumn<ScriptedReply>("api");
    QTest::addColumn<ScriptedReply>("australian");
    QTest::addColumn<QStringList>("events");

    const ScriptedReply empty = Ranges({});
    QTest::newRow("no ranges anywhere") << empty << empty.delayed(100) << QStringList { "Done:" };
    QTest::newRow("no market in any range") << Ranges({ 0, 0 }) << Ranges({ 0 }) << QStringList { "Done:" };
    QTest::newRow("a result that is not a list")
        << ScriptedReply::rpcResult(QJsonObject { { "marketCount", 4 } }) << empty << QStringList { "Done:" };
    QTest::newRow("ranges at the main exchange only")
        << Ranges({ 3 }) << empty.delayed(100) << QStringList { FoundInfo(3), "Found:api@0", "Done:" };
    QTest::newRow("ranges in Australia only, answered last")
        << empty << Ranges({ 2, 2 }, 5).delayed(100)
        << QStringList { FoundInfo(4), "Found:api-au@5", "Done:" };
}

// No catalogue request where no market is counted.
void tst_SearchWorker::timeRangeOutcomes()
{
    QFETCH(ScriptedReply, api);
    QFETCH(ScriptedReply, australian);
    QFETCH(QStringList, events);
    answer(Api, TimeRanges, api);
    answer(ApiAu, TimeRanges, australian);

    SearchLog log(new QSearchWorker(Json(R"({"eventTypeIds": ["7"]})")));
    search(log);

    QCOMPARE(log.events, events);
    QStringList withMarkets;
    for (const QString& event : events) {
        if (event.startsWith("Found:"))
            withMarkets.append(event.mid(6).section('@', 0, 0));
    }
    QCOMPARE(prefixesOf(Catalogue), withMarkets);
}

void tst_SearchWorker::failedTimeRangeEndsAtOnce_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<ScriptedReply>("failure");
    QTest::addColumn<QString>("done");

    QTest::newRow("main exchange unreachable") << Api << ScriptedReply::error(500) << "^Network error: ";
    QTest::newRow("Australia refuses") << ApiAu << Refused("TOO_MUCH_DATA") << "^TOO_MUCH_DATA$";
    QTest::newRow("unreadable reply")
        << Api << ScriptedReply::text("<html>", "text/html") << "^Server response error$";
}

// The other jurisdiction's reply is not waited for, and changes nothing later.
void tst_SearchWorker::failedTimeRangeEndsAtOnce()
{
    QFETCH(QString, failing);
    QFETCH(ScriptedReply, failure);
    QFETCH(QString, done);
    answer(failing, TimeRanges, failure);
    answer(failing == Api ? ApiAu : Api, TimeRanges, Ranges({ 5 }).held());

    SearchLog log(new QSearchWorker(Json(R"({"eventTypeIds": ["7"]})")));
    log.worker->Search();
    QTRY_VERIFY_WITH_TIMEOUT(log.deleted(), Patience);
    QCOMPARE(server.heldCount(), 1);
    QCOMPARE(log.events.size(), 1);
    QVERIFY2(
        QRegularExpression(done).match(log.events.first().mid(5)).hasMatch(), qPrintable(log.events.first()));

    server.releaseAll();
    QTest::qWait(Late);
    QCOMPARE(log.events.size(), 1);
    QCOMPARE(requestsOf(Catalogue).size(), 0);
}

void tst_SearchWorker::foundCountOverBothJurisdictions_data()
{
    QTest::addColumn<bool>("australiaLast");

    QTest::newRow("Australia answers last") << true;
    QTest::newRow("main exchange answers last") << false;
}

// One count over both, told once before any market is handed on.
void tst_SearchWorker::foundCountOverBothJurisdictions()
{
    QFETCH(bool, australiaLast);
    answer(Api, TimeRanges, Ranges({ 10, 20, 30 }).delayed(australiaLast ? 0 : Late));
    answer(ApiAu, TimeRanges, Ranges({ 5, 7 }, 10).delayed(australiaLast ? Late : 0));

    SearchLog log(new QSearchWorker(Json(R"({"marketCountries": ["GB", "AU"]})")));
    search(log);

    QCOMPARE(log.withPrefix("Info:"), QStringList { FoundInfo(72) });
    QCOMPARE(log.events.first(), FoundInfo(72));
    QStringList found = log.withPrefix("Found:");
    found.sort();
    QCOMPARE(found, QStringList({ "Found:api-au@10", "Found:api@0" }));
    QCOMPARE(log.events.last(), QStringLiteral("Done:"));
}

void tst_SearchWorker::catalogueReplies_data()
{
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<QList<ScriptedReply>>("failures");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<bool>("receiverWaits");

    const QList<ScriptedReply> none { {}, {}, {} };
    const ScriptedReply notAList = ScriptedReply::rpcResult(QJsonObject { { "marketId", "1.5" } });
    const ScriptedReply refused = Refused("TOO_MANY_REQUESTS");
    const QString info = FoundInfo(450);
    QTest::newRow("answered in order")
        << QList<int> { 0, 150, 300 } << none
        << QStringList { info, "Found:api@0", "Found:api@1", "Found:api@2", "Done:" } << false;
    QTest::newRow("answered in reverse")
        << QList<int> { 400, 200, 0 } << none
        << QStringList { info, "Found:api@2", "Found:api@1", "Found:api@0", "Done:" } << false;
    QTest::newRow("a result that is not a list")
        << QList<int> { 0, 150, 300 } << QList<ScriptedReply> { {}, notAList, {} }
        << QStringList { info, "Found:api@0", "Found:", "Found:api@2", "Done:" } << false;
    QTest::newRow("the second fails")
        << QList<int> { 0, 150, 300 } << QList<ScriptedReply> { {}, refused, {} }
        << QStringList { info, "Found:api@0", "Done:TOO_MANY_REQUESTS" } << false;
    QTest::newRow("all fail") << QList<int> { 0, 150, 300 }
                              << QList<ScriptedReply> { refused, refused, refused }
                              << QStringList { info, "Done:TOO_MANY_REQUESTS" } << false;
    // The last reply comes while the receiver of the first still waits, as in a message box.
    QTest::newRow("the receiver waits in a modal loop")
        << QList<int> { 0, 150, 300 } << none
        << QStringList { info, "Found:api@0", "Found:api@1", "Found:api@2", "Done:" } << true;
    QTest::newRow("the receiver waits, a later reply fails")
        << QList<int> { 0, 150, 300 } << QList<ScriptedReply> { {}, {}, refused }
        << QStringList { info, "Found:api@0", "Found:api@1", "Done:TOO_MANY_REQUESTS" } << true;
}

// Markets handed on reply by reply; one Done, after which nothing comes.
void tst_SearchWorker::catalogueReplies()
{
    QFETCH(QList<int>, delays);
    QFETCH(QList<ScriptedReply>, failures);
    QFETCH(QStringList, events);
    QFETCH(bool, receiverWaits);
    answer(Api, TimeRanges, Ranges({ 150, 150, 150 }));
    answerCatalogue([=](const RecordedRequest& request) {
        const int window = MinuteIndex(WindowOf(request).value("from").toString());
        const ScriptedReply& failure = failures.value(window);
        return (failure.body.isEmpty() ? WindowMarkets(request) : failure).delayed(delays.value(window));
    });

    auto* worker = new QSearchWorker(Json(R"({"marketCountries": ["GB"]})"));
    SearchLog log(worker);
    bool waited = false;
    connect(worker, &QSearchWorker::FoundMarkets, this, [&] {
        if (!receiverWaits || waited)
            return;
        waited = true;
        QEventLoop box;
        connect(worker, &QActionWorker::Done, &box, &QEventLoop::quit);
        QTimer::singleShot(Patience, &box, &QEventLoop::quit);
        box.exec();
    });
    search(log);
    QTest::qWait(2 * Late);

    QCOMPARE(log.events, events);
    QCOMPARE(requestsOf(Catalogue).size(), 3);
}

void tst_SearchWorker::crowdedMinutesReported_data()
{
    QTest::addColumn<ScriptedReply>("api");
    QTest::addColumn<ScriptedReply>("australian");
    QTest::addColumn<bool>("silks");
    QTest::addColumn<QStringList>("infos");

    const ScriptedReply empty = Ranges({});
    const QString lost = QStringLiteral("Info:%1 market(s) starting at 2030-01-01 %2 could not be fetched: "
                                        "one request returns at most %3.");
    QTest::newRow("a minute above the limit") << Ranges(
        { 250, 10 }) << empty << false << QStringList { FoundInfo(260), lost.arg(50).arg("10:00").arg(200) };
    QTest::newRow("a minute at the limit")
        << Ranges({ 200 }) << empty << false << QStringList { FoundInfo(200) };
    QTest::newRow("the limit with silks") << Ranges(
        { 60, 130 }) << empty << true << QStringList { FoundInfo(190), lost.arg(30).arg("10:01").arg(100) };
    QTest::newRow("one market over") << empty << Ranges({ 201 }, 75) << false
                                     << QStringList { FoundInfo(201), lost.arg(1).arg("11:15").arg(200) };
    QTest::newRow("in both jurisdictions")
        << Ranges({ 300 }) << Ranges({ 0, 250 }) << false
        << QStringList { FoundInfo(550), lost.arg(100).arg("10:00").arg(200),
               lost.arg(50).arg("10:01").arg(200) };
}

// A crowded minute is fetched in part, and the user is told how much is missing.
void tst_SearchWorker::crowdedMinutesReported()
{
    QFETCH(ScriptedReply, api);
    QFETCH(ScriptedReply, australian);
    QFETCH(bool, silks);
    QFETCH(QStringList, infos);
    answer(Api, TimeRanges, api);
    answer(ApiAu, TimeRanges, australian);

    SearchLog log(new QSearchWorker(QJsonObject { { "silks", silks } }));
    search(log);

    QStringList reported = log.withPrefix("Info:");
    QCOMPARE(reported.first(), infos.first());
    std::sort(reported.begin() + 1, reported.end());
    std::sort(infos.begin() + 1, infos.end());
    QCOMPARE(reported, infos);
    QVERIFY(log.events.indexOf(QRegularExpression("Found:.*")) > infos.size() - 1);
    QCOMPARE(log.events.last(), QStringLiteral("Done:"));
}

void tst_SearchWorker::infoInRussian_data()
{
    QTest::addColumn<int>("markets");
    QTest::addColumn<QStringList>("infos");

    const QString lost = QStringLiteral("Не удалось получить %1, начинающи%2 в 2030-01-01 10:00: "
                                        "один запрос возвращает не более 200.");
    QTest::newRow("201") << 201
                         << QStringList { "Найден 201 промежуточный результат.", lost.arg("1 рынок", "йся") };
    QTest::newRow("203") << 203
                         << QStringList { "Найдено 203 промежуточных результата.",
                                lost.arg("3 рынка", "хся") };
    QTest::newRow("212") << 212
                         << QStringList { "Найдено 212 промежуточных результатов.",
                                lost.arg("12 рынков", "хся") };
}

// Every plural form of the search's own reports has its Russian text.
void tst_SearchWorker::infoInRussian()
{
    QFETCH(int, markets);
    QFETCH(QStringList, infos);
    QVERIFY(translator.load(QStringLiteral(":/Translations/Tarnwickstone_ru_RU.qm")));
    QCoreApplication::installTranslator(&translator);
    answer(Api, TimeRanges, Ranges({ markets }));

    SearchLog log(new QSearchWorker(Json(R"({"marketCountries": ["GB"]})")));
    search(log);

    QStringList reported = log.withPrefix("Info:");
    reported.replaceInStrings(QRegularExpression("^Info:"), QString());
    QCOMPARE(reported, infos);
}

void tst_SearchWorker::outOfTurn_data()
{
    QTest::addColumn<Misuse>("misuse");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("done");
    QTest::addColumn<int>("requests");

    QTest::newRow("empty search data") << Misuse::EmptySearchData << ""
                                       << "Logical error (empty search data). Please contact developers" << 0;
    QTest::newRow("catalogue before the time ranges") << Misuse::CatalogueFirst << ""
                                                      << "Nothing found" << 0;
    QTest::newRow("search while one runs") << Misuse::SearchTwice << ""
                                           << "The previous search hasn't completed yet." << 2;
    QTest::newRow("catalogue while ranges are pending")
        << Misuse::CatalogueWhileRangesPending << ""
        << "Logical error (unfinished request). Please contact developers" << 2;
    QTest::newRow("empty search data, in Russian")
        << Misuse::EmptySearchData << "ru_RU"
        << "Логическая ошибка (пустые данные поиска). Пожалуйста, свяжитесь с разработчиками" << 0;
    QTest::newRow("catalogue before the time ranges, in Russian") << Misuse::CatalogueFirst << "ru_RU"
                                                                  << "Ничего не найдено" << 0;
    QTest::newRow("search while one runs, in Russian") << Misuse::SearchTwice << "ru_RU"
                                                       << "Предыдущий поиск ещё не завершён." << 2;
    QTest::newRow("catalogue while ranges are pending, in Russian")
        << Misuse::CatalogueWhileRangesPending << "ru_RU"
        << "Логическая ошибка (незавершённый запрос). Пожалуйста, свяжитесь с разработчиками" << 2;
}

// Calls out of turn end the search with their own text and send nothing more.
void tst_SearchWorker::outOfTurn()
{
    QFETCH(Misuse, misuse);
    QFETCH(QString, language);
    QFETCH(QString, done);
    QFETCH(int, requests);
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QStringLiteral(":/Translations/Tarnwickstone_%1.qm").arg(language)));
        QCoreApplication::installTranslator(&translator);
    }
    for (const QString& prefix : { Api, ApiAu })
        answer(prefix, TimeRanges, Ranges({ 5 }).held());

    auto* worker
        = new QSearchWorker(misuse == Misuse::EmptySearchData ? QJsonObject() : Json(R"({"silks": false})"));
    SearchLog log(worker);
    switch (misuse) {
    case Misuse::EmptySearchData:
        worker->Search();
        break;
    case Misuse::CatalogueFirst:
        worker->ListMarketsCatalog();
        break;
    case Misuse::SearchTwice:
        worker->Search();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
        worker->Search();
        break;
    case Misuse::CatalogueWhileRangesPending:
        worker->Search();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
        worker->ListMarketsCatalog();
        break;
    }
    QTRY_VERIFY_WITH_TIMEOUT(log.deleted(), Patience);
    server.releaseAll();
    QTest::qWait(Late);

    QCOMPARE(log.events, QStringList { "Done:" + done });
    QCOMPARE(server.requestCount(), requests);
}

void tst_SearchWorker::endedMidDispatch_data()
{
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<int>("heldWhenEnded");
    QTest::addColumn<int>("windowsSent");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("done");

    // The receiver's loop holds the dispatch up: only two requests are out then.
    QTest::newRow("failure while the fourth waits")
        << Interruption::FailureWhileFourthWaits << 3 << 3 << 0 << "^Network error: ";
    QTest::newRow("success, then a failure while the fifth waits")
        << Interruption::SuccessThenFailure << 3 << 4 << 1 << "^Network error: ";
    QTest::newRow("cancelled while the fourth waits")
        << Interruption::CancelWhileFourthWaits << 3 << 3 << 0 << "^Cancelled$";
    QTest::newRow("failure while a receiver waits in a modal loop")
        << Interruption::FailureInReceiversLoop << 2 << 3 << 1 << "^Network error: ";
}

// Six windows, three requests in flight at most; the search ends while a
// further request waits its turn. That request and the rest never go, and
// nothing is reported after the Done.
void tst_SearchWorker::endedMidDispatch()
{
    QFETCH(Interruption, interruption);
    QFETCH(int, heldWhenEnded);
    QFETCH(int, windowsSent);
    QFETCH(int, found);
    QFETCH(QString, done);
    answer(Api, TimeRanges, Ranges({ 150, 150, 150, 150, 150, 150 }));
    const bool firstSucceeds = interruption == Interruption::SuccessThenFailure
        || interruption == Interruption::FailureInReceiversLoop;
    const ScriptedReply later = interruption == Interruption::CancelWhileFourthWaits
        ? ScriptedReply::rpcResult(QJsonArray()).held()
        : ScriptedReply::error(500).held();
    auto answered = std::make_shared<std::atomic<int>>(0);
    answerCatalogue([=](const RecordedRequest& request) {
        return firstSucceeds && answered->fetch_add(1) == 0 ? WindowMarkets(request) : later;
    });

    auto* worker = new QSearchWorker(Json(R"({"marketCountries": ["GB"]})"));
    SearchLog log(worker);
    bool eventAfterDone = false;
    connect(worker, &QSearchWorker::FoundMarkets, this, [&] {
        eventAfterDone = eventAfterDone || log.events.indexOf(QRegularExpression("Done:.*")) >= 0;
        if (interruption != Interruption::FailureInReceiversLoop)
            return;
        QEventLoop box;
        connect(worker, &QActionWorker::Done, &box, &QEventLoop::quit);
        QTimer::singleShot(Patience, &box, &QEventLoop::quit);
        box.exec();
    });
    QTimer trigger;
    connect(&trigger, &QTimer::timeout, this, [&] {
        if (server.heldCount() < heldWhenEnded)
            return;
        trigger.stop();
        if (interruption == Interruption::CancelWhileFourthWaits)
            worker->Cancel();
        else
            server.release(1);
    });
    trigger.start(10);

    search(log);
    QVERIFY(!trigger.isActive());
    server.releaseAll();
    QTest::qWait(Late);

    QVERIFY(!eventAfterDone);
    QCOMPARE(log.withPrefix("Done:").size(), 1);
    QVERIFY2(
        QRegularExpression(done).match(log.events.last().mid(5)).hasMatch(), qPrintable(log.events.last()));
    QCOMPARE(log.withPrefix("Found:").size(), found);
    // Qt may send an aborted request again; count the windows, not the requests.
    QSet<QString> windows;
    for (const RecordedRequest& request : requestsOf(Catalogue))
        windows.insert(WindowLabel(WindowOf(request)));
    QCOMPARE(windows.size(), windowsSent);
}

QTEST_GUILESS_MAIN(tst_SearchWorker)
#include "tst_searchworker.moc"
