#include "ConditionIds.h"
#include "ConditionVocabulary.h"
#include "FilterBuilder.h"
#include "MetadataLabels.h"
#include "QSportsCatalog.h"
#include "RowCondition.h"
#include "SearchFilter.h"

#include "conditions/DataRows.h"
#include "conditions/RowSetup.h"

using namespace RowSetup;
using Rows = QList<RowCondition>;
Q_DECLARE_METATYPE(RowCondition)

namespace {

namespace O = ObjectId;
namespace E = EventProperty;
namespace M = MarketProperty;
namespace S = SelectionProperty;
namespace P = MetadataParam;
namespace N = NumberComparison;
namespace T = TextComparison;

const QDateTime noon(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);

// The item of a list with this code, or this id.
MyList find(const QList<MyList>& list, const QString& codeOrId)
{
    for (const MyList& item : list)
        if (item.code == codeOrId || QString::number(item.id) == codeOrId)
            return item;
    return {};
}

QString codes(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemData(i).value<MyList>().code;
    return all.join(' ');
}

// The current codes of the combos the row shows, as a RowSetting's choice.
QString choice(TriggerRow& row)
{
    const Parts parts { row };
    QStringList shown;
    for (const QComboBox* combo : { parts.objects, parts.properties, parts.parameters, parts.comparisons })
        if (combo->isVisibleTo(&row))
            shown << combo->currentData().value<MyList>().code;
    return shown.join(' ');
}

// A row as the building reads it: the values are its text and its bounds, the list its items and catalog codes.
RowCondition R(int object, int property, int comparison, const QStringList& values = {},
    const QStringList& list = {}, int parameter = MyList::NoId)
{
    RowCondition row;
    row.object = object, row.property = property, row.comparison = comparison, row.parameter = parameter;
    row.parameterCode = find(ConditionVocabulary::Parameters(O::AnySelection, S::Silks), QString::number(parameter)).code;
    row.comparisonCode = find(ConditionVocabulary::Comparisons(object, property, parameter), QString::number(comparison)).code;
    row.text = row.value1 = values.value(0);
    row.value2 = values.value(1);
    row.items = row.catalogCodes = list;
    return row;
}

// The results view's rule: a range inclusive, an inverted range strictly outside.
bool matches(const QJsonObject& condition, double value)
{
    const double from = condition.value("from").toDouble(), to = condition.value("to").toDouble();
    return condition.value("invert").toBool() ? value < from || value > to : from <= value && value <= to;
}

} // namespace

class tst_TriggerRow : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

private slots:
    void initTestCase()
    {
        QCatalog::Init(folder.path()); // the built-in catalogs
        QVERIFY(MetadataLabels::Name("SEX_TYPE").isNull()); // the language set-up fills the table, nothing on demand
        MetadataLabels::Init();
        QVERIFY(!MetadataLabels::Name("SEX_TYPE").isNull() && MetadataLabels::Name("sex_type").isNull());
    }

    // Comparison, bounds, value, passes: no open end cuts off real values, no bound rejects the next price.
    void matching_data()
    {
        textRows({ "GE 100000 0 2500000 passes", "GR 1.12 0 1.13 passes", "GR 1.12 0 1.12 fails", "LS 1.13 0 1.12 passes",
            "Ots 1.5 2 1.49 passes", "Ots 1.5 2 1.5 fails" });
    }
    void matching()
    {
        const QStringList row = fields();
        const int comparison = find(ConditionVocabulary::Comparisons(O::Market, M::Volume), row.at(0)).id;
        const QJsonObject condition
            = SearchFilter::NumberCondition(comparison, {}, row.at(1).toDouble(), row.at(2).toDouble(), false, {});
        QCOMPARE(matches(condition, row.at(3).toDouble()), row.at(4) == "passes");
    }

    // Minutes to or since the start, comparison, values, the window around a fixed noon (times of its day).
    void startTimeWindow_data()
    {
        textRows({ "to EQ 5 0 12:04:30 12:05:30", "to GR 10 0 12:10:01 -", "to LS 30 0 - 12:29:58", "to Btw 0 60 12:00:00 13:00:00",
            "since GR 10 0 - 11:50:02", "since Btw 5 10 11:50:01 11:55:00", "to GE 5 0 - -", "to GR 1e30 0 2341-03-22T05:46:40 -" });
    }
    void startTimeWindow()
    {
        const QStringList row = fields();
        const int property = row.at(0) == "to" ? E::MinToStart : E::MinSinceOff;
        const int comparison = find(ConditionVocabulary::Comparisons(O::Event, property), row.at(1)).id;
        QJsonObject expected;
        for (const int i : { 4, 5 })
            if (!row.at(i).isEmpty())
                expected.insert(i == 4 ? "from" : "to", (row.at(i).contains('T') ? "" : "2024-05-01T") + row.at(i) + "Z");
        // A clock reading with milliseconds gives the same whole seconds.
        for (const QDateTime& now : { noon, noon.addMSecs(999) })
            COMPARE_JSON(SearchFilter::StartTimeWindow(property, comparison, row.at(2).toFloat(), row.at(3).toFloat(), now), expected);
    }

    // The rows of a template, the filter they make.
    void filter_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("outside the vocabulary, or a catalog without a list") << Rows{R(5, E::Sport, T::InList, {}, {"1"}),
            R(O::Market, 5, N::Equal, {"1"}), R(O::Event, E::Sport, T::Equal, {}, {"1"})} << "{}";
        QTest::newRow("catalog lists continue, repeats kept") << Rows{R(O::Event, E::Sport, T::InList, {}, {"1"}),
            R(O::Event, E::Sport, T::NotInList, {}, {"4", "7"}), R(O::Event, E::Country, T::InList, {}, {"GB"}),
            R(O::Market, M::Type, T::InList, {}, {"WIN"}), R(O::Market, M::Type, T::InList, {}, {"WIN", "PLACE"})}
            << R"({"eventTypeIds": ["1", "4", "7"], "marketCountries": ["GB"], "marketTypeCodes": ["WIN", "WIN", "PLACE"]})";
        QTest::newRow("name forms, asterisks dropped") << Rows{R(O::Market, M::Name, T::EndsWith, {"*Chase*"}), R(O::Event, E::Name, T::NotEqual, {"Ascot*"})}
            << R"({"marketName": {"text": "Chase", "start": true, "invert": true}, "eventName": {"text": "Ascot"}})";
        QTest::newRow("a later window replaces the earlier") << Rows{R(O::Event, E::MinToStart, N::Between, {"0", "60"}), R(O::Event, E::MinSinceOff, N::Greater, {"10"})}
            << R"({"marketStartTime": {"to": "2024-05-01T11:50:02Z"}})";
        QTest::newRow("minute and scores") << Rows{R(O::Event, E::Minute, N::Between, {"60", "90"}),
            R(O::Event, E::HomeScore, N::GreaterOrEqual, {"2"}), R(O::Event, E::AwayScore, N::InList, {}, {"0", "1"})}
            << R"({"minute": {"from": 60, "to": 90}, "scores": true, "homeScore": {"from": 2, "to": 1e15}, "awayScore": {"list": [0, 1], "invert": false}})";
        QTest::newRow("draw score, away ahead by the smallest int") << Rows{R(O::Event, E::DrawScore, ScoreComparison::AwayAhead, {"-2147483648"})}
            << R"({"drawScore": 2147483648, "scores": true})";
        QTest::newRow("volume and books") << Rows{R(O::Market, M::Volume, N::GreaterOrEqual, {"100000"}),
            R(O::Market, M::BackBook, N::LessOrEqual, {"102.5"}), R(O::Market, M::LayBook, N::Greater, {"98"})}
            << R"({"volume": {"from": 100000, "to": 1e15}, "backBook": {"from": 0, "to": 102.5}, "layBook": {"from": 98.01, "to": 1e15}})";
        QTest::newRow("status, SP and in-play flags") << Rows{R(O::Market, M::Status, StatusComparison::Idle),
            R(O::Market, M::SP, FlagComparison::IsTrue), R(O::Market, M::InPlay, FlagComparison::IsFalse)}
            << R"({"inPlayOnly": false, "bspOnly": true, "turnInPlayEnabled": false})";
        QTest::newRow("market bets, the later row wins") << Rows{R(O::Market, M::HasBets, BetsComparison::AnyBets),
            R(O::Market, M::HasBets, BetsComparison::Unmatched)} << R"({"withOrders": ["EXECUTABLE"]})";
        QTest::newRow("selection rows in order, lists never merge") << Rows{R(O::AnySelection, S::Back, N::Outside, {"1.5", "2"}),
            R(O::AnySelection, S::Lay, N::Less, {"3"}), R(O::Favourite, S::Last, N::InList, {}, {"2"}), R(O::Favourite, S::Last, N::InList, {}, {"4"})}
            << R"({"sel": [{"sel": "any", "backPrice": {"from": 1.5, "to": 2, "invert": true}}, {"sel": "any", "layPrice": {"from": 0, "to": 2.99}},
                           {"sel": "fav", "lastPrice": {"list": [2], "invert": false}}, {"sel": "fav", "lastPrice": {"list": [4], "invert": false}}]})";
        QTest::newRow("every selection kind and key") << Rows{R(O::EverySelection, S::Volume, N::GreaterOrEqual, {"10"}),
            R(O::Home, S::FarSP, N::Equal, {"2"}), R(O::Away, S::NearSP, N::NotEqual, {"3"}), R(O::Draw, S::ActualSP, N::Between, {"3", "4"})}
            << R"({"sel": [{"sel": "all", "selVolume": {"from": 10, "to": 1e15}}, {"sel": "home", "farSP": {"from": 2, "to": 2}},
                           {"sel": "away", "nearSP": {"from": 3, "to": 3, "invert": true}}, {"sel": "draw", "actualSP": {"from": 3, "to": 4}}]})";
        QTest::newRow("metadata") << Rows{R(O::Favourite, S::Silks, SequenceComparison::NotMatches, {"^0"}, {}, P::Form),
            R(O::AnySelection, S::Silks, T::EndsWith, {"Smith"}, {}, P::TrainerName), R(O::AnySelection, S::Silks, T::Equal, {}, {"g"}, P::SexType),
            R(O::AnySelection, S::Silks, N::Greater, {"5"}, {}, P::Age), R(O::AnySelection, S::Silks, N::NotInList, {}, {"1", "2"}, P::StallDraw)}
            << R"({"sel": [{"sel": "fav", "silks": {"FORM": {"type": "FORM", "regexp": "^0", "invert": true}}},
                           {"sel": "any", "silks": {"TRAINER_NAME": {"text": "Smith", "start": true, "invert": true, "type": "STRING"}}},
                           {"sel": "any", "silks": {"SEX_TYPE": {"list": ["g"], "invert": false, "type": "STRING"}}},
                           {"sel": "any", "silks": {"AGE": {"from": 5.01, "to": 1e15, "type": "NUMBER"}}},
                           {"sel": "any", "silks": {"STALL_DRAW": {"list": [1, 2], "invert": true, "type": "NUMBER"}}}], "silks": true})";
        // clang-format on
    }
    void filter()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, expected);
        QJsonObject built;
        for (const RowCondition& row : rows)
            FilterBuilder::Add(built, row, noon);
        COMPARE_JSON(built, Json(expected));
    }

    // Row, the editors shown, their validator, the catalog of the list: each configuration as the stage sets it.
    void editors_data()
    {
        textRows({ "Event Sport NotInList | ListEditor | - | sports", "Market Type InList | ListEditor | - | marketTypes",
            "All Silks SEX_TYPE InList | ListEditor | - | sexTypes", "Event Name InList | ListEditor | QRegExpValidator | -",
            "Event MinToStart EQ | Value1 | QNumberValidator | -", "Event DrawScore GR | ValueText | QWholeNumberValidator | -",
            "Market NumSel EQ | Value1 | QWholeNumberValidator | -", "Market NumPls Btw | Value1 Value2 | QWholeNumberValidator | -",
            "Market NumWith NotInList | ListEditor | QWholeNumberValidator | -", "Fav Back Btw | Value1 Value2 | QPriceValidator | -",
            "Any HasBets None | - | - | -", "Any Silks FORM NSQ | ValueText | QPatternValidator | -" });
    }
    void editors()
    {
        const QStringList row = fields(" | ");
        TriggerRow trigger;
        const Parts parts { trigger };
        QVERIFY(load(trigger, { row.at(0) }));
        QCOMPARE(choice(trigger), row.at(0)); // the parameter combo shows with "Silks" only
        QStringList shown, validators;
        for (QLineEdit* edit : std::initializer_list<QLineEdit*> { parts.text, parts.value1, parts.value2, parts.list }) {
            // The list editor borrows its validator: the newest child.
            const auto owned = edit->findChildren<QValidator*>(QString(), Qt::FindDirectChildrenOnly);
            const QValidator* validator = edit == parts.list ? owned.value(owned.size() - 1) : edit->validator();
            if (edit->isVisibleTo(&trigger))
                shown << edit->objectName(), validators << (validator ? validator->metaObject()->className() : "");
        }
        validators.removeDuplicates();
        QCOMPARE(shown.join(' ') + " | " + validators.join(' '), row.at(1) + " | " + row.at(2));
        // With nothing chosen, every code of the catalog is excluded.
        const QHash<QString, QCatalog*> catalogs { { "sports", QCatalog::sports }, { "marketTypes", QCatalog::marketTypes },
            { "sexTypes", QCatalog::sexTypes } };
        if (shown.contains("ListEditor"))
            QCOMPARE(parts.list->Codes(true), row.at(3).isEmpty() ? QStringList() : catalogs[row.at(3)]->Codes({}, true));
    }

    // Start, list items, combo changes, row after, comparisons offered, Changed() count (a refill counts two).
    void cascade_data()
    {
        textRows({ "Fav Back EQ | - | CondList:Btw | Fav Back Btw | - | 1", "Any Lay Btw | - | ObjList:All | All Lay Btw | - | 1",
            "Any Back EQ | - | PropList:Name | Any Name EQ | - | 3", "Event Sport InList | - | ObjList:Market | Market Type InList | - | 7",
            "Any Name Starts | - | ObjList:All | All Name EQ | EQ NE Cont NotCont Starts Ends InList NotInList | 3",
            "Event MinToStart Btw | - | PropList:DrawScore PropList:MinToStart | Event MinToStart EQ | EQ GR LS Btw | -",
            "Any Back EQ | - | PropList:Silks | Any Silks TRAINER_NAME EQ | - | 4",
            "Any Silks AGE GR | - | PropList:Back PropList:Silks | Any Silks AGE GR | - | -",
            "Any Silks AGE EQ | - | ParamsList:FORM | Any Silks FORM SQ | SQ NSQ | 3",
            "Event Sport InList | 1 | PropList:Country | Event Country InList | - | 2",
            "Event Sport InList | 1 | CondList:NotInList | Event Sport NotInList | - | 1" });
    }
    void cascade()
    {
        const QStringList row = fields(" | ");
        TriggerRow trigger;
        QVERIFY(load(trigger, { row.at(0), {}, row.at(1).split(' ', Qt::SkipEmptyParts) }));
        QSignalSpy changed(&trigger, &TriggerRow::Changed);
        for (const QString& step : row.at(2).split(' '))
            QVERIFY(select(trigger.findChild<QComboBox*>(step.section(':', 0, 0)), step.section(':', 1)));
        QCOMPARE(choice(trigger), row.at(3));
        if (!row.at(4).isEmpty())
            QCOMPARE(codes(Parts { trigger }.comparisons), row.at(4));
        if (!row.at(5).isEmpty())
            QCOMPARE(QString::number(changed.count()), row.at(5));
    }

    // Changed() precedes its stage; keystrokes and the delete button are changes, ladder steps are not.
    void changes()
    {
        QPointer<TriggerRow> row = new TriggerRow;
        const Parts parts { *row };
        QVERIFY(load(*row, { "Fav Back EQ" }));
        QList<bool> upperShown;
        connect(row, &TriggerRow::Changed, this, [&] { upperShown << parts.value2->isVisibleTo(row); });
        QVERIFY(select(parts.comparisons, "Btw"));
        QCOMPARE(upperShown, QList<bool> { false });
        QTest::keyClicks(parts.value1, "1.5");
        QTest::keyClick(parts.value1, Qt::Key_Up);
        QCOMPARE(parts.value1->text(), "1.51");
        parts.value1->setText("2");
        QCOMPARE(upperShown.size(), 4);
        QTest::mouseClick(parts.remove, Qt::LeftButton);
        QCOMPARE(upperShown.size(), 5);
        QVERIFY(row); // deleted on the next turn of the event loop
        QTRY_VERIFY_WITH_TIMEOUT(!row, 10000);
    }

    // Row, texts, list items ("*": every sport), valid, a combo losing its choice; alike on screen or not.
    void validity_data()
    {
        textRows({ "Fav Back Btw | - 3 5 | - | valid", "Fav Back Btw | - 5 3 | - | invalid", "Fav Back Btw | - 3 5.05 | - | invalid",
            "Event DrawScore LS | 3.7 | - | invalid", "Market Status InPlay | - x y | - | valid", "Any Silks FORM SQ | 1.2 | - | valid",
            "Any Silks FORM SQ | 1( | - | invalid", "Market NumSel GR | - 3.7 | - | invalid", "Market NumPls LE | - 1,000 | - | invalid",
            "Market Volume GE | - 1,000 | - | invalid", "Market NumPls InList | - | 1 2.5 | invalid",
            "Any Name InList | - | - | invalid", "Event Sport NotInList | - | 1 | valid", "Event Sport NotInList | - | * | invalid",
            "Any Silks SEX_TYPE NotInList | - | g f c | valid", "Market Status InPlay | - | - | invalid | ObjList",
            "Market Status InPlay | - | - | invalid | CondList", "Any Silks FORM SQ | 1.2 | - | invalid | ParamsList",
            "Market Status InPlay | - | - | valid | ParamsList" });
    }
    void validity()
    {
        const QStringList row = fields(" | ");
        const QStringList texts = row.at(1).split(' ').replaceInStrings(QRegularExpression("^-$"), "");
        const QStringList items = row.at(2) == "*" ? QCatalog::sports->Codes({}, true) : row.at(2).split(' ', Qt::SkipEmptyParts);
        QWidget window;
        auto* trigger = new TriggerRow(&window);
        QVERIFY(load(*trigger, { row.at(0), texts, items }));
        if (row.size() > 4) {
            QVERIFY(trigger->IsValid());
            QVERIFY(!select(trigger->findChild<QComboBox*>(row.at(4)), "NoSuchCode"));
            QCOMPARE(trigger->HasEveryChoice(), row.at(3) == "valid");
        }
        for (const bool onScreen : { false, true, false }) {
            window.setVisible(onScreen);
            QCOMPARE(trigger->IsValid(), row.at(3) == "valid");
        }
    }

    // A reversed range marks the lower edit; leaving the range unpairs both edits.
    void reversedRange()
    {
        TriggerRow row;
        const Parts parts { row };
        QVERIFY(load(row, { "Fav Back Btw", { "", "5", "3" } }));
        QVERIFY(parts.value1->property("isError").toBool() && !parts.value2->property("isError").toBool());
        QVERIFY(select(parts.comparisons, "GR"));
        parts.value2->setText("1.5");
        QVERIFY(!parts.value1->property("isError").toBool() && row.IsValid());
    }
};

QTEST_MAIN(tst_TriggerRow)
#include "tst_triggerrow.moc"
