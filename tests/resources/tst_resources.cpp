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
};

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
