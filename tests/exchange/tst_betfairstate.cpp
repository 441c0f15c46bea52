#include "QBetFair.h"
#include "QKeepAlive.h"

#include <QUrlQuery>
#include <QtTest>

class tst_BetFairState : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void minimumStake_data();
    void minimumStake();
    void session_data();
    void session();
    void keepAliveFollowsTheToken();
    void chartUrl_data();
    void chartUrl();
    void marketUrl_data();
    void marketUrl();
    void loginPageUrl();
};

void tst_BetFairState::cleanup()
{
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_BetFairState::minimumStake_data()
{
    QTest::addColumn<QString>("currency");
    QTest::addColumn<int>("stake");
    const QList<QPair<const char*, int>> table = { { "USD", 4 }, { "GBP", 2 }, { "EUR", 2 }, { "SEK", 30 },
        { "AUD", 5 }, { "CAD", 6 }, { "DKK", 30 }, { "HKD", 25 }, { "SGD", 6 }, { "NOK", 30 }, { "???", 4 },
        { "gbp", 4 }, { "PLN", 4 }, { "", 4 } };
    for (const auto& row : table)
        QTest::newRow(row.first) << QString::fromLatin1(row.first) << row.second;
}

void tst_BetFairState::minimumStake()
{
    QFETCH(QString, currency);
    QFETCH(int, stake);
    QBetFair::Currency = currency;
    QCOMPARE(QBetFair::MinimumStake(), stake);
    QCOMPARE(QBetFair::GetCurrency(), currency);
}

void tst_BetFairState::session_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<bool>("hasSession");
    QTest::addColumn<bool>("valid");
    QTest::newRow("nothing") << QString() << QStringLiteral("???") << false << false;
    QTest::newRow("token, currency unknown") << QStringLiteral("t") << QStringLiteral("???") << true << false;
    QTest::newRow("currency, no token") << QString() << QStringLiteral("GBP") << false << false;
    QTest::newRow("token and currency") << QStringLiteral("t") << QStringLiteral("GBP") << true << true;
}

void tst_BetFairState::session()
{
    QFETCH(QString, token);
    QFETCH(QString, currency);
    QFETCH(bool, hasSession);
    QFETCH(bool, valid);
    QBetFair::SessionToken = token;
    QBetFair::Currency = currency;
    QCOMPARE(QBetFair::HasSession(), hasSession);
    QCOMPARE(QBetFair::IsSessionValid(), valid);
}

// One sequence: the keep-alive object is made once for the whole run.
void tst_BetFairState::keepAliveFollowsTheToken()
{
    QVERIFY(!QBetFair::KeepAliveWorker);

    QBetFair::SetSessionToken(QString());
    QKeepAlive* worker = QBetFair::KeepAliveWorker;
    QVERIFY(worker);
    QVERIFY(!worker->isActive());

    QBetFair::Currency = QStringLiteral("EUR");
    QBetFair::SetSessionToken(QStringLiteral("first"));
    QCOMPARE(QBetFair::KeepAliveWorker, worker);
    QVERIFY(worker->isActive());
    QVERIFY(QBetFair::IsSessionValid());

    QBetFair::SetSessionToken(QStringLiteral("second"));
    QCOMPARE(QBetFair::KeepAliveWorker, worker);
    QVERIFY(worker->isActive());
    QCOMPARE(QBetFair::SessionToken, QStringLiteral("second"));

    QBetFair::SetSessionToken(QString());
    QCOMPARE(QBetFair::KeepAliveWorker, worker);
    QVERIFY(!worker->isActive());
    QVERIFY(!QBetFair::HasSession());
    // A logout leaves the last account's currency in place.
    QCOMPARE(QBetFair::GetCurrency(), QStringLiteral("EUR"));
}

void tst_BetFairState::chartUrl_data()
{
    QTest::addColumn<QString>("marketId");
    QTest::addColumn<qlonglong>("selectionId");
    QTest::addColumn<QString>("url");
    const QString chart = QStringLiteral("/betting/LoadRunnerInfoChartAction.do?marketId=%1&selectionId=%2");
    const QString uk = QStringLiteral("http://uk.site.sports.betfair.com") + chart;
    const QString au = QStringLiteral("http://au.site.sports.betfair.com") + chart;
    QTest::newRow("main exchange") << QStringLiteral("1.123") << 456LL << uk.arg("123", "456");
    QTest::newRow("australian") << QStringLiteral("2.987") << 456LL << au.arg("987", "456");
    QTest::newRow("no prefix") << QStringLiteral("123456") << 7LL << uk.arg("123456", "7");
    QTest::newRow("other prefix") << QStringLiteral("3.55") << 7LL << uk.arg("3.55", "7");
    QTest::newRow("prefix only stripped once") << QStringLiteral("1.2.3") << 7LL << uk.arg("2.3", "7");
    QTest::newRow("large selection") << QStringLiteral("1.1") << 9007199254740993LL
                                     << uk.arg("1", "9007199254740993");
}

void tst_BetFairState::chartUrl()
{
    QFETCH(QString, marketId);
    QFETCH(qlonglong, selectionId);
    QFETCH(QString, url);
    QCOMPARE(QBetFair::ChartUrl(marketId, selectionId), url);
}

void tst_BetFairState::marketUrl_data()
{
    QTest::addColumn<QString>("marketId");
    QTest::addColumn<QString>("sport");
    QTest::addColumn<QString>("url");
    QTest::newRow("horse racing") << QStringLiteral("1.5") << QStringLiteral("Horse Racing")
                                  << QStringLiteral(
                                         "http://www.betfair.com/exchange/horse-racing/market?id=1.5");
    QTest::newRow("blanks in a row") << QStringLiteral("2.17") << QStringLiteral("Rugby  Union ")
                                     << QStringLiteral(
                                            "http://www.betfair.com/exchange/rugby--union-/market?id=2.17");
    QTest::newRow("one word") << QStringLiteral("1.9") << QStringLiteral("Tennis")
                              << QStringLiteral("http://www.betfair.com/exchange/tennis/market?id=1.9");
}

void tst_BetFairState::marketUrl()
{
    QFETCH(QString, marketId);
    QFETCH(QString, sport);
    QFETCH(QString, url);
    QCOMPARE(QBetFair::MarketUrl(marketId, sport), url);
}

void tst_BetFairState::loginPageUrl()
{
    const QUrl url = QBetFair::LoginPageUrl();
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QCOMPARE(url.host(), QStringLiteral("identitysso.betfair.com"));
    QCOMPARE(url.path(), QStringLiteral("/view/login"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue(QStringLiteral("product")), QBetFair::AppKey);
    QCOMPARE(query.queryItemValue(QStringLiteral("locale")), QStringLiteral("en_GB"));
    QCOMPARE(query.queryItemValue(QStringLiteral("url")), QStringLiteral("https://www.betfair.com/"));
    QCOMPARE(QBetFair::AppKey.size(), 16);
}

QTEST_GUILESS_MAIN(tst_BetFairState)
#include "tst_betfairstate.moc"
