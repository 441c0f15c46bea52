#include "QSearcher.h"

#include "BookConditions.h"
#include "QMarket.h"
#include "QSearcherModel.h"

void QSearcher::handlePricesUpdate(const QJsonArray& v)
{
    for (const QJsonValue& entry : v) {
        const QJsonObject book = entry.toObject();
        QMarket* market = MarketById(book.value(QLatin1String("marketId")).toString());
        if (!market || market->IsFailed())
            continue;
        market->Update(book);
        if (market->TakeDroppedTicks())
            MarkCheckedCountStale();
        ApplyWithdrawnRows(market);
        // A failed market is out of this pass and leaves the model when the
        // price step ends: rows taken out one by one from the middle of large
        // results leave Qt's cached row positions of all later rows stale,
        // and each later lookup searches.
        if (!BookPasses(market, book)) {
            market->SetFailed();
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
