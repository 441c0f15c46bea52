#include "QSearcher.h"

#include "QMarket.h"
#include "QSearcherModel.h"
#include "QSelection.h"
#include "QSportsCatalog.h"
#include "SelectionRules.h"

// Selection rules tick the rows for the actions; the count of ticked
// selections goes to the actions panel, a tick by hand to the main window.

void QSearcher::Select(const QString& data)
{
    if (data == QLatin1String("Manual"))
        return;
    // Off while the rule writes: the check notices of its writes are not
    // hand ticks. Left as found: a pass may have painting off.
    const bool painting = updatesEnabled();
    setUpdatesEnabled(false);
    for (int row = 0; row < Count(); ++row) {
        QMarket* market = Market(row);
        if (!market)
            continue;
        const bool team = QCatalog::sports && QCatalog::sports->IsTeamSport(market->EventTypeId());
        for (int child = 0; child < market->rowCount(); ++child) {
            auto* selection = dynamic_cast<QSelection*>(market->child(child));
            if (!selection)
                continue;
            const bool tick = RuleTicks(data, *selection, *market, team);
            selection->setData(int(tick ? Qt::Checked : Qt::Unchecked), Qt::CheckStateRole);
        }
        market->setData(int(QSearcherModel::SharedTick(*market)), Qt::CheckStateRole);
    }
    resizeColumns();
    ColumnsChanged();
    UpdateCheckedCount();
    setUpdatesEnabled(painting);
}

void QSearcher::itemChecked(QStandardItem* item)
{
    // Only the check notice (a null item) counts, and not while a rule writes.
    if (item || !updatesEnabled())
        return;
    UpdateCheckedCount();
    // A market with ticks has a bold title, which may need more room.
    resizeColumnToContents(ColName);
    emit ManualSelection();
}

void QSearcher::UpdateCheckedCount()
{
    int count = 0;
    for (int row = 0; row < Count(); ++row) {
        if (QMarket* market = Market(row))
            count += market->CheckedCount();
    }
    emit NotifyCheckedChanged(count);
}
