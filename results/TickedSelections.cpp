#include "TickedSelections.h"

#include "QMarket.h"
#include "QSearcher.h"

QVector<TickedMarket> TickedSelections(const QSearcher& view)
{
    QVector<TickedMarket> ticked;
    for (int row = 0; row < view.Count(); ++row) {
        QMarket* market = view.Market(row);
        if (!market || market->CheckedCount() == 0)
            continue;
        TickedMarket entry { market, {} };
        for (int child = 0; child < market->rowCount(); ++child) {
            auto* selection = dynamic_cast<QSelection*>(market->child(child));
            if (selection && selection->checkState() == Qt::Checked)
                entry.selections.append(selection);
        }
        ticked.append(entry);
    }
    return ticked;
}

QVariant RowValue(const QStandardItem* item, int column, int role)
{
    return item->index().siblingAtColumn(column).data(role);
}
