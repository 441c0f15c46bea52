#include "ResultTexts.h"

#include <QLocale>
#include <QTimeZone>

#include <cmath>

namespace {

constexpr double Scales[] = { 1, 10, 100, 1000, 10000 };

// The digits of the fixed text as one whole number (value × 10^decimals,
// rounded half away from zero as QString::number does), or -1 where that
// could differ from the exact decimal rounding: a value too large, negative
// or not a number, or one whose last digit lies within binary error of a tie.
qint64 FixedDigits(double value, int decimals)
{
    if (decimals < 0 || decimals >= int(std::size(Scales)))
        return -1;
    const double scaled = value * Scales[decimals];
    if (!(scaled >= 0) || scaled >= 1e9 || std::abs(scaled - std::floor(scaled) - 0.5) < 1e-6)
        return -1;
    return std::llround(scaled);
}

} // namespace

QString Fixed(double value, int decimals)
{
    qint64 digits = FixedDigits(value, decimals);
    if (digits < 0)
        return QString::number(value, 'f', decimals);
    char text[24];
    int at = sizeof text;
    for (int place = 0; place < decimals; ++place, digits /= 10)
        text[--at] = char('0' + digits % 10);
    if (decimals > 0)
        text[--at] = '.';
    do {
        text[--at] = char('0' + digits % 10);
        digits /= 10;
    } while (digits > 0);
    return QString::fromLatin1(text + at, int(sizeof text) - at);
}

double FixedValue(double value, int decimals)
{
    const qint64 digits = FixedDigits(value, decimals);
    // k / 10^d is the double nearest the decimal the text shows.
    return digits < 0 ? QString::number(value, 'f', decimals).toDouble() : digits / Scales[decimals];
}

QDateTime ReadUtcTime(const QJsonValue& value)
{
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    // A text without a zone is read as UTC too, never as local time.
    if (time.isValid() && time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC();
}

QString LocalMoment(const QDateTime& utc, const QString& todayFormat, const QString& otherFormat)
{
    // Through the zone's own table: local time from the C library looks at
    // the zone file again for every row.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime local = utc.toOffsetFromUtc(zone.offsetFromUtc(utc));
    return QLocale().toString(local, local.date() == QDate::currentDate() ? todayFormat : otherFormat);
}
