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

    struct Start
    {
        QJsonObject report;
        QString settingsFile;
    };

    static void StartProgram(const QString& systemLocale, const QString& stored, Start& start, QTemporaryDir& home)
    {
        const QString configDir = home.filePath(".config");
        // The data folder's path and the file name meet without a separator.
        start.settingsFile = configDir + "settings.ini";
        if (!stored.isNull()) {
            QSettings before(start.settingsFile, QSettings::IniFormat);
            before.setValue("Options/Language", stored);
        }

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "LANG", "LANGUAGE", "LC_MESSAGES", "LC_CTYPE", "LC_NUMERIC" })
            environment.remove(name);
        environment.insert("LC_ALL", systemLocale + ".UTF-8");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", configDir);

        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(LANGUAGE_PROBE, QStringList());
        QVERIFY2(probe.waitForFinished(60000), "the probe did not end");
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
            probe.readAllStandardError().constData());
        start.report = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
        QVERIFY(!start.report.isEmpty());
    }

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
        Start start;
        StartProgram(systemLocale, stored, start, home);
        if (QTest::currentTestFailed())
            return;
        const QJsonObject& report = start.report;
        const bool russian = language == "ru";

        QCOMPARE(report.value("exchangeLocale").toString(), language);
        QCOMPARE(report.value("locale").toString(), russian ? "ru_RU" : "en_GB");
        QCOMPARE(report.value("status").toString(), russian ? "Открыт" : "Open");
        QCOMPARE(report.value("metadata").toString(), russian ? "Пол лошади" : "Sex of the horse");
        QCOMPARE(report.value("toolkit").toString(), russian ? "Отмена" : "Cancel");
        QVERIFY(report.value("secondCallChangesNothing").toBool());

        QCOMPARE(report.value("settingsFile").toString(), start.settingsFile);
        QSettings after(start.settingsFile, QSettings::IniFormat);
        QCOMPARE(after.value("Options/Language").toString(), language);
    }

    void languageTable()
    {
        QTemporaryDir home;
        Start start;
        StartProgram("de_DE", QString(), start, home);
        if (QTest::currentTestFailed())
            return;
        const QJsonArray expected {
            QJsonObject { { "key", "en" }, { "code", "en_GB" }, { "name", "English" }, { "country", "GB" },
                { "flag", ":/countries/GB.png" } },
            QJsonObject { { "key", "ru" }, { "code", "ru_RU" }, { "name", "Русский" }, { "country", "RU" },
                { "flag", ":/countries/RU.png" } },
        };
        QCOMPARE(start.report.value("languages").toArray(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_LanguageSetup)
#include "tst_languagesetup.moc"
