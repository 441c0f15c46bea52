#include "ProgramTranslation.h"
#include "QCatalog.h"
#include "QMarket.h"
#include "QPriceValidator.h"
#include "QSelection.h"
#include "QStatus.h"
#include "ResultsView.h"

#include <QBrush>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using C = QSearcher::ColumnType;

// A catalogue record of a horse race at Ascot with three runners (ids 11, 12, 13).
QJsonObject Catalogue(const QString& changes = QString())
{
    QJsonObject market = json(R"({"marketId": "1.234567890", "marketName": "2m Hcap",
        "marketStartTime": "2026-12-05T15:30:00.000Z",
        "description": {"marketType": "WIN", "turnInPlayEnabled": true},
        "event": {"id": "31000001", "name": "Ascot 5th Dec", "venue": "Ascot", "countryCode": "GB"},
        "eventType": {"id": "7", "name": "Horse Racing"},
        "runners": [{"selectionId": 11, "runnerName": "Alpha", "sortPriority": 1},
                    {"selectionId": 12, "runnerName": "Bravo", "sortPriority": 2},
                    {"selectionId": 13, "runnerName": "Charlie", "sortPriority": 3}]})");
    const QJsonObject extra = json(changes.isEmpty() ? "{}" : changes);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        market[it.key()] = it.value();
    return market;
}

// A runner of a market book: back and lay prices (0: no offer), volume, extras.
QString Runner(qint64 id, double back, double lay, double matched = 10, const QString& extra = QString())
{
    auto offer = [](double price) {
        return price > 0 ? QString(R"([{"price": %1, "size": 10}])").arg(price) : QStringLiteral("[]");
    };
    return QString(R"({"selectionId": %1, "status": "ACTIVE", "totalMatched": %2,
        "ex": {"availableToBack": %3, "availableToLay": %4}%5})")
        .arg(id)
        .arg(matched)
        .arg(offer(back), offer(lay), extra.isEmpty() ? QString() : ", " + extra);
}

QJsonObject Book(const QStringList& runners, int winners = 1, const QString& extra = QString())
{
    return json(QString(R"({"marketId": "1.234567890", "status": "OPEN", "inplay": false, "totalMatched": 100,
        "numberOfWinners": %1, "runners": [%2]%3})")
                    .arg(winners)
                    .arg(runners.join(", "), extra.isEmpty() ? QString() : ", " + extra));
}

const QStringList ThreeRunners { Runner(11, 2.0, 2.02, 50), Runner(12, 3.0, 3.05, 30), Runner(13, 6.0, 6.2, 20) };

} // namespace

class tst_Market : public QObject
{
    Q_OBJECT

    struct Row
    {
        ResultsView results;
        QMarket* market = new QMarket;

        explicit Row(const QJsonObject& record = Catalogue())
        {
            market->AppendTo(results.model().invisibleRootItem(), record);
        }
        QVariant cell(int column, int role = Qt::DisplayRole) const { return market->CellData(column, role); }
        QSelection* selection(qint64 id) const { return market->Selection(id); }
        QList<int> ranks() const
        {
            return { selection(11)->Rank(), selection(12)->Rank(), selection(13)->Rank() };
        }
    };

    QTemporaryDir catalogs;

private slots:
    void initTestCase()
    {
        // One hour ahead of UTC all year, before any time is shown: start
        // times must be turned into local time.
        qputenv("TZ", "Etc/GMT-1");
        InitResultTables(catalogs.path());
    }

    void catalogueRow()
    {
        const Row row;
        QCOMPARE(row.results.view.Count(), 1);
        QCOMPARE(row.market->data(Qt::WhatsThisRole).toString(), "1.234567890");
        QCOMPARE(row.market->data(QSearcher::SortRole).toString(), "Horse Racing \u2192 Ascot \u2192%1 2m Hcap");
        QCOMPARE(row.market->text(), "Horse Racing \u2192 Ascot \u2192 2m Hcap");
        QCOMPARE(row.market->data(QSearcher::KindRole).toString(), "WIN");
        QCOMPARE(row.market->data(QSearcher::EventTypeRole).toInt(), 7);
        QCOMPARE(row.market->EventTypeId(), 7);
        QCOMPARE(row.market->data(QSearcher::EventRole).toString(), "31000001");
        QCOMPARE(row.market->toolTip(), "United Kingdom");
        QVERIFY(!row.market->icon().isNull());
        QVERIFY(row.market->isCheckable() && row.market->isAutoTristate() && !row.market->isUserTristate());
        QCOMPARE(row.market->rowCount(), 3);
        QCOMPARE(row.selection(12)->text(), "Bravo");
        QCOMPARE(row.cell(C::ColTimeRank, QSearcher::SortRole).toDateTime(),
            QDateTime(QDate(2026, 12, 5), QTime(15, 30), Qt::UTC));
        for (int column : { 1, 3, 4, 5, 6, 10, 11 })
            QCOMPARE(row.cell(column, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
        QVERIFY(!row.cell(C::ColSilks).isValid());
    }

    // The title with its places, the placeholder kept in the sort value only.
    void title_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("winners");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("sortValue");
        const QString ascot = R"({"id": "1", "name": "Ascot 5th Dec", "venue": "Ascot"})";
        QTest::newRow("1 winner") << ascot << 1 << "Horse Racing \u2192 Ascot \u2192 2m Hcap"
                                  << "Horse Racing \u2192 Ascot \u2192%1 2m Hcap";
        QTest::newRow("3 winners") << ascot << 3 << "Horse Racing \u2192 Ascot \u2192 3 2m Hcap"
                                   << "Horse Racing \u2192 Ascot \u2192%1 2m Hcap";
        QTest::newRow("%1 in the venue") << R"({"venue": "Park %1 %2"})" << 3
                                         << "Horse Racing \u2192 Park %1 %2 \u2192 3 2m Hcap"
                                         << "Horse Racing \u2192 Park %1 %2 \u2192%1 2m Hcap";
        QTest::newRow("no venue") << R"({"name": "Arsenal v Chelsea"})" << 1
                                  << "Horse Racing \u2192 Arsenal v Chelsea \u2192 2m Hcap"
                                  << "Horse Racing \u2192 Arsenal v Chelsea \u2192%1 2m Hcap";
        QTest::newRow("null venue") << R"({"name": "Arsenal v Chelsea", "venue": null})" << 1
                                    << "Horse Racing \u2192 Arsenal v Chelsea \u2192 2m Hcap"
                                    << "Horse Racing \u2192 Arsenal v Chelsea \u2192%1 2m Hcap";
    }

    void title()
    {
        QFETCH(QString, event);
        QFETCH(int, winners);
        QFETCH(QString, title);
        const Row row(Catalogue(QString(R"({"event": %1})").arg(event)));
        row.market->Update(Book(ThreeRunners, winners));
        QCOMPARE(row.market->text(), title);
        QCOMPARE(row.market->data(QSearcher::SortRole).toString(), FETCH(QString, sortValue));
        QCOMPARE(row.market->data(QSearcher::WinnersRole).toInt(), winners);
        // The first book's places stay.
        row.market->Update(Book(ThreeRunners, 5));
        QCOMPARE(row.market->text(), title);
        QCOMPARE(row.market->data(QSearcher::WinnersRole).toInt(), winners);
    }

    void startTime_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("shown");
        QTest::newRow("today") << QDate::currentDate().toString(Qt::ISODate) + "T15:30:00.000Z" << "16:30";
        QTest::newRow("today, no milliseconds") << QDate::currentDate().toString(Qt::ISODate) + "T15:30:00Z"
                                                << "16:30";
        QTest::newRow("another day") << "2026-12-05T15:30:00.000Z" << "5 Dec 16:30";
    }

    void startTime()
    {
        QFETCH(QString, start);
        QFETCH(QString, shown);
        const Row row(Catalogue(QString(R"({"marketStartTime": "%1"})").arg(start)));
        QCOMPARE(row.cell(C::ColTimeRank).toString(), shown);
        QCOMPARE(row.cell(C::ColTimeRank, QSearcher::SortRole).toDateTime().timeSpec(), Qt::UTC);
    }

    void volume_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("shown");
        QTest::newRow("9.5") << 9.5 << "9.50";
        QTest::newRow("95") << 95.0 << "95.0";
        QTest::newRow("10") << 10.0 << "10.0";
        QTest::newRow("99.94") << 99.94 << "99.9";
        QTest::newRow("100") << 100.0 << "100";
        QTest::newRow("950") << 950.0 << "950";
        QTest::newRow("12345") << 12345.0 << "12,345";
        QTest::newRow("1000.1") << 1000.1 << "1,000";
    }

    void volume()
    {
        QFETCH(double, total);
        const Row row;
        QJsonObject book = Book(ThreeRunners);
        book["totalMatched"] = total;
        row.market->Update(book);
        QCOMPARE(row.cell(C::ColVolume).toString(), FETCH(QString, shown));
        // Held as the double read: a float would fail "volume >= 1000.1".
        QCOMPARE(row.cell(C::ColVolume, QSearcher::SortRole).userType(), int(QMetaType::Double));
        QCOMPARE(row.cell(C::ColVolume, QSearcher::SortRole).toDouble(), total);
    }

    void status_data()
    {
        QTest::addColumn<QString>("bookStatus");
        QTest::addColumn<bool>("inPlay");
        QTest::addColumn<bool>("turnsInPlay");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("in play wins") << "SUSPENDED" << true << false << "IN-PLAY" << "In-play";
        QTest::newRow("will go in play") << "OPEN" << false << true << "WILL-IN-PLAY" << "Will go in-play";
        QTest::newRow("plain open") << "OPEN" << false << false << "OPEN" << "Open";
        QTest::newRow("suspended, will turn") << "SUSPENDED" << false << true << "SUSPENDED" << "Suspended";
        QTest::newRow("unknown code") << "INACTIVE" << false << true << "INACTIVE" << "INACTIVE";
    }

    void status()
    {
        QFETCH(QString, bookStatus);
        QFETCH(bool, inPlay);
        QFETCH(bool, turnsInPlay);
        QFETCH(QString, status);
        const Row row(Catalogue(QString(R"({"description": {"marketType": "WIN", "turnInPlayEnabled": %1}})")
                                    .arg(turnsInPlay ? "true" : "false")));
        QJsonObject book = Book(ThreeRunners);
        book["status"] = bookStatus;
        book["inplay"] = inPlay;
        row.market->Update(book);
        QCOMPARE(row.cell(C::ColStatus, QSearcher::SortRole).toString(), status);
        QCOMPARE(row.cell(C::ColStatus).toString(), FETCH(QString, text));
        QCOMPARE(row.cell(C::ColStatus, Qt::ForegroundRole).value<QBrush>().color(), QStatus::StatusColor(status));
        QCOMPARE(row.cell(C::ColStatus, Qt::DecorationRole).isValid(), status != "INACTIVE");
    }

    // Ten runners, two withdrawn: 8 shown, the counts in the tooltip.
    void withdrawnCount()
    {
        Row row;
        QStringList runners;
        for (int id = 11; id <= 20; ++id)
            runners << Runner(id, 2.0 + id, 0, 1, id > 18 ? R"("status": "REMOVED")" : QString());
        row.market->Update(Book(runners));
        QCOMPARE(row.market->rowCount(), 10);
        QCOMPARE(row.cell(C::ColNumSelections).toInt(), 8);
        QCOMPARE(row.cell(C::ColNumSelections, QSearcher::SortRole).toInt(), 8);
        QCOMPARE(row.market->data(QSearcher::WithdrawnCountRole).toInt(), 2);
        QCOMPARE(row.cell(C::ColNumSelections, Qt::ToolTipRole).toString(), "10 total - 2 withdrawn");
        QCOMPARE(row.cell(C::ColNumSelections, Qt::ForegroundRole).value<QBrush>().color(),
            QColor::fromHsl(190, 255, 100, 255));
        // Runners 14 to 18 came only with the book, and got rows.
        QVERIFY(row.selection(18) && row.selection(18)->parent() == row.market);
    }

    void russianWithdrawnCount()
    {
        const ProgramTranslation russian("ru_RU");
        Row row;
        row.market->Update(Book({ Runner(11, 2, 0), Runner(12, 3, 0, 1, R"("status": "REMOVED")") }));
        QCOMPARE(row.cell(C::ColNumSelections, Qt::ToolTipRole).toString(), QString::fromUtf8("Всего 3, снято 1"));
    }

    void scores()
    {
        const Row row;
        row.market->SetScores(2, 1, 67);
        QCOMPARE(row.cell(C::ColStatus).toString(), "[ 2 : 1 ] 67'");
        QCOMPARE(row.cell(C::ColStatus, QSearcher::EventRole).toInt(), 67);
        row.market->SetScores(2, 1, -1);
        QCOMPARE(row.cell(C::ColStatus).toString(), "[ 2 : 1 ]");
        QCOMPARE(row.cell(C::ColStatus, QSearcher::EventRole).toInt(), -1);
    }

    void profitAndLoss()
    {
        const Row row;
        row.market->SetPL(json(R"({"marketId": "1.234567890", "profitAndLosses": [
            {"selectionId": 12, "ifWin": 4.5, "ifLose": -1}, {"selectionId": 99, "ifWin": 1}]})"));
        QCOMPARE(row.selection(12)->CellData(C::ColStatus, Qt::DisplayRole).toString(), "+4.50");
        QCOMPARE(row.selection(11)->CellData(C::ColStatus, Qt::DisplayRole).toString(), "");
        QVERIFY(!row.selection(99));
    }

    void checkedCount()
    {
        Row row;
        QCOMPARE(row.market->CheckedCount(), 0);
        QVERIFY(!row.market->font().bold());
        row.results.model().setData(row.selection(12)->index(), Qt::Checked, Qt::CheckStateRole);
        row.selection(13)->setData(Qt::PartiallyChecked, Qt::CheckStateRole);
        QCOMPARE(row.market->CheckedCount(), 1);
        QVERIFY(row.market->font().bold());
        row.selection(12)->setCheckState(Qt::Unchecked);
        QCOMPARE(row.market->CheckedCount(), 0);
        QVERIFY(!row.market->font().bold());
    }

    // A book taking away a ticked runner is reported once, wherever the runner stands in the book,
    // and the market's box follows the runners still running.
    void droppedTick_data()
    {
        QTest::addColumn<QStringList>("runners");
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<int>("box");
        const QString removed = Runner(12, 3, 0, 1, R"("status": "REMOVED")");
        const QStringList last { Runner(11, 2, 0), removed };
        const QStringList middle { Runner(11, 2, 0), removed, Runner(13, 6, 0) };
        QTest::newRow("last in the book") << last << QList<int> { 12 } << int(Qt::Unchecked);
        QTest::newRow("another runner after it") << middle << QList<int> { 12 } << int(Qt::Unchecked);
        QTest::newRow("one of two ticks") << middle << QList<int> { 11, 12 } << int(Qt::PartiallyChecked);
        QTest::newRow("all ticked") << middle << QList<int> { 11, 12, 13 } << int(Qt::Checked);
    }

    void droppedTick()
    {
        Row row;
        for (const int id : FETCH(QList<int>, ticked))
            row.results.model().setData(row.selection(id)->index(), Qt::Checked, Qt::CheckStateRole);
        row.market->Update(Book(ThreeRunners));
        QVERIFY(!row.market->TakeDroppedTicks());
        row.market->Update(Book(FETCH(QStringList, runners)));
        QVERIFY(row.market->TakeDroppedTicks());
        QVERIFY(!row.market->TakeDroppedTicks());
        QCOMPARE(int(row.market->checkState()), FETCH(int, box));
    }

    void excludedTypes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("bookShown");
        QTest::newRow("EACH_WAY") << "EACH_WAY" << false;
        QTest::newRow("TOTAL_GOALS") << "TOTAL_GOALS" << false;
        QTest::newRow("ASIAN_HANDICAP") << "ASIAN_HANDICAP" << false;
        QTest::newRow("WIN") << "WIN" << true;
        QTest::newRow("each_way") << "each_way" << true;
    }

    // Excluded types show no book text, yet keep its sort values.
    void excludedTypes()
    {
        QFETCH(QString, type);
        QFETCH(bool, bookShown);
        const Row row(Catalogue(QString(R"({"description": {"marketType": "%1"}, "runners": []})").arg(type)));
        row.market->Update(Book({ Runner(11, 2.1, 0), Runner(12, 2.1, 0) }));
        QCOMPARE(row.cell(C::ColBackPrice).toString(), bookShown ? "95.24 %" : "");
        QCOMPARE(row.cell(C::ColBackPrice, Qt::BackgroundRole).isValid(), bookShown);
        QCOMPARE(qRound(row.cell(C::ColBackPrice, QSearcher::SortRole).toDouble() * 10000), 9524);
    }

    // Books from the best prices: sum of 1 / price, shown in per cent,
    // stored divided by the winners, yellow where it offers value.
    void books_data()
    {
        QTest::addColumn<QStringList>("runners");
        QTest::addColumn<int>("winners");
        QTest::addColumn<QString>("backText");
        QTest::addColumn<double>("backSort");
        QTest::addColumn<bool>("backYellow");
        QTest::addColumn<QString>("layText");
        QTest::addColumn<bool>("layYellow");
        // 1/2 + 1/3 + 1/6 = 1.
        QTest::newRow("2, 3, 6, one winner") << QStringList { Runner(11, 2, 0), Runner(12, 3, 0), Runner(13, 6, 0) }
                                             << 1 << "100.00 %" << 1.0 << false << "" << false;
        QTest::newRow("2, 3, 6, two winners") << QStringList { Runner(11, 2, 0), Runner(12, 3, 0), Runner(13, 6, 0) }
                                              << 2 << "100.00 %" << 0.5 << true << "" << false;
        // 2 / 1.9 = 1.0526; 2 / 2.1 = 0.9524; 2 / 1.95 = 1.0256.
        QTest::newRow("back 1.9 and 1.9") << QStringList { Runner(11, 1.9, 0), Runner(12, 1.9, 0) } << 1 << "105.26 %"
                                          << 2 / 1.9 << false << "" << false;
        QTest::newRow("back 2.1 and 2.1, lay 2.1") << QStringList { Runner(11, 2.1, 2.1), Runner(12, 2.1, 2.1) } << 1
                                                   << "95.24 %" << 2 / 2.1 << true << "95.24 %" << false;
        QTest::newRow("lay 2 and 2") << QStringList { Runner(11, 0, 2), Runner(12, 0, 2) } << 1 << "" << -1.0 << false
                                     << "100.00 %" << false;
        QTest::newRow("lay 1.95 and 1.95") << QStringList { Runner(11, 0, 1.95), Runner(12, 0, 1.95) } << 1 << ""
                                           << -1.0 << false << "102.56 %" << true;
        // A runner without a back price voids the back book.
        QTest::newRow("void back book, two winners") << QStringList { Runner(11, 2, 0), Runner(12, 0, 0) } << 2 << ""
                                                     << -0.5 << false << "" << false;
        // A withdrawn runner stays out of the book.
        QTest::newRow("withdrawn left out")
            << QStringList { Runner(11, 2, 0), Runner(12, 2, 0), Runner(13, 0, 0, 0, R"("status": "REMOVED")") } << 1
            << "100.00 %" << 1.0 << false << "" << false;
    }

    void books()
    {
        QFETCH(QStringList, runners);
        QFETCH(int, winners);
        QFETCH(double, backSort);
        QFETCH(QString, layText);
        QFETCH(bool, layYellow);
        const Row row(Catalogue(R"({"runners": []})"));
        row.market->Update(Book(runners, winners));
        QCOMPARE(row.cell(C::ColBackPrice).toString(), FETCH(QString, backText));
        QCOMPARE(qRound64(row.cell(C::ColBackPrice, QSearcher::SortRole).toDouble() * 1e8), qRound64(backSort * 1e8));
        const bool backYellow = row.cell(C::ColBackPrice, Qt::BackgroundRole).value<QBrush>().color() == Qt::yellow;
        QCOMPARE(backYellow, FETCH(bool, backYellow));
        QCOMPARE(row.cell(C::ColLayPrice).toString(), layText);
        QCOMPARE(row.cell(C::ColLayPrice, Qt::BackgroundRole).value<QBrush>().color() == Qt::yellow, layYellow);
    }

    void ranks()
    {
        Row row;
        row.market->Update(Book(ThreeRunners));
        QCOMPARE(row.ranks(), (QList<int> { 1, 2, 3 }));
        QCOMPARE(row.market->BackRankedCount(), 3);
        QCOMPARE(row.selection(11)->CellData(C::ColTimeRank, Qt::DisplayRole).toInt(), 1);
        // Volume ranks: the smallest volume first (matched 50, 30, 20).
        QCOMPARE(row.selection(13)->VolumeRank(), 1);
        QCOMPARE(row.selection(11)->VolumeRank(), 3);
        QCOMPARE(row.market->VolumeRankedCount(), 3);

        // The favourite's offer goes: it loses its rank, one rank 1 is left.
        row.market->Update(Book({ Runner(11, 0, 2.02, 50), Runner(12, 3.0, 3.05), Runner(13, 6.0, 6.2) }));
        QCOMPARE(row.ranks(), (QList<int> { 9999, 1, 2 }));
        QCOMPARE(row.selection(11)->CellData(C::ColTimeRank, Qt::DisplayRole), QVariant());
        QCOMPARE(row.market->BackRankedCount(), 2);

        // A back price of 1.0 is no offer: no rank.
        row.market->Update(Book({ Runner(11, 1.0, 0, 50), Runner(12, 3.0, 3.05), Runner(13, 6.0, 6.2) }));
        QCOMPARE(row.ranks(), (QList<int> { 9999, 1, 2 }));

        // A withdrawn runner with a price is never ranked, by price or volume.
        row.market->Update(Book({ Runner(11, 1.5, 0, 90, R"("status": "REMOVED")"), Runner(12, 3.0, 0, 1),
            Runner(13, 6.0, 0, 2) }));
        QCOMPARE(row.ranks(), (QList<int> { 0, 1, 2 }));
        QCOMPARE(row.selection(11)->CellData(C::ColTimeRank, Qt::DisplayRole).toString(), "withdrawn");
        QCOMPARE(row.selection(11)->VolumeRank(), 9999);
        QCOMPARE(row.market->VolumeRankedCount(), 2);
    }

    // Until a book gives the winners nothing is ranked and no book is shown.
    void noWinnersNoRanks()
    {
        const Row row;
        row.market->Update(Book(ThreeRunners, 0));
        QCOMPARE(row.ranks(), (QList<int> { 9999, 9999, 9999 }));
        QCOMPARE(row.cell(C::ColBackPrice).toString(), "");
        QVERIFY(!row.cell(C::ColBackPrice, QSearcher::SortRole).isValid());
        row.market->Update(Book(ThreeRunners, 1));
        QCOMPARE(row.ranks(), (QList<int> { 1, 2, 3 }));
    }

    // The user's amounts summed over the selections, as doubles.
    void totals()
    {
        const Row row;
        row.market->Update(Book({ Runner(11, 2, 0, 1,
                                      R"("orders": [{"status": "EXECUTION_COMPLETE", "side": "BACK", "sizeMatched": 10.5}])"),
            Runner(12, 3, 0, 1,
                R"("orders": [{"status": "EXECUTABLE", "side": "LAY", "sizeMatched": 4.25, "sizeRemaining": 0.1}])"),
            Runner(13, 6, 0) }));
        QCOMPARE(row.cell(C::ColMatched).toString(), "14.75");
        QCOMPARE(row.cell(C::ColMatched, QSearcher::SortRole).toDouble(), 14.75);
        QCOMPARE(row.cell(C::ColUnmatched).toString(), "0.10");
        QVERIFY(row.market->HasOrders());
        row.market->Update(Book(ThreeRunners));
        QCOMPARE(row.cell(C::ColMatched).toString(), "");
        QCOMPARE(row.cell(C::ColMatched, QSearcher::SortRole).toDouble(), 0.0);
        QVERIFY(!row.market->HasOrders());
    }

    // A book tells the views once for the market row and once for its
    // selection rows; a cell changed outside a book tells them at once, and
    // only of a change.
    void changesReachTheViews()
    {
        const Row row;
        QSignalSpy changed(&row.results.model(), &QAbstractItemModel::dataChanged);
        row.market->Update(Book(ThreeRunners));
        QCOMPARE(changed.count(), 2);
        const QModelIndex market = row.market->index();
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), market);
        QCOMPARE(changed.at(1).at(0).value<QModelIndex>(), row.results.model().index(0, 0, market));
        QCOMPARE(changed.at(1).at(1).value<QModelIndex>(), row.results.model().index(2, C::ColSilks, market));

        QStandardItem* back = row.selection(12)->parent()->child(row.selection(12)->row(), C::ColBackPrice);
        for (const QVariant& tip : { QVariant("x"), QVariant("x"), QVariant() })
            back->setData(tip, Qt::ToolTipRole);
        QCOMPARE(changed.count(), 4);
        QCOMPARE(changed.at(2).at(0).value<QModelIndex>(), back->index());
        QVERIFY(!back->data(Qt::ToolTipRole).isValid());
        QCOMPARE(back->text(), "3.00");
    }

    // Appended first, then set up, the row comes out the same.
    void setAfterAppend()
    {
        ResultsView results;
        auto* market = new QMarket;
        results.model().invisibleRootItem()->appendRow(market);
        market->Set(results.model().invisibleRootItem(), Catalogue());
        market->Update(Book(ThreeRunners));
        QCOMPARE(market->CellData(C::ColBackPrice, Qt::DisplayRole).toString(), "100.00 %");
        QCOMPARE(market->rowCount(), 3);
        QCOMPARE(results.model().columnCount(), int(QSearcher::ColumnCount));
    }
};

QTEST_MAIN(tst_Market)
#include "tst_market.moc"
