#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

class QDateTime;

// The value forms of the search filter object: the JSON into which the rows
// of a search template turn when a search starts. The search worker sends its
// market-filter keys to the exchange; the results view tests the others
// against what the exchange returns. Comparison ids are those of
// ConditionIds.h.
//
// NumberCondition: {"from", "to"} with an optional "invert": true (matches
// outside the bounds), or {"list": [numbers], "invert": bool}.
// TextCondition: {"text": s} with "contains", "start" and "invert" flags
// ("start" with "invert" means "ends with"), or {"text": {"list", "invert"}}.
class SearchFilter
{
public:
    SearchFilter() = delete;

    // The upper end of an open range ("Is greater than"): far above any
    // price, count, percentage or matched volume, so that no value is cut off.
    static constexpr double OpenUpperBound = 1e15;

    // "Is not equal to" and "Is not in list": the comparisons whose list
    // form is inverted.
    static bool IsNegative(int comparison);

    // The NumberCondition of a numeric comparison of value1 (and value2 for
    // the two-value ranges). The list forms continue previous["list"] when it
    // is an array, add the items as numbers and take invert; the range forms
    // ignore previous, invert and items. A comparison without a form gives {}.
    static QJsonObject NumberCondition(int comparison, const QJsonObject& previous, double value1,
        double value2, bool invert, const QStringList& items);

    // {"list": previous["list"] (when an array) followed by the items, "invert": invert}.
    static QJsonObject TextList(const QJsonObject& previous, bool invert, const QStringList& items);

    // The single-text forms of a TextCondition, for "Is equal to" up to
    // "Ends with"; {} for any other comparison.
    static QJsonObject TextMatch(int comparison, const QString& text);

    // The start-time window {"from", "to"} of "Minutes to scheduled start" or
    // "Minutes since scheduled start", as ISO 8601 UTC texts to the second
    // around now; either end may be absent. {} for a comparison without one.
    static QJsonObject StartTimeWindow(
        int property, int comparison, float value1, float value2, const QDateTime& now);

    // "any", "all", "fav", "home", "away" or "draw"; empty for another object.
    static QString SelectionKind(int object);

    // The order statuses of a "Has bets" comparison on the market: an array,
    // or "NONE" for markets without bets; undefined for another comparison.
    static QJsonValue WithOrders(int comparison);
};
