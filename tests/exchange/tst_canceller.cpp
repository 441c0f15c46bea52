#include "CurrentOrders.h"
#include "HeldInTurn.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QCanceller.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

using namespace CurrentOrders;

namespace {

using Selections = QHash<QString, QList<qlonglong>>;
// cancelOrders replies by market id; any other market's cancel succeeds.
using Reports = QMap<QString, ScriptedReply>;

ScriptedReply Report(const char* status, const char* errorCode = nullptr)
{
    QJsonObject report { { "status", status }, { "instructionReports", QJsonArray {} } };
    if (errorCode)
        report.insert("errorCode", errorCode);
    return ScriptedReply::rpcResult(report);
}

QJsonArray Bets(const QString& marketId, int count)
{
    QJsonArray bets;
    for (int i = 0; i < count; ++i)
        bets << Order(marketId, QStringLiteral("b%1").arg(i), 10);
    return bets;
}

QString BetIds(int from, int to)
{
    QStringList ids;
    for (int i = from; i < to; ++i)
        ids << QStringLiteral("b%1").arg(i);
    return ids.join(',');
}

// "api:1.1:b1,b2" per cancel call, sorted: markets go out in no fixed order.
QStringList DescribeCancels(const QList<RecordedRequest>& requests)
{
    QStringList cancels;
    for (const RecordedRequest& request : Calls(requests, CancelMethod)) {
        const QJsonObject params = Params(request);
        QStringList betIds;
        for (const QJsonValue& instruction : params.value("instructions").toArray()) {
            // The bet id alone: the whole unmatched remainder goes.
            if (instruction.toObject().keys() != QStringList { "betId" })
                betIds << "unexpected instruction";
            betIds << instruction.toObject().value("betId").toString();
        }
        if (params.keys() != QStringList({ "instructions", "marketId" }))
            betIds << "unexpected parameters";
        cancels << QStringLiteral("%1:%2:%3").arg(Prefix(request), params.value("marketId").toString(), betIds.join(','));
    }
    cancels.sort();
    return cancels;
}

struct Translation
{
    QTranslator translator;

    explicit Translation(const QString& language)
    {
        if (language.isEmpty())
            return;
        if (translator.load(QStringLiteral(":/Translations/Tarnwickstone_%1.qm").arg(language)))
            QCoreApplication::installTranslator(&translator);
        else
            qFatal("no translation for %s", qPrintable(language));
    }
    ~Translation() { QCoreApplication::removeTranslator(&translator); }
};

} // namespace

class tst_Canceller : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void choosing_data();
    void choosing();
    void reports_data();
    void reports();

private:
    // Lists the orders of the markets asked about, answers the cancels by
    // the script, and runs one canceller to its end.
    // requests: how many go out before the held answers are let go in turn.
    QStringList run(const QJsonArray& orders, const Selections& selections, bool back, bool lay,
        const Reports& reports = Reports(), int requests = 0);

    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_Canceller::init()
{
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
}

void tst_Canceller::cleanup()
{
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

QStringList tst_Canceller::run(const QJsonArray& orders, const Selections& selections, bool back, bool lay,
    const Reports& reports, int requests)
{
    const auto listing = [orders](const RecordedRequest& request) {
        const QStringList asked = Strings(Params(request).value("marketIds"));
        QJsonArray found;
        for (const QJsonValue& order : orders) {
            if (asked.contains(order.toObject().value("marketId").toString()))
                found << order;
        }
        return Page(found);
    };
    const auto cancelling = [reports](const RecordedRequest& request) {
        return reports.value(Params(request).value("marketId").toString(), Report("SUCCESS"));
    };
    for (const char* prefix : { "api", "api-au" }) {
        server.setRpcHandler(LocalExchange::bettingPath(prefix), ListMethod, listing);
        server.setRpcHandler(LocalExchange::bettingPath(prefix), CancelMethod, cancelling);
    }

    auto* canceller = new QCanceller;
    WorkerWatch watch(canceller);
    QStringList info;
    connect(canceller, &QActionWorker::Info, this, [&](const QString& text) { info << text; });
    const HeldInTurn inTurn(server, requests);
    canceller->Cancel(selections, back, lay);
    if (!QTest::qWaitFor([&] { return watch.deleted() && inTurn.settled(); }, Patience))
        return { "still running" };
    // Whatever it might still send after its end would arrive by now.
    QTest::qWait(200);
    if (!info.isEmpty())
        return { "unexpected Info" };

    QStringList listed;
    for (const RecordedRequest& request : Calls(server.requests(), ListMethod)) {
        if (Params(request).value("orderProjection") != QLatin1String("EXECUTABLE"))
            return { "wrong projection" };
        listed << Strings(Params(request).value("marketIds"));
    }
    listed.sort();
    QStringList ticked = selections.keys();
    ticked.sort();
    if (listed != ticked)
        return { "listed " + listed.join(',') };
    return watch.done;
}

void tst_Canceller::choosing_data()
{
    QTest::addColumn<QJsonArray>("orders");
    QTest::addColumn<Selections>("selections");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("lay");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("cancels");
    QTest::addColumn<QString>("done");

    const Selections ticked { { "1.1", { 10 } } };
    const QJsonArray bothSides { Order("1.1", "b1", 10, "BACK"), Order("1.1", "b2", 10, "LAY") };
    QTest::newRow("back side") << bothSides << ticked << true << false << "" << QStringList { "api:1.1:b1" } << "";
    QTest::newRow("lay side") << bothSides << ticked << false << true << "" << QStringList { "api:1.1:b2" } << "";
    QTest::newRow("both sides, as listed")
        << bothSides << ticked << true << true << "" << QStringList { "api:1.1:b1,b2" } << "";
    QTest::newRow("neither side") << bothSides << ticked << false << false << "" << QStringList {}
                                  << "No bets to cancel";
    QTest::newRow("neither side, in Russian")
        << bothSides << ticked << false << false << "ru_RU" << QStringList {} << "Нет ставок для отмены";
    QTest::newRow("selection not ticked")
        << QJsonArray { Order("1.1", "b1", 11), Order("1.1", "b2", 10) } << ticked << true << true << ""
        << QStringList { "api:1.1:b2" } << "";
    QTest::newRow("market without ticked selections")
        << bothSides << Selections { { "1.1", {} } } << true << true << "" << QStringList {} << "No bets to cancel";
    QTest::newRow("fully matched bets left alone")
        << QJsonArray { Order("1.1", "b1", 10, "BACK", "EXECUTION_COMPLETE"), Order("1.1", "b2", 10, "BACK") }
        << ticked << true << true << "" << QStringList { "api:1.1:b2" } << "";
    QTest::newRow("ids beyond 32 bits")
        << QJsonArray { Order("1.1", "b1", 1), Order("1.1", "b2", 4294967297LL), Order("1.1", "b3", 4294967296LL) }
        << Selections { { "1.1", { 4294967297LL } } } << true << true << "" << QStringList { "api:1.1:b2" } << "";
    QTest::newRow("a bet listed twice is cancelled once")
        << QJsonArray { Order("1.1", "b1", 10), Order("1.1", "b2", 10), Order("1.1", "b1", 10) } << ticked << true
        << true << "" << QStringList { "api:1.1:b1,b2" } << "";
    QTest::newRow("endpoint by market id")
        << QJsonArray { Order("1.1", "b1", 10), Order("2.1", "b2", 20, "LAY"), Order("2.1", "b3", 21) }
        << Selections { { "1.1", { 10 } }, { "2.1", { 20, 21 } } } << true << true << ""
        << QStringList { "api-au:2.1:b2,b3", "api:1.1:b1" } << "";
    QTest::newRow("60 bets in one request")
        << Bets("1.1", 60) << ticked << true << true << "" << QStringList { "api:1.1:" + BetIds(0, 60) } << "";
    QTest::newRow("61 bets in two requests")
        << Bets("1.1", 61) << ticked << true << true << ""
        << QStringList { "api:1.1:" + BetIds(0, 60), "api:1.1:b60" } << "";
    QTest::newRow("no current orders")
        << QJsonArray {} << ticked << true << true << "" << QStringList {} << "No bets";
    QTest::newRow("no current orders, in Russian")
        << QJsonArray {} << ticked << true << true << "ru_RU" << QStringList {} << "Нет ставок";
    QTest::newRow("nothing ticked") << bothSides << Selections {} << true << true << "" << QStringList {} << "No bets";
}

// Only unmatched bets of ticked selections on the chosen sides are cancelled,
// at most 60 to a request; the texts of the getter and the canceller arrive
// unchanged.
void tst_Canceller::choosing()
{
    QFETCH(QJsonArray, orders);
    QFETCH(Selections, selections);
    QFETCH(bool, back);
    QFETCH(bool, lay);
    QFETCH(QString, language);
    QFETCH(QStringList, cancels);
    QFETCH(QString, done);

    const Translation translation(language);
    QCOMPARE(run(orders, selections, back, lay), QStringList { done });
    cancels.sort();
    QCOMPARE(DescribeCancels(server.requests()), cancels);
}

void tst_Canceller::reports_data()
{
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("cancels");
    // Every Done, in order.
    QTest::addColumn<QStringList>("done");

    const ScriptedReply success = Report("SUCCESS");
    const ScriptedReply lapsed = Report("FAILURE", "BET_TAKEN_OR_LAPSED");
    QTest::newRow("all cancelled") << Reports {} << "" << 3 << QStringList { "" };
    QTest::newRow("all cancelled, the last late")
        << Reports { { "1.2", success.held() } } << "" << 3 << QStringList { "" };
    QTest::newRow("refused, blanks for underscores")
        << Reports { { "1.2", lapsed } } << "" << 3 << QStringList { "Error in cancelling on market: BET TAKEN OR LAPSED" };
    QTest::newRow("refused first, cancelled later")
        << Reports { { "1.1", lapsed }, { "1.2", success.held() }, { "1.3", success.held() } } << ""
        << 3 << QStringList { "Error in cancelling on market: BET TAKEN OR LAPSED" };
    QTest::newRow("refused last")
        << Reports { { "1.1", lapsed.held() } } << "" << 3
        << QStringList { "Error in cancelling on market: BET TAKEN OR LAPSED" };
    QTest::newRow("request fails last")
        << Reports { { "1.3", ScriptedReply::error(500).held() } } << "" << 3
        << QStringList { "Network error: Error transferring %1 - server replied: Internal Server Error" };
    QTest::newRow("no code: the status named")
        << Reports { { "1.1", Report("PROCESSED_WITH_ERRORS") } } << "" << 3
        << QStringList { "Error in cancelling on market: PROCESSED WITH ERRORS" };
    QTest::newRow("empty report") << Reports { { "1.1", ScriptedReply::rpcResult(QJsonObject {}) } } << "" << 3
                                  << QStringList { "Error in cancelling on market: " };
    QTest::newRow("refused, in Russian")
        << Reports { { "1.2", Report("FAILURE", "ERROR_IN_ORDER") } } << "ru_RU" << 3
        << QStringList { "Ошибка при отмене ставок на рынке: ERROR IN ORDER" };
    // Not held: the fourth cancel waits in the throttle inside the handling of
    // the listing, and the first failure reaches the worker there.
    QTest::newRow("nothing sent after a failure")
        << Reports { { "1.1", lapsed }, { "1.2", lapsed }, { "1.3", lapsed }, { "1.4", lapsed } } << "" << 3
        << QStringList { "Error in cancelling on market: BET TAKEN OR LAPSED" };
}

// One Done: success only when every report says so, else the first failure.
void tst_Canceller::reports()
{
    QFETCH(Reports, reports);
    QFETCH(QString, language);
    QFETCH(int, cancels);
    QFETCH(QStringList, done);

    const Translation translation(language);
    Selections selections { { "1.1", { 1 } }, { "1.2", { 2 } }, { "1.3", { 3 } } };
    if (reports.contains("1.4"))
        selections.insert("1.4", { 4 });
    QJsonArray orders;
    for (auto market = selections.cbegin(); market != selections.cend(); ++market)
        orders << Order(market.key(), "b" + market.key(), market.value().first());

    // One listing, then the cancels.
    QStringList ended = run(orders, selections, true, true, reports, 1 + cancels);
    // The URL of a failed request is this run's own.
    ended.replaceInStrings(QRegularExpression("http://127\\.0\\.0\\.1:\\d+/api/\\S+"), "%1");
    QCOMPARE(ended, done);
    QCOMPARE(Calls(server.requests(), CancelMethod).size(), cancels);
}

QTEST_GUILESS_MAIN(tst_Canceller)
#include "tst_canceller.moc"
