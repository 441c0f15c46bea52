#include "DataFolder.h"

#include <QStandardPaths>

QString GetConfigDir()
{
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::ConfigLocation);
    return locations.isEmpty() ? QString() : locations.first();
}
