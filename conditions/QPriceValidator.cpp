#include "QPriceValidator.h"

#include "ReadNumber.h"

#include <cmath>

namespace {

struct Band
{
    int limitCents; // the band's highest price, part of the band
    int stepCents;
    short decimals;
};

constexpr Band kBands[] = {
    { 200, 1, 2 },
    { 300, 2, 2 },
    { 400, 5, 2 },
    { 600, 10, 1 },
    { 1000, 20, 1 },
    { 2000, 50, 1 },
    { 3000, 100, 0 },
    { 5000, 200, 0 },
    { 10000, 500, 0 },
    { 100000, 1000, 0 },
};

constexpr double kLowest = 1.01;
constexpr double kHighest = 1000;

QMap<float, short>& ladder()
{
    static QMap<float, short> prices;
    return prices;
}

// Nothing may look a price up in an empty ladder.
const QMap<float, short>& builtLadder()
{
    if (ladder().isEmpty())
        QPriceValidator::InitPriceLadder();
    return ladder();
}

// The entry with the greatest key not above price; the first entry below the ladder.
QMap<float, short>::const_iterator floorEntry(const QMap<float, short>& prices, float price)
{
    auto entry = prices.upperBound(price);
    if (entry != prices.constBegin())
        --entry;
    return entry;
}

} // namespace

QPriceValidator::QPriceValidator(QObject* parent)
    : QValidator(parent)
{
    setObjectName(QStringLiteral("PriceValidator"));
}

QValidator::State QPriceValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos)
    if (input.isEmpty())
        return Intermediate;
    bool ok = false;
    double price = ReadNumber(input, &ok);
    if (!ok)
        return Invalid;
    short decimals = 2;
    return RoundPrice(price, decimals) ? Acceptable : Intermediate;
}

void QPriceValidator::fixup(QString& input) const
{
    bool ok = false;
    double price = ReadNumber(input, &ok);
    // Cleared or foreign text stays for the user to mend; a price is not invented.
    if (!ok)
        return;
    short decimals = 2;
    RoundPrice(price, decimals);
    input = QString::number(price, 'f', decimals);
}

void QPriceValidator::InitPriceLadder()
{
    // Built in whole hundredths, so every key is the single-precision value of
    // its decimal price and a typed ladder price always finds its own entry.
    QMap<float, short>& prices = ladder();
    int previousLimit = 100; // the ladder starts one step of the first band above 1.00
    for (const Band& band : kBands) {
        for (int cents = previousLimit + band.stepCents; cents <= band.limitCents; cents += band.stepCents)
            prices.insert(float(cents / 100.0), band.decimals);
        previousLimit = band.limitCents;
    }
}

bool QPriceValidator::RoundPrice(double& price, short& decimals)
{
    const QMap<float, short>& prices = builtLadder();
    const double p = price;
    if (std::isnan(p) || p + 0.004 < kLowest) {
        price = kLowest;
        decimals = 2;
        return false;
    }
    if (p - 0.4 > kHighest) {
        price = kHighest;
        decimals = 0;
        return false;
    }
    const auto entry = floorEntry(prices, float(p));
    const int hundredths = int((p + 0.005) * 100);
    const int entryHundredths = int((double(entry.key()) + 0.005) * 100);
    const int excess = hundredths % entryHundredths;
    price = p - excess / 100.0;
    decimals = entry.value();
    return excess == 0;
}

void QPriceValidator::Step(float& price, bool up, short& decimals, int ticks)
{
    decimals = 0;
    const QMap<float, short>& prices = builtLadder();
    for (int tick = 0; tick < ticks; ++tick) {
        QMap<float, short>::const_iterator entry;
        if (up) {
            entry = prices.upperBound(price);
            if (entry == prices.constEnd())
                return;
        } else {
            entry = floorEntry(prices, price);
            if (entry != prices.constBegin())
                --entry;
        }
        price = entry.key();
        decimals = entry.value();
    }
}

const QMap<float, short>& QPriceValidator::Ladder()
{
    return ladder();
}
