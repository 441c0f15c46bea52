#include "UpdateCheck.h"

#include "ProgramVersion.h"

#include <QJsonObject>

#include <array>
#include <cmath>
#include <limits>

bool IsUpdateDue(const QDateTime& lastChecked, int period, const QDateTime& now)
{
    if (!lastChecked.isValid())
        return true;
    QDateTime due = lastChecked;
    switch (period) {
    case 0:
        due = lastChecked.addDays(1);
        break;
    case 1:
        due = lastChecked.addDays(7);
        break;
    case 2:
        due = lastChecked.addMonths(1);
        break;
    default:
        break;
    }
    return due < now;
}

int VersionNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < std::numeric_limits<int>::min()
        || number > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(number);
}

bool OffersNewerVersion(const QJsonObject& versionFile)
{
    const std::array<int, 4> published { VersionNumber(versionFile.value(QLatin1String("MAJOR"))),
        VersionNumber(versionFile.value(QLatin1String("MINOR"))),
        VersionNumber(versionFile.value(QLatin1String("RELEASE"))),
        VersionNumber(versionFile.value(QLatin1String("BUILD"))) };
    const std::array<int, 4> own { ProgramVersion::Major, ProgramVersion::Minor, ProgramVersion::Release,
        ProgramVersion::Build };
    if (!(published > own))
        return false;
    const QJsonValue download = versionFile.value(QLatin1String("URL"));
    return download.isObject() && download.toObject().contains(QLatin1String("win"));
}
