#pragma once

#include <QDateTime>

// Whether the automatic update check is due at `now`. The period is the
// stored choice: 0 a day, 1 a week, 2 a calendar month after the last check
// (31 January is followed by the last day of February); any other value
// makes the check due as soon as the last one lies in the past. With no last
// check it is always due.
bool IsUpdateDue(const QDateTime& lastChecked, int period, const QDateTime& now);
