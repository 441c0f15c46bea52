#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>

// Texts and times of the result rows.

// Plain digits with a point and the given decimals, whatever the locale:
// the text QString::number(value, 'f', decimals) gives, made faster for the
// plain amounts that fill large results.
QString Fixed(double value, int decimals);
// The number that text reads as.
double FixedValue(double value, int decimals);

// An exchange time ("2024-05-18T14:05:00.000Z", milliseconds optional) as
// UTC; invalid when the value is no such text.
QDateTime ReadUtcTime(const QJsonValue& value);

// A moment in local time, in the default locale's words: todayFormat when
// it falls on today's local date, otherFormat on another day.
QString LocalMoment(const QDateTime& utc, const QString& todayFormat, const QString& otherFormat);
