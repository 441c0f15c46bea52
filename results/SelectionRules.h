#pragma once

#include <QString>

class QMarket;
class QSelection;

// Whether a selection rule of the main window's select list ("Favs",
// "Losers", "Home", "Away", "Draw", "MinV", "MaxV", "Matched",
// "UnmatchedBets", "MatchedBets", "All"; codes compared case-sensitively)
// ticks a selection of a market. Any other code ticks nothing; a withdrawn
// runner is never ticked.
bool RuleTicks(const QString& rule, const QSelection& selection, const QMarket& market, bool teamSport);
