#include "FilterBuilder.h"

#include "ConditionIds.h"
#include "ReadNumber.h"
#include "RowCondition.h"
#include "SearchFilter.h"

#include <QDateTime>
#include <QJsonArray>

namespace {

const QLatin1String textKey("text");
const QLatin1String typeKey("type");
const QLatin1String silksKey("silks");
const QLatin1String selKey("sel");

// Counts and goal differences; anything else (and "3.7") reads as 0.
int WholeNumber(const QString& text)
{
    return text.toInt(nullptr, 10);
}

QJsonObject NumberCondition(const RowCondition& row, const QJsonObject& previous, bool wholeNumbers)
{
    const double value1 = wholeNumbers ? WholeNumber(row.value1) : ReadNumber(row.value1);
    const double value2 = wholeNumbers ? WholeNumber(row.value2) : ReadNumber(row.value2);
    return SearchFilter::NumberCondition(
        row.comparison, previous, value1, value2, SearchFilter::IsNegative(row.comparison), row.items);
}

void SetNumberCondition(
    QJsonObject& filter, const QString& key, const RowCondition& row, bool wholeNumbers = false)
{
    filter.insert(key, NumberCondition(row, filter.value(key).toObject(), wholeNumbers));
}

// "eventName" and "marketName": the typed "*" are dropped, a list continues
// the earlier list of the key, and an unknown comparison means equality.
void SetName(QJsonObject& filter, const QString& key, const RowCondition& row)
{
    const int comparison = row.comparison;
    QJsonObject name;
    if (IsListComparison(comparison)) {
        const QJsonObject previous = filter.value(key).toObject().value(textKey).toObject();
        name.insert(
            textKey, SearchFilter::TextList(previous, comparison == TextComparison::NotInList, row.items));
    } else {
        QString text = row.text;
        text.remove(QLatin1Char('*'));
        // Names of events and markets offer no "Is (not) equal to"; those
        // ids, like any id without a form, read as plain equality.
        const bool offered = comparison != TextComparison::Equal && comparison != TextComparison::NotEqual;
        if (offered)
            name = SearchFilter::TextMatch(comparison, text);
        if (name.isEmpty())
            name.insert(textKey, text);
    }
    filter.insert(key, name);
}

// Sports, countries and market types: the exchange's own keys.
void AddCatalogCodes(QJsonObject& filter, const QString& key, const RowCondition& row)
{
    if (!IsListComparison(row.comparison))
        return;
    QJsonArray codes = filter.value(key).toArray();
    for (const QString& code : row.catalogCodes)
        codes.append(code);
    filter.insert(key, codes);
}

void AddEvent(QJsonObject& filter, const RowCondition& row, const QDateTime& now)
{
    switch (row.property) {
    case EventProperty::Name:
        SetName(filter, QStringLiteral("eventName"), row);
        break;
    case EventProperty::Sport:
        AddCatalogCodes(filter, QStringLiteral("eventTypeIds"), row);
        break;
    case EventProperty::Country:
        AddCatalogCodes(filter, QStringLiteral("marketCountries"), row);
        break;
    case EventProperty::MinToStart:
    case EventProperty::MinSinceOff:
        filter.insert(QStringLiteral("marketStartTime"),
            SearchFilter::StartTimeWindow(row.property, row.comparison, float(ReadNumber(row.value1)),
                float(ReadNumber(row.value2)), now));
        break;
    case EventProperty::Minute:
        SetNumberCondition(filter, QStringLiteral("minute"), row);
        break;
    case EventProperty::HomeScore:
    case EventProperty::AwayScore:
        filter.insert(QStringLiteral("scores"), true);
        SetNumberCondition(filter,
            row.property == EventProperty::HomeScore ? QStringLiteral("homeScore")
                                                     : QStringLiteral("awayScore"),
            row);
        break;
    case EventProperty::DrawScore: {
        filter.insert(QStringLiteral("scores"), true);
        const QString key = QStringLiteral("drawScore");
        switch (row.comparison) {
        case ScoreComparison::Equal:
            filter.insert(key, QStringLiteral("="));
            break;
        case ScoreComparison::NotEqual:
            filter.insert(key, QStringLiteral("!="));
            break;
        case ScoreComparison::HomeAhead:
            filter.insert(key, WholeNumber(row.text));
            break;
        case ScoreComparison::AwayAhead:
            filter.insert(key, -qint64(WholeNumber(row.text))); // -INT_MIN overflows an int
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}

void AddMarket(QJsonObject& filter, const RowCondition& row)
{
    switch (row.property) {
    case MarketProperty::Name:
        SetName(filter, QStringLiteral("marketName"), row);
        break;
    case MarketProperty::Type:
        AddCatalogCodes(filter, QStringLiteral("marketTypeCodes"), row);
        break;
    case MarketProperty::Status:
        filter.insert(QStringLiteral("inPlayOnly"), row.comparison == StatusComparison::InPlay);
        break;
    case MarketProperty::NumSel:
        SetNumberCondition(filter, QStringLiteral("numberOfSelections"), row, true);
        break;
    case MarketProperty::NumPls:
        SetNumberCondition(filter, QStringLiteral("numberOfPlaces"), row, true);
        break;
    case MarketProperty::NumWith:
        SetNumberCondition(filter, QStringLiteral("numberOfWithdrawns"), row, true);
        break;
    case MarketProperty::Volume:
        SetNumberCondition(filter, QStringLiteral("volume"), row);
        break;
    case MarketProperty::BackBook:
        SetNumberCondition(filter, QStringLiteral("backBook"), row);
        break;
    case MarketProperty::LayBook:
        SetNumberCondition(filter, QStringLiteral("layBook"), row);
        break;
    case MarketProperty::SP:
        filter.insert(QStringLiteral("bspOnly"), row.comparison == FlagComparison::IsTrue);
        break;
    case MarketProperty::InPlay:
        filter.insert(QStringLiteral("turnInPlayEnabled"), row.comparison == FlagComparison::IsTrue);
        break;
    case MarketProperty::HasBets: {
        const QJsonValue orders = SearchFilter::WithOrders(row.comparison);
        if (!orders.isUndefined())
            filter.insert(QStringLiteral("withOrders"), orders);
        break;
    }
    default:
        break;
    }
}

// A TextCondition at the level of a selection's name: a list stands inside
// "text", and an unknown comparison gives nothing.
QJsonObject SelectionText(const RowCondition& row, bool listInsideText)
{
    if (IsListComparison(row.comparison)) {
        const QJsonObject list
            = SearchFilter::TextList({}, row.comparison == TextComparison::NotInList, row.items);
        return listInsideText ? QJsonObject { { textKey, list } } : list;
    }
    return SearchFilter::TextMatch(row.comparison, row.text);
}

QJsonObject ParamCondition(const RowCondition& row)
{
    QJsonObject condition;
    if (MetadataParam::IsText(row.parameter)) {
        condition = SelectionText(row, false);
        condition.insert(typeKey, QStringLiteral("STRING"));
    } else if (row.parameter == MetadataParam::SexType) {
        condition = SearchFilter::TextList({}, row.comparison == TextComparison::NotInList, row.items);
        condition.insert(typeKey, QStringLiteral("STRING"));
    } else if (row.parameter == MetadataParam::Form) {
        condition.insert(typeKey, QStringLiteral("FORM"));
        condition.insert(QStringLiteral("regexp"), row.text);
        if (row.comparison == SequenceComparison::NotMatches)
            condition.insert(QStringLiteral("invert"), true);
    } else {
        condition = NumberCondition(row, {}, false);
        condition.insert(typeKey, QStringLiteral("NUMBER"));
    }
    return condition;
}

QString SelectionPriceKey(int property)
{
    switch (property) {
    case SelectionProperty::Back:
        return QStringLiteral("backPrice");
    case SelectionProperty::Lay:
        return QStringLiteral("layPrice");
    case SelectionProperty::Last:
        return QStringLiteral("lastPrice");
    case SelectionProperty::Volume:
        return QStringLiteral("selVolume");
    case SelectionProperty::FarSP:
        return QStringLiteral("farSP");
    case SelectionProperty::NearSP:
        return QStringLiteral("nearSP");
    case SelectionProperty::ActualSP:
        return QStringLiteral("actualSP");
    default:
        return {};
    }
}

// Every selection row is an entry of its own, never merged with another.
QJsonObject SelectionEntry(QJsonObject& filter, const RowCondition& row)
{
    QJsonObject entry { { selKey, SearchFilter::SelectionKind(row.object) } };
    const QString numberKey = SelectionPriceKey(row.property);
    if (!numberKey.isEmpty()) {
        entry.insert(numberKey, NumberCondition(row, {}, false));
    } else if (row.property == SelectionProperty::Name) {
        entry.insert(QStringLiteral("selName"), SelectionText(row, true));
    } else if (row.property == SelectionProperty::HasBets) {
        entry.insert(QStringLiteral("bets"), row.comparisonCode);
    } else if (row.property == SelectionProperty::Silks) {
        entry.insert(silksKey, QJsonObject { { row.parameterCode, ParamCondition(row) } });
        // The search must then ask the exchange for runner metadata.
        filter.insert(silksKey, true);
    }
    return entry;
}

} // namespace

void FilterBuilder::Add(QJsonObject& filter, const RowCondition& row, const QDateTime& now)
{
    QJsonArray selections = filter.value(selKey).toArray();
    switch (row.object) {
    case ObjectId::Event:
        AddEvent(filter, row, now);
        break;
    case ObjectId::Market:
        AddMarket(filter, row);
        break;
    default:
        if (ObjectId::IsSelection(row.object))
            selections.append(SelectionEntry(filter, row));
        break;
    }
    // An empty "sel" is never written: the results view would test it.
    if (!selections.isEmpty())
        filter.insert(selKey, selections);
}
