#include "ConditionIds.h"
#include "FilterBuilder.h"
#include "RowCondition.h"
#include "SearchFilter.h"

#include "conditions/FilterReaders.h"

#include <QtTest>

Q_DECLARE_METATYPE(RowCondition)

using FilterReaders::Json;

namespace {

const QDateTime noon(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC);

// One row as the builder reads it, written compactly in the tables.
struct Row
{
    RowCondition condition;

    Row(int object, int property, int comparison, const char* comparisonCode = "")
    {
        condition.object = object;
        condition.property = property;
        condition.comparison = comparison;
        condition.comparisonCode = QLatin1String(comparisonCode);
    }
    Row& values(const QString& first, const QString& second = QString())
    {
        condition.value1 = first;
        condition.value2 = second;
        return *this;
    }
    Row& text(const QString& value)
    {
        condition.text = value;
        return *this;
    }
    Row& items(const QStringList& values)
    {
        condition.items = values;
        return *this;
    }
    Row& codes(const QStringList& values)
    {
        condition.catalogCodes = values;
        return *this;
    }
    Row& parameter(int id, const char* code)
    {
        condition.parameter = id;
        condition.parameterCode = QLatin1String(code);
        return *this;
    }
    operator RowCondition() const { return condition; }
};

using Rows = QList<RowCondition>;

QJsonObject build(const Rows& rows)
{
    QJsonObject filter;
    for (const RowCondition& row : rows)
        FilterBuilder::Add(filter, row, noon);
    return filter;
}

namespace O = ObjectId;
namespace E = EventProperty;
namespace M = MarketProperty;
namespace S = SelectionProperty;
namespace P = MetadataParam;
namespace N = NumberComparison;
namespace T = TextComparison;

} // namespace

class tst_SearchFilter : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };

private slots:
    // What the results view lets through, for conditions at the edges of
    // their values: the bounds must neither cut off real values nor reject
    // the neighbouring prices.
    void matching_data()
    {
        QTest::addColumn<int>("comparison");
        QTest::addColumn<double>("value1");
        QTest::addColumn<double>("value2");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("passes");
        // clang-format off
        QTest::newRow("volume >= 100000 passes 100000") << int(N::GreaterOrEqual) << 100000.0 << 0.0 << 100000.0 << true;
        QTest::newRow("volume >= 100000 passes 2.5 million") << int(N::GreaterOrEqual) << 100000.0 << 0.0 << 2.5e6 << true;
        QTest::newRow("> 1.12 passes 1.13") << int(N::Greater) << 1.12 << 0.0 << 1.13 << true;
        QTest::newRow("> 1.12 rejects 1.12") << int(N::Greater) << 1.12 << 0.0 << 1.12 << false;
        QTest::newRow("< 1.13 passes 1.12") << int(N::Less) << 1.13 << 0.0 << 1.12 << true;
        QTest::newRow("< 1.13 rejects 1.13") << int(N::Less) << 1.13 << 0.0 << 1.13 << false;
        QTest::newRow("> 3 selections passes 4") << int(N::Greater) << 3.0 << 0.0 << 4.0 << true;
        QTest::newRow("> 3 selections rejects 3") << int(N::Greater) << 3.0 << 0.0 << 3.0 << false;
        QTest::newRow("outside 1.5-2 passes 1.49") << int(N::Outside) << 1.5 << 2.0 << 1.49 << true;
        QTest::newRow("outside 1.5-2 passes 2.02") << int(N::Outside) << 1.5 << 2.0 << 2.02 << true;
        QTest::newRow("outside 1.5-2 rejects 1.5") << int(N::Outside) << 1.5 << 2.0 << 1.5 << false;
        QTest::newRow("outside 1.5-2 rejects 2") << int(N::Outside) << 1.5 << 2.0 << 2.0 << false;
        // clang-format on
    }

    void matching()
    {
        QFETCH(int, comparison);
        QFETCH(double, value1);
        QFETCH(double, value2);
        QFETCH(double, value);
        QFETCH(bool, passes);
        const QJsonObject condition
            = SearchFilter::NumberCondition(comparison, {}, value1, value2, false, {});
        QCOMPARE(FilterReaders::MatchNumber(condition, value), passes);
    }

    void startTimeWindow_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<int>("comparison");
        QTest::addColumn<float>("value1");
        QTest::addColumn<float>("value2");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("to start = 5") << int(E::MinToStart) << int(N::Equal) << 5.f << 0.f
            << R"({"from": "2024-05-01T12:04:30Z", "to": "2024-05-01T12:05:30Z"})";
        QTest::newRow("to start > 10") << int(E::MinToStart) << int(N::Greater) << 10.f << 0.f
            << R"({"from": "2024-05-01T12:10:01Z"})";
        QTest::newRow("to start < 30") << int(E::MinToStart) << int(N::Less) << 30.f << 0.f
            << R"({"to": "2024-05-01T12:29:58Z"})";
        QTest::newRow("to start between 0 and 60") << int(E::MinToStart) << int(N::Between) << 0.f << 60.f
            << R"({"from": "2024-05-01T12:00:00Z", "to": "2024-05-01T13:00:00Z"})";
        QTest::newRow("since start = 5") << int(E::MinSinceOff) << int(N::Equal) << 5.f << 0.f
            << R"({"from": "2024-05-01T11:54:30Z", "to": "2024-05-01T11:55:30Z"})";
        QTest::newRow("since start > 10") << int(E::MinSinceOff) << int(N::Greater) << 10.f << 0.f
            << R"({"to": "2024-05-01T11:50:02Z"})";
        QTest::newRow("since start < 10: 601 s back") << int(E::MinSinceOff) << int(N::Less) << 10.f << 0.f
            << R"({"from": "2024-05-01T11:49:59Z", "to": "2024-05-01T12:00:00Z"})";
        QTest::newRow("since start between 5 and 10") << int(E::MinSinceOff) << int(N::Between) << 5.f << 10.f
            << R"({"from": "2024-05-01T11:50:01Z", "to": "2024-05-01T11:55:00Z"})";
        QTest::newRow("comparison without a window") << int(E::MinToStart) << int(N::GreaterOrEqual) << 5.f << 0.f
            << "{}";
        // Truncated to a few centuries, not an overflow of the seconds.
        QTest::newRow("absurd minutes") << int(E::MinToStart) << int(N::Greater) << 1e30f << 0.f
            << R"({"from": "2341-03-22T05:46:40Z"})";
        // clang-format on
    }

    void startTimeWindow()
    {
        QFETCH(int, property);
        QFETCH(int, comparison);
        QFETCH(float, value1);
        QFETCH(float, value2);
        QFETCH(QString, expected);
        const QJsonObject window = SearchFilter::StartTimeWindow(property, comparison, value1, value2, noon);
        COMPARE_JSON(window, Json(qPrintable(expected)));
        // A clock reading with milliseconds still gives whole seconds.
        const QJsonObject later
            = SearchFilter::StartTimeWindow(property, comparison, value1, value2, noon.addMSecs(999));
        COMPARE_JSON(later, window);
    }

    // Whole templates: the rows in order, and the filter they make.
    void filter_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("no rows") << Rows{} << "{}";
        QTest::newRow("object outside the vocabulary") << Rows{Row(5, E::Sport, T::InList).codes({"1"})} << "{}";

        QTest::newRow("sports of two rows, each in catalog order") << Rows{
            Row(O::Event, E::Sport, T::InList).codes({"1"}),
            Row(O::Event, E::Sport, T::InList).codes({"4", "7"})}
            << R"({"eventTypeIds": ["1", "4", "7"]})";
        QTest::newRow("excluded sports, then one more") << Rows{
            Row(O::Event, E::Sport, T::NotInList).codes({"2", "4"}),
            Row(O::Event, E::Sport, T::InList).codes({"1"})}
            << R"({"eventTypeIds": ["2", "4", "1"]})";
        QTest::newRow("countries never start from the sports") << Rows{
            Row(O::Event, E::Sport, T::InList).codes({"1"}),
            Row(O::Event, E::Country, T::InList).codes({"GB", "IE"})}
            << R"({"eventTypeIds": ["1"], "marketCountries": ["GB", "IE"]})";
        QTest::newRow("catalog row without a list comparison") << Rows{
            Row(O::Event, E::Sport, T::Equal).codes({"1"}),
            Row(O::Market, M::Type, T::Contains).codes({"WIN"})} << "{}";
        QTest::newRow("market types, repeats kept") << Rows{
            Row(O::Market, M::Type, T::InList).codes({"WIN"}),
            Row(O::Market, M::Type, T::InList).codes({"WIN", "PLACE"})}
            << R"({"marketTypeCodes": ["WIN", "WIN", "PLACE"]})";

        QTest::newRow("event name lists continue") << Rows{
            Row(O::Event, E::Name, T::InList).items({"Arsenal", "Chelsea"}),
            Row(O::Event, E::Name, T::NotInList).items({"Fulham"})}
            << R"({"eventName": {"text": {"list": ["Arsenal", "Chelsea", "Fulham"], "invert": true}}})";
        QTest::newRow("event name list after a text form") << Rows{
            Row(O::Event, E::Name, T::Contains).text("v"),
            Row(O::Event, E::Name, T::InList).items({"A v B"})}
            << R"({"eventName": {"text": {"list": ["A v B"], "invert": false}}})";
        QTest::newRow("market name ends with, asterisks dropped") << Rows{
            Row(O::Market, M::Name, T::EndsWith).text("*Chase*")}
            << R"({"marketName": {"text": "Chase", "start": true, "invert": true}})";
        QTest::newRow("market name forms") << Rows{
            Row(O::Market, M::Name, T::NotContains).text("Place"),
            Row(O::Event, E::Name, T::StartsWith).text("Ascot*")}
            << R"({"marketName": {"text": "Place", "contains": true, "invert": true},
                   "eventName": {"text": "Ascot", "start": true}})";
        QTest::newRow("event name without a form: equality") << Rows{
            Row(O::Event, E::Name, T::NotEqual).text("Ascot")}
            << R"({"eventName": {"text": "Ascot"}})";

        QTest::newRow("minutes to start < 30") << Rows{
            Row(O::Event, E::MinToStart, N::Less).values("30")}
            << R"({"marketStartTime": {"to": "2024-05-01T12:29:58Z"}})";
        QTest::newRow("a later window replaces the earlier whole") << Rows{
            Row(O::Event, E::MinToStart, N::Between).values("0", "60"),
            Row(O::Event, E::MinSinceOff, N::Greater).values("10")}
            << R"({"marketStartTime": {"to": "2024-05-01T11:50:02Z"}})";
        QTest::newRow("minute of the match and scores") << Rows{
            Row(O::Event, E::Minute, N::Between).values("60", "90"),
            Row(O::Event, E::HomeScore, N::GreaterOrEqual).values("2"),
            Row(O::Event, E::AwayScore, N::InList).items({"0", "1"})}
            << R"({"minute": {"from": 60, "to": 90}, "scores": true,
                   "homeScore": {"from": 2, "to": 1e15},
                   "awayScore": {"list": [0, 1], "invert": false}})";
        QTest::newRow("away ahead by 2") << Rows{
            Row(O::Event, E::DrawScore, ScoreComparison::AwayAhead).text("2")}
            << R"({"drawScore": -2, "scores": true})";
        QTest::newRow("home ahead by 1") << Rows{
            Row(O::Event, E::DrawScore, ScoreComparison::HomeAhead).text("1")}
            << R"({"drawScore": 1, "scores": true})";
        QTest::newRow("scores equal, then not") << Rows{
            Row(O::Event, E::DrawScore, ScoreComparison::Equal),
            Row(O::Event, E::DrawScore, ScoreComparison::NotEqual)}
            << R"({"drawScore": "!=", "scores": true})";

        QTest::newRow("places in list, twice") << Rows{
            Row(O::Market, M::NumPls, N::InList).items({"1", "2"}),
            Row(O::Market, M::NumPls, N::InList).items({"3"})}
            << R"({"numberOfPlaces": {"list": [1, 2, 3], "invert": false}})";
        QTest::newRow("places in list, then between") << Rows{
            Row(O::Market, M::NumPls, N::InList).items({"1", "2"}),
            Row(O::Market, M::NumPls, N::Between).values("2", "3")}
            << R"({"numberOfPlaces": {"from": 2, "to": 3}})";
        QTest::newRow("places between, then not in list") << Rows{
            Row(O::Market, M::NumPls, N::Between).values("1", "2"),
            Row(O::Market, M::NumPls, N::NotInList).items({"5"})}
            << R"({"numberOfPlaces": {"list": [5], "invert": true}})";
        QTest::newRow("comparison without a number form") << Rows{Row(O::Market, M::Volume, 55).values("1")}
            << R"({"volume": {}})";
        // The row refuses such a value; the building alone reads it as 0.
        QTest::newRow("selections > 3.7 reads 0") << Rows{Row(O::Market, M::NumSel, N::Greater).values("3.7")}
            << R"({"numberOfSelections": {"from": 0.01, "to": 1e15}})";
        QTest::newRow("withdrawns outside") << Rows{Row(O::Market, M::NumWith, N::Outside).values("1", "3")}
            << R"({"numberOfWithdrawns": {"from": 1, "to": 3, "invert": true}})";
        QTest::newRow("volume and books") << Rows{
            Row(O::Market, M::Volume, N::GreaterOrEqual).values("100000"),
            Row(O::Market, M::BackBook, N::LessOrEqual).values("102.5"),
            Row(O::Market, M::LayBook, N::Greater).values("98")}
            << R"({"volume": {"from": 100000, "to": 1e15}, "backBook": {"from": 0, "to": 102.5},
                   "layBook": {"from": 98.01, "to": 1e15}})";
        QTest::newRow("status, SP and in-play flags") << Rows{
            Row(O::Market, M::Status, StatusComparison::InPlay),
            Row(O::Market, M::SP, FlagComparison::IsTrue),
            Row(O::Market, M::InPlay, FlagComparison::IsFalse)}
            << R"({"inPlayOnly": true, "bspOnly": true, "turnInPlayEnabled": false})";
        QTest::newRow("idle or suspended") << Rows{Row(O::Market, M::Status, StatusComparison::Idle)}
            << R"({"inPlayOnly": false})";
        QTest::newRow("market without bets") << Rows{Row(O::Market, M::HasBets, BetsComparison::NoBets)}
            << R"({"withOrders": "NONE"})";
        QTest::newRow("market with bets, the later row wins") << Rows{
            Row(O::Market, M::HasBets, BetsComparison::AnyBets),
            Row(O::Market, M::HasBets, BetsComparison::Unmatched)}
            << R"({"withOrders": ["EXECUTABLE"]})";
        QTest::newRow("matched or unmatched bets") << Rows{Row(O::Market, M::HasBets, BetsComparison::AnyBets)}
            << R"({"withOrders": ["EXECUTION_COMPLETE", "EXECUTABLE"]})";
        QTest::newRow("market property outside the vocabulary") << Rows{Row(O::Market, 5, N::Equal).values("1")}
            << "{}";

        QTest::newRow("two selection rows, in row order") << Rows{
            Row(O::AnySelection, S::Back, N::Between).values("1.5", "2"),
            Row(O::AnySelection, S::Lay, N::Less).values("3")}
            << R"({"sel": [{"sel": "any", "backPrice": {"from": 1.5, "to": 2}},
                           {"sel": "any", "layPrice": {"from": 0, "to": 2.99}}]})";
        QTest::newRow("selection lists never merge") << Rows{
            Row(O::Favourite, S::Last, N::InList).items({"2", "3"}),
            Row(O::Favourite, S::Last, N::InList).items({"4"})}
            << R"({"sel": [{"sel": "fav", "lastPrice": {"list": [2, 3], "invert": false}},
                           {"sel": "fav", "lastPrice": {"list": [4], "invert": false}}]})";
        QTest::newRow("every selection kind and key") << Rows{
            Row(O::EverySelection, S::Volume, N::GreaterOrEqual).values("10"),
            Row(O::Home, S::FarSP, N::Equal).values("2"),
            Row(O::Away, S::NearSP, N::NotEqual).values("3"),
            Row(O::Draw, S::ActualSP, N::Outside).values("3", "4")}
            << R"({"sel": [{"sel": "all", "selVolume": {"from": 10, "to": 1e15}},
                           {"sel": "home", "farSP": {"from": 2, "to": 2}},
                           {"sel": "away", "nearSP": {"from": 3, "to": 3, "invert": true}},
                           {"sel": "draw", "actualSP": {"from": 3, "to": 4, "invert": true}}]})";
        QTest::newRow("selection names as typed") << Rows{
            Row(O::AnySelection, S::Name, T::Equal).text("*Rovers"),
            Row(O::Home, S::Name, T::NotEqual).text("Rovers"),
            Row(O::Away, S::Name, T::NotInList).items({"Rovers", "Town"}),
            Row(O::Favourite, S::Name, 77).text("Rovers")}
            << R"({"sel": [{"sel": "any", "selName": {"text": "*Rovers"}},
                           {"sel": "home", "selName": {"text": "Rovers", "invert": true}},
                           {"sel": "away", "selName": {"text": {"list": ["Rovers", "Town"], "invert": true}}},
                           {"sel": "fav", "selName": {}}]})";
        QTest::newRow("bets on a selection") << Rows{
            Row(O::AnySelection, S::HasBets, BetsComparison::Matched, "Matched")}
            << R"({"sel": [{"sel": "any", "bets": "Matched"}]})";
        QTest::newRow("selection property outside the vocabulary") << Rows{Row(O::Favourite, 5, N::Equal)}
            << R"({"sel": [{"sel": "fav"}]})";

        QTest::newRow("form pattern") << Rows{
            Row(O::AnySelection, S::Silks, SequenceComparison::Matches).parameter(P::Form, "FORM").text("1.2")}
            << R"({"sel": [{"sel": "any", "silks": {"FORM": {"type": "FORM", "regexp": "1.2"}}}], "silks": true})";
        QTest::newRow("form pattern not matched") << Rows{
            Row(O::Favourite, S::Silks, SequenceComparison::NotMatches).parameter(P::Form, "FORM").text("^0")}
            << R"({"sel": [{"sel": "fav", "silks": {"FORM": {"type": "FORM", "regexp": "^0", "invert": true}}}],
                   "silks": true})";
        QTest::newRow("text metadata") << Rows{
            Row(O::AnySelection, S::Silks, T::EndsWith).parameter(P::TrainerName, "TRAINER_NAME").text("Smith"),
            Row(O::EverySelection, S::Silks, T::InList).parameter(P::JockeyName, "JOCKEY_NAME").items({"A", "B"}),
            Row(O::Favourite, S::Silks, 77).parameter(P::Wearing, "WEARING").text("visor")}
            << R"({"sel": [
                   {"sel": "any", "silks": {"TRAINER_NAME": {"text": "Smith", "start": true, "invert": true, "type": "STRING"}}},
                   {"sel": "all", "silks": {"JOCKEY_NAME": {"list": ["A", "B"], "invert": false, "type": "STRING"}}},
                   {"sel": "fav", "silks": {"WEARING": {"type": "STRING"}}}], "silks": true})";
        QTest::newRow("sex type is a list whatever the comparison") << Rows{
            Row(O::AnySelection, S::Silks, T::Equal).parameter(P::SexType, "SEX_TYPE").items({"g", "c"})}
            << R"({"sel": [{"sel": "any", "silks": {"SEX_TYPE": {"list": ["g", "c"], "invert": false, "type": "STRING"}}}],
                   "silks": true})";
        QTest::newRow("number metadata") << Rows{
            Row(O::AnySelection, S::Silks, N::Greater).parameter(P::Age, "AGE").values("5"),
            Row(O::AnySelection, S::Silks, N::NotInList).parameter(P::StallDraw, "STALL_DRAW").items({"1", "2"})}
            << R"({"sel": [{"sel": "any", "silks": {"AGE": {"from": 5.01, "to": 1e15, "type": "NUMBER"}}},
                           {"sel": "any", "silks": {"STALL_DRAW": {"list": [1, 2], "invert": true, "type": "NUMBER"}}}],
                   "silks": true})";

        QTest::newRow("a whole template") << Rows{
            Row(O::Event, E::Sport, T::InList).codes({"1"}),
            Row(O::Event, E::Country, T::NotInList).codes({"FR", "DE"}),
            Row(O::Market, M::Type, T::InList).codes({"MATCH_ODDS"}),
            Row(O::Event, E::MinToStart, N::Between).values("0", "60"),
            Row(O::Market, M::Volume, N::GreaterOrEqual).values("100000"),
            Row(O::Market, M::HasBets, BetsComparison::NoBets),
            Row(O::Favourite, S::Back, N::Outside).values("1.5", "2"),
            Row(O::Draw, S::Lay, N::Less).values("4.1"),
            Row(O::Event, E::DrawScore, ScoreComparison::Equal)}
            << R"({"eventTypeIds": ["1"], "marketCountries": ["FR", "DE"], "marketTypeCodes": ["MATCH_ODDS"],
                   "marketStartTime": {"from": "2024-05-01T12:00:00Z", "to": "2024-05-01T13:00:00Z"},
                   "volume": {"from": 100000, "to": 1e15}, "withOrders": "NONE",
                   "sel": [{"sel": "fav", "backPrice": {"from": 1.5, "to": 2, "invert": true}},
                           {"sel": "draw", "layPrice": {"from": 0, "to": 4.09}}],
                   "drawScore": "=", "scores": true})";
        // clang-format on
    }

    void filter()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, expected);
        const QJsonObject built = build(rows);
        COMPARE_JSON(built, Json(qPrintable(expected)));
        // Every market-filter key reaches the exchange as the rows wrote it.
        // (The worker starts no search from an empty filter.)
        if (!built.isEmpty())
            COMPARE_JSON(
                FilterReaders::SentMarketFilter(server, built), FilterReaders::MeantMarketFilter(built));
    }

    // The open end must not cut off what the exchange reports.
    void openBoundsHoldRealValues()
    {
        const QJsonObject filter = build({ Row(O::Market, M::Volume, N::Greater).values("99999"),
            Row(O::Favourite, S::Back, N::GreaterOrEqual).values("1.01") });
        QVERIFY(FilterReaders::MatchNumber(filter.value("volume").toObject(), 1.2e7));
        const QJsonObject back = filter.value("sel").toArray().at(0).toObject().value("backPrice").toObject();
        QVERIFY(FilterReaders::MatchNumber(back, 1000));
        QVERIFY(!FilterReaders::MatchNumber(back, 1.0));
    }
};

QTEST_GUILESS_MAIN(tst_SearchFilter)
#include "tst_searchfilter.moc"
