#include "ResultTexts.h"

#include <QLocale>

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
    const QDateTime local = utc.toLocalTime();
    return QLocale().toString(local, local.date() == QDate::currentDate() ? todayFormat : otherFormat);
}
