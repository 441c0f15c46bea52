#include "SettingsStore.h"

#include "QLog.h"
#include "WriteAll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

QSettings* store = nullptr;

// Creates the file empty when it is missing and takes every permission from
// group and others. QSettings would make a file it creates itself readable by
// everyone; one that exists keeps its mode through every rewrite.
void makePrivate(const QString& path)
{
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.close();
    if (!file.exists())
        return;
    constexpr QFileDevice::Permissions groupAndOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    constexpr QFileDevice::Permissions owner
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions permissions = file.permissions();
    if (permissions & groupAndOthers)
        file.setPermissions(permissions & owner);
}

// Sections are parsed lazily; reading every key makes QSettings parse them all.
bool isUnparsable(QSettings& settings)
{
    settings.allKeys();
    return settings.status() == QSettings::FormatError;
}

// Replaces an older backup only with a complete copy (see WriteAll).
bool backUp(const QString& path, const QString& backupPath, QString& error)
{
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly)) {
        error = original.errorString();
        return false;
    }
    const QByteArray content = original.readAll();

    makePrivate(backupPath);
    return SaveWholeFile(backupPath, content, error);
}

void keepUnparsableFile(const QString& path)
{
    const QString backupPath = path + QStringLiteral(".bak");
    QString error;
    if (backUp(path, backupPath, error)) {
        QLog::Write(QLog::QLogType::Warning,
            QCoreApplication::translate(
                "SettingsStore", "The settings file %1 is damaged; a copy of it was kept as %2")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backupPath)));
    } else {
        QLog::Write(QLog::QLogType::Warning,
            QCoreApplication::translate(
                "SettingsStore", "The settings file %1 is damaged and no copy of it could be kept: %2")
                .arg(QDir::toNativeSeparators(path), error));
    }
}

} // namespace

QSettings* SettingsStore()
{
    return store;
}

QSettings* OpenSettingsStore(const QString& path)
{
    if (store)
        return store;
    QDir().mkpath(QFileInfo(path).absolutePath());
    makePrivate(path);
    store = new QSettings(path, QSettings::IniFormat);
    if (isUnparsable(*store))
        keepUnparsableFile(store->fileName());
    return store;
}

void CloseSettingsStore()
{
    delete store;
    store = nullptr;
}
