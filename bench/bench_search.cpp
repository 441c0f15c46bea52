// One market search against a local exchange: how long it takes, how many
// requests it makes and how much memory the process needs at its peak.
//
//     bench_search [--silks] [--latency <ms>]
//
// Both jurisdictions of a local exchange answer 600 one-minute ranges;
// together they hold 5,000 markets. With --latency each reply leaves the server that long
// after its request came, as from a distant exchange. The server runs in
// this process, so the peak memory and CPU time include it.

#include "FakeExchange.h"
#include "MarketData.h"
#include "QSearchWorker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QPointer>
#include <QSet>
#include <QTextStream>

#include <vector>

namespace {

const int MarketsPerJurisdiction = 2500;
const int MinutesPerJurisdiction = 600;
const int RunnersPerMarket = 8;
const QString TimeRanges = QStringLiteral("SportsAPING/v1.0/listTimeRanges");
const QString Catalogue = QStringLiteral("SportsAPING/v1.0/listMarketCatalogue");
const QDateTime FirstMinute(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);

// The markets of one jurisdiction, with runner metadata: one in every
// minute, the rest clustered at the quarter hours, as race cards are.
void AddJurisdiction(QJsonArray& markets, const QString& marketPrefix, const QString& country)
{
    std::vector<int> counts(MinutesPerJurisdiction, 1);
    quint32 seed = 12345;
    for (int left = MarketsPerJurisdiction - MinutesPerJurisdiction; left > 0; --left) {
        seed = seed * 1664525u + 1013904223u;
        int minute = int((seed >> 8) % MinutesPerJurisdiction);
        if (seed % 3 == 0)
            minute -= minute % 15;
        ++counts[minute];
    }
    int serial = 0;
    for (int minute = 0; minute < MinutesPerJurisdiction; ++minute) {
        const QString start = FirstMinute.addSecs(60 * minute).toString(Qt::ISODateWithMs);
        for (int i = 0; i < counts[minute]; ++i)
            markets.append(CatalogueRecord(serial++, marketPrefix, country, start, RunnersPerMarket, true));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool silks = app.arguments().contains(QStringLiteral("--silks"));
    const int latency = app.arguments().value(app.arguments().indexOf(QStringLiteral("--latency")) + 1).toInt();
    QTextStream out(stdout);

    HttpTestServer server;
    FakeExchange exchange(server);
    QJsonArray markets;
    AddJurisdiction(markets, QStringLiteral("1"), QStringLiteral("GB"));
    AddJurisdiction(markets, QStringLiteral("2"), QStringLiteral("AU"));
    exchange.setMarkets(markets);
    exchange.setLatency(latency);
    const long memoryBefore = PeakRssKb();

    auto* worker
        = new QSearchWorker(QJsonObject { { "eventTypeIds", QJsonArray { "7" } }, { "silks", silks } });
    QPointer<QSearchWorker> alive(worker);
    int replies = 0;
    int received = 0;
    QSet<QString> distinct;
    QString error;
    QObject::connect(worker, &QSearchWorker::FoundMarkets, [&](const QJsonArray& markets) {
        ++replies;
        received += markets.size();
        for (const QJsonValue& market : markets)
            distinct.insert(market.toObject().value("marketId").toString());
    });
    QObject::connect(worker, &QActionWorker::Done, [&](const QString& text) { error = text; });
    QEventLoop loop;
    QObject::connect(worker, &QObject::destroyed, &loop, &QEventLoop::quit);

    const double cpuBefore = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    worker->Search();
    if (alive)
        loop.exec();
    const qint64 elapsed = clock.elapsed();
    const double cpu = CpuSeconds() - cpuBefore;

    int rangeRequests = 0;
    int catalogueRequests = 0;
    for (const RecordedRequest& request : server.requests()) {
        rangeRequests += request.rpcMethod() == TimeRanges;
        catalogueRequests += request.rpcMethod() == Catalogue;
    }
    out << "search: " << 2 * MarketsPerJurisdiction << " markets over " << MinutesPerJurisdiction
        << " one-minute ranges in each of 2 jurisdictions, silks " << (silks ? "asked" : "not asked") << '\n'
        << "result: " << (error.isEmpty() ? QStringLiteral("success") : error) << ", " << distinct.size()
        << " markets in " << replies << " catalogue replies (" << received - distinct.size()
        << " of them twice: a market on a window's boundary minute comes in both windows)\n"
        << "requests: " << rangeRequests + catalogueRequests << " (" << rangeRequests << " time ranges, "
        << catalogueRequests << " catalogue)\n"
        << "reply latency: " << latency << " ms\n"
        << "wall time: " << elapsed << " ms\n"
        << "CPU time: " << QString::number(cpu, 'f', 2) << " s\n"
        << "peak memory: " << PeakRssKb() << " KiB (" << memoryBefore
        << " KiB before the search, local server included)\n";
    return error.isEmpty() && distinct.size() == 2 * MarketsPerJurisdiction ? 0 : 1;
}
