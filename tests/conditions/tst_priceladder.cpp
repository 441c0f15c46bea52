#include "QPriceValidator.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

QString shown(double price, short decimals)
{
    return QString::number(price, 'f', decimals);
}

int cents(float key)
{
    return int(std::lround(double(key) * 100));
}

} // namespace

class tst_PriceLadder : public QObject
{
    Q_OBJECT

private slots:
    // Runs first: a lookup before the ladder is built must not walk an empty map.
    void lookupBeforeInit()
    {
        QVERIFY(QPriceValidator::Ladder().isEmpty());
        double price = 2.03;
        short decimals = -1;
        QVERIFY(!QPriceValidator::RoundPrice(price, decimals));
        QCOMPARE(shown(price, decimals), QStringLiteral("2.02"));
    }

    void bands_data()
    {
        QTest::addColumn<int>("fromCents"); // the band's first price
        QTest::addColumn<int>("toCents"); // its last, the band's limit
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("count");
        // clang-format off
        QTest::newRow("1.01 to 2.00") << 101 << 200 << 2 << 100;
        QTest::newRow("2.02 to 3.00") << 202 << 300 << 2 << 50;
        QTest::newRow("3.05 to 4.00") << 305 << 400 << 2 << 20;
        QTest::newRow("4.1 to 6.0") << 410 << 600 << 1 << 20;
        QTest::newRow("6.2 to 10.0") << 620 << 1000 << 1 << 20;
        QTest::newRow("10.5 to 20.0") << 1050 << 2000 << 1 << 20;
        QTest::newRow("21 to 30") << 2100 << 3000 << 0 << 10;
        QTest::newRow("32 to 50") << 3200 << 5000 << 0 << 10;
        QTest::newRow("55 to 100") << 5500 << 10000 << 0 << 10;
        QTest::newRow("110 to 1000") << 11000 << 100000 << 0 << 90;
        // clang-format on
    }

    // Each band: evenly spaced prices, its limit included, one number of decimals.
    void bands()
    {
        QFETCH(int, fromCents);
        QFETCH(int, toCents);
        QFETCH(int, decimals);
        QFETCH(int, count);
        QPriceValidator::InitPriceLadder();
        QPriceValidator::InitPriceLadder(); // a second run rewrites the same entries
        const QMap<float, short>& ladder = QPriceValidator::Ladder();
        QCOMPARE(ladder.size(), 350);
        const int step = count > 1 ? (toCents - fromCents) / (count - 1) : 0;
        auto entry = ladder.lowerBound(float(fromCents / 100.0));
        for (int i = 0; i < count; ++i, ++entry) {
            QVERIFY(entry != ladder.cend());
            QCOMPARE(cents(entry.key()), fromCents + i * step);
            QCOMPARE(int(entry.value()), decimals);
        }
        QCOMPARE(cents((entry - 1).key()), toCents);
    }

    // A ladder price typed as text is on the ladder, unchanged, with its decimals.
    void everyLadderPriceRoundTrips()
    {
        const QMap<float, short>& ladder = QPriceValidator::Ladder();
        for (auto it = ladder.cbegin(); it != ladder.cend(); ++it) {
            const QString text = shown(double(it.key()), it.value());
            const double typed = text.toDouble();
            double price = typed;
            short decimals = -1;
            QVERIFY2(QPriceValidator::RoundPrice(price, decimals), qPrintable(text));
            QCOMPARE(price, typed);
            QCOMPARE(decimals, it.value());
        }
    }

    void roundPrice_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("onLadder");
        const double inf = std::numeric_limits<double>::infinity();
        // clang-format off
        QTest::newRow("1.0") << 1.0 << "1.01" << 2 << false;
        QTest::newRow("1.005") << 1.005 << "1.01" << 2 << false;
        QTest::newRow("1.007, below the first entry") << 1.007 << "1.01" << 2 << true;
        QTest::newRow("1.01") << 1.01 << "1.01" << 2 << true;
        QTest::newRow("2.03") << 2.03 << "2.02" << 2 << false;
        QTest::newRow("3.33") << 3.33 << "3.30" << 2 << false;
        QTest::newRow("4.15") << 4.15 << "4.1" << 1 << false;
        QTest::newRow("9.9") << 9.9 << "9.8" << 1 << false;
        QTest::newRow("19.5") << 19.5 << "19.5" << 1 << true;
        QTest::newRow("20") << 20.0 << "20.0" << 1 << true;
        QTest::newRow("31") << 31.0 << "30" << 0 << false;
        QTest::newRow("55.5") << 55.5 << "55" << 0 << false;
        QTest::newRow("999") << 999.0 << "990" << 0 << false;
        QTest::newRow("1000") << 1000.0 << "1000" << 0 << true;
        QTest::newRow("1000.3") << 1000.3 << "1000" << 0 << false;
        QTest::newRow("1005") << 1005.0 << "1000" << 0 << false;
        QTest::newRow("negative") << -3.0 << "1.01" << 2 << false;
        QTest::newRow("1.554, within half a hundredth") << 1.554 << "1.55" << 2 << true;
        QTest::newRow("1.556") << 1.556 << "1.55" << 2 << false;
        QTest::newRow("1.999, cut down, not up") << 1.999 << "1.99" << 2 << false;
        QTest::newRow("not a number") << std::nan("") << "1.01" << 2 << false;
        QTest::newRow("infinity") << inf << "1000" << 0 << false;
        QTest::newRow("minus infinity") << -inf << "1.01" << 2 << false;
        // clang-format on
    }

    void roundPrice()
    {
        QFETCH(double, input);
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(bool, onLadder);
        double price = input;
        short places = -1;
        QCOMPARE(QPriceValidator::RoundPrice(price, places), onLadder);
        QCOMPARE(int(places), decimals);
        QCOMPARE(shown(price, places), text);
        if (onLadder)
            QCOMPARE(price, input);
    }

    void step_data()
    {
        QTest::addColumn<float>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        // clang-format off
        QTest::newRow("up from 1.01") << 1.01f << true << 1 << "1.02" << 2;
        QTest::newRow("up from 2.00") << 2.00f << true << 1 << "2.02" << 2;
        QTest::newRow("down from 2.02") << 2.02f << false << 1 << "2.00" << 2;
        QTest::newRow("ten up across a band") << 1.95f << true << 10 << "2.10" << 2;
        QTest::newRow("up from 990") << 990.0f << true << 1 << "1000" << 0;
        QTest::newRow("ten up from 990") << 990.0f << true << 10 << "1000" << 0;
        QTest::newRow("up from 1000") << 1000.0f << true << 1 << "1000" << 0;
        QTest::newRow("down from 1.01") << 1.01f << false << 1 << "1.01" << 2;
        QTest::newRow("down from 1.0") << 1.0f << false << 1 << "1.01" << 2;
        QTest::newRow("up from 1.0") << 1.0f << true << 1 << "1.01" << 2;
        QTest::newRow("down from 1005") << 1005.0f << false << 1 << "990" << 0;
        QTest::newRow("up from 20") << 20.0f << true << 1 << "21" << 0;
        QTest::newRow("down from 20") << 20.0f << false << 1 << "19.5" << 1;
        QTest::newRow("up between entries") << 2.03f << true << 1 << "2.04" << 2;
        QTest::newRow("down between entries") << 2.03f << false << 1 << "2.00" << 2;
        QTest::newRow("no ticks") << 2.03f << true << 0 << "2" << 0;
        // clang-format on
    }

    void step()
    {
        QFETCH(float, start);
        QFETCH(bool, up);
        QFETCH(int, ticks);
        QFETCH(QString, text);
        QFETCH(int, decimals);
        float price = start;
        short places = 2;
        QPriceValidator::Step(price, up, places, ticks);
        QCOMPARE(int(places), decimals);
        QCOMPARE(shown(double(price), places), text);
    }
};

QTEST_GUILESS_MAIN(tst_PriceLadder)
#include "tst_priceladder.moc"
