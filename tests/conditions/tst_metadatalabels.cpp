#include "MetadataLabels.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QtTest>

class tst_MetadataLabels : public QObject
{
    Q_OBJECT

private slots:
    // Runs first: the language set-up fills the table, nothing does it on demand.
    void emptyBeforeInit()
    {
        QVERIFY(MetadataLabels::Name(QStringLiteral("SEX_TYPE")).isNull());
        MetadataLabels::Init();
        MetadataLabels::Init();
        QCOMPARE(MetadataLabels::Table().size(), 27);
    }

    void labels_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");
        // clang-format off
        QTest::newRow("no translator") << "" << "SEX_TYPE" << "SEX_TYPE";
        QTest::newRow("English") << "en_GB" << "SEX_TYPE" << "Sex of the horse";
        QTest::newRow("English apostrophe") << "en_GB" << "TRAINER_NAME" << "Trainer's name";
        QTest::newRow("English, last key") << "en_GB" << "DAM_SIRE_BRED" << "Horse's grandfather birth country";
        QTest::newRow("Russian") << "ru_RU" << "SEX_TYPE" << QStringLiteral("Пол лошади");
        QTest::newRow("Russian, tooltip only") << "ru_RU" << "WEIGHT_VALUE" << QStringLiteral("Вес лошади");
        QTest::newRow("Russian, spelling kept") << "ru_RU" << "ADJUSTED_RATING"
                                                << QStringLiteral("Нормализированый рейтинг лошади");
        QTest::newRow("case matters") << "en_GB" << "sex_type" << QString();
        QTest::newRow("unknown") << "ru_RU" << "RUNNER_ID" << QString();
        QTest::newRow("empty key") << "en_GB" << "" << QString();
        // clang-format on
    }

    void labels()
    {
        QFETCH(QString, language);
        QFETCH(QString, key);
        QFETCH(QString, label);
        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(translator.load(QStringLiteral(":/Translations/Tarnwickstone_%1.qm").arg(language)));
            QCoreApplication::installTranslator(&translator);
        }
        const QString name = MetadataLabels::Name(key);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(name, label);
        QCOMPARE(name.isNull(), label.isNull());
    }
};

QTEST_GUILESS_MAIN(tst_MetadataLabels)
#include "tst_metadatalabels.moc"
