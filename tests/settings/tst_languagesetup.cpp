#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// The language is chosen once per process, so each case starts the set-up in
// a process of its own, with a fresh home and the system locale of the case.
class tst_LanguageSetup : public QObject
{
    Q_OBJECT

private slots:
    void chosenLanguage_data()
    {
        QTest::addColumn<QString>("systemLocale");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("language");

        const QString none; // nothing stored
        QTest::newRow("Russia, first start") << "ru_RU" << none << "ru";
        QTest::newRow("Russia, Russian stored") << "ru_RU" << "ru" << "ru";
        QTest::newRow("Russia, French stored") << "ru_RU" << "fr" << "en";
        QTest::newRow("Germany, first start") << "de_DE" << none << "en";
        QTest::newRow("Germany, Russian stored") << "de_DE" << "ru" << "ru";
        QTest::newRow("Germany, French stored") << "de_DE" << "fr" << "en";
        // Only the exact locale of a translation file counts, not its language.
        QTest::newRow("Ukraine in Russian, first start") << "ru_UA" << none << "en";
        QTest::newRow("Ukraine in Russian, Russian stored") << "ru_UA" << "ru" << "ru";
        QTest::newRow("Ukraine in Russian, French stored") << "ru_UA" << "fr" << "en";
        QTest::newRow("Russia, empty value stored") << "ru_RU" << "" << "en";
    }

    void chosenLanguage()
    {
        QFETCH(QString, systemLocale);
        QFETCH(QString, stored);
        QFETCH(QString, language);
        QTemporaryDir home;
        // The data folder's path and the file name meet without a separator.
        const QString settingsFile = home.filePath(".config") + "settings.ini";
        if (!stored.isNull())
            QSettings(settingsFile, QSettings::IniFormat).setValue("Options/Language", stored);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "LANG", "LANGUAGE", "LC_MESSAGES", "LC_CTYPE", "LC_NUMERIC" })
            environment.remove(name);
        environment.insert("LC_ALL", systemLocale + ".UTF-8");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(LANGUAGE_PROBE, QStringList());
        QVERIFY2(probe.waitForFinished(60000), "the probe did not end");
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
            probe.readAllStandardError().constData());
        const QJsonObject report = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();

        const bool russian = language == "ru";
        QCOMPARE(report.value("exchangeLocale").toString(), language);
        QCOMPARE(report.value("locale").toString(), russian ? "ru_RU" : "en_GB");
        QCOMPARE(report.value("status").toString(), russian ? "Открыт" : "Open");
        QCOMPARE(report.value("metadata").toString(), russian ? "Пол лошади" : "Sex of the horse");
        QCOMPARE(report.value("toolkit").toString(), russian ? "Отмена" : "Cancel");
        QVERIFY(report.value("secondCallChangesNothing").toBool());
        QCOMPARE(report.value("settingsFile").toString(), settingsFile);
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).value("Options/Language").toString(), language);
        // Exactly English and Russian, in code order, whatever the system.
        const QJsonArray languages {
            QJsonObject { { "key", "en" }, { "code", "en_GB" }, { "name", "English" }, { "country", "GB" },
                { "flag", ":/countries/GB.png" } },
            QJsonObject { { "key", "ru" }, { "code", "ru_RU" }, { "name", "Русский" }, { "country", "RU" },
                { "flag", ":/countries/RU.png" } },
        };
        QCOMPARE(report.value("languages").toArray(), languages);
    }
};

QTEST_GUILESS_MAIN(tst_LanguageSetup)
#include "tst_languagesetup.moc"
