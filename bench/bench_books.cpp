// Market books for 5,000 markets from a local exchange (tests/support), the way a price
// refresh of a large search fetches them: requests, wall time, bytes
// received and peak memory, with and without traded volumes and starting
// prices. Each configuration runs in a process of its own, so its peak
// memory is its own.
//
//     bench_books [--latency <ms>]          both configurations
//     bench_books best [--latency <ms>]     best offers only
//     bench_books full [--latency <ms>]     best offers, traded volumes and starting prices
//
// With --latency each reply leaves the server that long after its request.

#include "FakeExchange.h"
#include "MarketData.h"
#include "QPriceUpdater.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QProcess>
#include <QTextStream>

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

int RunConfiguration(bool full, int latencyMs)
{
    HttpTestServer server;
    FakeExchange exchange(server);
    exchange.setBookSource([](const QString& id, bool traded, bool sp) { return MarketBook(id, traded, sp); });
    exchange.setLatency(latencyMs);
    QBetFair::SessionToken = QStringLiteral("bench-session");
    QBetFair::Currency = QStringLiteral("GBP");

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
        << "  reply latency        " << latencyMs << " ms\n"
        << "  wall time            " << elapsed << " ms\n"
        << "  CPU time             " << QString::number(cpu, 'f', 2) << " s (client and local server)\n"
        << "  bytes received       " << wireBytes << " (gzip)\n"
        << "  peak memory          " << PeakRssKb() / 1024 << " MiB (" << rssBefore / 1024
        << " MiB before the run)\n";
    return outcome == QLatin1String("success") && markets == ids.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QStringList latency;
    const int at = args.indexOf(QStringLiteral("--latency"));
    if (at >= 0) {
        latency = args.mid(at, 2);
        args.erase(args.begin() + at, args.begin() + qMin(at + 2, args.size()));
    }
    const int latencyMs = latency.value(1).toInt();
    if (args.value(0) == QLatin1String("best"))
        return RunConfiguration(false, latencyMs);
    if (args.value(0) == QLatin1String("full"))
        return RunConfiguration(true, latencyMs);
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_books [best|full] [--latency <ms>]\n");
        return 2;
    }

    int failures = 0;
    for (const char* configuration : { "best", "full" }) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), QStringList { QString::fromLatin1(configuration) } + latency);
        child.waitForFinished(-1);
        failures += child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0;
    }
    return failures == 0 ? 0 : 1;
}
