#include "QSearcher.h"

#include "BookConditions.h"
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

bool QSearcher::BookPasses(QMarket* market, const QJsonObject& book)
{
    if (!bookConditions)
        bookConditions = std::make_unique<const BookConditions>(searchData);
    return bookConditions->Passes(*market, book, eventScores);
}
