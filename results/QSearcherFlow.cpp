#include "QSearcher.h"

#include "BookConditions.h"
#include "QLog.h"
#include "QMarket.h"
#include "QPriceUpdater.h"
#include "QSearchWorker.h"
#include "QSearcherModel.h"

#include <QHeaderView>
#include <QPointer>

// One pass at a time: a search (Search, Update) or a price refresh
// (UpdatePrices) runs from BeginPass to EndPass, which emits its one
// NotifyDone. Each worker's signals reach the view only while the pass and
// the step that wired it are current (ConnectStep).

void QSearcher::BeginPass(Stage first)
{
    const bool superseded = IsRunning();
    ++passSerial;
    stage = first;
    bookConditions.reset();
    // The workers of a pass given up are stopped; their ends are ignored.
    if (superseded)
        emit Cancel();
}

void QSearcher::EnterStage(Stage next)
{
    stage = next;
}

void QSearcher::EndPass(int count)
{
    stage = Stage::Idle;
    if (checkedCountStale) {
        checkedCountStale = false;
        UpdateCheckedCount();
    }
    emit NotifyDone(count);
    // A refresh asked for while the pass ran (bets placed meanwhile, say).
    if (refreshPending && !IsRunning()) {
        refreshPending = false;
        UpdatePrices();
    }
}

void QSearcher::LogInfo(const QString& text)
{
    QLog::Write(QLog::QLogType::Info, text);
}

void QSearcher::Search(const QJsonObject& data)
{
    if (saveOnSearch)
        emit NotifyNeedSave();
    searchData = data;
    const bool silks = IsShown(ColSilks) || data.value(QLatin1String("silks")).toBool();
    searchData.insert(QStringLiteral("silks"), silks);
    Update(false);
}

void QSearcher::Update(bool update)
{
    updating = update;
    BeginPass(Stage::Catalogue);
    ClearRows();
    setUpdatesEnabled(false);
    SetHeaderLabels();
    RestoreHeaderState();
    emit NotifyStartingSearch();
    QLog::Write(QLog::QLogType::Info, tr("Performing the search..."));
    foundSelections = 0;
    if (searchData.contains(QLatin1String("scores")) || searchData.contains(QLatin1String("minute"))) {
        eventScores.clear();
        eventMinutes.clear();
        QLog::Write(QLog::QLogType::Info, tr("Gettings scores info..."));
        StartScores(true);
        return;
    }
    startSearching();
}

void QSearcher::startSearching()
{
    QLog::Write(QLog::QLogType::Info, tr("Retrieving markets information..."));
    EnterStage(Stage::Catalogue);
    auto* worker = new QSearchWorker(searchData);
    ConnectStep(worker, &QSearchWorker::FoundMarkets, &QSearcher::FoundMarkets);
    ConnectStep(worker, &QActionWorker::Done, &QSearcher::SearchDone);
    // A minute holding more markets than one request returns is reported here.
    ConnectStep(worker, &QActionWorker::Info, &QSearcher::LogInfo);
    Launch(worker, [searching = QPointer<QSearchWorker>(worker)] {
        if (searching)
            searching->Search();
    });
}

void QSearcher::FoundMarkets(const QJsonArray& v)
{
    const bool byEvent = searchData.contains(QLatin1String("eventName"));
    const QJsonObject eventName = searchData.value(QLatin1String("eventName")).toObject();
    const bool byMarket = searchData.contains(QLatin1String("marketName"));
    const QJsonObject marketCondition = searchData.value(QLatin1String("marketName")).toObject();
    for (const QJsonValue& entry : v) {
        const QJsonObject market = entry.toObject();
        const QJsonObject event = market.value(QLatin1String("event")).toObject();
        const QJsonValue venue = event.value(QLatin1String("venue"));
        const QString place
            = (venue.isUndefined() || venue.isNull() ? event.value(QLatin1String("name")) : venue).toString();
        const QString marketName = market.value(QLatin1String("marketName")).toString();
        if (byEvent && !MatchText(eventName, marketName) && !MatchText(eventName, place))
            continue;
        if (byMarket && !MatchText(marketCondition, marketName))
            continue;
        // Two windows sharing a boundary minute both list its markets.
        const QString id = market.value(QLatin1String("marketId")).toString();
        if (MarketById(id))
            continue;
        auto* row = new QMarket;
        row->setData(arrivals++, ArrivalRole);
        row->AppendTo(model->invisibleRootItem(), market);
        marketIndex.insert(id, row);
    }
}

void QSearcher::SearchDone(const QString& error)
{
    if (!error.isEmpty()) {
        SearchError(error);
        return;
    }
    if (Count() == 0) {
        QLog::Write(QLog::QLogType::Warning,
            tr("Nothing found. Please change your conditions or repeat the search later."));
        EndPass(0);
        return;
    }
    const QStringList ids = MarketIds();
    QLog::Write(QLog::QLogType::Info, tr("Got %n intermediate result(s). Getting more info...", nullptr, ids.size()));
    StartPriceUpdater(ids, true, true);
}

void QSearcher::UpdatePrices()
{
    if (IsRunning()) {
        refreshPending = true;
        return;
    }
    const QStringList ids = MarketIds();
    if (ids.isEmpty())
        return;
    updating = true;
    foundSelections = 0;
    BeginPass(Stage::Prices);
    StartPriceUpdater(ids, IsShown(ColMatched), IsShown(ColUnmatched));
}

bool QSearcher::PriceFlag(const QStringList& selectionKeys) const
{
    for (const QJsonValue& entry : searchData.value(QLatin1String("sel")).toArray()) {
        const QJsonObject condition = entry.toObject();
        for (const QString& key : selectionKeys) {
            if (condition.contains(key))
                return true;
        }
    }
    return false;
}

void QSearcher::StartPriceUpdater(const QStringList& ids, bool matched, bool unmatched)
{
    const bool traded = PriceFlag({ QStringLiteral("lastPrice") });
    const bool sp = PriceFlag({ QStringLiteral("nearSP"), QStringLiteral("farSP"), QStringLiteral("actualSP") })
        || IsShown(ColNearSP) || IsShown(ColFarSP) || IsShown(ColActualSP);
    EnterStage(Stage::Prices);
    auto* worker = new QPriceUpdater;
    ConnectStep(worker, qOverload<const QJsonArray&>(&QMarketBatchWorker::Done), &QSearcher::handlePricesUpdate);
    ConnectStep(worker, qOverload<const QString&>(&QActionWorker::Done), &QSearcher::priceUpdateDone);
    Launch(worker, [updater = QPointer<QPriceUpdater>(worker), ids, sp, traded, matched, unmatched] {
        if (updater)
            updater->UpdatePrices(ids, sp, traded, matched, unmatched);
    });
}

void QSearcher::priceUpdateDone(const QString& error)
{
    if (!error.isEmpty()) {
        SearchError(error);
        return;
    }
    // A market whose book never came was never tested: it is gone from the
    // exchange, and nothing untested may be ticked or bet on.
    RemoveMarkets();
    emit NotifyFoundSelections(foundSelections);
    if (Count() == 0 && !updating) {
        QLog::Write(QLog::QLogType::Warning,
            tr("Nothing found. Please change your conditions or reload the search later."));
    }
    if (Count() > 0 && FollowPrices())
        return;
    showUpdateResults();
    EndPass(Count());
}

void QSearcher::showUpdateResults()
{
    double total = 0;
    for (int row = 0; row < Count(); ++row)
        total += model->item(row, ColVolume) ? model->item(row, ColVolume)->data(SortRole).toDouble() : 0;
    model->setProperty("allMatched", total);
    if (!updating && Count() > 0)
        QLog::Write(QLog::QLogType::Info, tr("Search done. Displaying %n market(s)", nullptr, Count()));
    updateScoresToMarkets();

    setUpdatesEnabled(false);
    if (!updating && expand)
        expandAll();
    resizeColumns();
    const int section = header()->sortIndicatorSection();
    if (section >= 0 && section < ColumnCount)
        SortRows(section, header()->sortIndicatorOrder());
    else
        SortRows(ColTimeRank, Qt::AscendingOrder);
    setUpdatesEnabled(true);
}

void QSearcher::SortRows(int column, Qt::SortOrder order)
{
    // Sorted once: an unchanged indicator does not sort the view by itself,
    // a changed one does (when sorting is on).
    const bool unchanged = header()->sortIndicatorSection() == column && header()->sortIndicatorOrder() == order;
    if (unchanged || !isSortingEnabled())
        model->sort(column, order);
    header()->setSortIndicator(column, order);
}

void QSearcher::ClearRows()
{
    // Sorted rows are found again by a search from where each row last was
    // (Qt's cache of a row's place); taking them down so would cost a search
    // per cell, seconds on large results. Back in their order of arrival the
    // cache is right again.
    if (Count() > 1) {
        model->setSortRole(ArrivalRole);
        model->sort(ColName, Qt::AscendingOrder);
        model->setSortRole(SortRole);
    }
    model->clear();
    arrivals = 0;
}

void QSearcher::SearchError(const QString& error)
{
    QLog::Write(QLog::QLogType::Error, error);
    RemoveMarkets();
    EndPass(0);
}

void QSearcher::NotifiedDone(int)
{
    setUpdatesEnabled(true);
}

QStringList QSearcher::MarketIds() const
{
    QStringList ids;
    ids.reserve(Count());
    for (int row = 0; row < Count(); ++row)
        ids << MarketRow(row)->data(Qt::WhatsThisRole).toString();
    return ids;
}

QMarket* QSearcher::MarketById(const QString& marketId)
{
    if (marketIndex.size() != Count()) {
        marketIndex.clear();
        for (int row = 0; row < Count(); ++row)
            marketIndex.insert(MarketRow(row)->data(Qt::WhatsThisRole).toString(), MarketRow(row));
    }
    return dynamic_cast<QMarket*>(marketIndex.value(marketId));
}

void QSearcher::RemoveMarkets()
{
    const auto goes = [this](int row) {
        const QMarket* market = Market(row);
        return !market || market->IsFailed() || !market->IsTested();
    };
    // From the end, in runs: one removal per run, and no row before a run
    // has moved when it is taken out.
    int row = Count() - 1;
    while (row >= 0) {
        if (!goes(row)) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && goes(first - 1))
            --first;
        model->removeRows(first, row - first + 1);
        row = first - 1;
    }
}
