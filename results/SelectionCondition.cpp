#include "SelectionCondition.h"

#include "QPatternValidator.h"
#include "QSearcher.h"
#include "QSelection.h"

#include <cmath>

namespace {

const QLatin1String matchedStatus("EXECUTION_COMPLETE");
const QLatin1String unmatchedStatus("EXECUTABLE");

// A bet of less than a cent is no bet.
constexpr double Cent = 0.01;

SelectionCondition::Kind KindOf(const QString& text)
{
    using Kind = SelectionCondition::Kind;
    if (text == QLatin1String("all"))
        return Kind::All;
    if (text == QLatin1String("fav"))
        return Kind::Favourite;
    if (text == QLatin1String("home"))
        return Kind::Home;
    if (text == QLatin1String("away"))
        return Kind::Away;
    if (text == QLatin1String("draw"))
        return Kind::Draw;
    return Kind::Any;
}

// Whether the bets on a selection are those the "bets" text asks for; a
// text other than the four asks for nothing.
bool BetsMeet(const QString& bets, double matched, double unmatched)
{
    if (bets == QLatin1String("None"))
        return unmatched < Cent && matched < Cent;
    if (bets == QLatin1String("Matched"))
        return matched >= Cent;
    if (bets == QLatin1String("Unmatched"))
        return unmatched >= Cent;
    if (bets == QLatin1String("Any"))
        return matched >= Cent || unmatched >= Cent;
    return true;
}

} // namespace

double Percent(double fraction)
{
    return std::round(fraction * 1e10) / 1e8;
}

SelectionCondition::SelectionCondition(const QJsonObject& entry)
    : kind(KindOf(entry.value(QLatin1String("sel")).toString()))
    , hasName(entry.contains(QLatin1String("selName")))
    , name(entry.value(QLatin1String("selName")).toObject())
    , hasBets(entry.contains(QLatin1String("bets")))
    , bets(entry.value(QLatin1String("bets")).toString())
{
    if (entry.contains(QLatin1String("silks"))) {
        const QJsonObject silksEntry = entry.value(QLatin1String("silks")).toObject();
        silksKey = silksEntry.isEmpty() ? QString() : silksEntry.begin().key();
        silksCondition = silksEntry.value(silksKey).toObject();
        const QString type = silksCondition.value(QLatin1String("type")).toString();
        silks = type == QLatin1String("NUMBER") ? Silks::Number
            : type == QLatin1String("STRING")   ? Silks::Text
            : type == QLatin1String("FORM")     ? Silks::Form
                                                : Silks::Other;
        if (silks == Silks::Form) {
            const QString pattern = silksCondition.value(QLatin1String("regexp")).toString();
            formInverted = silksCondition.value(QLatin1String("invert")).toBool();
            if (pattern.size() <= QPatternValidator::MaxPatternLength) {
                form = QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp);
                formUsable = form.isValid();
            }
        }
    }

    const struct
    {
        const char* key;
        int column;
        int role;
        bool percent;
    } numberKeys[] = {
        { "backPrice", QSearcher::ColBackPrice, QSearcher::SortRole, false },
        { "layPrice", QSearcher::ColLayPrice, QSearcher::SortRole, false },
        { "selVolume", QSearcher::ColVolume, QSearcher::SortRole, true },
        { "lastPrice", QSearcher::ColBackPrice, QSearcher::LastTradedRole, false },
        { "nearSP", QSearcher::ColNearSP, QSearcher::SortRole, false },
        { "farSP", QSearcher::ColFarSP, QSearcher::SortRole, false },
        { "actualSP", QSearcher::ColActualSP, QSearcher::SortRole, false },
    };
    for (const auto& key : numberKeys) {
        const QJsonValue condition = entry.value(QLatin1String(key.key));
        if (condition.isObject())
            numbers.append({ condition.toObject(), key.column, key.role, key.percent });
    }
}

SelectionCondition::Outcome TestSelection(
    const SelectionCondition& entry, const QJsonObject& filter, const QSelection& selection, bool teamSport)
{
    using Kind = SelectionCondition::Kind;
    using Outcome = SelectionCondition::Outcome;
    switch (entry.kind) {
    case Kind::Favourite:
        if (selection.Rank() != 1)
            return Outcome::Fails;
        break;
    case Kind::Home:
    case Kind::Away:
    case Kind::Draw:
        // Home, away and draw are the first three runners of a team sport.
        if (teamSport
            && selection.data(QSearcher::SortRole).toInt() != 1 + int(entry.kind) - int(Kind::Home))
            return Outcome::Fails;
        break;
    default:
        break;
    }

    // A name or bets test that passed counts as met unless a later test decides.
    bool decided = false;
    Outcome outcome = Outcome::Untested;
    if (entry.hasName) {
        if (!QSearcher::MatchText(entry.name, selection.text()))
            return Outcome::Fails;
        decided = true;
    }
    const double matched = selection.CellData(QSearcher::ColMatched, QSearcher::SortRole).toDouble();
    const double unmatched = selection.CellData(QSearcher::ColUnmatched, QSearcher::SortRole).toDouble();
    if (entry.hasBets) {
        if (!BetsMeet(entry.bets, matched, unmatched))
            return Outcome::Fails;
        decided = true;
    }

    if (entry.silks != SelectionCondition::Silks::None && entry.silks != SelectionCondition::Silks::Other) {
        const QJsonValue value = selection.CellData(QSearcher::ColSilks, QSearcher::KindRole)
                                     .toJsonObject()
                                     .value(entry.silksKey);
        bool meets = false;
        switch (entry.silks) {
        case SelectionCondition::Silks::Number:
            meets = QSearcher::MatchNumber(entry.silksCondition, value.toString().toDouble());
            break;
        case SelectionCondition::Silks::Text:
            meets = QSearcher::MatchText(entry.silksCondition, value.toString());
            break;
        default:
            meets = entry.formUsable && (entry.form.indexIn(value.toString()) >= 0) != entry.formInverted;
            break;
        }
        if (!meets)
            return Outcome::Fails;
        outcome = Outcome::Meets;
    }

    for (const SelectionCondition::NumberTest& test : entry.numbers) {
        double value = selection.CellData(test.column, test.role).toDouble();
        if (test.percent)
            value = Percent(value);
        if (!QSearcher::MatchNumber(test.condition, value))
            return Outcome::Fails;
        outcome = Outcome::Meets;
    }

    // A list of order statuses overrides what the entry's own tests gave.
    const QJsonValue statuses = filter.value(QLatin1String("withOrders"));
    if (statuses.isArray()) {
        const QJsonArray list = statuses.toArray();
        const bool meets = (matched > 0 && list.contains(matchedStatus))
            || (unmatched > 0 && list.contains(unmatchedStatus));
        return meets ? Outcome::Meets : Outcome::Fails;
    }
    return decided ? Outcome::Meets : outcome;
}
