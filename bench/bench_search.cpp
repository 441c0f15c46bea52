// One market search against a local exchange: how long it takes, how many
// requests it makes and how much memory the process needs at its peak.
//
//     bench_search [--silks]
//
// Both jurisdictions answer 600 one-minute ranges; together they hold
// 5,000 markets. The server runs in this process, so the peak memory
// includes it.

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MarketData.h"
#include "QSearchWorker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QPointer>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

const int MarketsPerJurisdiction = 2500;
const int MinutesPerJurisdiction = 600;
const int RunnersPerMarket = 8;
const QString TimeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
const QString Catalogue = QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
const QDateTime FirstMinute(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);

QString MinuteText(int minute)
{
    return FirstMinute.addSecs(60 * minute).toString(Qt::ISODateWithMs);
}

int MinuteOf(const QString& text)
{
    return int(FirstMinute.secsTo(QDateTime::fromString(text, Qt::ISODateWithMs)) / 60);
}

// The markets of one jurisdiction, as its catalogue describes them. Built
// once and only read afterwards, also by the server's thread.
struct Jurisdiction
{
    // markets[firstOfMinute[m]] .. markets[firstOfMinute[m + 1] - 1] start in minute m.
    std::vector<int> firstOfMinute;
    std::vector<QJsonObject> markets;
    std::vector<QJsonObject> withMetadata;
    QJsonArray ranges;

    Jurisdiction(const QString& marketPrefix, const QString& country)
    {
        // Every minute holds a market; the rest cluster at the quarter hours,
        // as race cards do.
        std::vector<int> counts(MinutesPerJurisdiction, 1);
        quint32 seed = 12345;
        for (int left = MarketsPerJurisdiction - MinutesPerJurisdiction; left > 0; --left) {
            seed = seed * 1664525u + 1013904223u;
            int minute = int((seed >> 8) % MinutesPerJurisdiction);
            if (seed % 3 == 0)
                minute -= minute % 15;
            ++counts[minute];
        }
        for (int minute = 0; minute < MinutesPerJurisdiction; ++minute) {
            firstOfMinute.push_back(int(markets.size()));
            const QJsonObject range { { "from", MinuteText(minute) }, { "to", MinuteText(minute + 1) } };
            ranges.append(QJsonObject { { "timeRange", range }, { "marketCount", counts[minute] } });
            for (int i = 0; i < counts[minute]; ++i)
                addMarket(marketPrefix, country, minute);
        }
        firstOfMinute.push_back(int(markets.size()));
    }

    void addMarket(const QString& marketPrefix, const QString& country, int minute)
    {
        const int serial = int(markets.size());
        markets.push_back(CatalogueRecord(serial, marketPrefix, country, MinuteText(minute), RunnersPerMarket, false));
        withMetadata.push_back(CatalogueRecord(serial, marketPrefix, country, MinuteText(minute), RunnersPerMarket, true));
    }

    // The first maxResults markets starting in [from, to).
    QJsonArray catalogue(const QJsonObject& params) const
    {
        const QJsonObject window = params.value("filter").toObject().value("marketStartTime").toObject();
        const int from = qBound(0, MinuteOf(window.value("from").toString()), MinutesPerJurisdiction);
        const int to = qBound(from, MinuteOf(window.value("to").toString()), MinutesPerJurisdiction);
        const bool metadata
            = params.value("marketProjection").toArray().contains(QJsonValue("RUNNER_METADATA"));
        const int last = qMin(firstOfMinute[to], firstOfMinute[from] + params.value("maxResults").toInt());
        QJsonArray result;
        for (int i = firstOfMinute[from]; i < last; ++i)
            result.append(metadata ? withMetadata[i] : markets[i]);
        return result;
    }
};

void Serve(HttpTestServer& server, const QString& prefix, const std::shared_ptr<const Jurisdiction>& markets)
{
    const QString path = LocalExchange::bettingPath(prefix);
    server.setRpcReply(path, TimeRanges, ScriptedReply::rpcResult(markets->ranges));
    server.setRpcHandler(path, Catalogue, [markets](const RecordedRequest& request) {
        return ScriptedReply::rpcResult(markets->catalogue(request.json().value("params").toObject()));
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool silks = app.arguments().contains(QStringLiteral("--silks"));
    QTextStream out(stdout);

    HttpTestServer server;
    LocalExchange exchange(server);
    Serve(server, QStringLiteral("api"),
        std::make_shared<const Jurisdiction>(QStringLiteral("1"), QStringLiteral("GB")));
    Serve(server, QStringLiteral("api-au"),
        std::make_shared<const Jurisdiction>(QStringLiteral("2"), QStringLiteral("AU")));
    const long memoryBefore = PeakRssKb();

    auto* worker
        = new QSearchWorker(QJsonObject { { "eventTypeIds", QJsonArray { "7" } }, { "silks", silks } });
    QPointer<QSearchWorker> alive(worker);
    int replies = 0;
    int received = 0;
    QString error;
    QObject::connect(worker, &QSearchWorker::FoundMarkets, [&](const QJsonArray& markets) {
        ++replies;
        received += markets.size();
    });
    QObject::connect(worker, &QActionWorker::Done, [&](const QString& text) { error = text; });
    QEventLoop loop;
    QObject::connect(worker, &QObject::destroyed, &loop, &QEventLoop::quit);

    QElapsedTimer clock;
    clock.start();
    worker->Search();
    if (alive)
        loop.exec();
    const qint64 elapsed = clock.elapsed();

    int rangeRequests = 0;
    int catalogueRequests = 0;
    for (const RecordedRequest& request : server.requests()) {
        rangeRequests += request.rpcMethod() == TimeRanges;
        catalogueRequests += request.rpcMethod() == Catalogue;
    }
    out << "search: " << 2 * MarketsPerJurisdiction << " markets over " << MinutesPerJurisdiction
        << " one-minute ranges in each of 2 jurisdictions, silks " << (silks ? "asked" : "not asked") << '\n'
        << "result: " << (error.isEmpty() ? QStringLiteral("success") : error) << ", " << received
        << " markets in " << replies << " catalogue replies\n"
        << "requests: " << rangeRequests + catalogueRequests << " (" << rangeRequests << " time ranges, "
        << catalogueRequests << " catalogue)\n"
        << "wall time: " << elapsed << " ms\n"
        << "peak memory: " << PeakRssKb() << " KiB (" << memoryBefore
        << " KiB before the search, local server included)\n";
    return error.isEmpty() && received == 2 * MarketsPerJurisdiction ? 0 : 1;
}
