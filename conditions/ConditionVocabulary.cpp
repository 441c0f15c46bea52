#include "ConditionVocabulary.h"

#include "ConditionIds.h"
#include "MetadataLabels.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

// Labels are source texts of the row's translation context.
constexpr char kContext[] = "TriggerRow";

struct Term
{
    int id;
    const char* code;
    const char* label;
};

enum class ComparisonSet {
    None,
    Numeric,
    NumericWithoutLists,
    Range,
    FullText,
    TextWithoutEquality,
    PositiveText,
    List,
    Flag,
    Status,
    Bets,
    Score,
    Sequence,
    ByParameter,
};

struct PropertyRow
{
    Term term;
    ComparisonSet comparisons;
};

struct SelectionPropertyRow
{
    Term term;
    ComparisonSet forAnySelection;
    ComparisonSet forOtherSelections;
};

struct ParameterRow
{
    int id;
    const char* code;
    ComparisonSet comparisons;
};

constexpr Term kObjects[] = {
    { ObjectId::Event, "Event", QT_TRANSLATE_NOOP("TriggerRow", "Event's") },
    { ObjectId::Market, "Market", QT_TRANSLATE_NOOP("TriggerRow", "Market's") },
    { ObjectId::AnySelection, "Any", QT_TRANSLATE_NOOP("TriggerRow", "Any Selection's") },
    { ObjectId::EverySelection, "All", QT_TRANSLATE_NOOP("TriggerRow", "Every Selection's") },
    { ObjectId::Favourite, "Fav", QT_TRANSLATE_NOOP("TriggerRow", "Favourite's") },
    { ObjectId::Home, "Home", QT_TRANSLATE_NOOP("TriggerRow", "Home team's") },
    { ObjectId::Away, "Away", QT_TRANSLATE_NOOP("TriggerRow", "Away team's") },
    { ObjectId::Draw, "Draw", QT_TRANSLATE_NOOP("TriggerRow", "The Draw's") },
};

constexpr PropertyRow kEventProperties[] = {
    { { EventProperty::Sport, "Sport", QT_TRANSLATE_NOOP("TriggerRow", "Sport") }, ComparisonSet::List },
    { { EventProperty::Country, "Country", QT_TRANSLATE_NOOP("TriggerRow", "Country") },
        ComparisonSet::List },
    { { EventProperty::Name, "Name", QT_TRANSLATE_NOOP("TriggerRow", "Name") },
        ComparisonSet::TextWithoutEquality },
    { { EventProperty::MinToStart, "MinToStart",
          QT_TRANSLATE_NOOP("TriggerRow", "Minutes to scheduled start") },
        ComparisonSet::Range },
    { { EventProperty::MinSinceOff, "MinSinceOff",
          QT_TRANSLATE_NOOP("TriggerRow", "Minutes since scheduled start") },
        ComparisonSet::Range },
    { { EventProperty::Minute, "Minute", QT_TRANSLATE_NOOP("TriggerRow", "Minute of the match") },
        ComparisonSet::Numeric },
    { { EventProperty::HomeScore, "HomeScore", QT_TRANSLATE_NOOP("TriggerRow", "Home score") },
        ComparisonSet::Numeric },
    { { EventProperty::AwayScore, "AwayScore", QT_TRANSLATE_NOOP("TriggerRow", "Away score") },
        ComparisonSet::Numeric },
    { { EventProperty::DrawScore, "DrawScore", QT_TRANSLATE_NOOP("TriggerRow", "Home score <=> Away score") },
        ComparisonSet::Score },
};

constexpr PropertyRow kMarketProperties[] = {
    { { MarketProperty::Type, "Type", QT_TRANSLATE_NOOP("TriggerRow", "Type") }, ComparisonSet::List },
    { { MarketProperty::Status, "Status", QT_TRANSLATE_NOOP("TriggerRow", "Status") },
        ComparisonSet::Status },
    { { MarketProperty::Name, "Name", QT_TRANSLATE_NOOP("TriggerRow", "Name") },
        ComparisonSet::TextWithoutEquality },
    { { MarketProperty::NumSel, "NumSel", QT_TRANSLATE_NOOP("TriggerRow", "Number of selections") },
        ComparisonSet::Numeric },
    { { MarketProperty::NumPls, "NumPls", QT_TRANSLATE_NOOP("TriggerRow", "Number of places") },
        ComparisonSet::Numeric },
    { { MarketProperty::NumWith, "NumWith", QT_TRANSLATE_NOOP("TriggerRow", "Number of withdrawns") },
        ComparisonSet::Numeric },
    { { MarketProperty::Volume, "Volume", QT_TRANSLATE_NOOP("TriggerRow", "Matched volume") },
        ComparisonSet::NumericWithoutLists },
    { { MarketProperty::SP, "SP", QT_TRANSLATE_NOOP("TriggerRow", "Supports SP") }, ComparisonSet::Flag },
    { { MarketProperty::InPlay, "InPlay", QT_TRANSLATE_NOOP("TriggerRow", "Will turn in-play") },
        ComparisonSet::Flag },
    { { MarketProperty::BackBook, "BackBook", QT_TRANSLATE_NOOP("TriggerRow", "Normalized Back book %") },
        ComparisonSet::NumericWithoutLists },
    { { MarketProperty::LayBook, "LayBook", QT_TRANSLATE_NOOP("TriggerRow", "Normalized Lay book %") },
        ComparisonSet::NumericWithoutLists },
    { { MarketProperty::HasBets, "HasBets", QT_TRANSLATE_NOOP("TriggerRow", "Has bets") },
        ComparisonSet::Bets },
};

// In the order "Any", "All" and "Fav" offer them.
constexpr SelectionPropertyRow kSelectionProperties[] = {
    { { SelectionProperty::Back, "Back", QT_TRANSLATE_NOOP("TriggerRow", "Back price") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::Lay, "Lay", QT_TRANSLATE_NOOP("TriggerRow", "Lay Price") }, ComparisonSet::Numeric,
        ComparisonSet::Numeric },
    { { SelectionProperty::Last, "Last", QT_TRANSLATE_NOOP("TriggerRow", "Last traded price") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::Volume, "Volume", QT_TRANSLATE_NOOP("TriggerRow", "Volume %") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::FarSP, "FarSP", QT_TRANSLATE_NOOP("TriggerRow", "Far SP price") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::NearSP, "NearSP", QT_TRANSLATE_NOOP("TriggerRow", "Near SP price") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::ActualSP, "ActualSP", QT_TRANSLATE_NOOP("TriggerRow", "Actual SP price") },
        ComparisonSet::Numeric, ComparisonSet::Numeric },
    { { SelectionProperty::Name, "Name", QT_TRANSLATE_NOOP("TriggerRow", "Name") },
        ComparisonSet::PositiveText, ComparisonSet::FullText },
    { { SelectionProperty::Silks, "Silks", QT_TRANSLATE_NOOP("TriggerRow", "Silks") },
        ComparisonSet::ByParameter, ComparisonSet::ByParameter },
    { { SelectionProperty::HasBets, "HasBets", QT_TRANSLATE_NOOP("TriggerRow", "Has bets") },
        ComparisonSet::Bets, ComparisonSet::Bets },
};

constexpr int kTeamProperties[] = { SelectionProperty::Back, SelectionProperty::Lay, SelectionProperty::Last,
    SelectionProperty::Volume, SelectionProperty::Name, SelectionProperty::HasBets };
constexpr int kDrawProperties[] = { SelectionProperty::Back, SelectionProperty::Lay, SelectionProperty::Last,
    SelectionProperty::Volume, SelectionProperty::HasBets };

// Codes are the exchange's runner-metadata keys; labels come from their table.
constexpr ParameterRow kParameters[] = {
    { MetadataParam::TrainerName, "TRAINER_NAME", ComparisonSet::FullText },
    { MetadataParam::OwnerName, "OWNER_NAME", ComparisonSet::FullText },
    { MetadataParam::JockeyName, "JOCKEY_NAME", ComparisonSet::FullText },
    { MetadataParam::Age, "AGE", ComparisonSet::Numeric },
    { MetadataParam::ColourType, "COLOUR_TYPE", ComparisonSet::FullText },
    { MetadataParam::OfficialRating, "OFFICIAL_RATING", ComparisonSet::Numeric },
    { MetadataParam::AdjustedRating, "ADJUSTED_RATING", ComparisonSet::Numeric },
    { MetadataParam::DaysSinceLastRun, "DAYS_SINCE_LAST_RUN", ComparisonSet::Numeric },
    { MetadataParam::Wearing, "WEARING", ComparisonSet::FullText },
    { MetadataParam::JockeyClaim, "JOCKEY_CLAIM", ComparisonSet::Numeric },
    { MetadataParam::StallDraw, "STALL_DRAW", ComparisonSet::Numeric },
    { MetadataParam::SexType, "SEX_TYPE", ComparisonSet::List },
    { MetadataParam::ClothNumber, "CLOTH_NUMBER", ComparisonSet::Numeric },
    { MetadataParam::SireName, "SIRE_NAME", ComparisonSet::FullText },
    { MetadataParam::SireYearBorn, "SIRE_YEAR_BORN", ComparisonSet::Numeric },
    { MetadataParam::DamName, "DAM_NAME", ComparisonSet::FullText },
    { MetadataParam::DamYearBorn, "DAM_YEAR_BORN", ComparisonSet::Numeric },
    { MetadataParam::DamSireName, "DAM_SIRE_NAME", ComparisonSet::FullText },
    { MetadataParam::DamSireYearBorn, "DAM_SIRE_YEAR_BORN", ComparisonSet::Numeric },
    { MetadataParam::ForecastNumerator, "FORECASTPRICE_NUMERATOR", ComparisonSet::Numeric },
    { MetadataParam::ForecastDenominator, "FORECASTPRICE_DENOMINATOR", ComparisonSet::Numeric },
    { MetadataParam::Form, "FORM", ComparisonSet::Sequence },
};

constexpr Term kNumericComparisons[] = {
    { NumberComparison::Equal, "EQ", QT_TRANSLATE_NOOP("TriggerRow", "Is equal to") },
    { NumberComparison::NotEqual, "NE", QT_TRANSLATE_NOOP("TriggerRow", "Is not equal to") },
    { NumberComparison::Greater, "GR", QT_TRANSLATE_NOOP("TriggerRow", "Is greater than") },
    { NumberComparison::Less, "LS", QT_TRANSLATE_NOOP("TriggerRow", "Is less than") },
    { NumberComparison::GreaterOrEqual, "GE", QT_TRANSLATE_NOOP("TriggerRow", "Is equal or greater than") },
    { NumberComparison::LessOrEqual, "LE", QT_TRANSLATE_NOOP("TriggerRow", "Is equal or less than") },
    { NumberComparison::Between, "Btw", QT_TRANSLATE_NOOP("TriggerRow", "Is between") },
    { NumberComparison::Outside, "Ots", QT_TRANSLATE_NOOP("TriggerRow", "Is outside") },
    { NumberComparison::InList, "InList", QT_TRANSLATE_NOOP("TriggerRow", "Is in list") },
    { NumberComparison::NotInList, "NotInList", QT_TRANSLATE_NOOP("TriggerRow", "Is not in list") },
};

constexpr Term kRangeComparisons[] = {
    kNumericComparisons[0], // EQ
    kNumericComparisons[2], // GR
    kNumericComparisons[3], // LS
    kNumericComparisons[6], // Btw
};

constexpr Term kFullTextComparisons[] = {
    { TextComparison::Equal, "EQ", QT_TRANSLATE_NOOP("TriggerRow", "Is equal to") },
    { TextComparison::NotEqual, "NE", QT_TRANSLATE_NOOP("TriggerRow", "Is not equal to") },
    { TextComparison::Contains, "Cont", QT_TRANSLATE_NOOP("TriggerRow", "Contains") },
    { TextComparison::NotContains, "NotCont", QT_TRANSLATE_NOOP("TriggerRow", "Does not contain") },
    { TextComparison::StartsWith, "Starts", QT_TRANSLATE_NOOP("TriggerRow", "Starts with") },
    { TextComparison::EndsWith, "Ends", QT_TRANSLATE_NOOP("TriggerRow", "Ends with") },
    { TextComparison::InList, "InList", QT_TRANSLATE_NOOP("TriggerRow", "Is in list") },
    { TextComparison::NotInList, "NotInList", QT_TRANSLATE_NOOP("TriggerRow", "Is not in list") },
};

constexpr Term kPositiveTextComparisons[] = {
    kFullTextComparisons[0], // EQ
    kFullTextComparisons[2], // Cont
    kFullTextComparisons[4], // Starts
    kFullTextComparisons[5], // Ends
    kFullTextComparisons[6], // InList
    kFullTextComparisons[7], // NotInList
};

constexpr Term kFlagComparisons[] = {
    { FlagComparison::IsTrue, "True", QT_TRANSLATE_NOOP("TriggerRow", "Is true") },
    { FlagComparison::IsFalse, "False", QT_TRANSLATE_NOOP("TriggerRow", "Is false") },
};

constexpr Term kStatusComparisons[] = {
    { StatusComparison::Idle, "Idle", QT_TRANSLATE_NOOP("TriggerRow", "Idle or suspended") },
    { StatusComparison::InPlay, "InPlay", QT_TRANSLATE_NOOP("TriggerRow", "In-play") },
};

constexpr Term kBetsComparisons[] = {
    { BetsComparison::AnyBets, "Any", QT_TRANSLATE_NOOP("TriggerRow", "Matched or unmatched") },
    { BetsComparison::NoBets, "None", QT_TRANSLATE_NOOP("TriggerRow", "None") },
    { BetsComparison::Matched, "Matched", QT_TRANSLATE_NOOP("TriggerRow", "Matched") },
    { BetsComparison::Unmatched, "Unmatched", QT_TRANSLATE_NOOP("TriggerRow", "Unmatched") },
};

constexpr Term kScoreComparisons[] = {
    { ScoreComparison::Equal, "EQ", QT_TRANSLATE_NOOP("TriggerRow", "Are equal") },
    { ScoreComparison::HomeAhead, "GR", QT_TRANSLATE_NOOP("TriggerRow", "Home is greater than away by") },
    { ScoreComparison::AwayAhead, "LS", QT_TRANSLATE_NOOP("TriggerRow", "Away is greater than home by") },
    { ScoreComparison::NotEqual, "NE", QT_TRANSLATE_NOOP("TriggerRow", "Are not equal") },
};

constexpr Term kSequenceComparisons[] = {
    { SequenceComparison::Matches, "SQ", QT_TRANSLATE_NOOP("TriggerRow", "Match sequence") },
    { SequenceComparison::NotMatches, "NSQ", QT_TRANSLATE_NOOP("TriggerRow", "Doesn't match sequence") },
};

MyList record(int id, const char* code, const QString& label)
{
    MyList::RegisterMetaType();
    MyList item;
    item.id = id;
    item.code = QString::fromLatin1(code);
    item.label = label;
    return item;
}

MyList record(const Term& term)
{
    return record(term.id, term.code, QCoreApplication::translate(kContext, term.label));
}

template<typename Iterator>
QList<MyList> records(Iterator first, Iterator last)
{
    QList<MyList> list;
    for (; first != last; ++first)
        list.append(record(*first));
    return list;
}

template<typename T, size_t N>
QList<MyList> records(const T (&terms)[N])
{
    return records(std::begin(terms), std::end(terms));
}

QList<MyList> comparisonList(ComparisonSet set)
{
    switch (set) {
    case ComparisonSet::Numeric:
        return records(kNumericComparisons);
    case ComparisonSet::NumericWithoutLists:
        // The numeric set up to "Is outside".
        return records(std::begin(kNumericComparisons), std::end(kNumericComparisons) - 2);
    case ComparisonSet::Range:
        return records(kRangeComparisons);
    case ComparisonSet::FullText:
        return records(kFullTextComparisons);
    case ComparisonSet::TextWithoutEquality:
        return records(std::begin(kFullTextComparisons) + 2, std::end(kFullTextComparisons));
    case ComparisonSet::PositiveText:
        return records(kPositiveTextComparisons);
    case ComparisonSet::List:
        return records(std::end(kFullTextComparisons) - 2, std::end(kFullTextComparisons));
    case ComparisonSet::Flag:
        return records(kFlagComparisons);
    case ComparisonSet::Status:
        return records(kStatusComparisons);
    case ComparisonSet::Bets:
        return records(kBetsComparisons);
    case ComparisonSet::Score:
        return records(kScoreComparisons);
    case ComparisonSet::Sequence:
        return records(kSequenceComparisons);
    case ComparisonSet::None:
    case ComparisonSet::ByParameter:
        break;
    }
    return {};
}

bool hasMetadata(int objectId)
{
    return objectId == ObjectId::AnySelection || objectId == ObjectId::EverySelection
        || objectId == ObjectId::Favourite;
}

// Whether a selection object offers a property; those with metadata offer all.
bool offers(int objectId, int propertyId)
{
    auto contains = [propertyId](const auto& ids) {
        return std::find(std::begin(ids), std::end(ids), propertyId) != std::end(ids);
    };
    if (hasMetadata(objectId))
        return true;
    if (objectId == ObjectId::Home || objectId == ObjectId::Away)
        return contains(kTeamProperties);
    return objectId == ObjectId::Draw && contains(kDrawProperties);
}

template<typename T, size_t N>
const T* findById(const T (&table)[N], int id)
{
    for (const T& item : table) {
        if (item.term.id == id)
            return &item;
    }
    return nullptr;
}

const ParameterRow* findParameter(int id)
{
    for (const ParameterRow& parameter : kParameters) {
        if (parameter.id == id)
            return &parameter;
    }
    return nullptr;
}

ComparisonSet selectionComparisons(int objectId, int propertyId, int parameterId)
{
    const SelectionPropertyRow* property = findById(kSelectionProperties, propertyId);
    if (!property || !offers(objectId, propertyId))
        return ComparisonSet::Numeric;
    ComparisonSet set
        = objectId == ObjectId::AnySelection ? property->forAnySelection : property->forOtherSelections;
    if (set == ComparisonSet::ByParameter) {
        const ParameterRow* parameter = findParameter(parameterId);
        set = parameter ? parameter->comparisons : ComparisonSet::None;
    }
    return set;
}

template<typename T, size_t N>
ComparisonSet propertyComparisons(const T (&table)[N], int propertyId)
{
    const T* property = findById(table, propertyId);
    return property ? property->comparisons : ComparisonSet::Numeric;
}

} // namespace

QList<MyList> ConditionVocabulary::Objects()
{
    return records(kObjects);
}

QList<MyList> ConditionVocabulary::Properties(int objectId)
{
    QList<MyList> list;
    if (objectId == ObjectId::Event) {
        for (const PropertyRow& property : kEventProperties)
            list.append(record(property.term));
    } else if (objectId == ObjectId::Market) {
        for (const PropertyRow& property : kMarketProperties)
            list.append(record(property.term));
    } else if (objectId == ObjectId::Home || objectId == ObjectId::Away || objectId == ObjectId::Draw) {
        // These objects list their properties in an order of their own.
        const int* first
            = objectId == ObjectId::Draw ? std::begin(kDrawProperties) : std::begin(kTeamProperties);
        const int* last = objectId == ObjectId::Draw ? std::end(kDrawProperties) : std::end(kTeamProperties);
        for (; first != last; ++first)
            list.append(record(findById(kSelectionProperties, *first)->term));
    } else if (hasMetadata(objectId)) {
        for (const SelectionPropertyRow& property : kSelectionProperties)
            list.append(record(property.term));
    }
    return list;
}

QList<MyList> ConditionVocabulary::Parameters(int objectId, int propertyId)
{
    QList<MyList> list;
    if (!hasMetadata(objectId) || propertyId != SelectionProperty::Silks)
        return list;
    for (const ParameterRow& parameter : kParameters)
        list.append(
            record(parameter.id, parameter.code, MetadataLabels::Name(QLatin1String(parameter.code))));
    return list;
}

QList<MyList> ConditionVocabulary::Comparisons(int objectId, int propertyId, int parameterId)
{
    if (objectId == ObjectId::Event)
        return comparisonList(propertyComparisons(kEventProperties, propertyId));
    if (objectId == ObjectId::Market)
        return comparisonList(propertyComparisons(kMarketProperties, propertyId));
    if (ObjectId::IsSelection(objectId))
        return comparisonList(selectionComparisons(objectId, propertyId, parameterId));
    return {};
}
