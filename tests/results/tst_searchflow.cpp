#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QLog.h"
#include "QMarket.h"
#include "QPriceUpdater.h"
#include "QSearchWorker.h"
#include "QSelection.h"
#include "QStatus.h"
#include "ResultsFlow.h"
#include "ResultsView.h"

#include "common/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QPointer>
#include <QtTest>

namespace {

// A catalogue record: market "1.<n>", start n minutes after 10:00, three runners.
QJsonObject Record(int n, const QString& marketName = QStringLiteral("Match Odds"))
{
    QJsonArray runners;
    for (int r = 1; r <= 3; ++r)
        runners.append(QJsonObject { { "selectionId", n * 10 + r }, { "runnerName", QString("Runner %1").arg(r) },
            { "sortPriority", r } });
    return QJsonObject { { "marketId", QString("1.%1").arg(n) }, { "marketName", marketName },
        { "marketStartTime", QDateTime(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC).addSecs(60 * n).toString(Qt::ISODateWithMs) },
        { "description", QJsonObject { { "marketType", "MATCH_ODDS" } } },
        { "event", QJsonObject { { "id", QString::number(900 + n) }, { "name", QString("Event %1").arg(n) } } },
        { "eventType", QJsonObject { { "id", "1" } } }, { "runners", runners } };
}

QJsonArray Records(const QList<int>& markets)
{
    QJsonArray records;
    for (int n : markets)
        records.append(Record(n));
    return records;
}

// A market book: volume `matched`, runners with back prices 2, 3 and 6.
QJsonObject BookOf(const QString& marketId, double matched, const QString& thirdStatus = "ACTIVE")
{
    const int n = marketId.section('.', 1).toInt();
    QJsonArray runners;
    const double prices[] = { 2, 3, 6 };
    for (int r = 1; r <= 3; ++r) {
        const QJsonObject offer { { "price", prices[r - 1] }, { "size", 10 } };
        runners.append(QJsonObject { { "selectionId", n * 10 + r }, { "status", r == 3 ? thirdStatus : "ACTIVE" },
            { "totalMatched", matched / 3 }, { "ex", QJsonObject { { "availableToBack", QJsonArray { offer } } } } });
    }
    return QJsonObject { { "marketId", marketId }, { "status", "OPEN" }, { "numberOfWinners", 1 },
        { "totalMatched", matched }, { "runners", runners } };
}

QJsonArray Books(const QList<int>& markets)
{
    QJsonArray books;
    for (int n : markets)
        books.append(BookOf(QString("1.%1").arg(n), 100 * n));
    return books;
}

} // namespace

class tst_SearchFlow : public QObject
{
    Q_OBJECT

    struct Flow : SeamView<>
    {
        QSignalSpy done { &view, &QSearcher::NotifyDone };
        QSignalSpy found { &view, &QSearcher::NotifyFoundSelections };

        QSearchWorker* search(const QJsonObject& filter = { { "eventTypeIds", QJsonArray { "1" } } })
        {
            view.Search(filter);
            return workers.last<QSearchWorker>();
        }
        QPriceUpdater* prices() const { return workers.last<QPriceUpdater>(); }
        // A search that ends with the given markets shown, their books applied.
        void searchTo(const QList<int>& markets)
        {
            QSearchWorker* worker = search();
            emit worker->FoundMarkets(Records(markets));
            emit worker->Done(QString());
            emit prices()->Done(Books(markets));
            emit prices()->Done(QString());
        }
        QList<int> doneCounts() const
        {
            QList<int> counts;
            for (const auto& args : done)
                counts << args.at(0).toInt();
            return counts;
        }
    };

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QStatus::InitStatuses();
    }

    // Two catalogue replies (one market in both), two book batches: one
    // NotifyDone with the rows, the log in order, rows sorted as the header
    // says, painting back on.
    void searchThroughTheSeam()
    {
        Flow flow;
        flow.view.header()->setSortIndicator(QSearcher::ColVolume, Qt::DescendingOrder);
        QSearchWorker* worker = flow.search();
        QVERIFY(worker && flow.view.IsRunning());
        QVERIFY(!flow.view.updatesEnabled());
        emit worker->FoundMarkets(Records({ 1, 2, 3 }));
        emit worker->Info("2 markets starting at 10:05 could not be fetched: one request returns at most 200.");
        emit worker->FoundMarkets(Records({ 3, 4 }));
        QCOMPARE(flow.view.Count(), 4);
        emit worker->Done(QString());

        QPriceUpdater* updater = flow.prices();
        QVERIFY(updater);
        emit updater->Done(Books({ 1, 3 }));
        emit updater->Done(Books({ 2, 4 }));
        QVERIFY(flow.done.isEmpty());
        emit updater->Done(QString());

        QCOMPARE(flow.doneCounts(), QList<int> { 4 });
        QCOMPARE(flow.found.count(), 1);
        QVERIFY(!flow.view.IsRunning());
        QVERIFY(flow.view.updatesEnabled());
        QCOMPARE(RowIds(flow.view), (QStringList { "1.4", "1.3", "1.2", "1.1" }));
        QCOMPARE(flow.results.model().property("allMatched").toDouble(), 1000.0);
        QCOMPARE(static_cast<QStringList>(flow.log),
            (QStringList { "I Performing the search...", "I Retrieving markets information...",
                "I 2 markets starting at 10:05 could not be fetched: one request returns at most 200.",
                "I Got 4 intermediate result(s). Getting more info...", "I Search done. Displaying 4 markets" }));
        // The header as the program sets it, the columns as the options say.
        QCOMPARE(flow.results.model().headerData(QSearcher::ColBackPrice, Qt::Horizontal).toString(), "BACK");
        QCOMPARE(ShownColumns(flow.view), (QList<int> { 0, 2, 3, 4, 5, 6 }));
    }

    // What the user sees after a search: titles, statuses, books and ranks
    // on screen. TW_SHOT_DIR keeps the picture.
    void shownResults()
    {
        Flow flow;
        flow.view.setExpand(true);
        flow.view.setShowColumn(QSearcher::ColNumSelections, true);
        flow.view.resize(1100, 420);
        flow.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&flow.view));
        flow.searchTo({ 1, 2 });
        flow.view.Market(0)->Selection(12)->setCheckState(Qt::Checked);
        const QImage shot = flow.view.grab().toImage();
        if (!qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))
            shot.save(QDir(qEnvironmentVariable("TW_SHOT_DIR")).filePath("results_search_en.png"));
        const QModelIndex first = flow.view.MarketRow(0)->index();
        QVERIFY(flow.view.isExpanded(first));
        QCOMPARE(first.sibling(0, QSearcher::ColBackPrice).data().toString(), "100.00 %");
        QCOMPARE(first.sibling(0, QSearcher::ColStatus).data().toString(), "Open");
        QVERIFY(flow.view.visualRect(flow.results.model().index(2, QSearcher::ColTimeRank, first)).isValid());
    }

    void emptyCatalogue()
    {
        Flow flow;
        emit flow.search()->Done(QString());
        QCOMPARE(flow.doneCounts(), QList<int> { 0 });
        QCOMPARE(flow.log.last(), "W Nothing found. Please change your conditions or repeat the search later.");
        QCOMPARE(flow.workers.count<QPriceUpdater>(), 0);
        QVERIFY(flow.view.updatesEnabled() && !flow.view.IsRunning());
    }

    // A worker's error ends the pass with NotifyDone(0); rows that never had
    // their book tested are gone, those tested earlier stay.
    void errorsLeaveNoUntestedRow_data()
    {
        QTest::addColumn<bool>("atPrices");
        QTest::addColumn<QString>("error");
        QTest::newRow("catalogue error") << false << "Network error: Connection refused";
        QTest::newRow("nothing found") << false << "Nothing found";
        QTest::newRow("price error") << true << "Network error: Connection closed";
    }

    void errorsLeaveNoUntestedRow()
    {
        QFETCH(bool, atPrices);
        QFETCH(QString, error);
        Flow flow;
        QSearchWorker* worker = flow.search();
        emit worker->FoundMarkets(Records({ 1, 2, 3 }));
        if (atPrices) {
            emit worker->Done(QString());
            emit flow.prices()->Done(Books({ 2 }));
            emit flow.prices()->Done(error);
        } else {
            emit worker->Done(error);
        }
        QCOMPARE(flow.doneCounts(), QList<int> { 0 });
        QCOMPARE(flow.log.last(), "E " + error);
        QCOMPARE(RowIds(flow.view), atPrices ? QStringList { "1.2" } : QStringList());
        QVERIFY(flow.view.updatesEnabled());
    }

    // A market whose book the exchange no longer sends was never tested: the
    // search drops it; a refresh keeps a market tested before.
    void marketWithoutBook()
    {
        Flow flow;
        QSearchWorker* worker = flow.search();
        emit worker->FoundMarkets(Records({ 1, 2, 3 }));
        emit worker->Done(QString());
        emit flow.prices()->Done(Books({ 1, 3 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(RowIds(flow.view), (QStringList { "1.1", "1.3" }));
        flow.view.UpdatePrices();
        emit flow.prices()->Done(Books({ 3 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(RowIds(flow.view), (QStringList { "1.1", "1.3" }));
        QCOMPARE(flow.doneCounts(), (QList<int> { 2, 2 }));
    }

    // Esc during the prices: the worker ends "Cancelled", no untested row is left.
    void cancelDuringPrices()
    {
        Flow flow;
        QSearchWorker* worker = flow.search();
        emit worker->FoundMarkets(Records({ 1, 2, 3 }));
        emit worker->Done(QString());
        emit flow.prices()->Done(Books({ 3 }));
        emit flow.view.Cancel();
        QCOMPARE(flow.doneCounts(), QList<int> { 0 });
        QCOMPARE(flow.log.last(), "E Cancelled");
        QCOMPARE(RowIds(flow.view), QStringList { "1.3" });
        QVERIFY(!flow.view.IsRunning());
    }

    // Signals of an earlier pass's worker, and late or repeated ones of the
    // current worker, change nothing.
    void staleSignals()
    {
        Flow flow;
        QPointer<QSearchWorker> first = flow.search();
        QSearchWorker* second = flow.search();
        QVERIFY(first.isNull() || first != second);
        if (first) {
            emit first->FoundMarkets(Records({ 7 }));
            emit first->Done(QString());
        }
        QCOMPARE(flow.view.Count(), 0);
        QVERIFY(flow.done.isEmpty());

        emit second->FoundMarkets(Records({ 1 }));
        emit second->Done(QString());
        emit second->FoundMarkets(Records({ 2 }));
        emit second->Done(QString());
        QCOMPARE(flow.workers.count<QPriceUpdater>(), 1);
        QPriceUpdater* updater = flow.prices();
        emit updater->Done(Books({ 1 }));
        emit updater->Done(QString());
        emit updater->Done(Books({ 1 }));
        emit updater->Done(QString("Network error: late"));
        QCOMPARE(flow.doneCounts(), QList<int> { 1 });
        QCOMPARE(RowIds(flow.view), QStringList { "1.1" });
        QVERIFY(!flow.log.last().startsWith("E"));
    }

    // A batch that arrives while the view is still inside the price
    // worker's request call (the throttle's wait).
    void batchInsideTheThrottleWait()
    {
        Flow flow;
        flow.workers.inside = [](QActionWorker* worker) {
            if (auto* updater = qobject_cast<QPriceUpdater*>(worker))
                emit updater->Done(Books({ 2 }));
        };
        QSearchWorker* worker = flow.search();
        emit worker->FoundMarkets(Records({ 1, 2 }));
        emit worker->Done(QString());
        QVERIFY(flow.view.Market(0) && flow.view.MarketRow(1));
        QCOMPARE(flow.view.Market(1)->CellData(QSearcher::ColVolume, QSearcher::SortRole).toDouble(), 200.0);
        emit flow.prices()->Done(Books({ 1 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(flow.doneCounts(), QList<int> { 2 });
    }

    // A refresh asked for during a pass runs once, after that pass's NotifyDone.
    void refreshDuringAPass()
    {
        Flow flow;
        QSearchWorker* worker = flow.search();
        emit worker->FoundMarkets(Records({ 1, 2 }));
        emit worker->Done(QString());
        for (int i = 0; i < 3; ++i)
            flow.view.UpdatePrices();
        QCOMPARE(flow.workers.count<QPriceUpdater>(), 1);
        QObject::connect(&flow.view, &QSearcher::NotifyDone, [&flow] {
            // Over by the time the receivers hear of it.
            QVERIFY(!flow.view.IsRunning());
        });
        emit flow.prices()->Done(Books({ 1, 2 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(flow.doneCounts(), QList<int> { 2 });
        QCOMPARE(flow.workers.count<QPriceUpdater>(), 2);
        QVERIFY(flow.view.IsRunning());
        emit flow.prices()->Done(Books({ 1, 2 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(flow.doneCounts(), (QList<int> { 2, 2 }));
        QCOMPARE(flow.workers.count<QPriceUpdater>(), 2);
        // A refresh logs no end-of-search line.
        QCOMPARE(flow.log.filter("Search done").size(), 1);
    }

    // A refresh with no rows does nothing at all.
    void refreshWithoutRows()
    {
        Flow flow;
        flow.view.UpdatePrices();
        QVERIFY(flow.workers.made.isEmpty() && flow.done.isEmpty() && !flow.view.IsRunning());
    }

    // A repeated search (Reload) with the kept filter: rows rebuilt, no end line.
    void updateTrue()
    {
        Flow flow;
        flow.view.setExpand(true);
        flow.searchTo({ 1, 2 });
        flow.log.clear();
        flow.view.Update(true);
        QCOMPARE(flow.view.Count(), 0);
        QSearchWorker* worker = flow.workers.last<QSearchWorker>();
        QVERIFY(worker && flow.workers.count<QSearchWorker>() == 2);
        emit worker->FoundMarkets(Records({ 2 }));
        emit worker->Done(QString());
        emit flow.prices()->Done(Books({ 2 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(flow.doneCounts(), (QList<int> { 2, 1 }));
        QCOMPARE(flow.log.filter("Search done").size(), 0);
        QVERIFY(!flow.view.isExpanded(flow.view.MarketRow(0)->index()));
    }

    // The stored header state comes back at each search; the column options
    // then have the last word, and an indicator outside the columns sorts
    // by start time.
    void headerStateRestored()
    {
        Flow flow;
        flow.view.setShowColumn(QSearcher::ColMatched, true);
        flow.view.header()->moveSection(QSearcher::ColLayPrice, 1);
        flow.view.header()->setSortIndicator(-1, Qt::DescendingOrder);
        flow.view.setShowColumn(QSearcher::ColMatched, false);
        flow.search();
        QCOMPARE(flow.view.header()->visualIndex(QSearcher::ColLayPrice), 1);
        QVERIFY(flow.view.isColumnHidden(QSearcher::ColMatched));
        emit flow.workers.last<QSearchWorker>()->FoundMarkets(Records({ 3, 1, 2 }));
        emit flow.workers.last<QSearchWorker>()->Done(QString());
        emit flow.prices()->Done(Books({ 1, 2, 3 }));
        emit flow.prices()->Done(QString());
        QCOMPARE(RowIds(flow.view), (QStringList { "1.1", "1.2", "1.3" }));
        QCOMPARE(flow.view.header()->sortIndicatorSection(), int(QSearcher::ColTimeRank));
    }

    // Names tested against the catalogue: event name by market name or place.
    void nameConditions()
    {
        Flow flow;
        QJsonObject filter { { "eventName", QJsonObject { { "text", "event 2" }, { "contains", true } } },
            { "marketName", QJsonObject { { "text", "Match Odds" } } } };
        QJsonArray records = Records({ 1, 2, 3 });
        QJsonObject venueless = records.at(0).toObject();
        venueless["marketName"] = "Winner of event 2 or not";
        records[0] = venueless;
        flow.view.Search(filter);
        emit flow.workers.last<QSearchWorker>()->FoundMarkets(records);
        QCOMPARE(RowIds(flow.view), QStringList { "1.2" });
    }

    // A withdrawn runner's tick taken away during a pass is told once, at its end.
    void tickTakenByWithdrawal()
    {
        Flow flow;
        flow.searchTo({ 1 });
        QMarket* market = flow.view.Market(0);
        market->Selection(13)->setCheckState(Qt::Checked);
        QSignalSpy checked(&flow.view, &QSearcher::NotifyCheckedChanged);
        flow.view.UpdatePrices();
        emit flow.prices()->Done(QJsonArray { BookOf("1.1", 300, "REMOVED") });
        QVERIFY(checked.isEmpty());
        emit flow.prices()->Done(QString());
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.at(0).at(0).toInt(), 0);
        const int row = market->Selection(13)->row();
        QVERIFY(!flow.view.isRowHidden(row, market->index()));
        // Hidden at once when withdrawn rows are not wanted.
        flow.view.setIncludeWithdrawns(false);
        QVERIFY(flow.view.isRowHidden(row, market->index()));
    }

    void saveOnSearch()
    {
        Flow flow;
        QSignalSpy save(&flow.view, &QSearcher::NotifyNeedSave);
        flow.search();
        flow.view.setSaveOnSearch(true);
        flow.search();
        QCOMPARE(save.count(), 1);
    }

    // What the price request asks for: traded volumes for a last-price
    // condition, starting prices for an SP condition or a shown SP column.
    void priceRequestFlags_data()
    {
        QTest::addColumn<QJsonObject>("filter");
        QTest::addColumn<int>("shownColumn");
        QTest::addColumn<QStringList>("priceData");
        const QStringList best { "EX_BEST_OFFERS" };
        QTest::newRow("nothing more") << QJsonObject() << -1 << best;
        QTest::newRow("last price") << QJsonObject { { "sel", QJsonArray { QJsonObject { { "sel", "any" }, { "lastPrice", QJsonObject() } } } } }
                                    << -1 << QStringList { "EX_BEST_OFFERS", "EX_TRADED" };
        QTest::newRow("near SP condition") << QJsonObject { { "sel", QJsonArray { QJsonObject { { "sel", "fav" }, { "nearSP", QJsonObject() } } } } }
                                           << -1 << QStringList { "EX_BEST_OFFERS", "SP_AVAILABLE" };
        QTest::newRow("back price only") << QJsonObject { { "sel", QJsonArray { QJsonObject { { "backPrice", QJsonObject() } } } } }
                                         << -1 << best;
        for (int column : { QSearcher::ColFarSP, QSearcher::ColNearSP, QSearcher::ColActualSP })
            QTest::addRow("SP column %d", column) << QJsonObject() << column << QStringList { "EX_BEST_OFFERS", "SP_AVAILABLE" };
        QTest::newRow("matched column") << QJsonObject() << int(QSearcher::ColMatched) << best;
    }

    void priceRequestFlags()
    {
        QFETCH(QJsonObject, filter);
        QFETCH(int, shownColumn);
        QFETCH(QStringList, priceData);
        HttpTestServer server;
        LocalExchange exchange(server);
        QBetFair::SessionToken = "session";
        server.setRpcReply(LocalExchange::bettingPath("api"), "SportsAPING/v1.0/listMarketBook",
            ScriptedReply::rpcResult(QJsonArray()));
        Flow flow;
        if (shownColumn >= 0)
            flow.view.setShowColumn(QSearcher::ColumnType(shownColumn), true);
        flow.view.Search(filter);
        emit flow.workers.last<QSearchWorker>()->FoundMarkets(Records({ 1 }));
        flow.workers.release = true;
        emit flow.workers.last<QSearchWorker>()->Done(QString());
        QVERIFY(flow.done.wait(Patience));
        const auto requests = server.requests();
        const auto book = std::find_if(requests.cbegin(), requests.cend(),
            [](const RecordedRequest& request) { return request.rpcMethod().endsWith("listMarketBook"); });
        QVERIFY(book != requests.cend());
        const QJsonObject params = book->json()["params"].toObject();
        QCOMPARE(params["priceProjection"]["priceData"].toVariant().toStringList(), priceData);
        QBetFair::SessionToken.clear();
    }

    // Runner metadata is asked for when the Silks column shows, or the
    // template asks for it.
    void silksRewrite_data()
    {
        QTest::addColumn<bool>("column");
        QTest::addColumn<QJsonValue>("templateSilks");
        QTest::addColumn<bool>("asked");
        QTest::newRow("column shown") << true << QJsonValue() << true;
        QTest::newRow("column shown, template false") << true << QJsonValue(false) << true;
        QTest::newRow("template only") << false << QJsonValue(true) << true;
        QTest::newRow("neither") << false << QJsonValue(false) << false;
        QTest::newRow("no key") << false << QJsonValue() << false;
    }

    void silksRewrite()
    {
        QFETCH(bool, column);
        QFETCH(QJsonValue, templateSilks);
        HttpTestServer server;
        LocalExchange exchange(server);
        QBetFair::SessionToken = "session";
        const QJsonObject range { { "from", "2030-01-01T10:00:00.000Z" }, { "to", "2030-01-01T10:01:00.000Z" } };
        server.setRpcReply(LocalExchange::bettingPath("api"), "SportsAPING/v1.0/listTimeRanges",
            ScriptedReply::rpcResult(QJsonArray { QJsonObject { { "timeRange", range }, { "marketCount", 1 } } }));
        server.setRpcReply(LocalExchange::bettingPath("api"), "SportsAPING/v1.0/listMarketCatalogue",
            ScriptedReply::rpcResult(QJsonArray()));
        TempSettings settings;
        ResultsView results;
        QSignalSpy done(&results.view, &QSearcher::NotifyDone);
        results.view.setShowColumn(QSearcher::ColSilks, column);
        QJsonObject filter { { "marketCountries", QJsonArray { "GB" } } };
        if (!templateSilks.isUndefined())
            filter["silks"] = templateSilks;
        results.view.Search(filter);
        QVERIFY(done.wait(Patience));
        const QJsonArray projection = server.lastRequest().json().value("params")["marketProjection"].toArray();
        QCOMPARE(projection.contains("RUNNER_METADATA"), FETCH(bool, asked));
        QBetFair::SessionToken.clear();
    }
};

QTEST_MAIN(tst_SearchFlow)
#include "tst_searchflow.moc"
