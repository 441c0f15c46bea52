#pragma once

// Exchange data for the benchmarks and the local exchange: catalogue
// records and market books as the exchange sends them, and the process's
// own CPU time and peak memory.

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <sys/resource.h>

#include <random>

// The next price on the exchange's ladder.
inline double NextTick(double price)
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

inline double Round2(double value)
{
    return qRound64(value * 100) / 100.0;
}

inline QJsonObject PriceSize(double price, double size)
{
    return QJsonObject { { "price", Round2(price) }, { "size", Round2(size) } };
}

// A market book as the exchange sends it, the same for the same id every
// time: runners with the given selection ids, or 3 to 20 random ones.
inline QJsonObject MarketBook(
    const QString& id, bool traded, bool sp, const QList<qint64>& selectionIds = QList<qint64>())
{
    std::mt19937 random(qHash(id));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int drawnRunners = 3 + static_cast<int>(random() % 18);
    const int runners = selectionIds.isEmpty() ? drawnRunners : selectionIds.size();

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
        const qint64 drawnId = 1000000 + (random() % 50000000);
        QJsonObject runner { { "selectionId", selectionIds.isEmpty() ? drawnId : selectionIds.at(r) },
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

// A catalogue record of market `serial`: a race with `runners` runners (ids
// 1000000 + serial * runners + r), with or without runner metadata.
inline QJsonObject CatalogueRecord(
    int serial, const QString& marketPrefix, const QString& country, const QString& start, int runners, bool metadata)
{
    QJsonArray runnerList;
    for (int r = 0; r < runners; ++r) {
        QJsonObject runner { { "selectionId", 1000000 + serial * runners + r },
            { "runnerName", QStringLiteral("Runner %1 of market %2").arg(r + 1).arg(serial) },
            { "sortPriority", r + 1 }, { "handicap", 0 } };
        if (metadata) {
            runner.insert("metadata",
                QJsonObject { { "COLOURS_FILENAME", QStringLiteral("c%1.jpg").arg(serial * 10 + r) },
                    { "JOCKEY_NAME", QStringLiteral("Jockey %1").arg(r) },
                    { "TRAINER_NAME", QStringLiteral("Trainer %1").arg(r) }, { "AGE", "5" },
                    { "WEIGHT_VALUE", "126" }, { "FORM", "1-23" }, { "CLOTH_NUMBER", QString::number(r + 1) },
                    { "STALL_DRAW", QString::number(r + 2) } });
        }
        runnerList.append(runner);
    }
    return QJsonObject { { "marketId", QStringLiteral("%1.%2").arg(marketPrefix).arg(200000000 + serial) },
        { "marketName", QStringLiteral("Race %1").arg(serial) }, { "marketStartTime", start }, { "totalMatched", 0 },
        { "description", QJsonObject { { "marketType", "WIN" }, { "turnInPlayEnabled", true } } },
        { "event",
            QJsonObject { { "id", QString::number(30000000 + serial / 8) },
                { "name", QStringLiteral("Meeting %1").arg(serial / 8) }, { "venue", "Newmarket" },
                { "countryCode", country } } },
        { "eventType", QJsonObject { { "id", "7" }, { "name", "Horse Racing" } } }, { "runners", runnerList } };
}

inline long PeakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
