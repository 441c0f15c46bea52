#include "MarketBatches.h"

#include <QtTest>

class tst_MarketBatches : public QObject
{
    Q_OBJECT

private slots:
    void batchSizes_data()
    {
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("size");
        QTest::newRow("best offers") << 5 << 40;
        QTest::newRow("best offers and SP") << 8 << 25;
        QTest::newRow("best offers and traded") << 22 << 9;
        QTest::newRow("all price data") << 25 << 8;
        QTest::newRow("profit and loss") << 4 << 50;
        QTest::newRow("catalogue with metadata") << 2 << 100;
    }

    void batchSizes()
    {
        QFETCH(int, weight);
        QFETCH(int, size);
        QCOMPARE(BatchSizeForWeight(weight), size);
    }

    void jurisdictions_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("main") << "1.123" << "api";
        QTest::newRow("australian") << "2.456" << "api-au";
        QTest::newRow("leading 10") << "10.5" << "api-au";
        QTest::newRow("empty") << "" << "api-au";
        QTest::newRow("no dot") << "1" << "api-au";
    }

    void jurisdictions()
    {
        QFETCH(QString, id);
        QFETCH(QString, prefix);
        QCOMPARE(JurisdictionOf(id), prefix);
    }

    void batching_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("size");
        // Each batch as "prefix:id,id".
        QTest::addColumn<QStringList>("expected");

        QStringList many;
        for (int i = 0; i < 41; ++i)
            many << QStringLiteral("1.%1").arg(i);
        QTest::newRow("41 main ids") << many << 40
                                     << QStringList { "api:" + many.mid(0, 40).join(','), "api:1.40" };
        QTest::newRow("main first, order kept")
            << QStringList { "1.10", "2.20", "1.11" } << 40 << QStringList { "api:1.10,1.11", "api-au:2.20" };
        QTest::newRow("malformed to au") << QStringList { "", "10.5", "1.1" } << 40
                                         << QStringList { "api:1.1", "api-au:,10.5" };
        QTest::newRow("repeated ids are kept") << QStringList { "1.1", "1.1", "1.1" } << 2
                                               << QStringList { "api:1.1,1.1", "api:1.1" };
        QTest::newRow("nothing") << QStringList() << 40 << QStringList();
        QTest::newRow("no batch size") << QStringList { "1.1" } << 0 << QStringList();
    }

    void batching()
    {
        QFETCH(QStringList, ids);
        QFETCH(int, size);
        QFETCH(QStringList, expected);
        QStringList actual;
        for (const MarketBatch& batch : BatchByJurisdiction(ids, size))
            actual << batch.prefix + ':' + batch.marketIds.join(',');
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(tst_MarketBatches)
#include "tst_marketbatches.moc"
