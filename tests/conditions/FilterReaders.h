#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QtTest>

// How the readers of the search filter take it: the market search worker,
// which sends the exchange only the market-filter keys in the forms it knows
// and silently leaves out any other form, and the results view, which
// matches numbers against a NumberCondition. Built filters are checked
// against these, so that a condition means to its reader what it meant to
// the user.
namespace FilterReaders {

inline QString Text(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

inline QJsonObject Json(const char* text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("Bad JSON in a test table: %s", text);
    return document.object();
}

// The keys the search worker would drop or send in another form than built.
inline QStringList ExchangeProblems(const QJsonObject& filter)
{
    QStringList problems;
    auto isTextArray = [](const QJsonValue& value) {
        if (!value.isArray())
            return false;
        for (const QJsonValue& item : value.toArray()) {
            if (!item.isString())
                return false;
        }
        return true;
    };
    for (const char* key : { "eventTypeIds", "marketTypeCodes", "marketCountries" }) {
        if (filter.contains(QLatin1String(key)) && !isTextArray(filter.value(QLatin1String(key))))
            problems << QLatin1String(key);
    }
    for (const char* key : { "bspOnly", "turnInPlayEnabled", "inPlayOnly", "silks" }) {
        if (filter.contains(QLatin1String(key)) && !filter.value(QLatin1String(key)).isBool())
            problems << QLatin1String(key);
    }
    if (filter.contains(QLatin1String("withOrders"))) {
        // "NONE" is no array: the worker leaves it to the results view.
        const QJsonValue orders = filter.value(QLatin1String("withOrders"));
        bool known = orders == QJsonValue(QStringLiteral("NONE")) || isTextArray(orders);
        for (const QJsonValue& status : orders.toArray()) {
            known = known
                && (status == QJsonValue(QStringLiteral("EXECUTION_COMPLETE"))
                    || status == QJsonValue(QStringLiteral("EXECUTABLE")));
        }
        if (!known)
            problems << QStringLiteral("withOrders");
    }
    if (filter.contains(QLatin1String("marketStartTime"))) {
        const QJsonValue window = filter.value(QLatin1String("marketStartTime"));
        bool usable = window.isObject();
        for (const char* end : { "from", "to" }) {
            const QJsonValue moment = window.toObject().value(QLatin1String(end));
            if (moment.isUndefined())
                continue;
            const QDateTime parsed = QDateTime::fromString(moment.toString(), Qt::ISODate);
            usable = usable && moment.toString().endsWith(QLatin1Char('Z')) && parsed.isValid();
        }
        if (!usable)
            problems << QStringLiteral("marketStartTime");
    }
    if (filter.contains(QLatin1String("eventIds"))) // the results view's own key
        problems << QStringLiteral("eventIds");
    return problems;
}

// Whether value meets a NumberCondition as the results view matches it:
// a list by exact equality, a range inclusive of its bounds, and an inverted
// range strictly outside them.
inline bool MatchNumber(const QJsonObject& condition, double value)
{
    const bool invert = condition.value(QLatin1String("invert")).toBool();
    const QJsonValue list = condition.value(QLatin1String("list"));
    if (list.isArray()) {
        bool found = false;
        for (const QJsonValue& item : list.toArray())
            found = found || (item.isDouble() && item.toDouble() == value);
        return found != invert;
    }
    const double from = condition.value(QLatin1String("from")).toDouble();
    const double to = condition.value(QLatin1String("to")).toDouble();
    return invert ? value < from || value > to : from <= value && value <= to;
}

} // namespace FilterReaders

#define COMPARE_JSON(actual, expected)                                                                       \
    do {                                                                                                     \
        const QJsonObject actual_ = (actual);                                                                \
        const QJsonObject expected_ = (expected);                                                            \
        if (actual_ != expected_)                                                                            \
            QFAIL(qPrintable(QStringLiteral("JSON differs\n   Actual: %1\n Expected: %2")                    \
                                 .arg(FilterReaders::Text(actual_), FilterReaders::Text(expected_))));       \
    } while (false)
