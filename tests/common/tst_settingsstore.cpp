#include "LogWidgetItem.h"
#include "QLog.h"
#include "SettingsStore.h"
#include "common/TestFiles.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {

QStringList messages(const QLog& log)
{
    QStringList result;
    for (int row = 0; row < log.topLevelItemCount(); ++row)
        result << static_cast<LogWidgetItem*>(log.topLevelItem(row))->Message();
    return result;
}

} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The usual mask: a file created without care would be readable by all.
        umask(022);
    }

    void cleanup()
    {
        CloseSettingsStore();
        QVERIFY(!SettingsStore());
    }

    void oneStoreUntilClosed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("deeper/still/settings.ini");
        QSettings* store = OpenSettingsStore(path);
        QVERIFY(store);
        QCOMPARE(SettingsStore(), store);
        QCOMPARE(OpenSettingsStore(dir.filePath("other.ini")), store);
        QCOMPARE(store->fileName(), path);
        QCOMPARE(store->format(), QSettings::IniFormat);

        store->setValue("Options/Confirm", 2);
        CloseSettingsStore();
        QVERIFY(!SettingsStore());
        QCOMPARE(contentOf(path), QByteArray("[Options]\nConfirm=2\n"));
    }

    void ownerOnly_data()
    {
        QTest::addColumn<int>("existingMode"); // -1: no file yet
        QTest::addColumn<int>("mode");

        QTest::newRow("new file") << -1 << 0600;
        QTest::newRow("readable by all") << 0644 << 0600;
        QTest::newRow("writable by all") << 0666 << 0600;
        QTest::newRow("already private") << 0600 << 0600;
    }

    // The mode holds from the start, through every rewrite and after closing.
    void ownerOnly()
    {
        QFETCH(int, existingMode);
        QFETCH(int, mode);

        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        if (existingMode >= 0)
            writeFile(path, "[Options]\nConfirm=1\n", existingMode);

        QSettings* store = OpenSettingsStore(path);
        QCOMPARE(modeOf(path), mode);
        QCOMPARE(store->value("Options/Confirm", 0).toInt(), existingMode >= 0 ? 1 : 0);
        store->setValue("Options/ProxyPassword", "enciphered");
        store->sync();
        QCOMPARE(store->status(), QSettings::NoError);
        QCOMPARE(modeOf(path), mode);
        store->setValue("Options/SMTPpassword", "enciphered too");
        CloseSettingsStore();
        QCOMPARE(modeOf(path), mode);
        QVERIFY(contentOf(path).contains("SMTPpassword=enciphered too"));
    }

    void keepsAnUnparsableFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("broken");

        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("sections, comments and blank lines") << QByteArray(
            "; written by hand\n[Options]\nConfirm=1\n\n[Window]\nGeometry=@ByteArray(\\0\\x1)\n")
                                                            << false;
        QTest::newRow("top-level keys") << QByteArray("a=1\r\nb=two words\r\n") << false;
        QTest::newRow("escaped key") << QByteArray("[Options]\nSMTP%20user=x\n") << false;
        QTest::newRow("section not closed") << QByteArray("[Options\nConfirm=1\n") << true;
        QTest::newRow("line without value") << QByteArray("[Options]\nConfirm=1\nBetFairLogin\n") << true;
        QTest::newRow("top-level line without value")
            << QByteArray("half a line\n[Options]\nConfirm=1\n") << true;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18) << true;
    }

    // A broken file is copied, byte for byte and private, before anything can
    // write to the store; the copy survives the store's next writes.
    void keepsAnUnparsableFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, broken);

        QLog log;
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        const QString backup = path + ".bak";
        writeFile(path, content, 0644);

        QSettings* store = OpenSettingsStore(path);
        QCOMPARE(QFile::exists(backup), broken);
        QCOMPARE(contentOf(path), content);
        if (!broken) {
            QCOMPARE(log.topLevelItemCount(), 0);
            return;
        }
        QCOMPARE(contentOf(backup), content);
        QCOMPARE(modeOf(backup), 0600);
        QCOMPARE(messages(log),
            QStringList { "The settings file " + path + " is damaged; a copy of it was kept as " + backup });
        QCOMPARE(log.property("warnings").toInt(), 1);

        store->setValue("Options/Confirm", 2);
        CloseSettingsStore();
        QVERIFY(contentOf(path) != content);
        QCOMPARE(contentOf(backup), content);
    }

    void replacesAnOlderBackup()
    {
        QLog log;
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        writeFile(path + ".bak", "from an earlier run", 0644);
        writeFile(path, "[Options\n", 0600);

        OpenSettingsStore(path);
        QCOMPARE(contentOf(path + ".bak"), QByteArray("[Options\n"));
        QCOMPARE(modeOf(path + ".bak"), 0600);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList { "settings.ini", "settings.ini.bak" }));
    }

    void reportsABackupThatFails_data()
    {
        QTest::addColumn<bool>("diskFull"); // otherwise a folder holds the backup's name
        QTest::addColumn<QString>("reason");

        QTest::newRow("name taken by a folder") << false << "Filename refers to a directory";
        QTest::newRow("disk full") << true << "File too large";
    }

    // The store still opens; the file and an earlier backup stay as they were.
    void reportsABackupThatFails()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, reason);

        QLog log;
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        const QByteArray content("[Options\nConfirm=1\n");
        writeFile(path, content, 0600);
        if (diskFull)
            writeFile(path + ".bak", "from an earlier run", 0600);
        else
            QVERIFY(QDir().mkpath(path + ".bak"));

        {
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace();
            QVERIFY(OpenSettingsStore(path));
        }
        QCOMPARE(messages(log),
            QStringList {
                "The settings file " + path + " is damaged and no copy of it could be kept: " + reason });
        QCOMPARE(contentOf(path), content);
        if (diskFull)
            QCOMPARE(contentOf(path + ".bak"), QByteArray("from an earlier run"));
    }
};

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
