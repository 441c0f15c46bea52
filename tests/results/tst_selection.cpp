#include "ProgramTranslation.h"
#include "QBetFair.h"
#include "QPriceValidator.h"
#include "QSelection.h"
#include "ResultTexts.h"
#include "ResultsView.h"

#include <QFont>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

using C = QSearcher::ColumnType;

const char* const Runner = R"({"selectionId": 3000000000, "runnerName": "Desert Crown", "sortPriority": 2,
    "metadata": {"JOCKEY_NAME": "R Moore", "AGE": "4"}})";

// A runner of a market book: best back and lay offers, last traded price, extras.
QJsonObject Book(const QString& back, const QString& lay, double lastTraded, const QString& extra = QString())
{
    return json(QString(R"({"selectionId": 3000000000, "status": "ACTIVE", "lastPriceTraded": %1,
        "totalMatched": 25, "ex": {"availableToBack": [%2], "availableToLay": [%3]}%4})")
                    .arg(lastTraded)
                    .arg(back, lay, extra.isEmpty() ? QString() : ", " + extra));
}

QString Offer(double price, double size)
{
    return QString(R"({"price": %1, "size": %2})").arg(price).arg(size);
}

QString TodayAt(const char* time)
{
    return QDate::currentDate().toString(Qt::ISODate) + "T" + time;
}

} // namespace

class tst_Selection : public QObject
{
    Q_OBJECT

    // A market row with one selection row, in the view's model.
    struct Row
    {
        ResultsView results;
        QStandardItem* market = new QStandardItem("Race");
        QSelection* selection = new QSelection;

        explicit Row(const QJsonObject& runner = json(Runner))
        {
            QList<QStandardItem*> cells { market };
            for (int column = 1; column < QSearcher::ColSilks; ++column)
                cells << new QStandardItem;
            results.model().appendRow(cells);
            selection->AppendTo(market, runner);
        }
        QVariant cell(int column, int role = Qt::DisplayRole) const { return selection->CellData(column, role); }
        QFont font(int column) const { return cell(column, Qt::FontRole).value<QFont>(); }
    };

private slots:
    void initTestCase()
    {
        // One hour ahead of UTC all year: removal times are shown in local time.
        qputenv("TZ", "Etc/GMT-1");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QPriceValidator::InitPriceLadder();
        QSelection::Currency = "GBP";
        QBetFair::Currency = "EUR";
    }

    // The catalogue set-up, by the fast path and by the step-by-step path
    // (item appended first, then Set).
    void catalogue_data()
    {
        QTest::addColumn<bool>("appendedFirst");
        QTest::newRow("one insertion") << false;
        QTest::newRow("appended, then set") << true;
    }

    void catalogue()
    {
        QFETCH(bool, appendedFirst);
        Row row;
        QSelection* selection = row.selection;
        if (appendedFirst) {
            selection = new QSelection;
            row.market->appendRow(selection);
            selection->Set(json(Runner));
        }
        QCOMPARE(row.market->columnCount(), int(QSearcher::ColumnCount));
        QCOMPARE(selection->text(), "Desert Crown");
        // A 64-bit id is kept whole: as an int it would be selection 0.
        QCOMPARE(selection->data(Qt::WhatsThisRole).toLongLong(), 3000000000LL);
        QCOMPARE(selection->data(QSearcher::SortRole).toInt(), 2);
        QCOMPARE(selection->data(QSearcher::KindRole), QVariant(true));
        QCOMPARE(selection->checkState(), Qt::Unchecked);
        QCOMPARE(selection->Rank(), 9999);
        QCOMPARE(selection->VolumeRank(), 9999);
        QCOMPARE(selection->MatchState(), 0);
        QVERIFY(!selection->IsWithdrawn() && !selection->HasOrders());
        QCOMPARE(selection->CellData(C::ColBackPrice, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
        QCOMPARE(selection->CellData(C::ColStatus, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
        QVERIFY(!selection->CellData(C::ColVolume, Qt::TextAlignmentRole).isValid());
        QCOMPARE(selection->CellData(C::ColSilks, QSearcher::KindRole).toJsonObject().value("AGE"), "4");
        QVERIFY(selection->CellData(C::ColSilks, Qt::DecorationRole).isValid());
    }

    // One metadata key is no silks; nor is none.
    void silks_data()
    {
        QTest::addColumn<QString>("metadata");
        QTest::newRow("one key") << R"(, "metadata": {"AGE": "4"})";
        QTest::newRow("none") << QString();
        QTest::newRow("not an object") << R"(, "metadata": ["AGE", "4"])";
    }

    void silks()
    {
        QFETCH(QString, metadata);
        const Row row(json(QString(R"({"selectionId": 7, "runnerName": "X"%1})").arg(metadata)));
        QCOMPARE(row.cell(C::ColSilks, QSearcher::KindRole).toJsonObject(), QJsonObject());
        QVERIFY(!row.cell(C::ColSilks, Qt::DecorationRole).isValid());
        QVERIFY(!row.cell(C::ColSilks, Qt::ToolTipRole).isValid());
    }

    // Best back and lay: ladder price and decimals, size tooltip, underline
    // when the price is the last traded one.
    void prices_data()
    {
        QTest::addColumn<QJsonObject>("runner");
        QTest::addColumn<QString>("backText");
        QTest::addColumn<double>("backSort");
        QTest::addColumn<QString>("backTip");
        QTest::addColumn<bool>("underlined");
        QTest::addColumn<QString>("layText");
        QTest::addColumn<double>("laySort");

        QTest::newRow("traded at the back price")
            << Book(Offer(3.4, 10), Offer(3.45, 2.5), 3.4) << "3.40" << 3.4 << "10.00 GBP" << true << "3.45" << 3.45;
        QTest::newRow("traded elsewhere")
            << Book(Offer(3.4, 10), Offer(3.45, 2.5), 3.45) << "3.40" << 3.4 << "10.00 GBP" << false << "3.45" << 3.45;
        QTest::newRow("nothing traded") << Book(Offer(1.01, 5), "", 0) << "1.01" << 1.01 << "5.00 GBP" << false << ""
                                        << 0.0;
        QTest::newRow("1.0 is no offer") << Book(Offer(1.0, 5), Offer(1.02, 5), 1.0) << "" << 1.0 << "" << false
                                         << "1.02" << 1.02;
        // Off the ladder: shown and stored as the ladder price below it.
        QTest::newRow("1.556") << Book(Offer(1.556, 3), "", 1.55) << "1.55" << 1.55 << "3.00 GBP" << true << ""
                               << 0.0;
        QTest::newRow("4.8312") << Book(Offer(4.8312, 3), "", 0) << "4.8" << 4.8 << "3.00 GBP" << false << "" << 0.0;
        QTest::newRow("above the ladder") << Book(Offer(1200, 1), "", 0) << "1000" << 1000.0 << "1.00 GBP" << false
                                          << "" << 0.0;
    }

    void prices()
    {
        QFETCH(QJsonObject, runner);
        QFETCH(double, backSort);
        QFETCH(double, laySort);
        Row row;
        row.selection->Update(runner, 100);
        QCOMPARE(row.cell(C::ColBackPrice).toString(), FETCH(QString, backText));
        QCOMPARE(row.cell(C::ColBackPrice, QSearcher::SortRole).toDouble(), backSort);
        QCOMPARE(row.cell(C::ColBackPrice, Qt::ToolTipRole).toString(), FETCH(QString, backTip));
        QCOMPARE(row.font(C::ColBackPrice).underline(), FETCH(bool, underlined));
        QCOMPARE(row.cell(C::ColBackPrice, QSearcher::LastTradedRole).toDouble(),
            runner.value("lastPriceTraded").toDouble());
        QCOMPARE(row.cell(C::ColLayPrice).toString(), FETCH(QString, layText));
        QCOMPARE(row.cell(C::ColLayPrice, QSearcher::SortRole).toDouble(), laySort);
        // Prices are held as read, never through float.
        QCOMPARE(row.cell(C::ColBackPrice, QSearcher::SortRole).userType(), int(QMetaType::Double));
    }

    // An empty lay side leaves the lay cell's font as it was; a later book
    // clears an underline it no longer earns.
    void fontsFollowTheBook()
    {
        Row row;
        row.selection->Update(Book(Offer(2.5, 1), Offer(2.52, 1), 2.52), 10);
        QVERIFY(row.font(C::ColLayPrice).underline());
        row.selection->Update(Book(Offer(2.5, 1), "", 2.52), 10);
        QVERIFY(row.font(C::ColLayPrice).underline());
        QCOMPARE(row.cell(C::ColLayPrice).toString(), "");
        row.selection->Update(Book(Offer(2.5, 1), Offer(2.54, 1), 2.52), 10);
        QVERIFY(!row.font(C::ColLayPrice).underline());
    }

    // Starting prices: near and far with the shown price's decimals (2 when
    // no price was shown), actual on the ladder; cells kept without "sp".
    void startingPrices_data()
    {
        QTest::addColumn<QJsonObject>("runner");
        QTest::addColumn<QStringList>("texts"); // far, near, actual
        QTest::addColumn<QList<double>>("sorts");

        QTest::newRow("lay shown, 1 decimal")
            << Book(Offer(4.5, 1), Offer(4.6, 1), 0, R"("sp": {"nearPrice": 4.5321, "farPrice": 4.4, "actualSP": 4.8312})")
            << QStringList { "4.4", "4.5", "4.8" } << QList<double> { 4.4, 4.5321, 4.8 };
        QTest::newRow("no price shown")
            << Book("", "", 0, R"("sp": {"nearPrice": 4.5321, "farPrice": 0, "actualSP": 0})")
            << QStringList { "", "4.53", "" } << QList<double> { 0, 4.5321, 0 };
        QTest::newRow("back shown, 2 decimals")
            << Book(Offer(1.5, 1), "", 0, R"("sp": {"nearPrice": 1.4567, "actualSP": "NaN"})")
            << QStringList { "", "1.46", "" } << QList<double> { 0, 1.4567, 0 };
    }

    void startingPrices()
    {
        QFETCH(QJsonObject, runner);
        QFETCH(QStringList, texts);
        QFETCH(QList<double>, sorts);
        Row row;
        row.selection->Update(runner, 10);
        const int columns[] = { C::ColFarSP, C::ColNearSP, C::ColActualSP };
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(row.cell(columns[i]).toString(), texts.at(i));
            QCOMPARE(row.cell(columns[i], QSearcher::SortRole).toDouble(), sorts.at(i));
        }
        // A book without "sp" leaves the cells as they were.
        runner.remove("sp");
        row.selection->Update(runner, 10);
        QCOMPARE(row.cell(C::ColNearSP).toString(), texts.at(1));
    }

    // Share of the market's volume: 2 decimals up to 1 %, none above.
    void volume_data()
    {
        QTest::addColumn<double>("runnerMatched");
        QTest::addColumn<double>("marketMatched");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("share");
        QTest::newRow("market total 0") << 25.0 << 0.0 << "0.00" << 0.0;
        QTest::newRow("share 0.01") << 1.0 << 100.0 << "1.00" << 0.01;
        QTest::newRow("share 0.0101") << 1.01 << 100.0 << "1" << 0.0101;
        QTest::newRow("share 0.25") << 25.0 << 100.0 << "25" << 0.25;
    }

    void volume()
    {
        QFETCH(double, runnerMatched);
        QFETCH(double, marketMatched);
        QFETCH(double, share);
        Row row;
        QJsonObject runner = Book("", "", 0);
        runner["totalMatched"] = runnerMatched;
        row.selection->Update(runner, marketMatched);
        QCOMPARE(row.cell(C::ColVolume).toString(), FETCH(QString, text));
        QCOMPARE(row.cell(C::ColVolume, QSearcher::SortRole).toDouble(), share);
        QCOMPARE(row.cell(C::ColVolume, Qt::ToolTipRole).toString(), QString::number(runnerMatched, 'f', 1) + "EUR");
        QCOMPARE(row.cell(C::ColVolume, QSearcher::KindRole), QVariant(true));
    }

    // A withdrawn runner: grey, disabled, untickable, its tick gone without
    // the hand-tick notice; the removal in the tooltip; SP cells kept; orders
    // still summed.
    void withdrawn_data()
    {
        QTest::addColumn<QString>("removal");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("today") << TodayAt("14:05:00.000Z") << "Withdrawn at 15:05, reduction factor: 12.30";
        QTest::newRow("today, no milliseconds") << TodayAt("14:05:00Z") << "Withdrawn at 15:05, reduction factor: 12.30";
        QTest::newRow("another day") << "2024-03-03T09:30:00.000Z" << "Withdrawn 3 Mar at 10:30, reduction factor: 12.30";
    }

    void withdrawn()
    {
        QFETCH(QString, removal);
        QFETCH(QString, tooltip);
        Row row;
        row.results.view.setIncludeWithdrawns(false);
        row.selection->Update(Book(Offer(2.5, 1), Offer(2.52, 1), 0, R"("sp": {"nearPrice": 2.51})"), 10);
        row.results.model().setData(row.selection->index(), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(row.selection->checkState(), Qt::Checked);

        const CheckNotices notices(row.results.model());
        QJsonObject runner = Book(Offer(2.5, 1), Offer(2.52, 1), 2.5,
            R"("adjustmentFactor": 12.3, "orders": [{"status": "EXECUTION_COMPLETE", "side": "BACK", "sizeMatched": 4}])");
        runner["status"] = "REMOVED";
        runner["removalDate"] = removal;
        row.selection->Update(runner, 10);

        QVERIFY(row.selection->IsWithdrawn());
        QVERIFY(!row.selection->isEnabled());
        QCOMPARE(row.selection->checkState(), Qt::Unchecked);
        QVERIFY(!row.font(C::ColBackPrice).bold());
        QCOMPARE(notices.count(), 0);
        QCOMPARE(row.selection->foreground().color(), QColor(Qt::lightGray));
        QCOMPARE(row.selection->toolTip(), tooltip);
        QCOMPARE(row.cell(C::ColStatus).toString(), "Withdrawn");
        QCOMPARE(row.cell(C::ColStatus, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft));
        QCOMPARE(row.cell(C::ColBackPrice).toString(), "");
        QCOMPARE(row.cell(C::ColLayPrice).toString(), "");
        QCOMPARE(row.cell(C::ColVolume).toString(), "");
        QCOMPARE(row.cell(C::ColVolume, QSearcher::SortRole), QVariant(0));
        QCOMPARE(row.cell(C::ColNearSP).toString(), "2.51");
        QCOMPARE(row.cell(C::ColMatched).toString(), "4.00");
        QVERIFY(row.selection->HasOrders());

        // The option hides and shows the row at once.
        QVERIFY(!row.results.view.isRowHidden(0, row.market->index()));
        row.results.view.setIncludeWithdrawns(false);
        QVERIFY(row.results.view.isRowHidden(0, row.market->index()));
        row.results.view.setIncludeWithdrawns(true);
        QVERIFY(!row.results.view.isRowHidden(0, row.market->index()));

        // Ranked, it shows "withdrawn" first in the order.
        row.selection->ShowRank(3);
        QCOMPARE(row.cell(C::ColTimeRank).toString(), "withdrawn");
        QCOMPARE(row.selection->Rank(), 0);
        QCOMPARE(row.cell(C::ColTimeRank, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::lightGray));
        row.selection->SetPL(json(R"({"ifWin": 5, "ifLose": -1})"));
        QCOMPARE(row.cell(C::ColStatus).toString(), "Withdrawn");
    }

    // The user's orders: matched and unmatched sums, split by side in the tooltips.
    void orders_data()
    {
        QTest::addColumn<QString>("orders");
        QTest::addColumn<QStringList>("matched"); // text, tooltip
        QTest::addColumn<QStringList>("unmatched");
        QTest::addColumn<bool>("hasOrders");
        QTest::newRow("two orders")
            << R"([{"status": "EXECUTABLE", "side": "BACK", "sizeMatched": 2, "sizeRemaining": 8},
                   {"status": "EXECUTION_COMPLETE", "side": "LAY", "sizeMatched": 5, "sizeRemaining": 0}])"
            << QStringList { "7.00", "BACK: 2 EUR\nLAY: 5 EUR" } << QStringList { "8.00", "BACK: 8 EUR" } << true;
        QTest::newRow("lay unmatched only")
            << R"([{"status": "EXECUTABLE", "side": "LAY", "sizeMatched": 0, "sizeRemaining": 2.5}])"
            << QStringList { "", "" } << QStringList { "2.50", "LAY: 2.5 EUR" } << true;
        QTest::newRow("other statuses")
            << R"([{"status": "PENDING", "side": "BACK", "sizeMatched": 2, "sizeRemaining": 8}, {}])"
            << QStringList { "", "" } << QStringList { "", "" } << true;
        QTest::newRow("none") << "[]" << QStringList { "", "" } << QStringList { "", "" } << false;
    }

    void orders()
    {
        QFETCH(QString, orders);
        QFETCH(QStringList, matched);
        QFETCH(QStringList, unmatched);
        Row row;
        row.selection->Update(Book("", "", 0, R"("orders": )" + orders), 10);
        QCOMPARE(row.selection->HasOrders(), FETCH(bool, hasOrders));
        QCOMPARE((QStringList { row.cell(C::ColMatched).toString(), row.cell(C::ColMatched, Qt::ToolTipRole).toString() }),
            matched);
        QCOMPARE((QStringList { row.cell(C::ColUnmatched).toString(),
                     row.cell(C::ColUnmatched, Qt::ToolTipRole).toString() }),
            unmatched);
        QCOMPARE(row.cell(C::ColMatched, QSearcher::SortRole).toDouble(), matched.at(0).toDouble());
        // A later book without orders clears the flag.
        row.selection->Update(Book("", "", 0), 10);
        QVERIFY(!row.selection->HasOrders());
    }

    // A tick turns the whole row bold (an underline kept) and sends one
    // null-item notice; the same state again, or none yet, sends none.
    void ticking()
    {
        Row row;
        row.selection->Update(Book(Offer(2.5, 1), "", 2.5), 10);
        CheckNotices notices(row.results.model());

        row.selection->setCheckState(Qt::Checked);
        for (int column = 0; column < QSearcher::ColumnCount; ++column)
            QVERIFY2(row.font(column).bold(), qPrintable(QString::number(column)));
        QVERIFY(row.font(C::ColBackPrice).underline());
        QCOMPARE(notices.count(), 1);

        row.selection->setCheckState(Qt::Checked);
        QCOMPARE(notices.count(), 1);
        row.selection->setData(Qt::PartiallyChecked, Qt::CheckStateRole);
        QVERIFY(!row.font(C::ColName).bold() && !row.font(C::ColSilks).bold());
        QCOMPARE(notices.count(), 2);

        // Setting a row up, in or out of a model, is no tick.
        notices.clear();
        auto* fresh = new QSelection;
        row.market->appendRow(fresh);
        fresh->Set(json(Runner));
        QSelection outside;
        outside.setCheckable(true);
        outside.setCheckState(Qt::Checked);
        QCOMPARE(notices.count(), 0);
    }

    void profitAndLoss_data()
    {
        QTest::addColumn<QString>("pl");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("sort");
        QTest::addColumn<int>("hue");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("no exposure") << R"({"ifWin": 0, "ifLose": 0})" << "" << 0.0 << 127 << "kept";
        QTest::newRow("a loss if it wins") << R"({"ifWin": -3, "ifLose": 7.5})" << "-3.00" << -3.0 << 0 << "+7.50";
        QTest::newRow("a win") << R"({"ifWin": 12.5})" << "+12.50" << 12.5 << 127 << "kept";
    }

    void profitAndLoss()
    {
        QFETCH(QString, pl);
        QFETCH(double, sort);
        Row row;
        row.selection->parent()->child(0, C::ColStatus)->setToolTip("kept");
        row.selection->SetPL(json(pl));
        QCOMPARE(row.cell(C::ColStatus).toString(), FETCH(QString, text));
        QCOMPARE(row.cell(C::ColStatus, QSearcher::SortRole).toDouble(), sort);
        QCOMPARE(row.cell(C::ColStatus, Qt::ForegroundRole).value<QColor>(), QColor::fromHsl(FETCH(int, hue), 255, 70, 255));
        QCOMPARE(row.cell(C::ColStatus, Qt::ToolTipRole).toString(), FETCH(QString, tooltip));
    }

    void rank()
    {
        Row row;
        row.selection->ShowRank(3);
        QCOMPARE(row.selection->Rank(), 3);
        QCOMPARE(row.cell(C::ColTimeRank).toInt(), 3);
        QCOMPARE(row.cell(C::ColTimeRank, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray));
        row.selection->SetVolumeRank(2);
        row.selection->SetMatchState(3);
        QCOMPARE(row.selection->VolumeRank(), 2);
        QCOMPARE(row.selection->MatchState(), 3);
    }

    // The fixed texts of amounts and prices read as QString::number writes
    // them, ties and values out of the quick path included; the value is
    // the number the text reads as.
    void fixedTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        const struct
        {
            const char* name;
            double value;
            int decimals;
        } rows[] = { { "zero", 0, 2 }, { "whole", 1000, 0 }, { "exact tie", 0.125, 2 }, { "binary below a tie", 2.675, 2 },
            { "near tie, large", 38438.155, 2 }, { "half to whole", 12345.5, 0 }, { "three decimals", 1.0005, 3 },
            { "past the quick path", 1e9, 2 }, { "negative", -3.456, 2 }, { "negative to zero", -0.001, 2 },
            { "not a number", qQNaN(), 2 } };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.value << row.decimals;
    }

    void fixedTexts()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        const QString reference = QString::number(value, 'f', decimals);
        QCOMPARE(Fixed(value, decimals), reference);
        if (!qIsNaN(value))
            QCOMPARE(FixedValue(value, decimals), reference.toDouble());
    }

    // Nothing breaks outside a model.
    void outsideAModel()
    {
        QSelection loose;
        loose.Set(json(Runner));
        loose.Update(Book(Offer(2, 1), "", 0), 10);
        loose.SetPL(json(R"({"ifWin": 1})"));
        loose.ShowRank(1);
        loose.setCheckable(true);
        loose.setCheckState(Qt::Checked);
        QCOMPARE(loose.Rank(), 0);
    }

    void russian()
    {
        const ProgramTranslation russian("ru_RU");
        Row row;
        QJsonObject runner = Book("", "", 0);
        runner["status"] = "REMOVED_VACANT";
        runner["removalDate"] = "2024-03-03T09:30:00Z";
        row.selection->Update(runner, 10);
        QCOMPARE(row.cell(C::ColStatus).toString(), QString::fromUtf8("Снят"));
        QVERIFY(row.selection->toolTip().startsWith(QString::fromUtf8("Снят")));
        QCOMPARE(row.cell(C::ColSilks, Qt::ToolTipRole).toString(), QString::fromUtf8("Нажмите, чтобы увидеть данные участника"));
    }
};

QTEST_MAIN(tst_Selection)
#include "tst_selection.moc"
