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
#include "MarketData.h"
#include "QPriceUpdater.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QProcess>
#include <QTextStream>

#include <atomic>
#include <cstdio>

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
