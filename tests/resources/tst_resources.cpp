#include <QFile>
#include <QTranslator>
#include <QtTest>

// The resources sit in a library of their own; a linker that dropped their
// registration would leave the program without translations or icons.
class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void translationsAreEmbedded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("English") << QStringLiteral(":/Translations/Tarnwickstone_en_GB.qm");
        QTest::newRow("Russian") << QStringLiteral(":/Translations/Tarnwickstone_ru_RU.qm");
    }

    void translationsAreEmbedded()
    {
        QFETCH(QString, path);
        QVERIFY(QFile::exists(path));
        QTranslator translator;
        QVERIFY(translator.load(path));
    }

    void iconsAreEmbedded_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* name : { "status_OPEN", "status_WILL-IN-PLAY", "status_SUSPENDED", "status_IN-PLAY",
                 "status_CLOSED", "betfair", "card_green" })
            QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name));
        // Flags under the exchange's upper-case codes, and the blank of no country.
        QTest::newRow("flag GB") << QStringLiteral(":/countries/GB.png");
        QTest::newRow("flag RU") << QStringLiteral(":/countries/RU.png");
        QTest::newRow("no country") << QStringLiteral(":/countries/.png");
    }

    void iconsAreEmbedded()
    {
        QFETCH(QString, path);
        QVERIFY(QFile::exists(path));
    }

    void flagsAreUpperCaseOnly()
    {
        QVERIFY(!QFile::exists(":/countries/gb.png"));
        QVERIFY(!QFile::exists(":/countries/ENGLAND.png"));
    }
};

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
