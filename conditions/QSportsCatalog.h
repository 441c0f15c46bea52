#pragma once

#include "QCatalog.h"

#include <QList>

// The sports catalog also knows which sports are played between teams, so
// that home, away and draw selections make sense for them.
class QSportsCatalog : public QCatalog
{
    Q_DISABLE_COPY(QSportsCatalog)

public:
    explicit QSportsCatalog(QObject* parent = nullptr);

    void Load(const QString& name, bool sorted) override;

    // Only sports whose item carries "team": true count.
    bool IsTeamSport(int id) const;

private:
    QList<int> teamSports;
};
