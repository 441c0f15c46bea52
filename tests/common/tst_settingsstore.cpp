#include "DataFolder.h"
#include "QLog.h"
#include "TestFiles.h"

#include <optional>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini"), backup = path + ".bak";

private slots:
    void init()
    {
        umask(022); // a file made without care would be readable by all
        QFile::remove(path);
        writeFile(backup, "from an earlier run");
    }
    void cleanup() { CloseSettingsStore(); }

    // Names are appended with no separator: the data lies beside the folder, where earlier runs left it.
    void dataFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(GetConfigDir() + "settings.ini", QDir::homePath() + "/.qttest/configsettings.ini");
    }

    // Private from the start, in a folder made for it, through every rewrite and after closing, also when the
    // file was there before.
    void ownerOnly()
    {
        for (const QString& file : { dir.filePath("made/settings.ini"), path }) {
            if (file == path)
                writeFile(path, "[Options]\nConfirm=1\n", 0644);
            QSettings* store = OpenSettingsStore(file);
            QCOMPARE(modeOf(file), 0600);
            QCOMPARE(store->value("Options/Confirm").toInt(), int(file == path));
            store->setValue("Options/Confirm", 2);
            CloseSettingsStore();
            QVERIFY(!SettingsStore() && modeOf(file) == 0600);
            QCOMPARE(contentOf(file), QByteArray("[Options]\nConfirm=2\n"));
        }
    }

    // A broken file is copied, byte for byte and private, over an older copy, before anything can write to
    // the store; a copy that fails (a full disk) keeps the older one. Either way the store opens.
    void keepsAnUnparsableFile()
    {
        const QString kept = "The settings file %1 is damaged; a copy of it was kept as %1.bak";
        const QString lost = "The settings file %1 is damaged and no copy of it could be kept: File too large";
        const struct { QByteArray content; QString warning; } rows[] = {
            { "; hand\n[A]\nx=1\n\n[W]\nSMTP%20user=@ByteArray(\\0)\n", "" },
            { "[A]\nx=1\n[B]\nBetFairLogin\n", kept }, { "[Options\n", lost } };
        for (const auto& row : rows) {
            init();
            QLog log;
            writeFile(path, row.content);
            const bool diskFull = row.warning == lost;
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace();
            QSettings* store = OpenSettingsStore(path);
            limit.reset();
            const QByteArray copy = row.warning.isEmpty() || diskFull ? "from an earlier run" : row.content;
            QVERIFY(store && contentOf(path) == row.content);
            QCOMPARE(contentOf(backup), copy);
            QVERIFY(copy != row.content || modeOf(backup) == 0600);
            QCOMPARE(log.topLevelItemCount() ? log.topLevelItem(0)->text(1) : "",
                QString(row.warning).replace("%1", path));
            store->setValue("Options/Confirm", 2);
            CloseSettingsStore();
            QCOMPARE(contentOf(backup), copy);
        }
    }
};

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
