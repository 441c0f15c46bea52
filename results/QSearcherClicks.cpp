#include "QSearcher.h"

#include "QBetFair.h"
#include "QCatalog.h"
#include "QLog.h"
#include "QMarket.h"
#include "QSearcherModel.h"
#include "QSilksTooltip.h"
#include "QSportsCatalog.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

namespace {

// "<market> - <runner>" in one pass: a name holding "%1" stays as it is.
QString ChartTitle(const QModelIndex& market, const QModelIndex& selection)
{
    return QStringLiteral("%1 - %2").arg(market.data(Qt::DisplayRole).toString(),
        selection.data(Qt::DisplayRole).toString());
}

bool IsChartColumn(int column)
{
    return column == QSearcher::ColBackPrice || column == QSearcher::ColLayPrice;
}

} // namespace

void QSearcher::clicked(const QModelIndex& index)
{
    if (!QSearcherModel::IsSelectionRow(index))
        return;
    const QModelIndex idx0 = index.sibling(index.row(), ColName);
    if (showCharts && IsChartColumn(index.column())) {
        // Shift alone adds the chart to those shown; anything else replaces them.
        const bool add = QGuiApplication::keyboardModifiers() == Qt::ShiftModifier;
        const QModelIndex market = idx0.parent();
        emit ShowChart(market.data(Qt::WhatsThisRole).toString(), idx0.data(Qt::WhatsThisRole).toLongLong(),
            ChartTitle(market, idx0), add);
    } else if (index.column() == ColSilks) {
        ShowSilks(idx0.data(Qt::DisplayRole).toString(), index.data(KindRole).toJsonObject());
    }
}

void QSearcher::doubleClicked(const QModelIndex& index)
{
    if (!index.isValid() || QSearcherModel::IsSelectionRow(index))
        return;
    // Column 0 is toggled by the tree view itself.
    if (index.column() > ColName) {
        const QModelIndex idx0 = index.sibling(index.row(), ColName);
        setExpanded(idx0, !isExpanded(idx0));
    }
}

// The tree view's own handling (drag selection, entered items) is left out
// on purpose: a click here means a chart, not a selection.
void QSearcher::mouseMoveEvent(QMouseEvent* event)
{
    if (!showCharts)
        return;
    const QPoint pos = event->localPos().toPoint();
    const QModelIndex index = indexAt(pos);
    const bool chart = QSearcherModel::IsSelectionRow(index) && IsChartColumn(columnAt(pos.x()));
    setCursor(chart ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void QSearcher::contextMenu(const QPoint& point)
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return;
    QStandardItem* item = model->itemFromIndex(index);
    if (!item)
        return;
    if (item->parent())
        item = item->parent();
    const QVariant eventType = item->data(EventTypeRole);
    if (eventType.isNull())
        return;
    const QString code = QString::number(eventType.toInt());
    marketMenu->setProperty("marketID", item->data(Qt::WhatsThisRole).toString());
    marketMenu->setProperty("sport", QCatalog::sports ? QCatalog::sports->Name(code, false) : code);
    marketMenu->popup(viewport()->mapToGlobal(point));
}

void QSearcher::GoToBetFair()
{
    const QString marketID = marketMenu->property("marketID").toString();
    const QString sport = marketMenu->property("sport").toString();
    if (marketID.isEmpty() || sport.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl(QBetFair::MarketUrl(marketID, sport), QUrl::TolerantMode));
}

void QSearcher::AddCharts()
{
    int count = 0;
    for (int row = 0; row < Count(); ++row) {
        QMarket* market = Market(row);
        if (!market || market->CheckedCount() <= 0 || !market->hasChildren())
            continue;
        const QModelIndex marketIndex = market->index();
        for (int child = 0; child < market->rowCount(); ++child) {
            const QStandardItem* selection = market->child(child, ColName);
            if (!selection || selection->data(Qt::CheckStateRole).toInt() != Qt::Checked)
                continue;
            emit ShowChart(market->data(Qt::WhatsThisRole).toString(),
                selection->data(Qt::WhatsThisRole).toLongLong(), ChartTitle(marketIndex, selection->index()), true);
            ++count;
        }
    }
    if (count > 0)
        QLog::Write(QLog::QLogType::Info, tr("Added %n chart(s).", nullptr, count));
}

void QSearcher::ShowSilks(const QString& name, const QJsonObject& data)
{
    auto* tooltip = new QSilksTooltip(nullptr, name, data);
    tooltip->move(QCursor::pos() + QPoint(16, 0));
    tooltip->show();
}

void QSearcher::expandAll()
{
    const bool painting = updatesEnabled();
    setUpdatesEnabled(false);
    QTreeView::expandAll();
    setUpdatesEnabled(painting);
}

void QSearcher::collapseAll()
{
    const bool painting = updatesEnabled();
    setUpdatesEnabled(false);
    QTreeView::collapseAll();
    setUpdatesEnabled(painting);
}
