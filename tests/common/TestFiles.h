#pragma once

#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Files as the tests set them up and read them back, with the conditions
// (no write permission, a full disk) under which saving must fail.

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The permission bits, or -1 when the file is missing.
inline int modeOf(const QString& path)
{
    struct stat info
    {
    };
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

inline void writeFile(const QString& path, const QByteArray& content, int mode = 0644)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    QCOMPARE(chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

// Root writes into read-only folders: while this lives, the process acts as
// nobody. The real user changes too, since access() (QFileInfo::isWritable)
// judges by it; root stays the saved user, so it can come back.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (geteuid() == 0)
            dropped = setresuid(65534, 65534, 0) == 0;
    }
    ~Unprivileged()
    {
        if (dropped && setresuid(0, 0, 0) != 0)
            qFatal("cannot act as root again");
    }

private:
    bool dropped = false;
    Q_DISABLE_COPY(Unprivileged)
};

// While this lives, files cannot grow beyond a few bytes: writes come up short,
// then fail, as on a full disk.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved {};
    Q_DISABLE_COPY(FileSizeLimit)
};
