#include "QSearcher.h"

// Betting from the results is not built yet: the actions panel is released
// at once, so it never stays disabled.

void QSearcher::Bet(bool, float, float, QBetPlacer::AmountType, int)
{
    emit ActionDone();
}

void QSearcher::BetResult(const QString&, const QString&, bool, float, float, float, float, const QString&) { }

void QSearcher::BetsDone(const QString&)
{
    emit ActionDone();
}

void QSearcher::FundsReceived(const QString&, double) { }

void QSearcher::CancelBets(bool, bool)
{
    emit ActionDone();
}

void QSearcher::CancelBetsDone(const QString&)
{
    emit ActionDone();
}
