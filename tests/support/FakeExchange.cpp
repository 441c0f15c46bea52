#include "FakeExchange.h"

#include "QBetFair.h"

#include <QDateTime>
#include <QHash>
#include <QJsonDocument>
#include <QMutex>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

const QString Service = QStringLiteral("SportsAPING/v1.0/");

QString PrefixOf(const QString& marketId)
{
    return marketId.startsWith(QLatin1String("1.")) ? QStringLiteral("api") : QStringLiteral("api-au");
}

QDateTime Moment(const QJsonValue& text)
{
    QDateTime moment = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    moment.setTimeSpec(Qt::UTC);
    return moment;
}

QString Text(const QDateTime& moment)
{
    return moment.toString(Qt::ISODateWithMs);
}

struct Market
{
    QDateTime start;
    int count;
    QString eventType;
    qint64 event;
    QJsonObject record;
    QJsonObject withoutMetadata;
};

// Whether a market meets the market filter's sports and events.
bool Listed(const Market& market, const QJsonObject& filter)
{
    const QJsonValue types = filter.value("eventTypeIds");
    if (types.isArray() && !types.toArray().contains(QJsonValue(market.eventType)))
        return false;
    const QJsonValue events = filter.value("eventIds");
    if (!events.isArray())
        return true;
    const QJsonArray ids = events.toArray();
    return std::any_of(ids.begin(), ids.end(), [&market](const QJsonValue& id) { return qint64(id.toDouble()) == market.event; });
}

// A book as the exchange sends it: traded volumes and starting prices only
// when they were asked for.
QJsonObject Projected(QJsonObject book, bool traded, bool sp)
{
    QJsonArray runners = book.value("runners").toArray();
    for (auto entry = runners.begin(); entry != runners.end(); ++entry) {
        QJsonObject runner = entry->toObject();
        if (!sp)
            runner.remove("sp");
        if (!traded && runner.contains("ex")) {
            QJsonObject ex = runner.value("ex").toObject();
            ex.remove("tradedVolume");
            runner.insert("ex", ex);
        }
        *entry = runner;
    }
    book.insert("runners", runners);
    return book;
}

struct Data
{
    // By endpoint prefix, in order of start time.
    QHash<QString, std::vector<Market>> markets;
    QHash<QString, QJsonObject> books;
    QHash<QString, QJsonObject> profitAndLoss;
    QJsonArray scores;
    double funds = 1000;
    FakeExchange::BookSource bookSource;
    QString bookError;
    int latencyMs = 0;
};

} // namespace

class FakeExchange::Shared
{
public:
    std::shared_ptr<const Data> snapshot() const
    {
        const QMutexLocker lock(&mutex);
        return data;
    }
    template<typename Change>
    void change(Change change)
    {
        const QMutexLocker lock(&mutex);
        auto copy = std::make_shared<Data>(*data);
        change(*copy);
        data = std::move(copy);
    }

    ScriptedReply timeRanges(const RecordedRequest& request) const
    {
        const auto now = snapshot();
        QJsonArray ranges;
        QDateTime minute;
        int count = 0;
        const auto close = [&] {
            if (count == 0)
                return;
            const QJsonObject range { { "from", Text(minute) }, { "to", Text(minute.addSecs(60)) } };
            ranges.append(QJsonObject { { "timeRange", range }, { "marketCount", count } });
        };
        const QJsonObject filter = request.json().value("params").toObject().value("filter").toObject();
        for (const Market& market : now->markets.value(request.path().section('/', 1, 1))) {
            if (!Listed(market, filter))
                continue;
            QDateTime start = market.start;
            start.setTime(QTime(start.time().hour(), start.time().minute()));
            if (start != minute) {
                close();
                minute = start;
                count = 0;
            }
            count += market.count;
        }
        close();
        return answer(*now, ranges);
    }

    ScriptedReply catalogue(const RecordedRequest& request) const
    {
        const auto now = snapshot();
        const QJsonObject params = request.json().value("params").toObject();
        const QJsonObject filter = params.value("filter").toObject();
        const QJsonObject window = filter.value("marketStartTime").toObject();
        const QDateTime from = Moment(window.value("from"));
        const QDateTime to = Moment(window.value("to"));
        const bool metadata = params.value("marketProjection").toArray().contains(QJsonValue("RUNNER_METADATA"));
        const int most = params.value("maxResults").toInt();
        QJsonArray result;
        for (const Market& market : now->markets.value(request.path().section('/', 1, 1))) {
            if (market.start >= from && market.start <= to && result.size() < most && Listed(market, filter))
                result.append(metadata ? market.record : market.withoutMetadata);
        }
        return answer(*now, result);
    }

    ScriptedReply books(const RecordedRequest& request) const
    {
        const auto now = snapshot();
        if (!now->bookError.isEmpty()) {
            const QJsonObject exception { { "errorCode", now->bookError }, { "errorDetails", "" },
                { "requestUUID", "fake" } };
            const QJsonObject error { { "code", -32099 }, { "message", "ANGX-0001" },
                { "data", QJsonObject { { "APINGException", exception }, { "exceptionname", "APINGException" } } } };
            return ScriptedReply::json(QJsonDocument(QJsonObject { { "jsonrpc", "2.0" }, { "error", error }, { "id", 1 } }))
                .delayed(now->latencyMs);
        }
        const QJsonObject params = request.json().value("params").toObject();
        const QJsonArray priceData = params.value("priceProjection").toObject().value("priceData").toArray();
        const bool traded = priceData.contains(QJsonValue("EX_TRADED"));
        const bool sp = priceData.contains(QJsonValue("SP_AVAILABLE"));
        QJsonArray result;
        for (const QJsonValue& id : params.value("marketIds").toArray()) {
            if (now->bookSource)
                result.append(now->bookSource(id.toString(), traded, sp));
            else if (now->books.contains(id.toString()))
                result.append(Projected(now->books.value(id.toString()), traded, sp));
        }
        return answer(*now, result);
    }

    ScriptedReply profitAndLoss(const RecordedRequest& request) const
    {
        const auto now = snapshot();
        QJsonArray result;
        for (const QJsonValue& id : request.json().value("params").toObject().value("marketIds").toArray()) {
            if (now->profitAndLoss.contains(id.toString()))
                result.append(now->profitAndLoss.value(id.toString()));
        }
        return answer(*now, result);
    }

    // The public in-play service answers a bare array.
    ScriptedReply scores(const RecordedRequest&) const
    {
        const auto now = snapshot();
        return ScriptedReply::json(QJsonDocument(now->scores)).delayed(now->latencyMs);
    }

    ScriptedReply funds(const RecordedRequest& request) const
    {
        const auto now = snapshot();
        return answer(*now,
            QJsonObject { { "wallet", Params(request).value("wallet").toString() }, { "availableToBetBalance", now->funds } });
    }

    ScriptedReply bets(const RecordedRequest& request) const
    {
        const bool listing = request.rpcMethod().endsWith(QLatin1String("listCurrentOrders"));
        return (listing ? book->currentOrders(request) : book->answer(request)).delayed(snapshot()->latencyMs);
    }

    const std::shared_ptr<OrderBook> book = std::make_shared<OrderBook>();

private:
    static ScriptedReply answer(const Data& now, const QJsonValue& result)
    {
        return ScriptedReply::rpcResult(result).gzipped().delayed(now.latencyMs);
    }

    mutable QMutex mutex;
    std::shared_ptr<const Data> data = std::make_shared<Data>();
};

FakeExchange::FakeExchange(HttpTestServer& server)
    : httpServer(server)
    , local(server)
    , shared(std::make_shared<Shared>())
{
    const std::shared_ptr<const Shared> state = shared;
    using Answer = ScriptedReply (Shared::*)(const RecordedRequest&) const;
    const struct
    {
        const char* method;
        Answer answer;
    } methods[] = { { "listTimeRanges", &Shared::timeRanges }, { "listMarketCatalogue", &Shared::catalogue },
        { "listMarketBook", &Shared::books }, { "listMarketProfitAndLoss", &Shared::profitAndLoss },
        { "placeOrders", &Shared::bets }, { "cancelOrders", &Shared::bets }, { "replaceOrders", &Shared::bets },
        { "listCurrentOrders", &Shared::bets } };
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const auto& method : methods) {
            server.setRpcHandler(LocalExchange::bettingPath(prefix), Service + QLatin1String(method.method),
                [state, answer = method.answer](const RecordedRequest& request) { return (*state.*answer)(request); });
        }
    }
    server.setRpcHandler(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
        [state](const RecordedRequest& request) { return state->funds(request); });
    const QString scoresPath = QUrl(QBetFair::ScoresUrl).path();
    server.setHandler("GET", scoresPath, [state](const RecordedRequest& request) { return state->scores(request); });
}

FakeExchange::~FakeExchange() = default;

void FakeExchange::setMarkets(const QJsonArray& catalogue)
{
    shared->change([&catalogue](Data& data) {
        data.markets.clear();
        for (const QJsonValue& entry : catalogue) {
            QJsonObject record = entry.toObject();
            const int count = record.contains("rangeCount") ? record.take("rangeCount").toInt() : 1;
            QJsonObject plain = record;
            QJsonArray runners = plain.value("runners").toArray();
            for (auto runner = runners.begin(); runner != runners.end(); ++runner) {
                QJsonObject bare = runner->toObject();
                bare.remove("metadata");
                *runner = bare;
            }
            plain.insert("runners", runners);
            const QString id = record.value("marketId").toString();
            data.markets[PrefixOf(id)].push_back({ Moment(record.value("marketStartTime")), count,
                record.value("eventType").toObject().value("id").toString(),
                record.value("event").toObject().value("id").toString().toLongLong(), record, plain });
        }
        for (auto& markets : data.markets) {
            std::stable_sort(markets.begin(), markets.end(),
                [](const Market& a, const Market& b) { return a.start < b.start; });
        }
    });
}

void FakeExchange::setBooks(const QJsonArray& books)
{
    shared->change([&books](Data& data) {
        data.books.clear();
        for (const QJsonValue& book : books)
            data.books.insert(book.toObject().value("marketId").toString(), book.toObject());
    });
}

void FakeExchange::setBookSource(BookSource source)
{
    shared->change([&source](Data& data) { data.bookSource = std::move(source); });
}

void FakeExchange::setBookError(const QString& errorCode)
{
    shared->change([&errorCode](Data& data) { data.bookError = errorCode; });
}

void FakeExchange::setLatency(int ms)
{
    shared->change([ms](Data& data) { data.latencyMs = ms; });
}

void FakeExchange::setProfitAndLoss(const QJsonArray& markets)
{
    shared->change([&markets](Data& data) {
        data.profitAndLoss.clear();
        for (const QJsonValue& market : markets)
            data.profitAndLoss.insert(market.toObject().value("marketId").toString(), market.toObject());
    });
}

void FakeExchange::setScores(const QJsonArray& events)
{
    shared->change([&events](Data& data) { data.scores = events; });
}

void FakeExchange::setFunds(double funds)
{
    shared->change([funds](Data& data) { data.funds = funds; });
}

OrderBook& FakeExchange::orders() const
{
    return *shared->book;
}
