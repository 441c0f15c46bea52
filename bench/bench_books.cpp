// Market books for 5,000 markets from a local exchange, the way a price
// refresh of a large search fetches them: requests, wall time, bytes
// received and peak memory, with and without traded volumes and starting
// prices. Each configuration runs in a process of its own, so its peak
// memory is its own.
//
//     bench_books            both configurations
//     bench_books best       best offers only
//     bench_books full       best offers, traded volumes and starting prices

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QPriceUpdater.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QProcess>
#include <QTextStream>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <random>

namespace {

const int MarketCount = 5000;
// Most markets of a search are on the main exchange.
const int AustralianShare = 5;

QStringList MarketIds()
{
    QStringList ids;
    for (int i = 0; i < MarketCount; ++i) {
        ids << (i % AustralianShare == 0 ? QStringLiteral("2.%1").arg(170000000 + i * 7)
                                         : QStringLiteral("1.%1").arg(223000000 + i * 13));
    }
    return ids;
}

// The next price on the exchange's ladder.
double NextTick(double price)
{
    static const struct
    {
        double upTo;
        double step;
    } bands[] = { { 2, 0.01 }, { 3, 0.02 }, { 4, 0.05 }, { 6, 0.1 }, { 10, 0.2 }, { 20, 0.5 }, { 30, 1 },
        { 50, 2 }, { 100, 5 }, { 1000, 10 } };
    for (const auto& band : bands) {
        if (price < band.upTo - 1e-9)
            return qMin(1000.0, price + band.step);
    }
    return 1000;
}

double Round2(double value)
{
    return qRound64(value * 100) / 100.0;
}

QJsonObject PriceSize(double price, double size)
{
    return QJsonObject { { "price", Round2(price) }, { "size", Round2(size) } };
}

// A market book as the exchange sends it, 3 to 20 runners, the same for the
// same id every time.
QJsonObject MarketBook(const QString& id, bool traded, bool sp)
{
    std::mt19937 random(qHash(id));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int runners = 3 + static_cast<int>(random() % 18);

    QJsonArray runnerBooks;
    double marketMatched = 0;
    double marketAvailable = 0;
    for (int r = 0; r < runners; ++r) {
        double back = 1.01;
        const int ticks = 5 + static_cast<int>(random() % 200);
        for (int t = 0; t < ticks; ++t)
            back = NextTick(back);
        const double lay = NextTick(back);
        const double backSize = 2 + unit(random) * 800;
        const double laySize = 2 + unit(random) * 800;
        const double matched = unit(random) * 25000;
        marketMatched += matched;
        marketAvailable += backSize + laySize;

        QJsonObject ex { { "availableToBack", QJsonArray { PriceSize(back, backSize) } },
            { "availableToLay", QJsonArray { PriceSize(lay, laySize) } } };
        if (traded) {
            QJsonArray volume;
            double price = back;
            for (int i = 0; i < 3; ++i)
                price = qMax(1.01, price - 0.05 * price);
            const int levels = 5 + static_cast<int>(random() % 36);
            for (int level = 0; level < levels; ++level, price = NextTick(price))
                volume.append(PriceSize(price, unit(random) * 3000));
            ex.insert("tradedVolume", volume);
        } else {
            ex.insert("tradedVolume", QJsonArray());
        }
        QJsonObject runner { { "selectionId", static_cast<qint64>(1000000 + (random() % 50000000)) },
            { "handicap", 0.0 }, { "status", "ACTIVE" }, { "lastPriceTraded", Round2(back) },
            { "totalMatched", Round2(matched) }, { "ex", ex } };
        if (sp) {
            runner.insert("sp",
                QJsonObject { { "nearPrice", Round2(back * 1.02) }, { "farPrice", Round2(back * 0.97) },
                    { "backStakeTaken", QJsonArray { PriceSize(1.01, unit(random) * 500) } },
                    { "layLiabilityTaken", QJsonArray { PriceSize(1000, unit(random) * 300) } },
                    { "actualSP", "NaN" } });
        }
        runnerBooks.append(runner);
    }
    return QJsonObject { { "marketId", id }, { "isMarketDataDelayed", false }, { "status", "OPEN" },
        { "betDelay", 0 }, { "bspReconciled", false }, { "complete", true }, { "inplay", false },
        { "numberOfWinners", 1 }, { "numberOfRunners", runners }, { "numberOfActiveRunners", runners },
        { "lastMatchTime", "2024-05-18T14:02:31.512Z" }, { "totalMatched", Round2(marketMatched) },
        { "totalAvailable", Round2(marketAvailable) }, { "crossMatching", true },
        { "runnersVoidable", false },
        { "version", static_cast<qint64>(5000000000LL + (random() % 100000000)) },
        { "runners", runnerBooks } };
}

long PeakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int RunConfiguration(bool full)
{
    // Outlives the server, whose thread counts into it.
    std::atomic<qint64> jsonBytes { 0 };
    HttpTestServer server;
    LocalExchange exchange(server);
    QBetFair::SessionToken = QStringLiteral("bench-session");
    QBetFair::Currency = QStringLiteral("GBP");

    const auto books = [&jsonBytes](const RecordedRequest& request) {
        const QJsonObject params = request.json().value("params").toObject();
        const QJsonArray priceData = params.value("priceProjection").toObject().value("priceData").toArray();
        const bool traded = priceData.contains("EX_TRADED");
        const bool sp = priceData.contains("SP_AVAILABLE");
        QJsonArray result;
        for (const QJsonValue& id : params.value("marketIds").toArray())
            result.append(MarketBook(id.toString(), traded, sp));
        const QJsonObject reply { { "jsonrpc", "2.0" }, { "result", result }, { "id", 1 } };
        const ScriptedReply scripted = ScriptedReply::json(QJsonDocument(reply)).gzipped();
        jsonBytes += scripted.body.size();
        return scripted;
    };
    for (const char* prefix : { "api", "api-au" }) {
        server.setRpcHandler(LocalExchange::bettingPath(QLatin1String(prefix)),
            QStringLiteral("SportsAPING/v1.0/listMarketBook"), books);
    }

    qint64 wireBytes = 0;
    QObject::connect(
        QNetwork::Shared(), &QNetworkAccessManager::finished, [&wireBytes](QNetworkReply* reply) {
            wireBytes += reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        });

    const QStringList ids = MarketIds();
    const long rssBefore = PeakRssKb();
    const double cpuBefore = CpuSeconds();
    int replies = 0;
    int markets = 0;
    int runners = 0;
    QString outcome = QStringLiteral("(none)");
    bool ended = false;

    QElapsedTimer wall;
    wall.start();
    auto* updater = new QPriceUpdater;
    QObject::connect(
        updater, QOverload<const QJsonArray&>::of(&QPriceUpdater::Done), [&](const QJsonArray& data) {
            ++replies;
            markets += data.size();
            for (const QJsonValue& book : data)
                runners += book.toObject().value("runners").toArray().size();
        });
    QObject::connect(updater, QOverload<const QString&>::of(&QPriceUpdater::Done), [&](const QString& error) {
        outcome = error.isEmpty() ? QStringLiteral("success") : error;
        ended = true;
        QCoreApplication::exit();
    });
    updater->UpdatePrices(ids, full, full, true, true);
    if (!ended)
        QCoreApplication::exec();
    const qint64 elapsed = wall.elapsed();
    const double cpu = CpuSeconds() - cpuBefore;

    QTextStream out(stdout);
    out << (full ? "best offers + traded volumes + starting prices" : "best offers only") << '\n'
        << "  markets asked        " << ids.size() << '\n'
        << "  requests             " << server.requestCount() << '\n'
        << "  replies handed on    " << replies << " (" << markets << " markets, " << runners << " runners)\n"
        << "  outcome              " << outcome << '\n'
        << "  wall time            " << elapsed << " ms\n"
        << "  CPU time             " << QString::number(cpu, 'f', 2) << " s (client and local server)\n"
        << "  bytes received       " << wireBytes << " (gzip), " << jsonBytes << " JSON\n"
        << "  peak memory          " << PeakRssKb() / 1024 << " MiB (" << rssBefore / 1024
        << " MiB before the run)\n";
    return outcome == QLatin1String("success") && markets == ids.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("best"))
        return RunConfiguration(false);
    if (args.value(0) == QLatin1String("full"))
        return RunConfiguration(true);
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_books [best|full]\n");
        return 2;
    }

    int failures = 0;
    for (const char* configuration : { "best", "full" }) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(configuration) });
        child.waitForFinished(-1);
        failures += child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0;
    }
    return failures == 0 ? 0 : 1;
}
