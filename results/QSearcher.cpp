#include "QSearcher.h"

#include "BookConditions.h"
#include "QActionWorker.h"
#include "QChartedTreeItem.h"
#include "QMarket.h"
#include "QSearcherModel.h"
#include "QSelection.h"
#include "SettingsStore.h"

#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QSettings>

namespace {

// The header's layout, outside the group of the settings page's column boxes.
const QString HeaderStateKey = QStringLiteral("Columns");

} // namespace

const QList<int> QSearcher::ScoreSports { 1 };
QSearcher::WorkerHook QSearcher::workerHook;

QSearcher::QSearcher(QWidget* parent)
    : QTreeView(parent)
    , model(std::make_unique<QSearcherModel>())
    , barDelegate(std::make_unique<QChartedTreeItem>())
{
    LanguageChanged();

    setModel(model.get());
    setItemDelegateForColumn(ColVolume, barDelegate.get());
    model->setSortRole(SortRole);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &QSearcher::contextMenu);

    marketMenu = new QMenu(this);
    QAction* open = marketMenu->addAction(QIcon(":/icons/betfair.png"), tr("Open market in browser"));
    connect(open, &QAction::triggered, this, &QSearcher::GoToBetFair);

    connect(this, &QAbstractItemView::doubleClicked, this, &QSearcher::doubleClicked);
    connect(this, &QAbstractItemView::clicked, this, &QSearcher::clicked);
    connect(model.get(), &QStandardItemModel::itemChanged, this, &QSearcher::itemChecked);
    connect(header(), &QHeaderView::sectionMoved, this, &QSearcher::sectionMoved);
    connect(header(), &QHeaderView::sortIndicatorChanged, this, &QSearcher::sortIndicatorChanged);
    connect(model.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this, &QSearcher::MarketsAboutToBeRemoved);
    connect(model.get(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { marketIndex.clear(); });
    // Last, so painting is back on before any receiver the main window adds.
    connect(this, &QSearcher::NotifyDone, this, &QSearcher::NotifiedDone);
}

QSearcher::~QSearcher()
{
    // The view lets go of the model and the delegate before they are deleted.
    ClearRows();
    setItemDelegateForColumn(ColVolume, nullptr);
    setModel(nullptr);
}

int QSearcher::Count() const
{
    return model->rowCount();
}

QStandardItem* QSearcher::MarketRow(int i) const
{
    return model->invisibleRootItem()->child(i, ColName);
}

QMarket* QSearcher::Market(int i) const
{
    return dynamic_cast<QMarket*>(MarketRow(i));
}

void QSearcher::SetWorkerHook(WorkerHook hook)
{
    workerHook = std::move(hook);
}

void QSearcher::setExpand(bool val)
{
    expand = val;
}

void QSearcher::setShowCharts(bool val)
{
    showCharts = val;
}

void QSearcher::setSaveOnSearch(bool val)
{
    saveOnSearch = val;
}

void QSearcher::setShowCountryFlags(bool val)
{
    showCountryFlags = val;
    model->setShowCountryFlags(val);
}

void QSearcher::setShowCountryName(bool val)
{
    showCountryName = val;
    model->setShowCountryName(val);
}

void QSearcher::setShowColumn(QSearcher::ColumnType col, bool show)
{
    columnsShown[col] = show;
    ColumnsChanged();
}

void QSearcher::setColumnColor(QSearcher::ColumnType col, const QColor& color)
{
    model->setColumnColor(col, color);
}

bool QSearcher::IsShown(ColumnType column)
{
    return columnsShown[column];
}

void QSearcher::ColumnsChanged()
{
    // Painting is left as it was found: a search may have it off.
    const bool painting = updatesEnabled();
    setUpdatesEnabled(false);
    for (const ColumnType column : { ColNumSelections, ColStatus, ColVolume, ColBackPrice, ColLayPrice, ColFarSP,
             ColNearSP, ColActualSP, ColMatched, ColUnmatched, ColSilks })
        setColumnHidden(column, !IsShown(column));
    setColumnHidden(ColName, false);
    setColumnHidden(ColTimeRank, false);
    setUpdatesEnabled(painting);
}

void QSearcher::resizeColumns()
{
    for (int section = 0; section < header()->count(); ++section) {
        if (section == ColNumSelections)
            setColumnWidth(section, 48);
        else
            resizeColumnToContents(section);
    }
}

void QSearcher::sectionMoved(int, int, int)
{
    SaveHeaderState();
}

void QSearcher::sortIndicatorChanged(int, Qt::SortOrder)
{
    SaveHeaderState();
}

void QSearcher::SaveHeaderState()
{
    if (QSettings* store = SettingsStore())
        store->setValue(HeaderStateKey, header()->saveState());
}

void QSearcher::RestoreHeaderState()
{
    if (const QSettings* store = SettingsStore())
        header()->restoreState(store->value(HeaderStateKey).toByteArray());
    // The restored state and the cleared model both decide what is hidden;
    // the show flags have the last word.
    ColumnsChanged();
}

void QSearcher::SetHeaderLabels()
{
    model->setHorizontalHeaderLabels({ tr("Market / Selection"), tr("Selections"), tr("Status / P/L"),
        tr("Start time / Rank"), tr("Volume"), tr("BACK"), tr("LAY"), tr("Far SP"), tr("Near SP"), tr("Actual SP"),
        tr("Matched"), tr("Unmatched"), tr("Silks") });
}

void QSearcher::LanguageChanged()
{
    SetHeaderLabels();
    ColumnsChanged();
    exportFilters = QStringList { tr("Text (*.txt)"), tr("Excel, CSV (*.csv)"), tr("XML (*.xml)") };
}

void QSearcher::setIncludeWithdrawns(bool val)
{
    includeWithdrawns = val;
    for (int row = 0; row < Count(); ++row)
        ApplyWithdrawnRows(MarketRow(row));
}

void QSearcher::ApplyWithdrawnRows(QStandardItem* market)
{
    const QModelIndex parent = market->index();
    for (int row = 0; row < market->rowCount(); ++row) {
        const auto* selection = dynamic_cast<const QSelection*>(market->child(row));
        if (selection && selection->IsWithdrawn())
            setRowHidden(row, parent, !includeWithdrawns);
    }
}

void QSearcher::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    painter->save();
    painter->setPen(QPen(QColor(184, 184, 184), 1, Qt::DotLine));
    painter->drawLine(option.rect.left(), option.rect.bottom(), option.rect.right(), option.rect.bottom());
    painter->restore();
}

void QSearcher::MarketsAboutToBeRemoved(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    for (int row = first; row <= last; ++row) {
        const QStandardItem* market = MarketRow(row);
        const auto found = market ? marketIndex.find(market->data(Qt::WhatsThisRole).toString()) : marketIndex.end();
        if (found != marketIndex.end() && found.value() == market)
            marketIndex.erase(found);
    }
}

void QSearcher::Launch(QActionWorker* worker, const WorkerStart& start, bool cancellable)
{
    // Even a worker that runs to its end stops with the view.
    worker->EndWith(this);
    if (cancellable)
        connect(this, &QSearcher::Cancel, worker, &QActionWorker::Cancel);
    if (workerHook)
        workerHook(worker, start);
    else
        start();
}
