#include "JsonIds.h"

#include <QVariant>

#include <cmath>

qint64 JsonId(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    // The parser keeps whole numbers as 64-bit integers; going through the
    // double would round ids above 2^53.
    const QVariant number = value.toVariant();
    if (number.type() == QVariant::LongLong)
        return number.toLongLong();
    const double truncated = std::trunc(value.toDouble());
    // 2^63 is exact as a double; everything below it fits.
    const double limit = 9223372036854775808.0;
    return std::isfinite(truncated) && truncated >= -limit && truncated < limit
        ? static_cast<qint64>(truncated)
        : 0;
}
