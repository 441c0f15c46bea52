#include "BettingRpc.h"
#include "ConditionIds.h"
#include "FakeExchange.h"
#include "FilterBuilder.h"
#include "MarketLine.h"
#include "ProgramTranslation.h"
#include "QMarket.h"
#include "QMarketPLGetter.h"
#include "QPriceUpdater.h"
#include "QScoresWorker.h"
#include "QSearchWorker.h"
#include "QSelection.h"
#include "ResultsFlow.h"
#include "ResultsView.h"
#include "RowCondition.h"

#include "common/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// A filter of one event row, as the condition row writes it.
QJsonObject EventFilter(int property, int comparison, const QString& value)
{
    RowCondition row;
    row.object = ObjectId::Event;
    row.property = property;
    row.comparison = comparison;
    row.value1 = value;
    QJsonObject filter;
    FilterBuilder::Add(filter, row, QDateTime::currentDateTimeUtc());
    return filter;
}

const QJsonObject Minute60 = EventFilter(EventProperty::Minute, NumberComparison::GreaterOrEqual, "60");
const QJsonObject HomeScored = EventFilter(EventProperty::HomeScore, NumberComparison::GreaterOrEqual, "1");

QString StatusText(const QSearcher& view, int row)
{
    return view.Market(row)->CellData(QSearcher::ColStatus, Qt::DisplayRole).toString();
}

} // namespace

class tst_ScoresAndPL : public QObject
{
    Q_OBJECT

    QTemporaryDir catalogs;

    // A view driven through the seam, its log read as the user reads it.
    struct Road : SeamView<OpenView>
    {
        QSignalSpy done { &view, &QSearcher::NotifyDone };

        QList<int> doneCounts() const
        {
            QList<int> counts;
            for (const auto& args : done)
                counts << args.at(0).toInt();
            return counts;
        }
        void scores(const QString& events, const QString& error = QString())
        {
            QScoresWorker* worker = workers.last<QScoresWorker>();
            if (error.isEmpty())
                emit worker->Done(InPlay(events));
            emit worker->Done(error);
        }
        void prices(const QString& markets)
        {
            emit workers.last<QPriceUpdater>()->Done(Books(markets));
            emit workers.last<QPriceUpdater>()->Done(QString());
        }
        // A search of these markets, the scores first when the filter asks.
        void search(const QJsonObject& filter, const QString& markets, const QString& events = QString())
        {
            view.Search(filter);
            if (!events.isNull())
                scores(events);
            emit workers.last<QSearchWorker>()->FoundMarkets(Catalogue(markets));
            emit workers.last<QSearchWorker>()->Done(QString());
            prices(markets);
        }
    };

private slots:
    void initTestCase() { InitResultTables(catalogs.path()); }

    // The scores fetched before a search pick the events it looks at.
    void scoresBeforeTheSearch_data()
    {
        QTest::addColumn<QJsonObject>("filter");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<qint64>>("eventIds"); // empty: no search made
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("minute 60 and on") << Minute60 << "901:0-0'59 902:1-0'60" << "" << QList<qint64> { 902 }
                                          << "I Got the scores for 2 events.";
        QTest::newRow("no event qualifies") << Minute60 << "901:0-0'59" << "" << QList<qint64>()
                                            << "W Nothing found. Please change your conditions or repeat the search later.";
        QTest::newRow("no event in play") << HomeScored << "" << "" << QList<qint64>()
                                          << "W Nothing found. Please change your conditions or repeat the search later.";
        QTest::newRow("an id above 2^31") << HomeScored << "3000000001:1-0" << "" << QList<qint64> { 3000000001 }
                                          << "I Got the scores for 1 event.";
        QTest::newRow("failure") << Minute60 << "" << "Network error: Connection refused" << QList<qint64>()
                                 << "E Network error: Connection refused";
    }

    void scoresBeforeTheSearch()
    {
        QFETCH(QList<qint64>, eventIds);
        Road road;
        road.view.Search(FETCH(QJsonObject, filter));
        QCOMPARE(road.log.value(1), "I Gettings scores info...");
        QVERIFY(road.workers.count<QSearchWorker>() == 0);
        road.scores(FETCH(QString, events), FETCH(QString, error));
        QCOMPARE(road.workers.count<QSearchWorker>(), eventIds.isEmpty() ? 0 : 1);
        QList<qint64> asked;
        for (const QJsonValue& id : road.view.searchData.value("eventIds").toArray())
            asked << qint64(id.toDouble());
        QCOMPARE(asked, eventIds);
        QCOMPARE(road.log.filter(QRegularExpression("^. Nothing|^E|^I Got the scores")).last(), FETCH(QString, lastLine));
        QCOMPARE(road.doneCounts(), eventIds.isEmpty() ? QList<int> { 0 } : QList<int>());
    }

    // The kept scores on the market rows at the end of the search: a score
    // sent as a number counts 0, no minute shows 0'.
    void scoresShown()
    {
        Road road;
        road.search(EventFilter(EventProperty::HomeScore, NumberComparison::GreaterOrEqual, "0"),
            "1; 2; 3 event=3000000001", "901:2-1 3000000001:1-1'67");
        QCOMPARE(road.view.Count(), 2);
        QCOMPARE(StatusText(road.view, 0), "[ 2 : 1 ] 0'");
        QCOMPARE(StatusText(road.view, 1), "[ 1 : 1 ] 67'");

        Road numbers;
        QJsonArray events = InPlay("901:0-1'5");
        QJsonObject state = events[0].toObject()["state"].toObject();
        QJsonObject score = state["score"].toObject();
        score["home"] = QJsonObject { { "score", 2 } };
        state["score"] = score;
        events[0] = QJsonObject { { "state", state } };
        numbers.view.Search(HomeScored);
        emit numbers.workers.last<QScoresWorker>()->Done(events);
        emit numbers.workers.last<QScoresWorker>()->Done(QString());
        QCOMPARE(numbers.view.eventScores.value(901), qMakePair(0, 1));
    }

    // After a refresh the scores are asked for again, for the sports shown;
    // a refresh that fails keeps the scores, and the next pass's score
    // conditions still see them.
    void scoresRefreshed()
    {
        Road road;
        road.search(HomeScored, "1", "901:1-0'10");
        QCOMPARE(road.workers.count<QScoresWorker>(), 1);
        road.view.UpdatePrices();
        road.prices("1");
        QCOMPARE(road.doneCounts(), (QList<int> { 1, 1 }));
        QCOMPARE(road.workers.count<QScoresWorker>(), 2);
        road.scores("", "Network error: Connection closed");
        QCOMPARE(StatusText(road.view, 0), "[ 1 : 0 ] 10'");
        road.view.UpdatePrices();
        road.prices("1");
        QCOMPARE(RowIds(road.view), QStringList { "1.1" });
        road.scores("901:2-0'20");
        QCOMPARE(StatusText(road.view, 0), "[ 2 : 0 ] 20'");

        // A horse race has no scores to ask for.
        Road horses;
        horses.search(QJsonObject(), "1 sport=7");
        horses.view.UpdatePrices();
        horses.prices("1 sport=7");
        QCOMPARE(horses.workers.count<QScoresWorker>(), 0);
    }

    // The real workers against the local exchange: the scores request names
    // the sports shown; profit and loss only for the markets with orders,
    // written on their selections; one NotifyDone when it is in.
    void againstTheExchange()
    {
        HttpTestServer server;
        FakeExchange exchange(server);
        const QString markets = "1 r2.matched=5; 2; 3 sport=7 r1.unmatched=2";
        exchange.setMarkets(Catalogue(markets));
        exchange.setBooks(Books(markets));
        exchange.setScores(InPlay("901:0-0'3"));
        exchange.setProfitAndLoss({ QJsonObject { { "marketId", "1.1" },
                                        { "profitAndLosses",
                                            QJsonArray { QJsonObject { { "selectionId", 12 }, { "ifWin", 12.5 }, { "ifLose", -5 } },
                                                QJsonObject { { "selectionId", 11 }, { "ifWin", -3 }, { "ifLose", 0 } } } } },
            QJsonObject { { "marketId", "1.2" },
                { "profitAndLosses", QJsonArray { QJsonObject { { "selectionId", 21 }, { "ifWin", 7 } } } } } });
        QBetFair::SessionToken = "session";
        Road road;
        road.workers.release = true;
        road.view.Search({ { "eventTypeIds", QJsonArray { "1", "7" } } });
        QVERIFY(road.done.wait(Patience));
        QCOMPARE(road.doneCounts(), QList<int> { 3 });
        QCOMPARE(road.log.filter("P/L"), QStringList { "I Retreiving P/L for 2 markets" });
        QStringList plAsked;
        QString scoresQuery;
        for (const RecordedRequest& request : server.requests()) {
            if (request.rpcMethod().endsWith("listMarketProfitAndLoss"))
                plAsked += Params(request).value("marketIds").toVariant().toStringList();
            if (request.path().endsWith("eventsInPlay"))
                scoresQuery = request.query().queryItemValue("eventTypeIds");
        }
        QCOMPARE(plAsked, (QStringList { "1.1", "1.3" }));
        QCOMPARE(scoresQuery, "1");
        QMarket* market = road.view.Market(0);
        QCOMPARE(market->Selection(12)->CellData(QSearcher::ColStatus, Qt::DisplayRole).toString(), "+12.50");
        QCOMPARE(market->Selection(11)->CellData(QSearcher::ColStatus, Qt::DisplayRole).toString(), "-3.00");
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(road.view, 0), "[ 0 : 0 ] 3'", Patience);
        QBetFair::SessionToken.clear();
    }

    // A failing profit-and-loss request ends the pass with NotifyDone(0).
    void profitAndLossFails()
    {
        Road road;
        road.search(QJsonObject(), "1 r1.matched=2");
        QVERIFY(road.done.isEmpty());
        emit road.workers.last<QMarketPLGetter>()->Done(QString("TOO_MUCH_DATA"));
        QCOMPARE(road.doneCounts(), QList<int> { 0 });
        QCOMPARE(road.log.last(), "E TOO_MUCH_DATA");
    }

    // The view may go while a worker it started waits for the exchange: the
    // worker ends with it and releases itself, once.
    void viewGoesMidRequest_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("requests");
        QTest::newRow("scores before the search") << "scores" << 1;
        QTest::newRow("catalogue, both exchanges") << "catalogue" << 2;
        QTest::newRow("prices") << "prices" << 1;
        QTest::newRow("profit and loss") << "pl" << 1;
    }

    void viewGoesMidRequest()
    {
        QFETCH(QString, step);
        QFETCH(int, requests);
        HttpTestServer server;
        LocalExchange exchange(server);
        server.setFallbackReply(ScriptedReply::text("{}", "application/json").held());
        QBetFair::SessionToken = "session";
        auto road = std::make_unique<Road>();
        if (step == "scores" || step == "catalogue") {
            road->workers.release = true;
            road->view.Search(step == "scores" ? Minute60 : QJsonObject());
        } else if (step == "prices") {
            road->search(QJsonObject(), "1");
            road->workers.release = true;
            road->view.UpdatePrices();
        } else {
            road->search(QJsonObject(), "1 r1.matched=2");
            road->workers.starts.last()();
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), requests, Patience);
        const QPointer<QActionWorker> waiting = road->workers.made.last();
        QVERIFY(waiting && !waiting->IsEnded());
        // From here on the seam deletes no worker: the program must.
        road->workers.made.clear();
        road.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(waiting.isNull());
        QBetFair::SessionToken.clear();
    }
};

QTEST_MAIN(tst_ScoresAndPL)
#include "tst_scoresandpl.moc"
