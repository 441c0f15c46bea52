#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>

// Whether the automatic update check is due at `now`. The period is the
// stored choice: 0 a day, 1 a week, 2 a calendar month after the last check
// (31 January is followed by the last day of February); any other value
// makes the check due as soon as the last one lies in the past. With no last
// check it is always due.
bool IsUpdateDue(const QDateTime& lastChecked, int period, const QDateTime& now);

// A version number of the version file: a whole JSON number, else 0.
int VersionNumber(const QJsonValue& value);

// Whether the version file ("MAJOR", "MINOR", "RELEASE", "BUILD") names a
// later version than this program's, compared number by number from the
// major one on, the first difference deciding, and offers a set-up for
// Windows ("URL" object with a member "win").
bool OffersNewerVersion(const QJsonObject& versionFile);
