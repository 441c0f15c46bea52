#include "SelectionRules.h"

#include "QMarket.h"
#include "QSearcher.h"
#include "QSelection.h"

namespace {

constexpr int NoRank = 9999;
// A bet of less than a cent is no bet.
constexpr double Cent = 0.01;

// The last of the ranked: the rank equals the count of ranked selections.
bool LastRanked(int rank, int ranked)
{
    return rank != NoRank && rank > 0 && rank == ranked;
}

} // namespace

bool RuleTicks(const QString& rule, const QSelection& selection, const QMarket& market, bool teamSport)
{
    if (selection.IsWithdrawn() || !selection.isEnabled())
        return false;
    const auto teamRunner = [&](int priority) {
        return teamSport && market.data(QSearcher::KindRole).toString() == QLatin1String("MATCH_ODDS")
            && selection.data(QSearcher::SortRole).toInt() == priority;
    };
    const auto amount = [&selection](QSearcher::ColumnType column) {
        return selection.CellData(column, QSearcher::SortRole).toDouble();
    };
    if (rule == QLatin1String("Favs"))
        return selection.Rank() == 1;
    if (rule == QLatin1String("Losers"))
        return LastRanked(selection.Rank(), market.BackRankedCount());
    if (rule == QLatin1String("Home"))
        return teamRunner(1);
    if (rule == QLatin1String("Away"))
        return teamRunner(2);
    if (rule == QLatin1String("Draw"))
        return teamRunner(3);
    if (rule == QLatin1String("MinV"))
        return selection.VolumeRank() == 1;
    if (rule == QLatin1String("MaxV"))
        return LastRanked(selection.VolumeRank(), market.VolumeRankedCount());
    if (rule == QLatin1String("Matched"))
        return selection.MatchState() == 3;
    // NaN compares false: an amount that is no number is below a cent.
    if (rule == QLatin1String("UnmatchedBets"))
        return amount(QSearcher::ColUnmatched) >= Cent;
    if (rule == QLatin1String("MatchedBets"))
        return amount(QSearcher::ColMatched) >= Cent;
    return rule == QLatin1String("All");
}
