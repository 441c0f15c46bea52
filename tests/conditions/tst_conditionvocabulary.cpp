#include "ConditionIds.h"
#include "ConditionVocabulary.h"
#include "MetadataLabels.h"

#include <QComboBox>
#include <QTranslator>
#include <QtTest>

namespace {

// "id:code" of every record, in list order.
QString summary(const QList<MyList>& list)
{
    QStringList parts;
    for (const MyList& item : list)
        parts << QStringLiteral("%1:%2").arg(item.id).arg(item.code);
    return parts.join(QLatin1Char(' '));
}

const char kNumeric[] = "10:EQ 20:NE 30:GR 40:LS 50:GE 60:LE 70:Btw 80:Ots 98:InList 99:NotInList";
const char kFullText[] = "10:EQ 20:NE 30:Cont 40:NotCont 50:Starts 60:Ends 98:InList 99:NotInList";
const char kList[] = "98:InList 99:NotInList";

} // namespace

class tst_ConditionVocabulary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MetadataLabels::Init(); }

    void objects()
    {
        const QList<MyList> objects = ConditionVocabulary::Objects();
        QCOMPARE(summary(objects),
            QStringLiteral("9:Event 10:Market 20:Any 30:All 40:Fav 50:Home 60:Away 70:Draw"));
        QCOMPARE(objects.at(2).label, QStringLiteral("Any Selection's"));
        QCOMPARE(objects.at(7).label, QStringLiteral("The Draw's"));
        QCOMPARE(
            ConditionVocabulary::Properties(ObjectId::Favourite).at(1).label, QStringLiteral("Lay Price"));
    }

    void properties_data()
    {
        QTest::addColumn<int>("object");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("Event") << int(ObjectId::Event) << "25:Sport 20:Country 10:Name 40:MinToStart 50:MinSinceOff "
                                                          "190:Minute 160:HomeScore 170:AwayScore 180:DrawScore";
        QTest::newRow("Market") << int(ObjectId::Market) << "27:Type 30:Status 10:Name 60:NumSel 70:NumPls 80:NumWith "
                                                            "90:Volume 100:SP 110:InPlay 130:BackBook 140:LayBook 150:HasBets";
        QTest::newRow("All") << int(ObjectId::EverySelection) << "20:Back 30:Lay 40:Last 50:Volume 60:FarSP 70:NearSP "
                                                                 "80:ActualSP 10:Name 160:Silks 150:HasBets";
        QTest::newRow("Away") << int(ObjectId::Away) << "20:Back 30:Lay 40:Last 50:Volume 10:Name 150:HasBets";
        QTest::newRow("Draw") << int(ObjectId::Draw) << "20:Back 30:Lay 40:Last 50:Volume 150:HasBets";
        QTest::newRow("no object") << int(MyList::NoId) << "";
        // clang-format on
    }

    void properties()
    {
        QFETCH(int, object);
        QFETCH(QString, expected);
        QCOMPARE(summary(ConditionVocabulary::Properties(object)), expected);
    }

    void parameters()
    {
        const QList<MyList> parameters
            = ConditionVocabulary::Parameters(ObjectId::Favourite, SelectionProperty::Silks);
        QCOMPARE(summary(parameters),
            QStringLiteral(
                "10:TRAINER_NAME 70:OWNER_NAME 130:JOCKEY_NAME 20:AGE 30:COLOUR_TYPE 40:OFFICIAL_RATING "
                "45:ADJUSTED_RATING 180:DAYS_SINCE_LAST_RUN 50:WEARING 190:JOCKEY_CLAIM 60:STALL_DRAW "
                "100:SEX_TYPE 140:CLOTH_NUMBER 80:SIRE_NAME 85:SIRE_YEAR_BORN 90:DAM_NAME "
                "95:DAM_YEAR_BORN 102:DAM_SIRE_NAME 105:DAM_SIRE_YEAR_BORN 160:FORECASTPRICE_NUMERATOR "
                "170:FORECASTPRICE_DENOMINATOR 200:FORM"));
        QCOMPARE(
            ConditionVocabulary::Parameters(ObjectId::AnySelection, SelectionProperty::Silks).size(), 22);
        QVERIFY(ConditionVocabulary::Parameters(ObjectId::Home, SelectionProperty::Silks).isEmpty());
        // 160 is "Home score" under the event, not "Silks".
        QVERIFY(ConditionVocabulary::Parameters(ObjectId::Event, EventProperty::HomeScore).isEmpty());
    }

    void comparisons_data()
    {
        QTest::addColumn<int>("object");
        QTest::addColumn<int>("property");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("expected");
        const int none = MyList::NoId;
        const int silks = SelectionProperty::Silks;
        const char withoutEquality[] = "30:Cont 40:NotCont 50:Starts 60:Ends 98:InList 99:NotInList";
        // clang-format off
        QTest::newRow("sport") << int(ObjectId::Event) << int(EventProperty::Sport) << none << kList;
        QTest::newRow("event name") << int(ObjectId::Event) << int(EventProperty::Name) << none << withoutEquality;
        QTest::newRow("minutes to start") << int(ObjectId::Event) << int(EventProperty::MinToStart) << none << "10:EQ 30:GR 40:LS 70:Btw";
        QTest::newRow("score difference") << int(ObjectId::Event) << int(EventProperty::DrawScore) << none << "10:EQ 20:GR 30:LS 40:NE";
        QTest::newRow("event, unknown property") << int(ObjectId::Event) << 999 << none << kNumeric;
        QTest::newRow("market status") << int(ObjectId::Market) << int(MarketProperty::Status) << none << "10:Idle 20:InPlay";
        QTest::newRow("market name") << int(ObjectId::Market) << int(MarketProperty::Name) << none << withoutEquality;
        QTest::newRow("market volume") << int(ObjectId::Market) << int(MarketProperty::Volume) << none << "10:EQ 20:NE 30:GR 40:LS 50:GE 60:LE 70:Btw 80:Ots";
        QTest::newRow("in-play flag") << int(ObjectId::Market) << int(MarketProperty::InPlay) << none << "10:True 20:False";
        QTest::newRow("bets") << int(ObjectId::Home) << int(SelectionProperty::HasBets) << none << "10:Any 20:None 30:Matched 40:Unmatched";
        QTest::newRow("any back") << int(ObjectId::AnySelection) << int(SelectionProperty::Back) << none << kNumeric;
        QTest::newRow("any name") << int(ObjectId::AnySelection) << int(SelectionProperty::Name) << none << "10:EQ 30:Cont 50:Starts 60:Ends 98:InList 99:NotInList";
        QTest::newRow("every name") << int(ObjectId::EverySelection) << int(SelectionProperty::Name) << none << kFullText;
        QTest::newRow("draw has no name") << int(ObjectId::Draw) << int(SelectionProperty::Name) << none << kNumeric;
        QTest::newRow("trainer") << int(ObjectId::AnySelection) << silks << int(MetadataParam::TrainerName) << kFullText;
        QTest::newRow("age") << int(ObjectId::Favourite) << silks << int(MetadataParam::Age) << kNumeric;
        QTest::newRow("sex type") << int(ObjectId::EverySelection) << silks << int(MetadataParam::SexType) << kList;
        QTest::newRow("form") << int(ObjectId::AnySelection) << silks << int(MetadataParam::Form) << "10:SQ 20:NSQ";
        QTest::newRow("unknown parameter") << int(ObjectId::AnySelection) << silks << 1 << "";
        QTest::newRow("parameter ignored off silks") << int(ObjectId::Favourite) << int(SelectionProperty::Lay) << int(MetadataParam::Form) << kNumeric;
        QTest::newRow("unknown object") << 15 << int(SelectionProperty::Back) << none << "";
        // clang-format on
    }

    void comparisons()
    {
        QFETCH(int, object);
        QFETCH(int, property);
        QFETCH(int, parameter);
        QFETCH(QString, expected);
        QCOMPARE(summary(ConditionVocabulary::Comparisons(object, property, parameter)), expected);
    }

    // The combo keeps the whole record as item data; an empty combo reads as "no item".
    void recordsTravelAsComboData()
    {
        QComboBox combo;
        const MyList none = combo.currentData().value<MyList>();
        QVERIFY(none.id == MyList::NoId && none.code.isEmpty() && none.label.isEmpty());
        for (const MyList& item : ConditionVocabulary::Objects())
            combo.addItem(item.label, QVariant::fromValue(item));
        QCOMPARE(QMetaType::type("MyList"), qMetaTypeId<MyList>());
        combo.setCurrentIndex(4);
        const MyList favourite = combo.currentData().value<MyList>();
        QCOMPARE(summary({ favourite }), QStringLiteral("40:Fav"));
        QCOMPARE(favourite.label, QStringLiteral("Favourite's"));
    }

    // Each call translates with the translators installed at that moment.
    void labelsFollowTranslator()
    {
        QTranslator russian;
        QVERIFY(russian.load(QStringLiteral(":/Translations/Tarnwickstone_ru_RU.qm")));
        QCoreApplication::installTranslator(&russian);
        const MyList event = ConditionVocabulary::Objects().first();
        const MyList trainer
            = ConditionVocabulary::Parameters(ObjectId::Favourite, SelectionProperty::Silks).first();
        QCoreApplication::removeTranslator(&russian);
        QCOMPARE(event.label, QStringLiteral("Событие"));
        QCOMPARE(trainer.label, QStringLiteral("Имя тренера"));
        QCOMPARE(ConditionVocabulary::Objects().first().label, QStringLiteral("Event's"));
    }
};

QTEST_MAIN(tst_ConditionVocabulary)
#include "tst_conditionvocabulary.moc"
