#include "QSportsCatalog.h"

#include <QJsonObject>
#include <QJsonValue>

QSportsCatalog::QSportsCatalog(QObject* parent)
    : QCatalog(parent)
{
}

void QSportsCatalog::Load(const QString& name, bool sorted)
{
    QCatalog::Load(name, sorted);
    teamSports.clear();
    for (const QJsonValue item : qAsConst(data)) {
        const QJsonObject sport = item.toObject();
        const QJsonValue team = sport.value(QLatin1String("team"));
        // A code that is not a decimal number counts as sport 0.
        if (team.isBool() && team.toBool())
            teamSports.append(sport.value(QLatin1String("code")).toString().toInt(nullptr, 10));
    }
}

bool QSportsCatalog::IsTeamSport(int id) const
{
    return teamSports.contains(id);
}
