#pragma once

#include "QBetPlacer.h"

#include <QColor>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QPair>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <memory>

class BookConditions;
class QActionWorker;
class QChartedTreeItem;
class QMarket;
class QMenu;
class QSearcherModel;
class QStandardItem;

// The results view: one top-level row per market (a QMarket in column 0)
// with its selections (QSelection) as child rows, in thirteen columns.
//
// The view owns every results flow; each lives in a file of its own:
//   QSearcher.cpp          construction, columns, options, header layout
//   QSearcherMatch.cpp     number and text conditions
//   QSearcherFlow.cpp      search and price refresh, one pass at a time
//   QSearcherBooks.cpp     market books applied to the rows
//   QSearcherScores.cpp    in-play scores, profit and loss
//   QSearcherSelect.cpp    selection rules and checked counts
//   QSearcherBets.cpp      placing and cancelling bets
//   QSearcherExport.cpp    export to a file
//   QSearcherMail.cpp      e-mail of the ticked selections
//   QSearcherClicks.cpp    clicks, context menu, charts, browser
//
// Workers: every exchange worker the view makes is created with new and no
// parent, wired completely, connected to the view's Cancel(), and started
// through Launch(). Its signals reach the view through ConnectStep (or
// ConnectPass), so a worker of an earlier pass, or a signal that comes
// after the step it served has ended, is ignored. A test may take over the
// start of every worker with SetWorkerHook (see there).
class QSearcher : public QTreeView
{
    Q_OBJECT
    Q_DISABLE_COPY(QSearcher)

public:
    enum ColumnType {
        ColName = 0,
        ColNumSelections,
        ColStatus,
        ColTimeRank,
        ColVolume,
        ColBackPrice,
        ColLayPrice,
        ColFarSP,
        ColNearSP,
        ColActualSP,
        ColMatched,
        ColUnmatched,
        ColSilks,
    };
    Q_ENUM(ColumnType)
    static constexpr int ColumnCount = ColSilks + 1;

    // Item data roles of the result rows.
    enum Role {
        WinnersRole = Qt::UserRole,
        SortRole = Qt::UserRole + 100,
        WithdrawnCountRole = Qt::UserRole + 101,
        LastTradedRole = Qt::UserRole + 103,
        KindRole = Qt::UserRole + 104,
        EventTypeRole = Qt::UserRole + 105,
        EventRole = Qt::UserRole + 107,
        // On a market row's column 0: the order in which the rows came.
        ArrivalRole = Qt::UserRole + 110,
    };

    explicit QSearcher(QWidget* parent = nullptr);
    ~QSearcher() override;

    // Market rows.
    int Count() const;
    // Column 0 of top-level row i; null when i is out of range.
    QStandardItem* MarketRow(int i) const;
    // The same as a market item.
    QMarket* Market(int i) const;

    QSearcherModel* Model() const { return model.get(); }

    // True from the start of a search or refresh until its NotifyDone.
    bool IsRunning() const { return stage != Stage::Idle; }

    static bool MatchNumber(const QJsonObject& condition, double value);
    static bool MatchText(const QJsonObject& condition, const QString& value);

    // Event type ids whose events get in-play scores.
    static const QList<int> ScoreSports;

    // Test seam; empty in production. When set, each worker the view makes
    // is handed to the hook fully wired, in place of its request call: the
    // hook calls start() to send the real request, or keeps it back and
    // emits the worker's signals itself (Done included, which ends the
    // worker). Signals emitted from inside the hook arrive while the view is
    // still in the slot that made the worker, as replies do while a worker
    // waits in its request throttle.
    using WorkerStart = std::function<void()>;
    using WorkerHook = std::function<void(QActionWorker* worker, const WorkerStart& start)>;
    static void SetWorkerHook(WorkerHook hook);

signals:
    void NotifyDone(int count);
    void NotifyCheckedChanged(int count);
    void NotifyFoundSelections(int count);
    void NotifyNeedSave();
    void NotifyStartingSearch();
    void ActionDone();
    void StartBetting();
    void emailNeeded();
    void ManualSelection();
    void ShowChart(const QString& marketID, qlonglong selectionID, const QString& title, bool add);
    // The main window's cancel control; reaches the running workers.
    void Cancel();

public slots:
    // Options of the settings page.
    void setExpand(bool val);
    void setShowCharts(bool val);
    void setSaveOnSearch(bool val);
    void setShowCountryFlags(bool val);
    void setShowCountryName(bool val);
    void setIncludeWithdrawns(bool val);
    void setShowColumn(QSearcher::ColumnType col, bool show);
    void setColumnColor(QSearcher::ColumnType col, const QColor& color);

    void ColumnsChanged();
    void resizeColumns();
    void sectionMoved(int logicalIndex, int oldVisualIndex, int newVisualIndex);
    void sortIndicatorChanged(int logicalIndex, Qt::SortOrder order);
    void LanguageChanged();

    // Search and refresh.
    void Search(const QJsonObject& data);
    void Update(bool update);
    void startSearching();
    void FoundMarkets(const QJsonArray& v);
    void SearchDone(const QString& error);
    void UpdatePrices();
    void handlePricesUpdate(const QJsonArray& v);
    void priceUpdateDone(const QString& error);
    void showUpdateResults();
    void SearchError(const QString& error);
    void NotifiedDone(int count);

    // In-play scores, profit and loss.
    void handleScores(const QJsonArray& v);
    void ScoresDone(const QString& error);
    void updateScoresToMarkets(const QString& unused = QString());
    void GetPL(const QStringList& markets);
    void handleGetPL(const QJsonArray& v);
    void getPLDone(const QString& error);

    // Selection rules and checked counts.
    void Select(const QString& data);
    void UpdateCheckedCount();
    void itemChecked(QStandardItem* item);

    // Actions on the ticked selections; each ends with ActionDone().
    void Bet(bool Back, double Price, double Amount, QBetPlacer::AmountType type, int KeepCancelSP);
    void BetResult(const QString& id, const QString& name, bool Back, double Price, double Amount, double Matched,
        double MatchedPrice, const QString& Error);
    void BetsDone(const QString& error);
    void FundsReceived(const QString& wallet, double funds);
    void CancelBets(bool back, bool lay);
    void CancelBetsDone(const QString& result);
    void Export(bool includePrices, bool includeVolume, bool CV);
    void Mail(const QString& subject);
    void MailDone(const QString& error);

    // Clicks, menu, charts and browser.
    void clicked(const QModelIndex& index);
    void doubleClicked(const QModelIndex& index);
    void contextMenu(const QPoint& point);
    void GoToBetFair();
    void AddCharts();
    void expandAll();
    void collapseAll();
    void ShowSilks(const QString& name, const QJsonObject& data);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    template<typename T>
    struct Identity
    {
        using type = T;
    };

    // Where a pass stands. A stage-bound signal is taken only at the stage
    // it was wired for.
    enum class Stage { Idle, Scores, Catalogue, Prices, ProfitAndLoss };

    // Starts a pass: earlier workers' signals are ignored from here on.
    void BeginPass(Stage first);
    // Moves the running pass on; signals bound to the stage left are ignored.
    void EnterStage(Stage next);
    // Ends the running pass with its one NotifyDone(count), then runs a
    // price refresh asked for meanwhile.
    void EndPass(int count);

    // Connects a worker's signal to a slot of the view for the pass and
    // stage running now.
    template<typename Worker, typename Sender, typename... Args>
    void ConnectStep(Worker* worker, void (Sender::*signal)(Args...),
        void (QSearcher::*slot)(typename Identity<Args>::type...))
    {
        connectGuarded(worker, signal, slot, true);
    }
    // The same for a worker that runs beside the road: taken until the next
    // pass begins, whatever the stage.
    template<typename Worker, typename Sender, typename... Args>
    void ConnectPass(Worker* worker, void (Sender::*signal)(Args...),
        void (QSearcher::*slot)(typename Identity<Args>::type...))
    {
        connectGuarded(worker, signal, slot, false);
    }
    // Connects Cancel() to the worker unless it must run to its end (bets
    // placed or cancelled), then starts it (or hands it to the hook).
    void Launch(QActionWorker* worker, const WorkerStart& start, bool cancellable = true);

    // The checked count is sent again when the pass ends (a tick was
    // taken away without the hand-tick notice).
    void MarkCheckedCountStale() { checkedCountStale = true; }

    // The market row of an id; the lookup follows removals and is rebuilt
    // when rows were added by other means than the catalogue step.
    QMarket* MarketById(const QString& marketId);
    QStringList MarketIds() const;
    // Hides or shows the market's withdrawn selection rows by the option.
    void ApplyWithdrawnRows(QStandardItem* market);
    // Removes the market rows whose book failed the tests and those that
    // never had a book applied (a row keeps the mark from an earlier pass).
    void RemoveMarkets();
    // Whether the book of a market meets the filter's conditions on it.
    bool BookPasses(QMarket* market, const QJsonObject& book);
    // Starts what follows a successful price step with rows left (scores,
    // profit and loss); true when a worker started there ends the pass.
    bool FollowPrices();
    // The in-play scores: before a search (its end starts the catalogue
    // step) or, beside the road, for the sports of the rows shown.
    void StartScores(bool beforeSearch);

    bool expand = false;
    bool updating = false;
    bool showCountryFlags = true;
    bool showCountryName = true;
    bool showCharts = false;
    bool includeWithdrawns = true;
    bool saveOnSearch = false;
    QJsonObject searchData;
    QMenu* marketMenu = nullptr;
    std::unique_ptr<QSearcherModel> model;
    QHash<qint64, QPair<int, int>> eventScores;
    QHash<qint64, int> eventMinutes;
    int foundSelections = 0;
    QStringList exportFilters;
    QHash<ColumnType, bool> columnsShown;

private:
    template<typename Worker, typename Sender, typename... Args, typename... SlotArgs>
    void connectGuarded(Worker* worker, void (Sender::*signal)(Args...), void (QSearcher::*slot)(SlotArgs...),
        bool stageBound)
    {
        const quint64 pass = passSerial;
        const Stage at = stage;
        connect(worker, signal, this, [this, slot, pass, at, stageBound](Args... args) {
            if (pass == passSerial && (!stageBound || at == stage))
                (this->*slot)(args...);
        });
    }

    bool IsShown(ColumnType column);

    void SetHeaderLabels();
    void SaveHeaderState();
    void RestoreHeaderState();
    void MarketsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    bool PriceFlag(const QStringList& selectionKeys) const;
    void StartPriceUpdater(const QStringList& ids, bool matched, bool unmatched);
    void SortRows(int column, Qt::SortOrder order);
    void ClearRows();
    void LogInfo(const QString& text);

    std::unique_ptr<QChartedTreeItem> barDelegate;
    Stage stage = Stage::Idle;
    quint64 passSerial = 0;
    bool refreshPending = false;
    int arrivals = 0;
    bool checkedCountStale = false;
    QHash<QString, QStandardItem*> marketIndex;
    // The filter's conditions on books, read at the first book of a pass.
    std::unique_ptr<const BookConditions> bookConditions;
    // The bet action under way (placing or cancelling): it ends once.
    struct BetAction
    {
        quint64 serial = 0;
        bool running = false;
        int bets = 0;
        int reports = 0;
        int failures = 0;
    };
    BetAction betAction;
    void RequestFunds();

    static WorkerHook workerHook;
};
