#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QSettings* store = nullptr;
}

QSettings* SettingsStore()
{
    return store;
}

QSettings* OpenSettingsStore(const QString& path)
{
    if (store)
        return store;
    QDir().mkpath(QFileInfo(path).absolutePath());
    store = new QSettings(path, QSettings::IniFormat);
    return store;
}

void CloseSettingsStore()
{
    delete store;
    store = nullptr;
}
