#pragma once

#include "SettingsStore.h"

#include <QSettings>
#include <QVariant>

// Reads and writes of the windows' own keys. The store is gone once the main
// window has started its teardown: reads then give the default and writes
// are dropped.

inline QVariant Stored(const QString& key, const QVariant& missing = QVariant())
{
    const QSettings* settings = SettingsStore();
    return settings ? settings->value(key, missing) : missing;
}

inline void Store(const QString& key, const QVariant& value)
{
    if (QSettings* settings = SettingsStore())
        settings->setValue(key, value);
}
