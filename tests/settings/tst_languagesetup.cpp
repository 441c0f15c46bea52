#include "DataFolder.h"
#include "LanguageSetup.h"
#include "QConfirm.h"
#include "SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class tst_LanguageSetup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { CloseSettingsStore(); }

    // The store lies beside the configuration folder, whose parents are made;
    // a second call keeps the store and the message-box singleton it has.
    void opensTheStoreOnce()
    {
        QTemporaryDir dir;
        const QString configDir = dir.filePath("a/b/.config");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir));
        QCOMPARE(GetConfigDir(), configDir);
        QVERIFY(!QConfirm::Instance());
        QVERIFY(!SettingsStore());

        InitLanguage();
        QConfirm* const confirm = QConfirm::Instance();
        QSettings* const store = SettingsStore();
        QVERIFY(confirm);
        QVERIFY(store);
        QCOMPARE(store->fileName(), dir.filePath("a/b/.configsettings.ini"));
        QCOMPARE(store->format(), QSettings::IniFormat);
        QVERIFY(QFileInfo(store->fileName()).isFile());
        QCOMPARE(QFile::permissions(store->fileName()) & 0x0077, QFileDevice::Permissions());
        QVERIFY(!QFileInfo::exists(configDir));

        const QString movedDir = dir.filePath("moved/.config");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(movedDir));
        InitLanguage();
        QCOMPARE(QConfirm::Instance(), confirm);
        QCOMPARE(SettingsStore(), store);
        QCOMPARE(store->fileName(), dir.filePath("a/b/.configsettings.ini"));
        QVERIFY(!QFileInfo::exists(dir.filePath("moved")));

        // Closed by the main window at the end of a run, it opens anew.
        CloseSettingsStore();
        InitLanguage();
        QVERIFY(SettingsStore());
        QCOMPARE(SettingsStore()->fileName(), dir.filePath("moved/.configsettings.ini"));
    }
};

QTEST_MAIN(tst_LanguageSetup)
#include "tst_languagesetup.moc"
