#include "QSearcher.h"

#include "QMarket.h"

// Selection rules and ticks by hand are not built yet.

void QSearcher::Select(const QString&) { }

void QSearcher::itemChecked(QStandardItem*) { }

void QSearcher::UpdateCheckedCount()
{
    int count = 0;
    for (int row = 0; row < Count(); ++row) {
        if (QMarket* market = Market(row))
            count += market->CheckedCount();
    }
    emit NotifyCheckedChanged(count);
}
