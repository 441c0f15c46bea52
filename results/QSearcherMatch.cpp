#include "QSearcher.h"

#include <QStandardItemModel>

bool QSearcher::MatchNumber(const QJsonObject& condition, double value)
{
    const bool invert = condition.value(QLatin1String("invert")).toBool();
    const QJsonValue list = condition.value(QLatin1String("list"));
    if (list.isArray()) {
        bool found = false;
        for (const QJsonValue& entry : list.toArray()) {
            if (entry.isDouble() && entry.toDouble() == value) {
                found = true;
                break;
            }
        }
        return found != invert;
    }
    const double to = condition.value(QLatin1String("to")).toDouble();
    const double from = condition.value(QLatin1String("from")).toDouble();
    // Inclusive bounds; inverted, strictly outside them.
    if (!invert)
        return !(to < value) && value >= from;
    return value > to || from > value;
}

bool QSearcher::MatchText(const QJsonObject& condition, const QString& value)
{
    const QJsonValue text = condition.value(QLatin1String("text"));
    if (text.isObject()) {
        const QJsonObject inner = text.toObject();
        const QJsonValue list = inner.value(QLatin1String("list"));
        if (!list.isArray())
            return false;
        // Here "invert" sits beside the list, not beside "text".
        const bool invert = inner.value(QLatin1String("invert")).toBool();
        bool equal = false;
        for (const QJsonValue& entry : list.toArray()) {
            if (QString::compare(entry.toString(), value, Qt::CaseInsensitive) == 0) {
                equal = true;
                break;
            }
        }
        return equal != invert;
    }
    if (!text.isString())
        return false;

    const QString s = text.toString();
    const bool invert = condition.value(QLatin1String("invert")).toBool();
    // "start" wins over "contains"; with it, "invert" means "ends with".
    if (condition.value(QLatin1String("start")).toBool())
        return invert ? value.endsWith(s, Qt::CaseInsensitive) : value.startsWith(s, Qt::CaseInsensitive);
    if (condition.value(QLatin1String("contains")).toBool())
        return value.contains(s, Qt::CaseInsensitive) != invert;
    return (QString::compare(value, s, Qt::CaseInsensitive) == 0) != invert;
}
