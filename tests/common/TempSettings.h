#pragma once

#include "SettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

// A program-wide settings store on a file of its own, closed and removed
// when the object goes. reopen() closes the store and opens the same file
// again, as a restart of the program would.
class TempSettings
{
public:
    TempSettings() { OpenSettingsStore(path()); }
    ~TempSettings() { CloseSettingsStore(); }

    QString path() const { return m_dir.filePath(QStringLiteral("settings.ini")); }
    QSettings* store() const { return SettingsStore(); }

    QSettings* reopen()
    {
        CloseSettingsStore();
        return OpenSettingsStore(path());
    }

    QStringList keys() const
    {
        QStringList all = store()->allKeys();
        all.sort();
        return all;
    }

private:
    QTemporaryDir m_dir;
    Q_DISABLE_COPY(TempSettings)
};
