#include "FakeExchange.h"
#include "MarketLine.h"
#include "ProgramTranslation.h"
#include "QCanceller.h"
#include "QGetFunds.h"
#include "QMarket.h"
#include "QPriceUpdater.h"
#include "QSelection.h"
#include "ResultsFlow.h"
#include "ResultsView.h"

#include "common/FakeUser.h"
#include "common/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <limits>

namespace {

using B = QMessageBox;

// Markets 1 and 2 of the tests' line form, ticked as "<market>:<selection>,...; ..."
// (selection ids n·10 + k); the view as the program has it, its log read as the user reads it.
struct Table : SeamView<>
{
    QSignalSpy ended { &view, &QSearcher::ActionDone };

    explicit Table(const QString& ticked, const QString& markets = "1; 2")
    {
        for (const QString& text : markets.split(';')) {
            auto* market = new QMarket;
            market->AppendTo(results.model().invisibleRootItem(), MarketLine(text).catalogue());
            market->Update(MarketLine(text).book());
        }
        for (const QString& entry : ticked.split(';', Qt::SkipEmptyParts)) {
            QMarket* market = view.Market(entry.section(':', 0, 0).toInt() - 1);
            for (const QString& id : entry.section(':', 1).split(','))
                market->Selection(id.toLongLong())->setCheckState(Qt::Checked);
        }
    }
    // The bet-slip lines: the runners added, in order.
    QStringList added() const
    {
        QStringList runners;
        for (const QString& line : log.filter("Adding to bet slip"))
            runners << line.section('\'', 1, 1) + " of " + line.section('\'', 3, 3).section(" \u2192 ", 1, 1);
        return runners;
    }
    QBetPlacer* placer() const { return workers.last<QBetPlacer>(); }
};

} // namespace

class tst_Bets : public QObject
{
    Q_OBJECT

    QTemporaryDir catalogs;

private slots:
    void initTestCase()
    {
        InitResultTables(catalogs.path());
        QConfirm::Init();
        QBetFair::Currency = "GBP";
    }
    void init() { SetInteractiveLevel(0); }

    // What is sent and asked: the ladder price, the stake from the amount
    // rule, the liability, the persistence; the real placer on a local exchange.
    void stakes_data()
    {
        QTest::addColumn<bool>("back");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("asked"); // "<stake>|<price>|<liability>|<in-play word>" as the question shows them
        QTest::newRow("profit of 10 at 3") << true << 3.0 << 10.0 << 1 << 0 << "BACK 5.00@3.00 LAPSE" << "5.00|3|5.00|cancelled";
        QTest::newRow("liability of 10 at 3") << false << 3.0 << 10.0 << 1 << 1 << "LAY 5.00@3.00 PERSIST"
                                              << "5.00|3|10.00|kept";
        QTest::newRow("profit of 10 at 2.02") << true << 2.02 << 10.0 << 1 << 2 << "BACK 9.80@2.02 MARKET_ON_CLOSE"
                                              << "9.80|2.02|9.80|taken SP";
        QTest::newRow("profit of 10 at 1.07, floored") << true << 1.07 << 10.0 << 1 << 0 << "BACK 142.85@1.07 LAPSE"
                                                       << "142.85|1.07|142.85|cancelled";
        QTest::newRow("liability of 0.9 at 1.3") << false << 1.3 << 0.9 << 1 << 0 << "LAY 3.00@1.30 LAPSE"
                                                 << "3.00|1.3|0.90|cancelled";
        // Below the minimum stake the placer places the minimum where it cannot match first.
        QTest::newRow("profit of 0.01 at 1000: a cent") << true << 1000.0 << 0.01 << 1 << 0 << "BACK 2.00@1000 LAPSE"
                                                        << "0.01|1000|0.01|cancelled";
        QTest::newRow("stake as typed") << true << 2.5 << 1.995 << 0 << 0 << "BACK 2.00@2.50 LAPSE" << "2.00|2.5|2.00|cancelled";
        QTest::newRow("price 0") << true << 0.0 << 5.0 << 0 << 0 << "BACK 5.00@1.01 LAPSE" << "5.00|1.01|5.00|cancelled";
        QTest::newRow("price 2.03") << true << 2.03 << 5.0 << 0 << 0 << "BACK 5.00@2.02 LAPSE" << "5.00|2.02|5.00|cancelled";
        QTest::newRow("price 1005") << false << 1005.0 << 2.0 << 0 << 0 << "LAY 2.00@1000 LAPSE" << "2.00|1000|1998.00|cancelled";
        QTest::newRow("price 1.556") << true << 1.556 << 5.0 << 0 << 0 << "BACK 5.00@1.55 LAPSE" << "5.00|1.55|5.00|cancelled";
        QTest::newRow("another persistence code") << true << 2.0 << 5.0 << 0 << 3 << "BACK 5.00@2.00 " << "5.00|2|5.00|";
        // 2.3 × 100 is 229.99… in binary, yet the stake floors from 1.30 and a lay risks 1.30 a unit staked.
        QTest::newRow("stake 3.33 at 2.3") << true << 2.3 << 3.33 << 0 << 0 << "BACK 3.33@2.30 LAPSE" << "3.33|2.3|3.33|cancelled";
        QTest::newRow("profit of 5 at 2.3") << true << 2.3 << 5.0 << 1 << 0 << "BACK 3.84@2.30 LAPSE" << "3.84|2.3|3.84|cancelled";
        QTest::newRow("lay 3.33 at 2.3") << false << 2.3 << 3.33 << 0 << 0 << "LAY 3.33@2.30 LAPSE" << "3.33|2.3|4.33|cancelled";
        QTest::newRow("liability of 5 at 2.3") << false << 2.3 << 5.0 << 1 << 0 << "LAY 3.84@2.30 LAPSE" << "3.84|2.3|4.99|cancelled";
        QTest::newRow("lay liability under a cent: a cent") << false << 1.01 << 0.3 << 0 << 0 << "LAY 2.00@1.01 LAPSE"
                                                            << "0.30|1.01|0.01|cancelled";
    }

    void stakes()
    {
        QFETCH(QString, asked);
        HttpTestServer server;
        FakeExchange exchange(server);
        QBetFair::SessionToken = "session";
        FakeUser user;
        user.answers = { B::Yes, B::Yes };
        Table table("1:11");
        table.view.Bet(FETCH(bool, back), FETCH(double, price), FETCH(double, amount),
            QBetPlacer::AmountType(FETCH(int, type)), FETCH(int, keep));
        table.workers.starts.last()();
        QTRY_COMPARE_WITH_TIMEOUT(table.ended.count(), 1, Patience);
        {
            const QMutexLocker lock(&exchange.orders().mutex);
            QCOMPARE(exchange.orders().wire.value(0), "api place LIMIT " + FETCH(QString, sent));
        }
        const QString question = user.boxes.value(0);
        const QStringList shown = asked.split('|');
        // The side word on the colour of its price column.
        const QString side = FETCH(bool, back) ? "<span style='background-color:#b2ebff;'>BACK</span>"
                                               : "<span style='background-color:#ffccdc;'>LAY</span>";
        QVERIFY2(question.contains(side), qPrintable(question));
        QVERIFY2(question.contains(QString("<br>%1 GBP @ %2. ").arg(shown[0], shown[1])), qPrintable(question));
        QVERIFY2(question.contains(QString("Liability: <b>%1 GBP</b>").arg(shown[2])), qPrintable(question));
        QVERIFY2(question.contains(QString("The bet will be %1 in-play.").arg(shown[3])), qPrintable(question));
        // The log line and the slip's total say the same; a lay's total is its liability.
        QCOMPARE(table.log.filter("Adding to bet slip").value(0).section(": ", 1),
            QString("%1 GBP @ %2, liability: %3 GBP. The bet will be %4 in-play.")
                .arg(shown[0], shown[1], shown[2], shown[3]));
        QCOMPARE(user.boxes.value(1),
            QString("Question: Going to send 1 bet with maximum liability<br><font color=red>%1 GBP</font>"
                    "<br><br>Confirm?")
                .arg(shown[2]));
        QBetFair::SessionToken.clear();
    }

    // The placement as the exchange receives it.
    void placeOrdersBody()
    {
        HttpTestServer server;
        FakeExchange exchange(server);
        QBetFair::SessionToken = "session";
        SetInteractiveLevel(2);
        FakeUser user;
        Table table("1:12");
        table.workers.release = true;
        table.view.Bet(true, 2.0, 10, QBetPlacer::Amount, 0);
        QTRY_COMPARE_WITH_TIMEOUT(table.ended.count(), 1, Patience);
        const auto requests = server.requests();
        const auto placed = std::find_if(requests.cbegin(), requests.cend(),
            [](const RecordedRequest& request) { return request.rpcMethod() == "SportsAPING/v1.0/placeOrders"; });
        QVERIFY(placed != requests.cend());
        QCOMPARE(Params(*placed), json(R"({"marketId": "1.1", "instructions": [{"orderType": "LIMIT", "selectionId": 12,
            "side": "BACK", "limitOrder": {"size": "10.00", "price": "2.00", "persistenceType": "LAPSE"}}]})"));
        QCOMPARE(placed->header("X-Authentication"), QByteArray("session"));
        QBetFair::SessionToken.clear();
    }

    // An amount or a price that is none: the message, no question, no placer.
    void refused_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("placed");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("amount 0") << 2.0 << 0.0 << false;
        QTest::newRow("amount -1") << 2.0 << -1.0 << false;
        QTest::newRow("amount NaN") << 2.0 << nan << false;
        QTest::newRow("price NaN") << nan << 5.0 << false;
        QTest::newRow("half a cent") << 2.0 << 0.005 << true;
        QTest::newRow("less than half a cent") << 2.0 << 0.0049 << false;
        QTest::newRow("the largest amount") << 2.0 << 1e9 << true;
        QTest::newRow("past the largest") << 2.0 << 1000000000.01 << false;
    }

    void refused()
    {
        const bool placed = FETCH(bool, placed);
        FakeUser user;
        user.answers = { B::Yes, B::Yes };
        Table table("1:11");
        table.view.Bet(true, FETCH(double, price), FETCH(double, amount), QBetPlacer::Amount, 0);
        QCOMPARE(table.workers.count<QBetPlacer>(), placed ? 1 : 0);
        QCOMPARE(user.boxes.value(0).startsWith("Question: "), placed);
        if (!placed) {
            QCOMPARE(user.boxes.size(), 1);
            QVERIFY(user.boxes.value(0).startsWith("Critical: No bets placed: "));
            QCOMPARE(table.ended.count(), 1);
        }
    }

    // The slip the answers make, over markets 1 (three ticked) and 2 (two).
    void slip_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("sent"); // the total as confirmed, or as logged when nothing is asked
        QTest::newRow("No to All in 1") << 0 << QList<int> { B::NoToAll, B::Yes, B::Yes, B::Yes } << 3
                                        << QStringList { "Runner 1 of Event 2", "Runner 2 of Event 2" }
                                        << "Question: Going to send 2 bets with maximum liability<br><font color=red>20.00 GBP</font><br><br>Confirm?";
        QTest::newRow("two of three declined") << 0 << QList<int> { B::No, B::Yes, B::No, B::NoToAll, B::Yes }
                                               << 4 << QStringList { "Runner 2 of Event 1" }
                                               << "Question: Going to send 1 bet with maximum liability<br><font color=red>10.00 GBP</font><br><br>Confirm?";
        QTest::newRow("Yes to All") << 0 << QList<int> { B::YesToAll, B::Yes } << 1
                                    << QStringList { "Runner 1 of Event 1", "Runner 2 of Event 1", "Runner 3 of Event 1",
                                           "Runner 1 of Event 2", "Runner 2 of Event 2" }
                                    << "Question: Going to send 5 bets with maximum liability<br><font color=red>50.00 GBP</font><br><br>Confirm?";
        QTest::newRow("level 2 asks nothing") << 2 << QList<int>() << 0
                                              << QStringList { "Runner 1 of Event 1", "Runner 2 of Event 1",
                                                     "Runner 3 of Event 1", "Runner 1 of Event 2", "Runner 2 of Event 2" }
                                              << "W Going to send 5 bets with maximum liability 50.00 GBP";
    }

    void slip()
    {
        SetInteractiveLevel(FETCH(int, level));
        FakeUser user;
        for (const int answer : FETCH(QList<int>, answers))
            user.answers << B::StandardButton(answer);
        Table table("1:11,12,13; 2:21,22");
        QSignalSpy betting(&table.view, &QSearcher::StartBetting);
        table.view.Bet(true, 2.0, 10, QBetPlacer::Amount, 0);
        QCOMPARE(user.boxes.filter("Adding to bet slip").size(), FETCH(int, questions));
        QCOMPARE(table.added(), FETCH(QStringList, added));
        const QString sent = FETCH(QString, sent);
        QVERIFY2((user.boxes + table.log).contains(sent), qPrintable((user.boxes + table.log).join('\n')));
        QCOMPARE(table.workers.count<QBetPlacer>(), 1);
        QCOMPARE(betting.count(), 1);
        QVERIFY(table.ended.isEmpty());
    }

    // Each report in a box, the exchange's texts escaped; the end says
    // success only when every bet succeeded; one end per action.
    void reports()
    {
        FakeUser user;
        user.answers = { B::YesToAll, B::Yes, B::YesToAll, B::Yes };
        Table table("1:11,12,13");
        table.view.Market(0)->Selection(11)->setText("<5 goals");
        table.view.Bet(true, 2.0, 10, QBetPlacer::Amount, 0);
        QVERIFY(user.boxes.value(0).contains("'&lt;5 goals'"));
        QVERIFY(table.log.filter("Adding to bet slip").value(0).contains("'<5 goals'"));
        QBetPlacer* placer = table.placer();
        user.boxes.clear();
        emit placer->BetResult("101", "M '<5 goals'", true, 2, 10, 10, 2.1, QString());
        emit placer->BetResult("102", "M 'R2'", true, 2, 10, 0.005, 0, QString());
        emit placer->BetResult("103", "M 'R3'", false, 2.5, 10, 4, 2.5, QString());
        emit placer->Done(QString());
        emit placer->Done(QString());
        QCOMPARE(user.boxes, (QStringList { "Information: The BACK bet on M '&lt;5 goals' 10 GBP @ 2 was MATCHED in full @ 2.1 (id: 101)",
                                 "Information: The BACK bet on M 'R2' 10 GBP @ 2 was UNMATCHED (id: 102)",
                                 "Information: The LAY bet on M 'R3' 10 GBP @ 2.5 was PARTIALLY MATCHED @ 2.5. Unmatched portion: 6 (id: 103)",
                                 "Information: Bets succesfully placed" }));
        QCOMPARE(table.ended.count(), 1);
        QCOMPARE(table.workers.count<QGetFunds>(), 1);
        QCOMPARE(table.workers.count<QPriceUpdater>(), 1);

        // A bet that fails: its box, and at the end how many failed instead of the success.
        user.boxes.clear();
        table.view.Bet(true, 2.0, 10, QBetPlacer::Amount, 0);
        placer = table.placer();
        user.boxes.clear();
        emit placer->BetResult("", "M 'R1'", true, 2, 10, 0, 0, "INSUFFICIENT_FUNDS");
        emit placer->BetResult("104", "M 'R2'", true, 2, 10, 10, 2, QString());
        emit placer->BetResult("105", "M 'R3'", true, 2, 10, 10, 2, QString());
        emit placer->Done(QString());
        QCOMPARE(user.boxes.first(), "Critical: ERROR while placing the BACK bet on M 'R1' 10 GBP @ 2:<br><br>INSUFFICIENT_FUNDS");
        QCOMPARE(user.boxes.last(), "Critical: 1 of 3 bets failed.");
        QCOMPARE(user.topics, "BET,BET");
        QCOMPARE(table.ended.count(), 2);
    }

    // The rows go while a question is open: the slip is the one collected.
    void rowsGoDuringAQuestion()
    {
        FakeUser user;
        Table table("1:11,12; 2:21");
        QConfirm::SetResponder([&table](QMessageBox* box) {
            table.results.model().removeRows(0, table.results.model().rowCount());
            return box->button(B::Yes);
        });
        table.view.Bet(false, 3.0, 10, QBetPlacer::Amount, 2);
        QCOMPARE(table.added(), (QStringList { "Runner 1 of Event 1", "Runner 2 of Event 1", "Runner 1 of Event 2" }));
        QCOMPARE(table.workers.count<QBetPlacer>(), 1);
    }

    // A withdrawn runner ticked all the same: a warning, no bet.
    void withdrawnNeverBetOn()
    {
        FakeUser user;
        Table table("1:13", "1 out=3");
        table.view.Bet(true, 2.0, 10, QBetPlacer::Amount, 0);
        QCOMPARE(table.log.filter("withdrawn"),
            QStringList { "W No bet on 'Runner 3' of 'Soccer \u2192 Event 1 \u2192 Match Odds': the runner is withdrawn." });
        QCOMPARE(user.boxes, QStringList { "Critical: BETTING ERROR: Nothing to send" });
        QCOMPARE(table.workers.count<QBetPlacer>(), 0);
    }

    // Esc while the placer's replies are held: every bet is still reported, once.
    void escapeLeavesThePlacer()
    {
        HttpTestServer server;
        FakeExchange exchange(server);
        QBetFair::SessionToken = "session";
        exchange.orders().held << "1.1";
        SetInteractiveLevel(2);
        FakeUser user;
        Table table("1:11,12");
        table.workers.release = true;
        table.view.Bet(true, 2.0, 5, QBetPlacer::Amount, 0);
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        emit table.view.Cancel();
        exchange.orders().released = true;
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(table.ended.count(), 1, Patience);
        QCOMPARE(table.log.filter(QRegularExpression("^W The BACK bet on .* was UNMATCHED")).size(), 2);
        QCOMPARE(table.log.filter("Bets succesfully placed").size(), 1);
        QBetFair::SessionToken.clear();
    }

    // The unmatched bets of the ticked selections, hidden rows included, on
    // the side asked, through the real canceller: in row order.
    void cancelRequest()
    {
        HttpTestServer server;
        FakeExchange exchange(server);
        QBetFair::SessionToken = "session";
        FakeUser user;
        {
            OrderBook& orders = exchange.orders();
            const QMutexLocker lock(&orders.mutex);
            orders.book.insert("b1", { 11, 500, true, true, "2.00", "1.1" });
            orders.book.insert("b2", { 12, 500, false, true, "3.00", "1.1" });
            orders.book.insert("b3", { 13, 500, true, true, "6.0", "1.1" });
            orders.book.insert("b4", { 21, 500, true, true, "2.00", "1.2" });
        }
        Table table("1:11,12,13");
        table.view.setRowHidden(2, table.view.MarketRow(0)->index(), true);
        table.workers.release = true;
        table.view.CancelBets(true, false);
        QTRY_COMPARE_WITH_TIMEOUT(table.ended.count(), 1, Patience);
        const QMutexLocker lock(&exchange.orders().mutex);
        QCOMPARE(exchange.orders().wire, QStringList { "api cancel b1 -, b3 -" });
        QCOMPARE(table.log.filter("Bets cancelling"), QStringList { "I Bets cancelling. Retreiving bets for 1 market..." });
        QBetFair::SessionToken.clear();
    }

    // How a cancel ends: the box (shown at level 0 only on success), funds
    // after a success, the panel back, a refresh.
    void cancelEnds_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("funds");
        QTest::newRow("success") << 0 << "" << "Information: All bets cancelled" << 1;
        QTest::newRow("success at level 1") << 1 << "" << "" << 1;
        QTest::newRow("failure") << 1 << "No bets to cancel" << "Warning: No bets to cancel" << 0;
    }

    void cancelEnds()
    {
        SetInteractiveLevel(FETCH(int, level));
        FakeUser user;
        Table table("2:22");
        table.view.CancelBets(true, true);
        auto* canceller = table.workers.last<QCanceller>();
        QVERIFY(canceller);
        emit canceller->Done(FETCH(QString, result));
        emit canceller->Done(QString());
        QCOMPARE(user.boxes.value(0), FETCH(QString, box));
        QVERIFY(user.boxes.size() <= 1);
        QCOMPARE(user.topics, FETCH(QString, result).isEmpty() ? QString() : QString("CancelError"));
        QCOMPARE(table.workers.count<QGetFunds>(), FETCH(int, funds));
        QCOMPARE(table.ended.count(), 1);
        QCOMPARE(table.workers.count<QPriceUpdater>(), 1);
    }

    // Nothing ticked: the warning, the panel back, the count when no pass runs.
    void cancelNothing()
    {
        Table table("");
        QSignalSpy done(&table.view, &QSearcher::NotifyDone);
        table.view.CancelBets(true, true);
        QCOMPARE(table.log.last(), "W No markets to retreive bets");
        QCOMPARE(table.ended.count(), 1);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 2);
        QCOMPARE(table.workers.count<QCanceller>(), 0);

        table.view.UpdatePrices();
        QVERIFY(table.view.IsRunning());
        table.view.CancelBets(true, true);
        QCOMPARE(table.ended.count(), 2);
        QCOMPARE(done.count(), 1);
    }

    void funds()
    {
        Table table("");
        table.view.FundsReceived("UK", 1234567.89);
        QCOMPARE(table.log.last(), "I Funds available to bet in UK wallet: 1.23457e+06 GBP");
    }
};

QTEST_MAIN(tst_Bets)
#include "tst_bets.moc"
