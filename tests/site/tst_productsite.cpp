#include "ProductSite.h"

#include <QtTest>

// Addresses on the product's sites, as translations write them.
class tst_ProductSite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProductSite::English = QStringLiteral("https://en.test");
        ProductSite::Russian = QStringLiteral("https://ru.test");
    }

    void address_data()
    {
        QTest::addColumn<QString>("translated");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("address");
        const QStringList catalog { "1", "2", "3", "Races" };
        // clang-format off
        QTest::newRow("English site") << "%1/version.json" << QStringList() << "https://en.test/version.json";
        QTest::newRow("Russian site") << "%2/help/" << QStringList() << "https://ru.test/help/";
        QTest::newRow("catalog") << "%1/download/%3/%4/%5/catalogs/%6.json" << catalog
                                 << "https://en.test/download/1/2/3/catalogs/Races.json";
        QTest::newRow("marker at the very end") << "%2/catalogs/%6" << catalog << "https://ru.test/catalogs/Races";
        QTest::newRow("a value is not read again") << "%3/%4" << QStringList { "%4", "x" } << "%4/x";
        QTest::newRow("a marker without its value stays") << "%1/%3/%4" << QStringList { "a" } << "https://en.test/a/%4";
        QTest::newRow("other percent signs stay") << "%0 100% %" << QStringList() << "%0 100% %";
        // clang-format on
    }

    void address()
    {
        QFETCH(QString, translated);
        QFETCH(QStringList, values);
        QFETCH(QString, address);
        QCOMPARE(ProductSite::Address(translated, values), address);
    }
};

QTEST_APPLESS_MAIN(tst_ProductSite)
#include "tst_productsite.moc"
