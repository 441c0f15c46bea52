#include "QSearcher.h"

void QSearcher::Search(const QJsonObject&) { }
void QSearcher::Update(bool) { }
void QSearcher::startSearching() { }
void QSearcher::FoundMarkets(const QJsonArray&) { }
void QSearcher::SearchDone(const QString&) { }
void QSearcher::UpdatePrices() { }
void QSearcher::handlePricesUpdate(const QJsonArray&) { }
void QSearcher::priceUpdateDone(const QString&) { }
void QSearcher::showUpdateResults() { }
void QSearcher::SearchError(const QString&) { }

void QSearcher::NotifiedDone(int)
{
    setUpdatesEnabled(true);
}
