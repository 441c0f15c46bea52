#include "ConditionIds.h"
#include "FilterBuilder.h"
#include "QCatalog.h"
#include "QMarket.h"
#include "QPatternValidator.h"
#include "QPriceUpdater.h"
#include "QPriceValidator.h"
#include "QSearchWorker.h"
#include "QSelection.h"
#include "QSportsCatalog.h"
#include "QStatus.h"
#include "MarketLine.h"
#include "QScoresWorker.h"
#include "ResultsFlow.h"
#include "ResultsView.h"
#include "RowCondition.h"
#include "SelectionCondition.h"

#include "common/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// A search filter as the condition rows write it.
QJsonObject Filter(const QList<RowCondition>& rows)
{
    QJsonObject filter;
    for (const RowCondition& row : rows)
        FilterBuilder::Add(filter, row, QDateTime(QDate(2030, 1, 1), QTime(9, 0), Qt::UTC));
    return filter;
}

RowCondition Row(int object, int property, int comparison, const QString& value1 = {}, const QString& value2 = {})
{
    RowCondition row;
    row.object = object;
    row.property = property;
    row.comparison = comparison;
    row.value1 = value1;
    row.value2 = value2;
    row.text = value1;
    return row;
}

RowCondition Any(int property, int comparison, const QString& value1 = {}, const QString& value2 = {})
{
    return Row(ObjectId::AnySelection, property, comparison, value1, value2);
}

RowCondition OfMarket(int property, int comparison, const QString& value1 = {}, const QString& value2 = {})
{
    return Row(ObjectId::Market, property, comparison, value1, value2);
}

RowCondition Score(int property, int comparison, const QString& value = {})
{
    return Row(ObjectId::Event, property, comparison, value, value);
}

RowCondition Silks(int parameter, const char* code, int comparison, const QString& value)
{
    RowCondition row = Any(SelectionProperty::Silks, comparison, value);
    row.parameter = parameter;
    row.parameterCode = code;
    return row;
}

RowCondition Bets(const QString& code)
{
    RowCondition row = Any(SelectionProperty::HasBets, MyList::NoId);
    row.comparisonCode = code;
    return row;
}

// Each market row as "id:states": in selection id order, a selection's
// match state, or "-" for a hidden row.
QString States(const QSearcher& view)
{
    return EachRow(
        view, [](const QStandardItem& market) { return market.data(Qt::WhatsThisRole).toString(); },
        [](const QStandardItem& selection, bool hidden) {
            return hidden ? QString("-") : QString::number(static_cast<const QSelection&>(selection).MatchState());
        });
}

} // namespace

class tst_BookConditions : public QObject
{
    Q_OBJECT

    QTemporaryDir catalogs;

private slots:
    void initTestCase()
    {
        InitResultTables(catalogs.path());
    }

    // One selection of a market (football, or horse racing with "sport=7")
    // against the filter's first selection entry.
    void selection_data()
    {
        QTest::addColumn<QJsonObject>("filter");
        QTest::addColumn<QString>("market");
        QTest::addColumn<int>("runner");
        QTest::addColumn<int>("outcome");

        const QString longer(QPatternValidator::MaxPatternLength - 2, 'z');
        const auto favourite = Filter({ Row(ObjectId::Favourite, SelectionProperty::Back, NumberComparison::Between, "1.01", "2") });
        QTest::newRow("fav in range") << favourite << "1" << 1 << 3;
        QTest::newRow("fav: second ranked") << favourite << "1" << 2 << 0;
        QTest::newRow("fav: out of range") << favourite << "1 backs=2.02,3,6" << 1 << 0;
        const auto draw = Filter({ Row(ObjectId::Draw, SelectionProperty::Back, NumberComparison::GreaterOrEqual, "1.01") });
        QTest::newRow("draw, team sport") << draw << "1" << 3 << 3;
        QTest::newRow("draw, team sport, home runner") << draw << "1" << 1 << 0;
        QTest::newRow("draw, another sport") << draw << "1 sport=7" << 1 << 3;
        QTest::newRow("only sel") << Filter({ Any(MyList::NoId, MyList::NoId) }) << "1" << 1 << 1;

        QTest::newRow("bets None, 0.005 matched") << Filter({ Bets("None") }) << "1 r1.matched=0.005" << 1 << 3;
        QTest::newRow("bets None, 0.01 matched") << Filter({ Bets("None") }) << "1 r1.matched=0.01" << 1 << 0;
        QTest::newRow("bets None, 0.01 unmatched") << Filter({ Bets("None") }) << "1 r1.unmatched=0.01" << 1 << 0;
        QTest::newRow("bets Matched, 0.01") << Filter({ Bets("Matched") }) << "1 r1.matched=0.01" << 1 << 3;
        QTest::newRow("bets Unmatched, 0.009") << Filter({ Bets("Unmatched") }) << "1 r1.unmatched=0.009" << 1 << 0;
        QTest::newRow("bets Any, unmatched") << Filter({ Bets("Any") }) << "1 r1.unmatched=0.01" << 1 << 3;
        QTest::newRow("bets Any, none") << Filter({ Bets("Any") }) << "1 r1.matched=0.009" << 1 << 0;
        QTest::newRow("bets, unknown text") << Filter({ Bets("Sometimes") }) << "1" << 1 << 3;
        const auto orders = Filter({ OfMarket(MarketProperty::HasBets, BetsComparison::Matched),
            Any(SelectionProperty::Back, NumberComparison::GreaterOrEqual, "1.01") });
        QTest::newRow("order list, no bets") << orders << "1" << 1 << 0;
        QTest::newRow("order list, matched above 0") << orders << "1 r1.matched=0.005" << 1 << 3;
        QTest::newRow("order list, unmatched only") << orders << "1 r1.unmatched=5" << 1 << 0;

        const auto volume = Filter({ Any(SelectionProperty::Volume, NumberComparison::GreaterOrEqual, "10") });
        QTest::newRow("volume 10 %") << volume << "1 r1.share=0.1" << 1 << 3;
        QTest::newRow("volume 9.99 %") << volume << "1 r1.share=0.0999" << 1 << 0;
        QTest::newRow("volume 29 %") << Filter({ Any(SelectionProperty::Volume, NumberComparison::GreaterOrEqual, "29") })
                                     << "1 r1.share=0.29" << 1 << 3;
        QTest::newRow("back 1.13 >= 1.13") << Filter({ Any(SelectionProperty::Back, NumberComparison::GreaterOrEqual, "1.13") })
                                           << "1 backs=1.13,3,6" << 1 << 3;
        QTest::newRow("back 1.13 > 1.12") << Filter({ Any(SelectionProperty::Back, NumberComparison::Greater, "1.12") })
                                          << "1 backs=1.13,3,6" << 1 << 3;
        QTest::newRow("back 2 < 2") << Filter({ Any(SelectionProperty::Back, NumberComparison::Less, "2") }) << "1" << 1 << 0;
        QTest::newRow("lay outside 2-3, at 2") << Filter({ Any(SelectionProperty::Lay, NumberComparison::Outside, "2", "3") })
                                               << "1 r1.lay=2" << 1 << 0;
        QTest::newRow("lay outside 2-3, at 3.05") << Filter({ Any(SelectionProperty::Lay, NumberComparison::Outside, "2", "3") })
                                                  << "1 r1.lay=3.05" << 1 << 3;
        QTest::newRow("last traded") << Filter({ Any(SelectionProperty::Last, NumberComparison::Equal, "2.5") })
                                     << "1 r1.last=2.5" << 1 << 3;
        QTest::newRow("near SP") << Filter({ Any(SelectionProperty::NearSP, NumberComparison::Less, "5") })
                                 << "1 r1.near=5" << 1 << 0;

        QTest::newRow("silks number, key missing") << Filter({ Silks(MetadataParam::Age, "AGE", NumberComparison::Equal, "0") })
                                                   << "1" << 1 << 3;
        QTest::newRow("silks number") << Filter({ Silks(MetadataParam::Age, "AGE", NumberComparison::Greater, "4") })
                                      << "1 r1.AGE=5" << 1 << 3;
        QTest::newRow("silks text") << Filter({ Silks(MetadataParam::TrainerName, "TRAINER_NAME", TextComparison::Contains, "smith") })
                                    << "1 r1.TRAINER_NAME=J.Smith" << 1 << 3;
        const auto form = Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::Matches, "1") });
        const auto notForm = Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::NotMatches, "1") });
        QTest::newRow("form matches") << form << "1 r1.FORM=2-1" << 1 << 3;
        QTest::newRow("form does not match") << form << "1 r1.FORM=2-3" << 1 << 0;
        QTest::newRow("form inverted, 2-3") << notForm << "1 r1.FORM=2-3" << 1 << 3;
        QTest::newRow("form inverted, 2-1") << notForm << "1 r1.FORM=2-1" << 1 << 0;
        QTest::newRow("form pattern at the limit")
            << Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::Matches, "1|" + longer) }) << "1 r1.FORM=2-1" << 1 << 3;
        QTest::newRow("form pattern past the limit")
            << Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::Matches, "1|z" + longer) }) << "1 r1.FORM=2-1" << 1 << 0;
        QTest::newRow("form pattern past the limit, inverted")
            << Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::NotMatches, "1|z" + longer) }) << "1 r1.FORM=2-3" << 1 << 0;
        QTest::newRow("form pattern malformed, inverted")
            << Filter({ Silks(MetadataParam::Form, "FORM", SequenceComparison::NotMatches, "(1") }) << "1 r1.FORM=2-3" << 1 << 0;
    }

    void selection()
    {
        QFETCH(QJsonObject, filter);
        const MarketLine line(FETCH(QString, market));
        QStandardItemModel model;
        auto* market = new QMarket;
        market->AppendTo(model.invisibleRootItem(), line.catalogue());
        market->Update(line.book());
        const SelectionCondition entry(filter.value("sel").toArray().at(0).toObject());
        const QSelection* selection = market->Selection(line.n * 10 + FETCH(int, runner));
        const bool teamSport = QCatalog::sports->IsTeamSport(market->EventTypeId());
        QCOMPARE(int(TestSelection(entry, filter, *selection, teamSport)), FETCH(int, outcome));
    }

    // A search's books against the filter: the markets left (in start-time
    // order), the found selections, and each market's match states ("-" a
    // hidden row) when given.
    void books_data()
    {
        QTest::addColumn<QJsonObject>("filter");
        QTest::addColumn<QString>("markets");
        QTest::addColumn<QString>("scores");
        QTest::addColumn<bool>("withdrawnShown");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("found");
        QTest::addColumn<QString>("states");

        namespace S = ScoreComparison;
        QTest::newRow("scores: none for a football event") << Filter({ Score(EventProperty::HomeScore, NumberComparison::GreaterOrEqual, "0") })
                                                         << "1; 2 sport=7" << "" << true << QStringList { "1.2" } << 0 << "";
        QTest::newRow("home and away scores")
            << Filter({ Score(EventProperty::HomeScore, NumberComparison::GreaterOrEqual, "2"),
                   Score(EventProperty::AwayScore, NumberComparison::Less, "1") })
            << "1; 2; 3" << "901:2-0 902:3-1 903:1-0" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("draw =") << Filter({ Score(EventProperty::DrawScore, S::Equal) }) << "1; 2" << "901:1-1 902:2-1" << true
                                << QStringList { "1.1" } << 0 << "";
        QTest::newRow("draw, another text") << Filter({ Score(EventProperty::DrawScore, S::NotEqual) }) << "1; 2"
                                            << "901:2-1 902:1-1" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("home ahead by 1") << Filter({ Score(EventProperty::DrawScore, S::HomeAhead, "1") }) << "1; 2; 3; 4"
                                         << "901:2-1 902:3-1 903:1-1 904:1-2" << true << QStringList { "1.1", "1.2" } << 0 << "";
        QTest::newRow("away ahead by 1") << Filter({ Score(EventProperty::DrawScore, S::AwayAhead, "1") }) << "1; 2"
                                         << "901:1-2 902:2-1" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("ahead by 0") << Filter({ Score(EventProperty::DrawScore, S::HomeAhead, "0") }) << "1; 2"
                                    << "901:0-3 902:3-0" << true << QStringList { "1.1", "1.2" } << 0 << "";
        QTest::newRow("away ahead by 2^31") << Filter({ Score(EventProperty::DrawScore, S::HomeAhead, "-2147483648") })
                                            << "1; 2 sport=7" << "901:0-3" << true << QStringList { "1.2" } << 0 << "";

        const auto atMost3 = Any(SelectionProperty::Back, NumberComparison::LessOrEqual, "3");
        QTest::newRow("two any entries") << Filter({ atMost3, Any(SelectionProperty::Back, NumberComparison::GreaterOrEqual, "3") })
                                         << "1; 2 backs=2,2.5,6" << "" << true << QStringList { "1.1" } << 1 << "1.1:030";
        const auto everyAtMost10
            = Row(ObjectId::EverySelection, SelectionProperty::Back, NumberComparison::LessOrEqual, "10");
        QTest::newRow("all then any") << Filter({ everyAtMost10, Any(SelectionProperty::Back, NumberComparison::LessOrEqual, "2") })
                                      << "1; 2 backs=2,3,20" << "" << true << QStringList { "1.1" } << 1 << "1.1:300";
        QTest::newRow("all, no active runner") << Filter({ everyAtMost10 }) << "1 out=1,2,3" << "" << false
                                               << QStringList { "1.1" } << 0 << "1.1:---";
        QTest::newRow("any, no active runner") << Filter({ atMost3 }) << "1 out=1,2,3; 2 out=3" << "" << true
                                               << QStringList { "1.2" } << 2 << "1.2:330";
        QTest::newRow("without bets") << Filter({ OfMarket(MarketProperty::HasBets, BetsComparison::NoBets) })
                                      << "1; 2 r2.matched=5; 3 r1.unmatched=0.005" << "" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("withdrawn count") << Filter({ OfMarket(MarketProperty::NumWith, NumberComparison::Equal, "1") })
                                         << "1; 2 out=3; 3 out=2,3" << "" << true << QStringList { "1.2" } << 0 << "1.2:000";
        QTest::newRow("volume; a book without a row")
            << Filter({ OfMarket(MarketProperty::Volume, NumberComparison::GreaterOrEqual, "1000.1") })
            << "1 volume=1000.1; 2 volume=1000.09; 9 bookonly volume=5000" << "" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("back book: void, two winners, none")
            << Filter({ OfMarket(MarketProperty::BackBook, NumberComparison::Greater, "70") })
            << "1 backs=2,3,0; 2 winners=2 backs=2,2,2; 3 winners=0" << "" << true << QStringList { "1.2" } << 0 << "";
        QTest::newRow("back book outside: void of two winners")
            << Filter({ OfMarket(MarketProperty::BackBook, NumberComparison::Outside, "10", "20") })
            << "1; 2 winners=2 backs=2,2,0" << "" << true << QStringList { "1.1" } << 0 << "";
        QTest::newRow("lay book") << Filter({ OfMarket(MarketProperty::LayBook, NumberComparison::Equal, "100") })
                                  << "1 r1.lay=2 r2.lay=4 r3.lay=4; 2 r1.lay=2 r2.lay=4" << "" << true << QStringList { "1.1" } << 0 << "";
    }

    void books()
    {
        QFETCH(QString, markets);
        QFETCH(QJsonObject, filter);
        TempSettings settings;
        Workers workers;
        ResultsView results;
        QSearcher& view = results.view;
        view.setIncludeWithdrawns(FETCH(bool, withdrawnShown));
        QSignalSpy found(&view, &QSearcher::NotifyFoundSelections);
        view.Search(filter);
        if (filter.contains("scores")) {
            // An event in play besides those of the markets, so the search goes on.
            emit workers.last<QScoresWorker>()->Done(InPlay(FETCH(QString, scores) + " 999:0-0"));
            emit workers.last<QScoresWorker>()->Done(QString());
        }
        emit workers.last<QSearchWorker>()->FoundMarkets(Catalogue(markets));
        emit workers.last<QSearchWorker>()->Done(QString());
        emit workers.last<QPriceUpdater>()->Done(Books(markets));
        emit workers.last<QPriceUpdater>()->Done(QString());

        QCOMPARE(RowIds(view), FETCH(QStringList, left));
        QCOMPARE(found.count(), 1);
        QCOMPARE(found.at(0).at(0).toInt(), FETCH(int, found));
        const QString states = FETCH(QString, states);
        if (!states.isEmpty())
            QCOMPARE(States(view), states);
    }

    // A whole search with a selection condition, then a refresh in which a
    // runner that met it is withdrawn and a market's book no longer does,
    // then one that fails.
    void searchAndRefresh()
    {
        TempSettings settings;
        Workers workers;
        ResultsView results;
        QSearcher& view = results.view;
        QSignalSpy found(&view, &QSearcher::NotifyFoundSelections);
        QSignalSpy done(&view, &QSearcher::NotifyDone);
        view.Search(Filter({ Any(SelectionProperty::Back, NumberComparison::Between, "1.01", "6") }));
        emit workers.last<QSearchWorker>()->FoundMarkets({ MarketLine("1").catalogue(), MarketLine("2").catalogue(), MarketLine("3").catalogue() });
        emit workers.last<QSearchWorker>()->Done(QString());
        emit workers.last<QPriceUpdater>()->Done({ MarketLine("1").book(), MarketLine("2").book(), MarketLine("3 backs=2,7,8").book() });
        emit workers.last<QPriceUpdater>()->Done(QString());
        QCOMPARE(RowIds(view), (QStringList { "1.1", "1.2", "1.3" }));
        QCOMPARE(found.count(), 1);
        QCOMPARE(found.at(0).at(0).toInt(), 7);

        view.UpdatePrices();
        emit workers.last<QPriceUpdater>()->Done({ MarketLine("1 out=3").book(), MarketLine("2 backs=7,8,9").book(), MarketLine("3").book() });
        emit workers.last<QPriceUpdater>()->Done(QString());
        QCOMPARE(RowIds(view), (QStringList { "1.1", "1.3" }));
        QCOMPARE(States(view), "1.1:330 1.3:333");
        QCOMPARE(found.count(), 2);
        QCOMPARE(found.at(1).at(0).toInt(), 5);
        QCOMPARE(done.count(), 2);
        QCOMPARE(done.at(1).at(0).toInt(), 2);

        // A market that fails goes even when the price step then ends in an error.
        view.UpdatePrices();
        emit workers.last<QPriceUpdater>()->Done({ MarketLine("3 backs=7,8,9").book() });
        emit workers.last<QPriceUpdater>()->Done(QString("Network error: Connection closed"));
        QCOMPARE(RowIds(view), QStringList { "1.1" });
        QCOMPARE(done.at(2).at(0).toInt(), 0);
    }
};

QTEST_MAIN(tst_BookConditions)
#include "tst_bookconditions.moc"
