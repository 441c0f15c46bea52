#include "DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

class tst_DataFolder : public QObject
{
    Q_OBJECT

private slots:
    // Rows run in turn in one process, so a cached result shows up as the
    // previous row's folder.
    void followsTheEnvironmentOnEveryCall_data()
    {
        QTest::addColumn<bool>("testMode");
        QTest::addColumn<QString>("xdgConfigHome");
        QTest::addColumn<QString>("expected");

        const QString home = QDir::homePath();
        QTest::newRow("XDG folder") << false << home + "/first" << home + "/first";
        QTest::newRow("another XDG folder") << false << home + "/second" << home + "/second";
        QTest::newRow("no XDG folder") << false << QString() << home + "/.config";
        QTest::newRow("test mode") << true << home + "/first" << home + "/.qttest/config";
    }

    void followsTheEnvironmentOnEveryCall()
    {
        QFETCH(bool, testMode);
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expected);

        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdgConfigHome));
        QStandardPaths::setTestModeEnabled(testMode);
        QCOMPARE(GetConfigDir(), expected);
        QCOMPARE(GetConfigDir(), expected);
    }

    // Names are appended with no separator, so the data lies beside the
    // folder; the settings of earlier runs are found only while this holds.
    void dataLiesBesideTheFolderAndNothingIsCreated()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString folder = GetConfigDir();
        QVERIFY(!folder.endsWith('/'));

        const QFileInfo settings(folder + "settings.ini");
        QCOMPARE(settings.fileName(), QStringLiteral("configsettings.ini"));
        QCOMPARE(settings.absolutePath(), QDir::homePath() + "/.qttest");
        QCOMPARE(QFileInfo(folder + "templates/").absolutePath(), QDir::homePath() + "/.qttest/configtemplates");
        QVERIFY(!QFileInfo::exists(settings.absolutePath()));
    }
};

QTEST_GUILESS_MAIN(tst_DataFolder)
#include "tst_datafolder.moc"
