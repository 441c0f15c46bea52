#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QMarketPLGetter.h"
#include "QPriceUpdater.h"
#include "RequestOutcome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

// The market book and the profit-and-loss fetchers share their batching and
// reply handling; every case runs against both where both apply.
enum class Fetcher { Books, ProfitAndLoss };
Q_DECLARE_METATYPE(Fetcher)

namespace {

const int Late = 300;

QString RpcMethod(Fetcher fetcher)
{
    return fetcher == Fetcher::Books ? QStringLiteral("SportsAPING/v1.0/listMarketBook")
                                     : QStringLiteral("SportsAPING/v1.0/listMarketProfitAndLoss");
}

int BatchSize(Fetcher fetcher)
{
    return fetcher == Fetcher::Books ? 40 : 50;
}

QStringList Ids(const QString& prefix, int from, int count)
{
    QStringList ids;
    for (int i = from; i < from + count; ++i)
        ids << prefix + QString::number(i);
    return ids;
}

QStringList BatchOf(const RecordedRequest& request)
{
    QStringList ids;
    for (const QJsonValue& id : request.json().value("params").toObject().value("marketIds").toArray())
        ids << id.toString();
    return ids;
}

// Which batch of Ids("1.", 0, n) this is, counted from 0.
int BatchNumber(const QStringList& batch, int batchSize)
{
    return batch.first().mid(2).toInt() / batchSize;
}

// The exchange's answer to a batch: one entry per market, named by its id.
ScriptedReply Echo(const QStringList& batch)
{
    QJsonArray entries;
    for (const QString& id : batch)
        entries.append(QJsonObject { { "marketId", id } });
    return ScriptedReply::rpcResult(entries);
}

const ScriptedReply Refused = ScriptedReply::json(QJsonDocument::fromJson(R"({"jsonrpc": "2.0", "id": 1,
    "error": {"code": -32099, "data": {"APINGException": {"errorCode": "TOO_MUCH_DATA"}}}})"));

// The reply to each batch, chosen by the batch's ids; runs on the server's thread.
using Script = std::function<ScriptedReply(const QStringList& batch)>;

// The reply to each batch chosen by the order in which the requests arrive,
// from 0: held replies, let go in that order, fix the order of the answers
// whatever the machine's load.
Script ByArrival(const std::function<ScriptedReply(int arrival, const QStringList& batch)>& reply)
{
    const auto arrivals = std::make_shared<std::atomic<int>>(0);
    return [=](const QStringList& batch) { return reply((*arrivals)++, batch); };
}

// A fetcher of either kind, with what it reports in order: "data:<first
// id>x<count>" (or "data:none") per Done(QJsonArray), "done:<text>" per
// Done(QString).
struct Run : QObject
{
    QPointer<QMarketBatchWorker> worker;
    Fetcher fetcher;
    QStringList events;
    int dataWhileDispatching = 0;
    std::function<void()> onFirstData;

    explicit Run(Fetcher fetcher)
        : fetcher(fetcher)
    {
        if (fetcher == Fetcher::Books) {
            auto* books = new QPriceUpdater;
            worker = books;
            connect(books, QOverload<const QJsonArray&>::of(&QPriceUpdater::Done), this, &Run::data);
            connect(books, QOverload<const QString&>::of(&QPriceUpdater::Done), this, &Run::done);
        } else {
            auto* pl = new QMarketPLGetter;
            worker = pl;
            connect(pl, QOverload<const QJsonArray&>::of(&QMarketPLGetter::Done), this, &Run::data);
            connect(pl, QOverload<const QString&>::of(&QMarketPLGetter::Done), this, &Run::done);
        }
    }

    void start(const QStringList& ids, bool sp = false, bool traded = false, bool matched = false,
        bool unmatched = false)
    {
        dispatching = true;
        if (fetcher == Fetcher::Books)
            static_cast<QPriceUpdater*>(worker.data())->UpdatePrices(ids, sp, traded, matched, unmatched);
        else
            static_cast<QMarketPLGetter*>(worker.data())->GetPL(ids);
        dispatching = false;
    }

    int doneCount() const { return events.filter(QRegularExpression("^done:")).size(); }
    bool deleted() const { return worker.isNull(); }

private:
    void data(const QJsonArray& entries)
    {
        if (dispatching)
            ++dataWhileDispatching;
        events << (entries.isEmpty() ? QStringLiteral("data:none")
                                     : QStringLiteral("data:%1x%2")
                                           .arg(entries.first().toObject().value("marketId").toString())
                                           .arg(entries.size()));
        if (onFirstData) {
            const auto once = std::move(onFirstData);
            onFirstData = nullptr;
            once();
        }
    }
    void done(const QString& text) { events << "done:" + text; }

    bool dispatching = false;
};

QString Describe(const RecordedRequest& request)
{
    return request.path().section('/', 1, 1) + ':' + BatchOf(request).join(',');
}

} // namespace

class tst_MarketBatchWorkers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void batchesAsTheExchangeSeesThem_data();
    void batchesAsTheExchangeSeesThem();
    void emptyList_data();
    void emptyList();
    void repliesInArrivalOrder_data();
    void repliesInArrivalOrder();
    void firstFailureEndsAtOnce_data();
    void firstFailureEndsAtOnce();
    void fourthBatchWaitsForAFreeSlot_data();
    void fourthBatchWaitsForAFreeSlot();
    void endsWhileWaitingForASlot_data();
    void endsWhileWaitingForASlot();
    void receiverOfDataRunsAnEventLoop_data();
    void receiverOfDataRunsAnEventLoop();

private:
    void script(const Script& reply);
    QStringList describedRequests() const;
    QStringList withArrivals(QStringList events) const;

    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_MarketBatchWorkers::initTestCase()
{
    qRegisterMetaType<QNetworkReply*>();
}

void tst_MarketBatchWorkers::init()
{
    server.clearRequests();
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
    script(Echo);
}

void tst_MarketBatchWorkers::cleanup()
{
    server.releaseAll();
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_MarketBatchWorkers::script(const Script& reply)
{
    const auto handler = [reply](const RecordedRequest& request) { return reply(BatchOf(request)); };
    for (const char* prefix : { "api", "api-au" }) {
        for (Fetcher fetcher : { Fetcher::Books, Fetcher::ProfitAndLoss })
            server.setRpcHandler(
                LocalExchange::bettingPath(QLatin1String(prefix)), RpcMethod(fetcher), handler);
    }
}

QStringList tst_MarketBatchWorkers::describedRequests() const
{
    QStringList described;
    for (const RecordedRequest& request : server.requests())
        described << Describe(request);
    return described;
}

// "#n" replaced by "<first id>x<count>" of the n-th request to arrive.
QStringList tst_MarketBatchWorkers::withArrivals(QStringList events) const
{
    const QList<RecordedRequest> requests = server.requests();
    for (int arrival = 0; arrival < requests.size(); ++arrival) {
        const QStringList batch = BatchOf(requests.at(arrival));
        events.replaceInStrings(
            QStringLiteral("#%1").arg(arrival), QStringLiteral("%1x%2").arg(batch.first()).arg(batch.size()));
    }
    return events;
}

void tst_MarketBatchWorkers::batchesAsTheExchangeSeesThem_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<bool>("sp");
    QTest::addColumn<bool>("traded");
    QTest::addColumn<bool>("orders");
    // "prefix:id,id" per request, in any order: the requests run side by side.
    QTest::addColumn<QStringList>("batches");
    // The parameters of every request, "marketIds" aside.
    QTest::addColumn<QByteArray>("params");

    const auto books = [](const char* priceData) {
        return QByteArray(R"({"orderProjection": "ALL", "priceProjection": {"priceData": )") + priceData
            + R"(, "virtualise": true, "exBestOffersOverrides": {"bestPricesDepth": 1}}})";
    };
    const QByteArray bestOffers = books(R"(["EX_BEST_OFFERS"])");
    const QStringList ten = Ids("1.", 0, 10);
    const auto main = [](const QStringList& ids) { return "api:" + ids.join(','); };

    QTest::newRow("41 ids: 40 and 1") << Fetcher::Books << Ids("1.", 0, 41) << false << false << false
                                      << QStringList { main(Ids("1.", 0, 40)), "api:1.40" } << bestOffers;
    QTest::newRow("traded: 9 and 1") << Fetcher::Books << ten << false << true << false
                                     << QStringList { main(ten.mid(0, 9)), "api:1.9" }
                                     << books(R"(["EX_BEST_OFFERS", "EX_TRADED"])");
    QTest::newRow("SP and traded: 8 and 2") << Fetcher::Books << ten << true << true << false
                                            << QStringList { main(ten.mid(0, 8)), "api:1.8,1.9" }
                                            << books(R"(["EX_BEST_OFFERS", "EX_TRADED", "SP_AVAILABLE"])");
    QTest::newRow("SP: 25 and 1") << Fetcher::Books << Ids("1.", 0, 26) << true << false << false
                                  << QStringList { main(Ids("1.", 0, 25)), "api:1.25" }
                                  << books(R"(["EX_BEST_OFFERS", "SP_AVAILABLE"])");
    QTest::newRow("jurisdictions, order kept")
        << Fetcher::Books << QStringList { "1.10", "2.20", "1.11" } << false << false << false
        << QStringList { "api:1.10,1.11", "api-au:2.20" } << bestOffers;
    QTest::newRow("malformed and empty ids to api-au")
        << Fetcher::Books << QStringList { "10.5", "", "1.1", " 1.2", "1" } << false << false << false
        << QStringList { "api:1.1", "api-au:10.5,, 1.2,1" } << bestOffers;
    QTest::newRow("repeated ids are sent again")
        << Fetcher::Books << QStringList { "2.1", "2.1" } << false << false << false
        << QStringList { "api-au:2.1,2.1" } << bestOffers;
    QTest::newRow("all orders whatever the order flags")
        << Fetcher::Books << QStringList { "1.1" } << false << false << true << QStringList { "api:1.1" }
        << bestOffers;

    const QByteArray net = R"({"netOfCommission": true})";
    QTest::newRow("P&L, 51 ids: 50 and 1")
        << Fetcher::ProfitAndLoss << Ids("1.", 0, 51) << false << false << false
        << QStringList { main(Ids("1.", 0, 50)), "api:1.50" } << net;
    QTest::newRow("P&L, 50 main and 1 australian")
        << Fetcher::ProfitAndLoss << Ids("1.", 0, 50) + QStringList { "2.7" } << false << false << false
        << QStringList { main(Ids("1.", 0, 50)), "api-au:2.7" } << net;
    QTest::newRow("P&L, malformed and empty ids to api-au")
        << Fetcher::ProfitAndLoss << QStringList { "", "2.5", "1.5", "1.x" } << false << false << false
        << QStringList { "api:1.5,1.x", "api-au:,2.5" } << net;
}

// What reaches the exchange: method, endpoint, batch and exact parameters.
void tst_MarketBatchWorkers::batchesAsTheExchangeSeesThem()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(QStringList, ids);
    QFETCH(bool, sp);
    QFETCH(bool, traded);
    QFETCH(bool, orders);
    QFETCH(QStringList, batches);
    QFETCH(QByteArray, params);

    Run run(fetcher);
    run.start(ids, sp, traded, orders, orders);
    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);

    QStringList seen = describedRequests();
    seen.sort();
    batches.sort();
    QCOMPARE(seen, batches);
    const QJsonObject expected = QJsonDocument::fromJson(params).object();
    for (const RecordedRequest& request : server.requests()) {
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.rpcMethod(), RpcMethod(fetcher));
        QCOMPARE(request.json().value("jsonrpc").toString(), QStringLiteral("2.0"));
        QJsonObject sent = request.json().value("params").toObject();
        QVERIFY(sent.value("marketIds").isArray());
        sent.remove("marketIds");
        QCOMPARE(sent, expected);
        QCOMPARE(request.header("X-Application"), QBetFair::AppKey.toUtf8());
        QCOMPARE(request.header("X-Authentication"), QByteArray("tok"));
    }
    QCOMPARE(run.events.size(), batches.size() + 1);
    QCOMPARE(run.events.last(), QStringLiteral("done:"));
}

void tst_MarketBatchWorkers::emptyList_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("books") << Fetcher::Books << "" << QStringList { "done:Nothing to update" };
    QTest::newRow("books, in Russian")
        << Fetcher::Books << "ru_RU" << QStringList { QStringLiteral("done:Нечего обновлять") };
    QTest::newRow("profit and loss: a success") << Fetcher::ProfitAndLoss << "" << QStringList { "done:" };
    QTest::newRow("profit and loss, in Russian")
        << Fetcher::ProfitAndLoss << "ru_RU" << QStringList { "done:" };
}

// Nothing is sent; the two fetchers end differently, and at once.
void tst_MarketBatchWorkers::emptyList()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(QString, language);
    QFETCH(QStringList, events);

    ProgramTranslation translation(language);
    QVERIFY(translation.isValid());
    Run run(fetcher);
    run.start({});
    translation.remove();

    QCOMPARE(run.events, events);
    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);
    QTest::qWait(50);
    QCOMPARE(server.requestCount(), 0);
}

void tst_MarketBatchWorkers::repliesInArrivalOrder_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<bool>("secondNotAnArray");
    // "#n" stands for the batch of the n-th request to arrive.
    QTest::addColumn<QStringList>("events");

    QTest::newRow("books") << Fetcher::Books << false
                           << QStringList { "data:#2", "data:#0", "data:#1", "done:" };
    QTest::newRow("profit and loss") << Fetcher::ProfitAndLoss << false
                                     << QStringList { "data:#2", "data:#0", "data:#1", "done:" };
    QTest::newRow("a result that is no array is handed on empty")
        << Fetcher::Books << true << QStringList { "data:#2", "data:#0", "data:none", "done:" };
}

// Three batches, the last to arrive answered first and the others held
// until the data before them is in: each reply's data as it comes, then one
// empty Done, emitted while the last reply is handled.
void tst_MarketBatchWorkers::repliesInArrivalOrder()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(bool, secondNotAnArray);
    QFETCH(QStringList, events);

    script(ByArrival([=](int arrival, const QStringList& batch) {
        if (arrival == 1 && secondNotAnArray)
            return ScriptedReply::rpcResult(QJsonObject { { "marketId", "1.x" } }).held();
        return arrival == 2 ? Echo(batch) : Echo(batch).held();
    }));

    Run run(fetcher);
    run.start(Ids("1.", 0, 3 * BatchSize(fetcher)));
    for (int handled = 1; handled < 3; ++handled) {
        QTRY_COMPARE_WITH_TIMEOUT(run.events.size(), handled, Patience);
        server.release(1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);

    QCOMPARE(server.requestCount(), 3);
    QCOMPARE(run.events, withArrivals(events));
}

void tst_MarketBatchWorkers::firstFailureEndsAtOnce_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<ScriptedReply>("failure");
    QTest::addColumn<QString>("error");

    QTest::newRow("books, HTTP error") << Fetcher::Books << ScriptedReply::error(500) << "^Network error: ";
    QTest::newRow("books, exchange error") << Fetcher::Books << Refused << "^TOO_MUCH_DATA$";
    QTest::newRow("books, unusable reply")
        << Fetcher::Books << ScriptedReply::text("<html>busy</html>", "text/html")
        << "^Server response error$";
    QTest::newRow("profit and loss, HTTP error")
        << Fetcher::ProfitAndLoss << ScriptedReply::error(503) << "^Network error: ";
    QTest::newRow("profit and loss, exchange error")
        << Fetcher::ProfitAndLoss << Refused << "^TOO_MUCH_DATA$";
}

// The second of three replies fails while the third is still out: its error
// ends the run at once, and the third's reply reaches nobody.
void tst_MarketBatchWorkers::firstFailureEndsAtOnce()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(ScriptedReply, failure);
    QFETCH(QString, error);

    script(ByArrival([=](int arrival, const QStringList& batch) {
        return arrival == 0 ? Echo(batch) : arrival == 1 ? failure.held() : Echo(batch).held();
    }));

    Run run(fetcher);
    int heldAtDone = -1;
    connect(run.worker, QOverload<const QString&>::of(&QActionWorker::Done), this,
        [&] { heldAtDone = server.heldCount(); });
    QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
    run.start(Ids("1.", 0, 3 * BatchSize(fetcher)));

    QTRY_COMPARE_WITH_TIMEOUT(run.events.size(), 1, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
    server.release(1);
    QTRY_COMPARE_WITH_TIMEOUT(run.doneCount(), 1, Patience);
    QCOMPARE(heldAtDone, 1);
    QCOMPARE(run.events.size(), 2);
    QCOMPARE(run.events.first(), withArrivals({ "data:#0" }).first());
    QVERIFY2(QRegularExpression("^done:" + error.mid(1)).match(run.events.last()).hasMatch(),
        qPrintable(run.events.last()));

    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 3, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);
    QCOMPARE(run.events.size(), 2);
}

void tst_MarketBatchWorkers::fourthBatchWaitsForAFreeSlot_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::newRow("books") << Fetcher::Books;
    QTest::newRow("profit and loss") << Fetcher::ProfitAndLoss;
}

// Three main-exchange batches and one Australian: at most three go out at
// once, the Australian one last, and a reply handled during the wait is
// handed on before the dispatch returns.
void tst_MarketBatchWorkers::fourthBatchWaitsForAFreeSlot()
{
    QFETCH(Fetcher, fetcher);

    const int size = BatchSize(fetcher);
    script([](const QStringList& batch) { return Echo(batch).held(); });

    Run run(fetcher);
    QStringList firstThree;
    int countAfterWaiting = -1;
    QElapsedTimer waited;
    int step = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (step == 0 && server.heldCount() == 3) {
            firstThree = describedRequests();
            waited.start();
            step = 1;
        } else if (step == 1 && waited.elapsed() >= Late) {
            countAfterWaiting = server.requestCount();
            server.release(1);
            step = 2;
        } else if (step == 2 && server.requestCount() == 4) {
            server.releaseAll();
            step = 3;
        } else if (step == 3 && server.heldCount() > 0) {
            server.releaseAll();
        }
    });
    poll.start(10);

    run.start(Ids("1.", 0, 2 * size + 1) + QStringList { "2.1" });

    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);
    QCOMPARE(countAfterWaiting, 3);
    QCOMPARE(firstThree.filter(QRegularExpression("^api:")).size(), 3);
    QCOMPARE(describedRequests().value(3), QStringLiteral("api-au:2.1"));
    QCOMPARE(run.dataWhileDispatching, 1);
    QCOMPARE(run.events.size(), 5);
    QCOMPARE(run.events.last(), QStringLiteral("done:"));
}

void tst_MarketBatchWorkers::endsWhileWaitingForASlot_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("events");

    for (Fetcher fetcher : { Fetcher::Books, Fetcher::ProfitAndLoss }) {
        const QByteArray kind = fetcher == Fetcher::Books ? "books, " : "profit and loss, ";
        QTest::newRow(kind + "a reply fails") << fetcher << "fail" << QStringList { "done:Network error" };
        QTest::newRow(kind + "Cancel()") << fetcher << "cancel" << QStringList { "done:Cancelled" };
        QTest::newRow(kind + "the receiver of data cancels")
            << fetcher << "receiver" << QStringList { "data", "done:Cancelled" };
    }
}

// Five batches; three are out and the fourth waits for a free slot when the
// run ends. The batches not yet sent are never sent.
void tst_MarketBatchWorkers::endsWhileWaitingForASlot()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(QString, how);
    QFETCH(QStringList, events);

    const int size = BatchSize(fetcher);
    // Whichever of the three held replies goes first decides.
    script([=](const QStringList& batch) {
        return how == QLatin1String("fail") ? ScriptedReply::error(500).held() : Echo(batch).held();
    });

    Run run(fetcher);
    if (how == QLatin1String("receiver"))
        run.onFirstData = [&] { run.worker->Cancel(); };
    QTimer trigger;
    connect(&trigger, &QTimer::timeout, this, [&] {
        if (server.heldCount() < 3)
            return;
        trigger.stop();
        if (how == QLatin1String("cancel"))
            run.worker->Cancel();
        else
            server.release(1);
    });
    trigger.start(10);

    run.start(Ids("1.", 0, 5 * size));

    QVERIFY(!trigger.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);
    server.releaseAll();
    QTest::qWait(Late);
    QCOMPARE(run.events.size(), events.size());
    for (int i = 0; i < events.size(); ++i)
        QVERIFY2(run.events.at(i).startsWith(events.at(i)), qPrintable(run.events.join(" | ")));
    // Qt may send an aborted request again; the later batches never go.
    for (const RecordedRequest& request : server.requests())
        QVERIFY2(BatchNumber(BatchOf(request), size) < 3, qPrintable(Describe(request)));
}

void tst_MarketBatchWorkers::receiverOfDataRunsAnEventLoop_data()
{
    QTest::addColumn<Fetcher>("fetcher");
    QTest::addColumn<bool>("cancels");
    QTest::addColumn<QStringList>("events");

    // The replies released together may come in either order.
    const QStringList waits { "data:#0", "data:#1|#2", "data:#1|#2", "done:" };
    QTest::newRow("books, waits through the other replies") << Fetcher::Books << false << waits;
    QTest::newRow("profit and loss, waits through the other replies")
        << Fetcher::ProfitAndLoss << false << waits;
    QTest::newRow("books, cancels") << Fetcher::Books << true << QStringList { "data:#0", "done:Cancelled" };
    QTest::newRow("profit and loss, cancels")
        << Fetcher::ProfitAndLoss << true << QStringList { "data:#0", "done:Cancelled" };
}

// The receiver of the first data shows a box (a nested event loop) during
// which the other replies arrive, or cancels: one Done either way, and no
// data after it.
void tst_MarketBatchWorkers::receiverOfDataRunsAnEventLoop()
{
    QFETCH(Fetcher, fetcher);
    QFETCH(bool, cancels);
    QFETCH(QStringList, events);

    script(ByArrival([](int arrival, const QStringList& batch) {
        return arrival == 0 ? Echo(batch) : Echo(batch).held();
    }));

    Run run(fetcher);
    run.onFirstData = [&] {
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
        if (cancels) {
            run.worker->Cancel();
            server.releaseAll();
            return;
        }
        QEventLoop box;
        connect(run.worker, QOverload<const QString&>::of(&QActionWorker::Done), &box, &QEventLoop::quit,
            Qt::QueuedConnection);
        server.releaseAll();
        QTimer::singleShot(Patience, &box, &QEventLoop::quit);
        box.exec();
    };
    QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
    run.start(Ids("1.", 0, 3 * BatchSize(fetcher)));

    QTRY_VERIFY_WITH_TIMEOUT(run.deleted(), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 3, Patience);
    QTest::qWait(50);
    events = withArrivals(events);
    QCOMPARE(run.events.size(), events.size());
    for (int i = 0; i < events.size(); ++i) {
        const QStringList choices = events.at(i).mid(5).split('|');
        QVERIFY2(
            run.events.at(i).startsWith(events.at(i).left(5)) && choices.contains(run.events.at(i).mid(5)),
            qPrintable(run.events.join(" | ")));
    }
    QCOMPARE(run.events.removeDuplicates(), 0);
}

QTEST_GUILESS_MAIN(tst_MarketBatchWorkers)
#include "tst_marketbatchworkers.moc"
