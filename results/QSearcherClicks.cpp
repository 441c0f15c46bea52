#include "QSearcher.h"

// Clicks, the market menu and charts are not built yet; expanding and
// collapsing are.

void QSearcher::clicked(const QModelIndex&) { }

void QSearcher::doubleClicked(const QModelIndex&) { }

void QSearcher::mouseMoveEvent(QMouseEvent* event)
{
    QTreeView::mouseMoveEvent(event);
}

void QSearcher::contextMenu(const QPoint&) { }

void QSearcher::GoToBetFair() { }

void QSearcher::AddCharts()
{
    emit ActionDone();
}

void QSearcher::ShowSilks(const QString&, const QJsonObject&) { }

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
