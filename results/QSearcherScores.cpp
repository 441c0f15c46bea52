#include "QSearcher.h"

// In-play scores and profit and loss are not built yet: a search goes
// straight to the catalogue and a price pass ends without them.

bool QSearcher::FollowPrices()
{
    return false;
}

void QSearcher::handleScores(const QJsonArray&) { }

void QSearcher::ScoresDone(const QString& error)
{
    SearchDone(error);
}

void QSearcher::updateScoresToMarkets(const QString&) { }

void QSearcher::GetPL(const QStringList&) { }

void QSearcher::handleGetPL(const QJsonArray&) { }

void QSearcher::getPLDone(const QString&) { }
