#pragma once

#include <QString>

// The settings key of an entry of a widget that stores its own state:
// "group/key", or the key alone (a top-level entry) when the group is empty.
QString JoinSettingsKey(const QString& group, const QString& key);
