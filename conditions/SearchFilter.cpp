#include "SearchFilter.h"

#include "ConditionIds.h"
#include "ReadNumber.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace {

const QLatin1String fromKey("from");
const QLatin1String toKey("to");
const QLatin1String invertKey("invert");
const QLatin1String listKey("list");
const QLatin1String textKey("text");

// A bound moved by a hundredth ("Is greater than 1.12" starts at 1.13). The
// sum is rounded to 6 decimals so that it equals the neighbouring price as
// the exchange reports it: 1.12 + 0.01 is 1.1300000000000001 in binary.
double NudgedBound(double value, double step)
{
    const double bound = value + step;
    return std::abs(bound) < 1e9 ? std::round(bound * 1e6) / 1e6 : bound;
}

QJsonObject Range(double from, double to, bool invert = false)
{
    QJsonObject range { { fromKey, from }, { toKey, to } };
    if (invert)
        range.insert(invertKey, true);
    return range;
}

// Whole seconds from now, truncated toward zero. Absurd offsets (a typed
// 1e30 minutes) are held to a few centuries rather than overflow.
qint64 Seconds(double offset)
{
    constexpr double limit = 1e10;
    return qint64(std::trunc(std::clamp(offset, -limit, limit)));
}

QString Moment(const QDateTime& now, double offset)
{
    return now.toUTC().addSecs(Seconds(offset)).toString(Qt::ISODate);
}

} // namespace

bool SearchFilter::IsNegative(int comparison)
{
    return comparison == NumberComparison::NotEqual || comparison == NumberComparison::NotInList;
}

QJsonObject SearchFilter::NumberCondition(int comparison, const QJsonObject& previous, double value1,
    double value2, bool invert, const QStringList& items)
{
    switch (comparison) {
    case NumberComparison::Equal:
        return Range(value1, value1);
    case NumberComparison::NotEqual:
        return Range(value1, value1, true);
    case NumberComparison::Greater:
        return Range(NudgedBound(value1, 0.01), OpenUpperBound);
    case NumberComparison::Less:
        return Range(0, NudgedBound(value1, -0.01));
    case NumberComparison::GreaterOrEqual:
        return Range(value1, OpenUpperBound);
    case NumberComparison::LessOrEqual:
        return Range(0, value1);
    case NumberComparison::Between:
        return Range(value1, value2);
    case NumberComparison::Outside:
        // Inverted ranges match strictly outside their bounds already.
        return Range(value1, value2, true);
    case NumberComparison::InList:
    case NumberComparison::NotInList: {
        QJsonArray list = previous.value(listKey).toArray();
        for (const QString& item : items)
            list.append(ReadNumber(item));
        return QJsonObject { { listKey, list }, { invertKey, invert } };
    }
    default:
        return {};
    }
}

QJsonObject SearchFilter::TextList(const QJsonObject& previous, bool invert, const QStringList& items)
{
    QJsonArray list = previous.value(listKey).toArray();
    for (const QString& item : items)
        list.append(item);
    return QJsonObject { { listKey, list }, { invertKey, invert } };
}

QJsonObject SearchFilter::TextMatch(int comparison, const QString& text)
{
    QJsonObject match { { textKey, text } };
    switch (comparison) {
    case TextComparison::Equal:
        break;
    case TextComparison::NotEqual:
        match.insert(invertKey, true);
        break;
    case TextComparison::Contains:
        match.insert(QLatin1String("contains"), true);
        break;
    case TextComparison::NotContains:
        match.insert(QLatin1String("contains"), true);
        match.insert(invertKey, true);
        break;
    case TextComparison::StartsWith:
        match.insert(QLatin1String("start"), true);
        break;
    case TextComparison::EndsWith:
        // "start" with "invert" is how the results view reads "ends with".
        match.insert(QLatin1String("start"), true);
        match.insert(invertKey, true);
        break;
    default:
        return {};
    }
    return match;
}

QJsonObject SearchFilter::StartTimeWindow(
    int property, int comparison, float value1, float value2, const QDateTime& now)
{
    const double a = value1;
    const double b = value2;
    QJsonObject window;
    if (property == EventProperty::MinToStart) {
        switch (comparison) {
        case NumberComparison::Equal:
            window.insert(fromKey, Moment(now, (a - 0.5) * 60));
            window.insert(toKey, Moment(now, (a + 0.5) * 60));
            break;
        case NumberComparison::Greater:
            window.insert(fromKey, Moment(now, (a + 0.02) * 60));
            break;
        case NumberComparison::Less:
            window.insert(toKey, Moment(now, (a - 0.02) * 60));
            break;
        case NumberComparison::Between:
            window.insert(fromKey, Moment(now, a * 60 - 0.5));
            window.insert(toKey, Moment(now, b * 60 + 0.5));
            break;
        default:
            break;
        }
    } else if (property == EventProperty::MinSinceOff) {
        switch (comparison) {
        case NumberComparison::Equal:
            window.insert(fromKey, Moment(now, (a + 0.5) * -60));
            window.insert(toKey, Moment(now, (a - 0.5) * -60));
            break;
        case NumberComparison::Greater:
            window.insert(toKey, Moment(now, (a - 0.02) * -60));
            break;
        case NumberComparison::Less:
            window.insert(fromKey, Moment(now, (a + 0.02) * -60));
            window.insert(toKey, Moment(now, 0));
            break;
        case NumberComparison::Between:
            window.insert(fromKey, Moment(now, b * -60 + 0.5));
            window.insert(toKey, Moment(now, a * -60 - 0.5));
            break;
        default:
            break;
        }
    }
    return window;
}

QString SearchFilter::SelectionKind(int object)
{
    switch (object) {
    case ObjectId::AnySelection:
        return QStringLiteral("any");
    case ObjectId::EverySelection:
        return QStringLiteral("all");
    case ObjectId::Favourite:
        return QStringLiteral("fav");
    case ObjectId::Home:
        return QStringLiteral("home");
    case ObjectId::Away:
        return QStringLiteral("away");
    case ObjectId::Draw:
        return QStringLiteral("draw");
    default:
        return {};
    }
}

QJsonValue SearchFilter::WithOrders(int comparison)
{
    const QString matched = QStringLiteral("EXECUTION_COMPLETE");
    const QString unmatched = QStringLiteral("EXECUTABLE");
    switch (comparison) {
    case BetsComparison::AnyBets:
        return QJsonArray { matched, unmatched };
    case BetsComparison::NoBets:
        return QStringLiteral("NONE");
    case BetsComparison::Matched:
        return QJsonArray { matched };
    case BetsComparison::Unmatched:
        return QJsonArray { unmatched };
    default:
        return QJsonValue(QJsonValue::Undefined);
    }
}
