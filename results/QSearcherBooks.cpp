#include "QSearcher.h"

#include "QMarket.h"
#include "QSearcherModel.h"

void QSearcher::handlePricesUpdate(const QJsonArray& v)
{
    for (const QJsonValue& entry : v) {
        const QJsonObject book = entry.toObject();
        QMarket* market = MarketById(book.value(QLatin1String("marketId")).toString());
        if (!market)
            continue;
        market->Update(book);
        if (market->TakeDroppedTicks())
            MarkCheckedCountStale();
        ApplyWithdrawnRows(market);
        if (!BookPasses(market, book)) {
            model->removeRow(market->row());
            continue;
        }
        market->SetTested();
        foundSelections += market->MatchingCount();
    }
}

// The filter's conditions on a market book: none are tested yet, every
// book passes.
bool QSearcher::BookPasses(QMarket*, const QJsonObject&)
{
    return true;
}
