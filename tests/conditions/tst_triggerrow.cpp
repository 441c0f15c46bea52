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

} // namespace

class tst_TriggerRow : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

private slots:
    void initTestCase()
    {
        QCatalog::Init(folder.path()); // the built-in catalogs
        MetadataLabels::Init();
    }

    // Minutes to or since the start, comparison, values, the window around a fixed noon (times of its day).
    void startTimeWindow_data()
    {
        textRows({ "to EQ 5 0 12:04:30 12:05:30", "to LS 30 0 - 12:29:58", "since Btw 5 10 11:50:01 11:55:00",
            "to GR 1e30 0 2341-03-22T05:46:40 -", "since EQ 10 0 11:49:30 11:50:30", "since LS 10 0 11:49:59 12:00:00",
            "since GR 10 0 - 11:50:02" });
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
        QTest::newRow("draw score, away ahead by the smallest int") << Rows{R(O::Event, E::DrawScore, ScoreComparison::AwayAhead, {"-2147483648"})}
            << R"({"drawScore": 2147483648, "scores": true})";
        QTest::newRow("volume and books") << Rows{R(O::Market, M::Volume, N::GreaterOrEqual, {"100000"}),
            R(O::Market, M::BackBook, N::LessOrEqual, {"102.5"}), R(O::Market, M::LayBook, N::Greater, {"98"})}
            << R"({"volume": {"from": 100000, "to": 1e15}, "backBook": {"from": 0, "to": 102.5}, "layBook": {"from": 98.01, "to": 1e15}})";
        QTest::newRow("selection rows in order, lists never merge") << Rows{R(O::AnySelection, S::Back, N::Outside, {"1.5", "2"}),
            R(O::AnySelection, S::Lay, N::Less, {"3"}), R(O::Favourite, S::Last, N::InList, {}, {"2"}), R(O::Favourite, S::Last, N::InList, {}, {"4"})}
            << R"({"sel": [{"sel": "any", "backPrice": {"from": 1.5, "to": 2, "invert": true}}, {"sel": "any", "layPrice": {"from": 0, "to": 2.99}},
                           {"sel": "fav", "lastPrice": {"list": [2], "invert": false}}, {"sel": "fav", "lastPrice": {"list": [4], "invert": false}}]})";
        QTest::newRow("every number form") << Rows{R(O::Home, S::Back, N::Equal, {"2"}), R(O::Home, S::Back, N::NotEqual, {"2"}),
            R(O::Home, S::Back, N::Between, {"1.5", "3"}), R(O::Home, S::Back, N::NotInList, {}, {"2", "3.5"}), R(O::Home, S::Back, 45, {"2"}),
            R(O::Market, M::NumSel, N::InList, {}, {"3"}), R(O::Market, M::NumSel, N::NotInList, {}, {"5"})}
            << R"({"sel": [{"sel": "home", "backPrice": {"from": 2, "to": 2}}, {"sel": "home", "backPrice": {"from": 2, "to": 2, "invert": true}},
                           {"sel": "home", "backPrice": {"from": 1.5, "to": 3}}, {"sel": "home", "backPrice": {"list": [2, 3.5], "invert": true}},
                           {"sel": "home", "backPrice": {}}], "numberOfSelections": {"list": [3, 5], "invert": true}})";
        QTest::newRow("every text form") << Rows{R(O::Draw, S::Name, T::Equal, {"F*"}), R(O::Draw, S::Name, T::NotEqual, {"F"}),
            R(O::Draw, S::Name, T::Contains, {"F"}), R(O::Draw, S::Name, T::NotContains, {"F"}), R(O::Draw, S::Name, T::StartsWith, {"F"}),
            R(O::Draw, S::Name, T::EndsWith, {"F"}), R(O::Draw, S::Name, T::InList, {}, {"F"}), R(O::Draw, S::Name, T::NotInList, {}, {"F"}),
            R(O::Draw, S::Silks, T::NotInList, {}, {"F"}, P::TrainerName), R(O::Event, E::Name, T::EndsWith, {"*Utd*"}),
            R(O::Market, M::Name, T::InList, {}, {"A"}), R(O::Market, M::Name, T::NotInList, {}, {"B"})}
            << R"({"sel": [{"sel": "draw", "selName": {"text": "F*"}}, {"sel": "draw", "selName": {"text": "F", "invert": true}},
                           {"sel": "draw", "selName": {"text": "F", "contains": true}}, {"sel": "draw", "selName": {"text": "F", "contains": true, "invert": true}},
                           {"sel": "draw", "selName": {"text": "F", "start": true}}, {"sel": "draw", "selName": {"text": "F", "start": true, "invert": true}},
                           {"sel": "draw", "selName": {"text": {"list": ["F"], "invert": false}}}, {"sel": "draw", "selName": {"text": {"list": ["F"], "invert": true}}},
                           {"sel": "draw", "silks": {"TRAINER_NAME": {"list": ["F"], "invert": true, "type": "STRING"}}}], "silks": true,
                "eventName": {"text": "Utd", "start": true, "invert": true}, "marketName": {"text": {"list": ["A", "B"], "invert": true}}})";
        QTest::newRow("metadata") << Rows{R(O::Favourite, S::Silks, SequenceComparison::NotMatches, {"^0"}, {}, P::Form),
            R(O::AnySelection, S::Silks, N::Greater, {"5"}, {}, P::Age)}
            << R"({"sel": [{"sel": "fav", "silks": {"FORM": {"type": "FORM", "regexp": "^0", "invert": true}}},
                           {"sel": "any", "silks": {"AGE": {"from": 5.01, "to": 1e15, "type": "NUMBER"}}}], "silks": true})";
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

    // A row chosen by its words, its texts (ValueText, Value1), the filter it builds.
    void filterOfWords_data()
    {
        textRows({ R"(Market Status InPlay | - | {"inPlayOnly": true})", R"(Market Status Idle | - | {"inPlayOnly": false})",
            R"(Market SP True | - | {"bspOnly": true})", R"(Market SP False | - | {"bspOnly": false})",
            R"(Market InPlay True | - | {"turnInPlayEnabled": true})", R"(Market InPlay False | - | {"turnInPlayEnabled": false})",
            R"(Market HasBets None | - | {"withOrders": "NONE"})", R"(Market HasBets Matched | - | {"withOrders": ["EXECUTION_COMPLETE"]})",
            R"(Event DrawScore GR | 2 | {"drawScore": 2, "scores": true})", R"(Event DrawScore LS | 2 | {"drawScore": -2, "scores": true})",
            R"(Event DrawScore NE | - | {"drawScore": "!=", "scores": true})",
            R"(Any Name Ends | Utd | {"sel": [{"sel": "any", "selName": {"text": "Utd", "start": true, "invert": true}}]})",
            R"(Away Back GR | - 2 | {"sel": [{"sel": "away", "backPrice": {"from": 2.01, "to": 1e15}}]})",
            R"(Draw HasBets Unmatched | - | {"sel": [{"sel": "draw", "bets": "Unmatched"}]})" });
    }
    void filterOfWords()
    {
        const QStringList row = fields(" | ");
        TriggerRow trigger;
        QVERIFY(load(trigger, { row.at(0), row.at(1).split(' ').replaceInStrings(QRegularExpression("^-$"), "") }));
        QJsonObject filter;
        trigger.AddToFilter(filter);
        COMPARE_JSON(filter, Json(row.at(2)));
    }

    // Changed() precedes its stage; keystrokes and the delete button are changes, changes by the program are not.
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
        textRows({ "Fav Back Btw | - 3 5 | - | valid", "Fav Back Btw | - 5 3 | - | invalid", "Event DrawScore LS | 3.7 | - | invalid",
            "Market Status InPlay | - x y | - | valid", "Any Silks FORM SQ | 1( | - | invalid", "Market NumSel GR | - 3.7 | - | invalid",
            "Event Sport NotInList | - | 1 | valid", "Event Sport NotInList | - | * | invalid", "Market Status InPlay | - | - | invalid | CondList",
            "Any Silks FORM SQ | 1.2 | - | invalid | ParamsList", "Market Status InPlay | - | - | valid | ParamsList",
            "Event Country NotInList | - | * | invalid", "Market Type NotInList | - | * | invalid",
            "Any Silks SEX_TYPE NotInList | - | * | valid", "Event DrawScore GR | - | - | invalid", "Event DrawScore EQ | - | - | valid" });
    }
    void validity()
    {
        const QStringList row = fields(" | ");
        const QStringList texts = row.at(1).split(' ').replaceInStrings(QRegularExpression("^-$"), "");
        // "*": every code of the row's catalog, named by the word before the comparison.
        const QStringList words = row.at(0).split(' ');
        const QHash<QString, QCatalog*> catalogs { { "Sport", QCatalog::sports }, { "Country", QCatalog::countries },
            { "Type", QCatalog::marketTypes }, { "SEX_TYPE", QCatalog::sexTypes } };
        const QStringList items = row.at(2) == "*" ? catalogs.value(words.at(words.size() - 2))->Codes({}, true)
                                                   : row.at(2).split(' ', Qt::SkipEmptyParts);
        QWidget window;
        auto* trigger = new TriggerRow(&window);
        QVERIFY(load(*trigger, { row.at(0), texts, items }));
        if (row.size() > 4) {
            QVERIFY(trigger->IsValid());
            QVERIFY(!select(trigger->findChild<QComboBox*>(row.at(4)), "NoSuchCode"));
            QCOMPARE(TriggerRow::FindItem(trigger->findChild<QComboBox*>(row.at(4)), ""), -1); // a key the record lacks
            QCOMPARE(trigger->HasEveryChoice(), row.at(3) == "valid");
        }
        for (const bool onScreen : { false, true, false }) {
            window.setVisible(onScreen);
            QCOMPARE(trigger->IsValid(), row.at(3) == "valid");
        }
    }
};

QTEST_MAIN(tst_TriggerRow)
#include "tst_triggerrow.moc"
