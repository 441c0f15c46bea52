#pragma once

#include "SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline int modeOf(const QString& path)
{
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

inline void writeFile(const QString& path, const QByteArray& content, int mode = 0644)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush());
    QCOMPARE(chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

// Root ignores permissions: act as nobody (the real user too, for access()); root stays the saved user.
struct Unprivileged
{
    const bool dropped = geteuid() == 0 && setresuid(65534, 65534, 0) == 0;
    ~Unprivileged()
    {
        if (dropped && setresuid(0, 0, 0) != 0)
            qFatal("cannot act as root again");
    }
};

// While this lives, writes beyond a few bytes come up short, as on a full disk.
struct FileSizeLimit
{
    rlimit saved {};
    FileSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited { 8, saved.rlim_max };
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};

// The program's settings store on a file of its own; reopen() is a restart.
struct TempSettings
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    TempSettings() { OpenSettingsStore(path); }
    ~TempSettings() { CloseSettingsStore(); }
    QSettings* store() const { return SettingsStore(); }
    void reopen() { CloseSettingsStore(), OpenSettingsStore(path); }
};
