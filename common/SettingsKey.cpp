#include "SettingsKey.h"

QString JoinSettingsKey(const QString& group, const QString& key)
{
    if (group.isEmpty())
        return key;
    return QStringLiteral("%1/%2").arg(group, key);
}
