#include "Cents.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QBetPlacer.h"
#include "RequestOutcome.h"
#include "SimulatedExchange.h"
#include "WorkerWatch.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

using Bets = QHash<QString, QList<QBetPlacer::QBet>>;
using Fault = SimulatedExchange::Fault;

const QString Stopped = QStringLiteral("Betting was stopped due to errors");

// One bet of a job: "<market> <name> <back|lay> <stake> <price> [state:<n>] [id:<bet id>]",
// "-" standing for an empty market id. Selections are numbered in order.
struct BetLine
{
    QString market;
    QBetPlacer::QBet bet;
};

qint64 SelectionOf(int index)
{
    return 4700 + index;
}

float StakeOf(const QString& text)
{
    if (text == QLatin1String("nan"))
        return qQNaN();
    if (text == QLatin1String("inf"))
        return qInf();
    return text.toFloat();
}

QList<BetLine> ParseBets(const QStringList& lines)
{
    QList<BetLine> betLines;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(' ');
        BetLine betLine;
        betLine.market = fields.at(0) == QLatin1String("-") ? QString() : fields.at(0);
        betLine.bet.name = fields.at(1);
        betLine.bet.back = fields.at(2) == QLatin1String("back");
        betLine.bet.stake = StakeOf(fields.at(3));
        betLine.bet.price = fields.at(4);
        betLine.bet.selectionId = SelectionOf(i);
        betLine.bet.persistenceType = QStringLiteral("LAPSE");
        for (const QString& extra : fields.mid(5)) {
            if (extra.startsWith(QLatin1String("state:")))
                betLine.bet.state = extra.mid(6).toInt();
            else if (extra.startsWith(QLatin1String("id:")))
                betLine.bet.betId = extra.mid(3);
        }
        betLines.append(betLine);
    }
    return betLines;
}

Bets JobOf(const QList<BetLine>& betLines)
{
    Bets bets;
    for (const BetLine& betLine : betLines)
        bets[betLine.market].append(betLine.bet);
    return bets;
}

qint64 SelectionNamed(const QList<BetLine>& betLines, const QString& name)
{
    for (const BetLine& betLine : betLines) {
        if (betLine.bet.name == name)
            return betLine.bet.selectionId;
    }
    return -1;
}

// "<operation> <bet> refuse|noreport|noreportonce|nobetid|cancelonly [<code>]", "http <operation> <market>",
// "delay <market> <ms>", "rename <market> <market>", "text", "reverse".
void Script(SimulatedExchange& exchange, const QList<BetLine>& betLines, const QStringList& lines)
{
    static const QHash<QString, Fault> faults { { "refuse", Fault::Refuse }, { "noreport", Fault::NoReport },
        { "noreportonce", Fault::NoReportOnce }, { "nobetid", Fault::NoBetId },
        { "cancelonly", Fault::CancelOnly } };
    for (const QString& line : lines) {
        const QStringList f = line.split(' ');
        if (f.at(0) == QLatin1String("http"))
            exchange.failRequests(f.at(1), f.at(2));
        else if (f.at(0) == QLatin1String("delay"))
            exchange.delayMarket(f.at(1), f.at(2).toInt());
        else if (f.at(0) == QLatin1String("rename"))
            exchange.renameMarket(f.at(1), f.at(2));
        else if (f.at(0) == QLatin1String("text"))
            exchange.reportNumbersAsText();
        else if (f.at(0) == QLatin1String("reverse"))
            exchange.reverseReports();
        else
            exchange.addFault(f.at(0), SelectionNamed(betLines, f.at(1)), faults.value(f.at(2)), f.value(3));
    }
}

struct Result
{
    QString id;
    QString name;
    bool back = false;
    float price = 0;
    float amount = 0;
    float matched = 0;
    float matchedPrice = 0;
    QString error;
};

// Receives a placer's signals as the results view does; a "box" is a nested
// event loop, as a modal message box runs one.
struct Receiver : QObject
{
    enum class Box { None, First, Every };

    QList<Result> results;
    QStringList events;
    QStringList done;
    Box box = Box::None;
    int boxMs = 0;

    explicit Receiver(QBetPlacer* placer, Box box = Box::None, int boxMs = 0)
        : box(box)
        , boxMs(boxMs)
    {
        connect(placer, &QBetPlacer::BetResult, this,
            [this](const QString& id, const QString& name, bool back, float price, float amount,
                float matched, float matchedPrice, const QString& error) {
                results.append({ id, name, back, price, amount, matched, matchedPrice, error });
                events.append(QStringLiteral("result ") + name);
                if (this->box == Box::Every || (this->box == Box::First && results.size() == 1)) {
                    QEventLoop modal;
                    QTimer::singleShot(this->boxMs, &modal, &QEventLoop::quit);
                    modal.exec();
                }
            });
        connect(placer, &QActionWorker::Done, this, [this](const QString& error) {
            done.append(error);
            events.append(QStringLiteral("done ") + error);
        });
    }

    Result resultOf(const QString& name) const
    {
        for (const Result& result : results) {
            if (result.name == name)
                return result;
        }
        return {};
    }
};

QString RequestCounts(const HttpTestServer& server)
{
    QHash<QString, int> counts;
    for (const RecordedRequest& request : server.requests())
        ++counts[request.rpcMethod().section('/', -1)];
    return QStringLiteral("place %1 cancel %2 replace %3")
        .arg(counts.value("placeOrders"))
        .arg(counts.value("cancelOrders"))
        .arg(counts.value("replaceOrders"));
}

QByteArray Compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

class tst_BetPlacer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cents_data();
    void cents();
    void placement_data();
    void placement();
    void reportsRead_data();
    void reportsRead();
    void outcomes_data();
    void outcomes();
    void reentrancy_data();
    void reentrancy();
    void stopTextTranslated();

private:
    // Runs the job to the end: the placer is gone when it returns.
    void run(QBetPlacer* placer, const QList<BetLine>& betLines);
    // What must hold after any job: one result per bet, one Done after
    // them, and no bet on the book the user has not been told of.
    void checkJob(const QList<BetLine>& betLines, const Receiver& receiver, const QStringList& unreported = {});
    void checkExpected(const Receiver& receiver, const QStringList& expected, const QString& done);

    HttpTestServer server;
    LocalExchange local { server };
    std::unique_ptr<SimulatedExchange> exchange;
};

void tst_BetPlacer::init()
{
    server.clearRequests();
    exchange = std::make_unique<SimulatedExchange>();
    exchange->install(server);
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
    QBetFair::StopOnError = false;
}

void tst_BetPlacer::cleanup()
{
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
    QBetFair::StopOnError = false;
}

void tst_BetPlacer::run(QBetPlacer* placer, const QList<BetLine>& betLines)
{
    WorkerWatch watch(placer);
    placer->Bet(JobOf(betLines));
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
}

void tst_BetPlacer::checkJob(
    const QList<BetLine>& betLines, const Receiver& receiver, const QStringList& unreported)
{
    QCOMPARE(receiver.done.size(), 1);
    QVERIFY2(
        receiver.events.last().startsWith(QLatin1String("done")), qPrintable(receiver.events.join('\n')));
    QCOMPARE(receiver.results.size(), betLines.size());

    QHash<QString, qint64> reportedSelections;
    for (const BetLine& betLine : betLines) {
        const Result result = receiver.resultOf(betLine.bet.name);
        QCOMPARE(result.name, betLine.bet.name);
        if (!result.id.isEmpty())
            reportedSelections.insert(result.id, betLine.bet.selectionId);
    }

    const QList<SimulatedExchange::Order> book = exchange->liveOrders();
    for (const SimulatedExchange::Order& order : book) {
        const auto betLine = std::find_if(betLines.cbegin(), betLines.cend(),
            [&](const BetLine& betLine) { return betLine.bet.selectionId == order.selectionId; });
        if (betLine != betLines.cend() && unreported.contains(betLine->bet.name))
            continue;
        QVERIFY2(reportedSelections.value(order.betId) == order.selectionId,
            qPrintable(QStringLiteral("bet %1 at %2 on the exchange, never reported")
                           .arg(order.betId, order.price)));
    }
    for (const BetLine& betLine : betLines) {
        const Result result = receiver.resultOf(betLine.bet.name);
        if (!result.error.isEmpty())
            continue;
        const auto placed = std::find_if(book.cbegin(), book.cend(),
            [&](const SimulatedExchange::Order& order) { return order.betId == result.id; });
        QVERIFY2(placed != book.cend(), qPrintable(betLine.bet.name));
        QCOMPARE(placed->price.toDouble(), betLine.bet.price.toDouble());
        QCOMPARE(placed->sizeCents, CentsOf(betLine.bet.stake));
        QCOMPARE(placed->back, betLine.bet.back);
    }
    for (const RecordedRequest& request : server.requests())
        QVERIFY2(!request.body.contains("\"0.00\""), request.body.constData());
}

// Each line: "<bet name> <id|-|*> <error pattern>"; "-" wants an empty id.
void tst_BetPlacer::checkExpected(const Receiver& receiver, const QStringList& expected, const QString& done)
{
    for (const QString& line : expected) {
        const QString name = line.section(' ', 0, 0);
        const QString id = line.section(' ', 1, 1);
        const QString error = line.section(' ', 2);
        const Result result = receiver.resultOf(name);
        QVERIFY2(QRegularExpression(error).match(result.error).hasMatch(),
            qPrintable(QStringLiteral("%1: %2").arg(name, result.error)));
        if (id == QLatin1String("id"))
            QVERIFY2(!result.id.isEmpty(), qPrintable(name));
        else if (id == QLatin1String("-"))
            QVERIFY2(result.id.isEmpty(), qPrintable(name));
    }
    QVERIFY2(QRegularExpression(done).match(receiver.done.value(0)).hasMatch(),
        qPrintable(receiver.done.value(0)));
}

void tst_BetPlacer::cents_data()
{
    QTest::addColumn<float>("amount");
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 2.0f << qint64(200) << "2.00";
    QTest::newRow("1.996 up") << 1.996f << qint64(200) << "2.00";
    QTest::newRow("1.995 half up") << 1.995f << qint64(200) << "2.00";
    QTest::newRow("1.994 down") << 1.994f << qint64(199) << "1.99";
    QTest::newRow("0.005 half up, though below half in binary") << 0.005f << qint64(1) << "0.01";
    QTest::newRow("0.004 down to nothing") << 0.004f << qint64(0) << "0.00";
    QTest::newRow("zero") << 0.0f << qint64(0) << "0.00";
    QTest::newRow("negative zero") << -0.0f << qint64(0) << "0.00";
    QTest::newRow("profit over a price") << 10.0f / 1.5f << qint64(667) << "6.67";
    QTest::newRow("cents of a large stake") << 12345.67f << qint64(1234567) << "12345.67";
    QTest::newRow("largest taken") << 1.0e9f << qint64(100000000000) << "1000000000.00";
    QTest::newRow("too large") << 1.0e10f << qint64(-1) << "";
    QTest::newRow("negative") << -0.01f << qint64(-1) << "";
    QTest::newRow("not a number") << float(qQNaN()) << qint64(-1) << "";
    QTest::newRow("infinite") << float(qInf()) << qint64(-1) << "";
}

void tst_BetPlacer::cents()
{
    QFETCH(float, amount);
    QFETCH(qint64, cents);
    QFETCH(QString, text);
    QCOMPARE(CentsOf(amount), cents);
    if (cents >= 0)
        QCOMPARE(CentsText(cents), text);
}

void tst_BetPlacer::placement_data()
{
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("bet");
    QTest::addColumn<QString>("persistence");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("reduction"); // empty: placed in one step

    QTest::newRow("back at the minimum") << "GBP"
                                         << "1.5 A back 2 2.02"
                                         << "LAPSE"
                                         << "api"
                                         << "2.00"
                                         << "2.02"
                                         << "";
    QTest::newRow("lay above it, one decimal band") << "EUR"
                                                    << "1.7 A lay 10.5 4.5"
                                                    << "PERSIST"
                                                    << "api"
                                                    << "10.50"
                                                    << "4.5"
                                                    << "";
    QTest::newRow("1.996 is the minimum") << "GBP"
                                          << "1.5 A back 1.996 25"
                                          << "MARKET_ON_CLOSE"
                                          << "api"
                                          << "2.00"
                                          << "25"
                                          << "";
    QTest::newRow("1.995 rounds up to it") << "GBP"
                                           << "1.5 A back 1.995 1.01"
                                           << "LAPSE"
                                           << "api"
                                           << "2.00"
                                           << "1.01"
                                           << "";
    QTest::newRow("Australian market, SEK minimum") << "SEK"
                                                    << "2.31 A back 30 1000"
                                                    << "LAPSE"
                                                    << "api-au"
                                                    << "30.00"
                                                    << "1000"
                                                    << "";
    QTest::newRow("large stake") << "USD"
                                 << "1.5 A lay 12345.67 1.5"
                                 << "LAPSE"
                                 << "api"
                                 << "12345.67"
                                 << "1.5"
                                 << "";
    QTest::newRow("back 0.5") << "GBP"
                              << "1.5 A back 0.5 3.05"
                              << "LAPSE"
                              << "api"
                              << "2.00"
                              << "1000"
                              << "1.50";
    QTest::newRow("lay 0.5") << "GBP"
                             << "1.5 A lay 0.5 3.05"
                             << "PERSIST"
                             << "api"
                             << "2.00"
                             << "1.01"
                             << "1.50";
    QTest::newRow("1.994, one cent short") << "GBP"
                                           << "1.5 A back 1.994 7.4"
                                           << "LAPSE"
                                           << "api"
                                           << "2.00"
                                           << "1000"
                                           << "0.01";
    QTest::newRow("0.005, one cent") << "EUR"
                                     << "1.5 A lay 0.005 1.2"
                                     << "LAPSE"
                                     << "api"
                                     << "2.00"
                                     << "1.01"
                                     << "1.99";
    QTest::newRow("Australian market, AUD") << "AUD"
                                            << "2.77 A back 4.99 2.5"
                                            << "LAPSE"
                                            << "api-au"
                                            << "5.00"
                                            << "1000"
                                            << "0.01";
    QTest::newRow("unknown currency") << "XYZ"
                                      << "1.5 A back 3.3 110"
                                      << "LAPSE"
                                      << "api"
                                      << "4.00"
                                      << "1000"
                                      << "0.70";
}

// The requests as the exchange takes them, with the exact amounts: one
// placement, or for a stake below the minimum a placement at the minimum
// where it cannot match, a reduction and a move to the wanted price. One
// result after the last step.
void tst_BetPlacer::placement()
{
    QFETCH(QString, currency);
    QFETCH(QString, bet);
    QFETCH(QString, persistence);
    QFETCH(QString, path);
    QFETCH(QString, size);
    QFETCH(QString, at);
    QFETCH(QString, reduction);
    QBetFair::Currency = currency;
    QList<BetLine> betLines = ParseBets({ bet });
    betLines[0].bet.persistenceType = persistence;
    const QBetPlacer::QBet& wanted = betLines[0].bet;

    auto* placer = new QBetPlacer;
    Receiver receiver(placer);
    run(placer, betLines);

    const QJsonObject limitOrder { { "size", size }, { "price", at }, { "persistenceType", persistence } };
    const QJsonObject place { { "orderType", "LIMIT" }, { "selectionId", 4700 },
        { "side", wanted.back ? "BACK" : "LAY" }, { "limitOrder", limitOrder } };
    QList<QPair<QString, QJsonObject>> steps { { "placeOrders", place } };
    if (!reduction.isEmpty()) {
        steps.append({ "cancelOrders", { { "betId", "1001" }, { "sizeReduction", reduction } } });
        steps.append({ "replaceOrders", { { "betId", "1001" }, { "newPrice", wanted.price } } });
    }
    const QList<RecordedRequest> requests = server.requests();
    QCOMPARE(requests.size(), steps.size());
    for (int i = 0; i < steps.size(); ++i) {
        const QJsonObject params { { "marketId", betLines[0].market },
            { "instructions", QJsonArray { steps[i].second } } };
        QCOMPARE(requests.at(i).path(), LocalExchange::bettingPath(path));
        QCOMPARE(requests.at(i).rpcMethod(), QStringLiteral("SportsAPING/v1.0/") + steps[i].first);
        QCOMPARE(requests.at(i).header("X-Authentication"), QByteArray("tok"));
        QCOMPARE(Compact(requests.at(i).json().value("params").toObject()), Compact(params));
    }

    checkJob(betLines, receiver);
    QCOMPARE(receiver.done, QStringList { QString() });
    const Result result = receiver.results.value(0);
    QCOMPARE(result.id, reduction.isEmpty() ? QStringLiteral("1001") : QStringLiteral("1002"));
    QCOMPARE(result.error, QString());
    QCOMPARE(result.back, wanted.back);
    QCOMPARE(result.price, wanted.price.toFloat());
    QCOMPARE(qRound64(result.amount * 100), CentsOf(wanted.stake));
    QCOMPARE(exchange->liveOrders().size(), 1);
}

void tst_BetPlacer::reportsRead_data()
{
    QTest::addColumn<QString>("bet");
    QTest::addColumn<QStringList>("replies"); // "<operation> <reply result>", queued in order
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("back");
    QTest::addColumn<float>("price");
    QTest::addColumn<float>("amount");
    QTest::addColumn<float>("matched");
    QTest::addColumn<float>("matchedPrice");
    QTest::addColumn<QString>("error");

    const QString placedBelow = R"(placeOrders {"marketId":"1.5","instructionReports":[{"status":"SUCCESS",
        "betId":"80","instruction":{"selectionId":4700,"side":"BACK","limitOrder":{"size":2,"price":1000}}}]})";
    const QString reduced = R"(cancelOrders {"marketId":"1.5","instructionReports":[{"status":"SUCCESS",
        "instruction":{"betId":"80","sizeReduction":1.5},"sizeCancelled":1.5}]})";

    QTest::newRow("placed, numbers")
        << "1.5 A back 5 3.05"
        << QStringList { R"(placeOrders {"marketId":"1.5","instructionReports":[{"status":"SUCCESS","betId":"77",
            "instruction":{"selectionId":4700,"side":"BACK","limitOrder":{"size":5,"price":3.05}},
            "sizeMatched":1.5,"averagePriceMatched":3.1}]})" }
        << "77" << true << 3.05f << 5.0f << 1.5f << 3.1f << "";
    QTest::newRow("placed, numbers as text")
        << "1.5 A back 5 3.05"
        << QStringList { R"(placeOrders {"marketId":"1.5","instructionReports":[{"status":"SUCCESS","betId":"77",
            "instruction":{"selectionId":"4700","side":"BACK","limitOrder":{"size":"5.00","price":"3.05"}},
            "sizeMatched":"1.50","averagePriceMatched":"3.1"}]})" }
        << "77" << true << 3.05f << 5.0f << 1.5f << 3.1f << "";
    QTest::newRow("lay, bet id as a number, nothing matched")
        << "1.5 A lay 5 3.05"
        << QStringList { R"(placeOrders {"instructionReports":[{"status":"SUCCESS","betId":78,
            "instruction":{"selectionId":4700,"side":"LAY","limitOrder":{"size":5,"price":3.05}}}]})" }
        << "78" << false << 3.05f << 5.0f << 0.0f << 0.0f << "";
    QTest::newRow("refused without an error code")
        << "1.5 A back 5 3.05" << QStringList { R"(placeOrders {"instructionReports":[{"status":"FAILURE",
            "instruction":{"selectionId":4700,"side":"BACK","limitOrder":{"size":5,"price":3.05}}}]})" }
        << "" << true << 3.05f << 5.0f << 0.0f << 0.0f << "FAILURE";
    QTest::newRow("report without a status")
        << "1.5 A back 5 3.05" << QStringList { R"(placeOrders {"instructionReports":[{"betId":"77",
            "instruction":{"selectionId":4700,"side":"BACK","limitOrder":{"size":5,"price":3.05}}}]})" }
        << "" << true << 3.05f << 5.0f << 0.0f << 0.0f << "FAILURE";
    QTest::newRow("other status") << "1.5 A back 5 3.05"
                                  << QStringList { R"(placeOrders {"instructionReports":[{"status":"TIMEOUT",
            "instruction":{"selectionId":4700,"side":"BACK","limitOrder":{"size":5,"price":3.05}}}]})" }
                                  << "" << true << 3.05f << 5.0f << 0.0f << 0.0f << "TIMEOUT";
    QTest::newRow("placement at the minimum refused")
        << "1.5 A lay 0.5 3.05"
        << QStringList { R"(placeOrders {"instructionReports":[{"status":"FAILURE","errorCode":"INSUFFICIENT_FUNDS",
            "instruction":{"selectionId":4700,"side":"LAY","limitOrder":{"size":2,"price":1.01}}}]})" }
        << "" << false << 1.01f << 2.0f << 0.0f << 0.0f << "INSUFFICIENT_FUNDS";
    QTest::newRow("reduction refused")
        << "1.5 A back 0.5 3.05"
        << QStringList { placedBelow, R"(cancelOrders {"instructionReports":[{"status":"FAILURE",
            "errorCode":"BET_TAKEN_OR_LAPSED","instruction":{"betId":"80","sizeReduction":1.5}}]})" }
        << "80" << false << 0.0f << 0.0f << 0.0f << 0.0f << "BET_TAKEN_OR_LAPSED";
    QTest::newRow("replaced") << "1.5 A back 0.5 3.05"
                              << QStringList { placedBelow, reduced,
                                     R"(replaceOrders {"instructionReports":[{"status":"SUCCESS",
            "cancelInstructionReport":{"status":"SUCCESS","instruction":{"betId":"80"},"sizeCancelled":0.5},
            "placeInstructionReport":{"status":"SUCCESS","betId":"81","instruction":{"selectionId":4700,
            "side":"BACK","limitOrder":{"size":0.5,"price":3.05}},"sizeMatched":0.5,"averagePriceMatched":3.1}}]})" }
                              << "81" << true << 3.05f << 0.5f << 0.5f << 3.1f << "";
    QTest::newRow("replacement's new bet refused")
        << "1.5 A back 0.5 3.05"
        << QStringList { placedBelow, reduced, R"(replaceOrders {"instructionReports":[{"status":"FAILURE",
            "errorCode":"INVALID_ODDS","cancelInstructionReport":{"status":"SUCCESS","instruction":{"betId":"80"}},
            "placeInstructionReport":{"status":"FAILURE","errorCode":"INVALID_ODDS","instruction":{
            "selectionId":4700,"side":"BACK","limitOrder":{"size":0.5,"price":3.05}}}}]})" }
        << "" << true << 3.05f << 0.5f << 0.0f << 0.0f << "INVALID_ODDS";
    QTest::newRow("replacement reported by its cancel part only")
        << "1.5 A back 0.5 3.05"
        << QStringList { placedBelow, reduced, R"(replaceOrders {"instructionReports":[{"status":"FAILURE",
            "cancelInstructionReport":{"status":"FAILURE","errorCode":"ERROR_IN_ORDER",
            "instruction":{"betId":"80"}}}]})" }
        << "80" << false << 0.0f << 0.0f << 0.0f << 0.0f << "ERROR_IN_ORDER";
}

// What a result carries, read from the reports whatever form their numbers take.
void tst_BetPlacer::reportsRead()
{
    QFETCH(QString, bet);
    QFETCH(QStringList, replies);
    QFETCH(QString, id);
    QFETCH(bool, back);
    QFETCH(float, price);
    QFETCH(float, amount);
    QFETCH(float, matched);
    QFETCH(float, matchedPrice);
    QFETCH(QString, error);
    for (const QString& reply : replies) {
        server.enqueueRpcReply(LocalExchange::bettingPath(), "SportsAPING/v1.0/" + reply.section(' ', 0, 0),
            ScriptedReply::rpcResult(QJsonDocument::fromJson(reply.section(' ', 1).toUtf8()).object()));
    }

    auto* placer = new QBetPlacer;
    Receiver receiver(placer);
    run(placer, ParseBets({ bet }));

    QCOMPARE(server.requestCount(), replies.size());
    QCOMPARE(receiver.results.size(), 1);
    const Result result = receiver.results.first();
    QCOMPARE(result.id, id);
    QCOMPARE(result.name, QStringLiteral("A"));
    QCOMPARE(result.back, back);
    QCOMPARE(result.price, price);
    QCOMPARE(result.amount, amount);
    QCOMPARE(result.matched, matched);
    QCOMPARE(result.matchedPrice, matchedPrice);
    QCOMPARE(result.error, error);
    QCOMPARE(receiver.done, QStringList { QString() });
}

void tst_BetPlacer::outcomes_data()
{
    QTest::addColumn<QStringList>("bets");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("stopOnError");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("requests");
    QTest::addColumn<QStringList>("unreported"); // bets the exchange holds but could not name

    const QString stopped = "^Stopped: left unmatched on the exchange at ";
    const QStringList mixed { "1.5 A back 5 2.5", "1.5 B back 0.5 3.05", "1.6 C lay 1 4.5" };

    QTest::newRow("nothing to place") << QStringList {} << QStringList {} << false << QStringList {} << "^$"
                                      << "place 0 cancel 0 replace 0" << QStringList {};
    QTest::newRow("all placed") << mixed << QStringList {} << false
                                << QStringList { "A id ^$", "B id ^$", "C id ^$" } << "^$"
                                << "place 2 cancel 2 replace 2" << QStringList {};
    QTest::newRow("reports in reverse order, amounts as text")
        << QStringList { "1.5 A back 5 2.5", "1.5 B back 7 2.5", "1.5 C back 0.5 3", "1.5 D lay 1 3" }
        << QStringList { "reverse", "text" } << false
        << QStringList { "A id ^$", "B id ^$", "C id ^$", "D id ^$" } << "^$"
        << "place 1 cancel 1 replace 1" << QStringList {};
    QTest::newRow("rounding to cents")
        << QStringList { "1.5 A back 1.996 2.5", "1.5 B back 1.995 2.5", "1.5 C back 1.994 2.5",
               "1.5 D back 0.004 2.5" }
        << QStringList {} << false
        << QStringList { "A id ^$", "B id ^$", "C id ^$", "D - ^Invalid stake: 0.004$" } << "^$"
        << "place 1 cancel 1 replace 1" << QStringList {};
    QTest::newRow("stakes that are no amount")
        << QStringList { "1.5 A back nan 2.5", "1.5 B back -1 2.5", "1.5 C back inf 2.5", "1.5 D back 5 2.5" }
        << QStringList {} << false
        << QStringList { "A - ^Invalid stake: nan$", "B - ^Invalid stake: -1$", "C - ^Invalid stake: inf$",
               "D id ^$" }
        << "^$"
        << "place 1 cancel 0 replace 0" << QStringList {};
    QTest::newRow("placement refused")
        << mixed << QStringList { "placeOrders A refuse INSUFFICIENT_FUNDS" } << false
        << QStringList { "A - ^INSUFFICIENT_FUNDS$", "B id ^$", "C id ^$" } << "^$"
        << "place 2 cancel 2 replace 2" << QStringList {};
    QTest::newRow("placement refused, stop, bets mid-chain elsewhere")
        << QStringList { "1.5 A back 5 2.5", "1.6 B back 0.5 3.05", "1.7 C lay 0.5 3.05" }
        << QStringList { "placeOrders A refuse INSUFFICIENT_FUNDS", "delay 1.6 300", "delay 1.7 300" } << true
        << QStringList { "A - ^INSUFFICIENT_FUNDS$", "B id " + stopped + "1000 for 2.00$",
               "C id " + stopped + "1.01 for 2.00$" }
        << "^" + Stopped + "$"
        << "place 3 cancel 0 replace 0" << QStringList {};
    QTest::newRow("reduction refused, stop, the other bet reduced")
        << QStringList { "1.5 A back 0.5 2.5", "1.5 B lay 1.5 3.05" }
        << QStringList { "cancelOrders A refuse BET_TAKEN_OR_LAPSED" } << true
        << QStringList { "A id ^BET_TAKEN_OR_LAPSED$", "B id " + stopped + "1.01 for 1.50$" }
        << "^" + Stopped + "$"
        << "place 1 cancel 1 replace 0" << QStringList {};
    QTest::newRow("replacement not made")
        << mixed << QStringList { "replaceOrders B cancelonly ERROR_IN_ORDER" } << false
        << QStringList { "A id ^$", "B id ^ERROR_IN_ORDER$", "C id ^$" } << "^$"
        << "place 2 cancel 2 replace 2" << QStringList {};
    QTest::newRow("replacement's new bet refused")
        << mixed << QStringList { "replaceOrders C refuse INVALID_ODDS" } << false
        << QStringList { "A id ^$", "B id ^$", "C - ^INVALID_ODDS$" } << "^$"
        << "place 2 cancel 2 replace 2" << QStringList {};
    QTest::newRow("placement without report is not sent again")
        << mixed << QStringList { "placeOrders B noreport" } << false
        << QStringList { "A id ^$", "B - ^NO_REPORT$", "C id ^$" } << "^$"
        << "place 2 cancel 1 replace 1" << QStringList {};
    QTest::newRow("reduction reported the second time")
        << mixed << QStringList { "cancelOrders B noreportonce" } << false
        << QStringList { "A id ^$", "B id ^$", "C id ^$" } << "^$"
        << "place 2 cancel 3 replace 2" << QStringList {};
    QTest::newRow("unanswered replace") << mixed << QStringList { "replaceOrders B noreport" } << false
                                        << QStringList { "A id ^$", "B id ^NO_REPORT$", "C id ^$" } << "^$"
                                        << "place 2 cancel 2 replace 3" << QStringList {};
    QTest::newRow("failing placement request, a bet mid-chain elsewhere")
        << QStringList { "1.5 A back 5 2.5", "1.5 B back 1 2.5", "1.6 C back 0.5 3.05" }
        << QStringList { "http placeOrders 1.5", "delay 1.6 300" } << false
        << QStringList { "A - ^Network error: ", "B - ^Network error: ",
               "C id " + stopped + "1000 for 2.00$" }
        << "^Network error: "
        << "place 2 cancel 0 replace 0" << QStringList {};
    QTest::newRow("failing reduction request")
        << mixed << QStringList { "http cancelOrders 1.5" } << false
        << QStringList { "A id ^$", "B id ^Network error: ", "C id " + stopped + "1.01 for 1.00$" }
        << "^Network error: "
        << "place 2 cancel 2 replace 0" << QStringList {};
    QTest::newRow("failing replace request")
        << QStringList { "1.5 A back 0.5 2.5" } << QStringList { "http replaceOrders 1.5" } << false
        << QStringList { "A id ^Network error: " } << "^Network error: "
        << "place 1 cancel 1 replace 1" << QStringList {};
    QTest::newRow("market of no exchange")
        << QStringList { "3.1 A back 5 2.5", "- B back 5 2.5", "x C back 5 2.5", "1.5 D back 0.5 2.5" }
        << QStringList {} << false
        << QStringList { R"(A - ^No exchange serves market id "3\.1"$)",
               R"(B - ^No exchange serves market id ""$)", R"(C - ^No exchange serves market id "x"$)",
               "D id ^$" }
        << "^$"
        << "place 1 cancel 1 replace 1" << QStringList {};
    QTest::newRow("market of no exchange, stop: nothing sent")
        << QStringList { "3.1 A back 5 2.5", "1.5 B back 5 2.5", "2.5 C back 0.5 2.5" } << QStringList {}
        << true
        << QStringList { R"(A - ^No exchange serves market id "3\.1"$)",
               "B - ^Not placed: betting was stopped$", "C - ^Not placed: betting was stopped$" }
        << "^" + Stopped + "$"
        << "place 0 cancel 0 replace 0" << QStringList {};
    QTest::newRow("placed without a bet id")
        << mixed << QStringList { "placeOrders B nobetid" } << false
        << QStringList { "A id ^$", "B - ^LOGICAL ERROR$", "C id ^$" } << "^LOGICAL ERROR$"
        << "place 2 cancel 1 replace 1" << QStringList { "B" };
    QTest::newRow("reply names another market")
        << QStringList { "1.5 A back 5 2.5", "1.6 B back 0.5 2.5" } << QStringList { "rename 1.5 1.9" }
        << false << QStringList { "A - ^LOGICAL ERROR$", "B id ^$" } << "^LOGICAL ERROR$"
        << "place 2 cancel 1 replace 1" << QStringList { "A" };
    QTest::newRow("states the job cannot take")
        << QStringList { "1.5 A back 5 2.5 state:7", "1.5 B back 0.5 2.5 state:2",
               "1.5 C back 5 2.5 state:3 id:9", "1.5 D back 5 2.5 state:1", "1.5 E back 5 2.5 state:4",
               "1.5 F back 5 2.5" }
        << QStringList {} << false
        << QStringList { "A - ^LOGICAL ERROR$", "B - ^LOGICAL ERROR$", "C id ^LOGICAL ERROR$",
               "D - ^LOGICAL ERROR$", "F id ^$" }
        << "^LOGICAL ERROR$"
        << "place 1 cancel 0 replace 0" << QStringList {};
    QStringList six;
    QStringList delays;
    for (int m = 1; m <= 6; ++m) {
        six << QStringLiteral("1.%1 M%1 back 0.%1 2.5").arg(m) << QStringLiteral("2.%1 N%1 lay 9 2.5").arg(m);
        delays << QStringLiteral("delay 1.%1 %2").arg(m).arg(50 * (m % 3));
    }
    QTest::newRow("twelve markets through the throttle")
        << six << delays << false << QStringList { "M1 id ^$", "M6 id ^$", "N3 id ^$" } << "^$"
        << "place 12 cancel 6 replace 6" << QStringList {};
    QTest::newRow("twelve markets, one refused, stop")
        << six << QStringList(delays << "placeOrders N1 refuse INSUFFICIENT_FUNDS") << true
        << QStringList { "N1 - ^INSUFFICIENT_FUNDS$", "M1 * ^(Stopped|Not placed)", "N2 * ^$|^Not placed" }
        << "^" + Stopped + "$"
        << "place \\d+ cancel 0 replace 0" << QStringList {};
}

// Every bet gets exactly one outcome, whatever goes wrong, and the book
// holds no bet the user has not been told of.
void tst_BetPlacer::outcomes()
{
    QFETCH(QStringList, bets);
    QFETCH(QStringList, script);
    QFETCH(bool, stopOnError);
    QFETCH(QStringList, expected);
    QFETCH(QString, done);
    QFETCH(QString, requests);
    QFETCH(QStringList, unreported);
    const QList<BetLine> betLines = ParseBets(bets);
    Script(*exchange, betLines, script);
    QBetFair::StopOnError = stopOnError;

    auto* placer = new QBetPlacer;
    Receiver receiver(placer);
    run(placer, betLines);

    // Bets taken already report nothing more.
    QList<BetLine> reported;
    std::copy_if(betLines.cbegin(), betLines.cend(), std::back_inserter(reported),
        [](const BetLine& betLine) { return betLine.bet.state != 4 && betLine.bet.state != 5; });
    checkJob(reported, receiver, unreported);
    checkExpected(receiver, expected, done);
    QVERIFY2(QRegularExpression("^" + requests + "$").match(RequestCounts(server)).hasMatch(),
        qPrintable(RequestCounts(server)));
}

void tst_BetPlacer::reentrancy_data()
{
    QTest::addColumn<QStringList>("bets");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("stopOnError");
    QTest::addColumn<int>("box"); // Receiver::Box
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("done");

    const int first = int(Receiver::Box::First);
    const int every = int(Receiver::Box::Every);
    QTest::newRow("last reply of a pass arrives in a box")
        << QStringList { "1.5 A back 0.5 3.05", "1.5 B back 5 2.5", "1.6 C back 5 2.5" }
        << QStringList { "placeOrders B refuse INSUFFICIENT_FUNDS", "delay 1.6 200" } << false << first
        << QStringList { "A id ^$", "B - ^INSUFFICIENT_FUNDS$", "C id ^$" } << "^$";
    QTest::newRow("results of one reply still shown when the last reply arrives")
        << QStringList { "1.5 A back 5 2.5", "1.5 B back 5 2.5", "1.6 C back 5 2.5" }
        << QStringList { "placeOrders A refuse INSUFFICIENT_FUNDS", "placeOrders B refuse INSUFFICIENT_FUNDS",
               "delay 1.6 200" }
        << false << first << QStringList { "A - ^INSUFFICIENT_FUNDS$", "B - ^INSUFFICIENT_FUNDS$", "C id ^$" }
        << "^$";
    QTest::newRow("stop while a box is open")
        << QStringList { "1.5 A back 5 2.5", "1.6 B back 0.5 3.05", "1.7 C back 5 2.5" }
        << QStringList { "placeOrders A refuse INSUFFICIENT_FUNDS", "delay 1.6 200", "delay 1.7 300" } << true
        << first << QStringList { "A - ^INSUFFICIENT_FUNDS$", "B id ^Stopped", "C id ^$" }
        << "^" + Stopped + "$";
    QTest::newRow("two operations of one market overlap")
        << QStringList { "1.5 A back 0.5 3.05", "1.5 B lay 0.7 3.05", "1.5 C back 5 2", "1.6 D back 1 2" }
        << QStringList { "cancelOrders B noreportonce", "placeOrders C refuse INVALID_ODDS", "delay 1.6 100" }
        << false << every << QStringList { "A id ^$", "B id ^$", "C - ^INVALID_ODDS$", "D id ^$" } << "^$";
    QStringList many;
    QStringList delays;
    for (int m = 1; m <= 6; ++m) {
        many << QStringLiteral("1.%1 M%1 back 0.%1 2.5").arg(m)
             << QStringLiteral("1.%1 N%1 lay 9 2.5").arg(m);
        delays << QStringLiteral("delay 1.%1 %2").arg(m).arg(40 * m);
    }
    QTest::newRow("a box on every result, six markets through the throttle")
        << many << delays << false << every << QStringList { "M1 id ^$", "N6 id ^$" } << "^$";
}

// Receivers open modal boxes, inside which further replies are handled:
// still one result per bet, and Done only once the last bet is through.
void tst_BetPlacer::reentrancy()
{
    QFETCH(QStringList, bets);
    QFETCH(QStringList, script);
    QFETCH(bool, stopOnError);
    QFETCH(int, box);
    QFETCH(QStringList, expected);
    QFETCH(QString, done);
    const QList<BetLine> betLines = ParseBets(bets);
    Script(*exchange, betLines, script);
    QBetFair::StopOnError = stopOnError;

    auto* placer = new QBetPlacer;
    Receiver receiver(placer, Receiver::Box(box), 300);
    run(placer, betLines);

    checkJob(betLines, receiver);
    checkExpected(receiver, expected, done);
}

void tst_BetPlacer::stopTextTranslated()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/Translations/Tarnwickstone_ru_RU.qm")));
    QCoreApplication::installTranslator(&translator);
    const QList<BetLine> betLines = ParseBets({ "3.1 A back 5 2.5", "1.5 B back 5 2.5" });
    QBetFair::StopOnError = true;

    auto* placer = new QBetPlacer;
    Receiver receiver(placer);
    run(placer, betLines);
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(receiver.done, QStringList { QStringLiteral("Ставки остановлены из-за ошибок") });
    QCOMPARE(receiver.resultOf("A").error, QStringLiteral("Нет биржи для рынка \"3.1\""));
    QCOMPARE(receiver.resultOf("B").error, QStringLiteral("Не размещена: ставки остановлены"));
    QCOMPARE(server.requestCount(), 0);
}

QTEST_GUILESS_MAIN(tst_BetPlacer)
#include "tst_betplacer.moc"
