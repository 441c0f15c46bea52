#include "ProgramTranslation.h"
#include "QMarket.h"
#include "QSelection.h"
#include "QStatus.h"
#include "ResultsView.h"

#include "common/TestFiles.h"

#include <QDir>
#include <QHeaderView>
#include <QStandardItem>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QColor Back(178, 235, 255);
const QColor Lay(255, 204, 220);
// The HSV value divided by 1.1, hue and saturation kept: each channel of
// (178, 235, 255) divided by 1.1 and rounded.
const QColor BackOnMarket(162, 214, 232);

// A market row as the market item lays it out: column 0 checkable, cells
// 1 to 11, no cell in column 12.
QStandardItem* AddMarket(QStandardItemModel& model, const QString& title, bool userTristate = false)
{
    auto* market = new QStandardItem(title);
    market->setCheckable(true);
    if (userTristate)
        market->setUserTristate(true);
    else
        market->setAutoTristate(true);
    market->setData(QStringLiteral("WIN"), QSearcher::KindRole);
    QList<QStandardItem*> row { market };
    for (int column = 1; column < QSearcher::ColSilks; ++column)
        row << new QStandardItem;
    model.appendRow(row);
    return market;
}

// A selection row: 13 cells, column 0 marked as a selection.
QStandardItem* AddSelection(QStandardItem* market, const QString& name, bool enabled = true)
{
    auto* selection = new QStandardItem(name);
    selection->setCheckable(true);
    selection->setEnabled(enabled);
    selection->setData(true, QSearcher::KindRole);
    QList<QStandardItem*> row { selection };
    for (int column = 1; column < QSearcher::ColumnCount; ++column)
        row << new QStandardItem;
    market->appendRow(row);
    return selection;
}

int StateOf(const QStandardItem* item)
{
    return item->data(Qt::CheckStateRole).toInt();
}

QList<int> States(const QStandardItem* market)
{
    QList<int> states;
    for (int row = 0; row < market->rowCount(); ++row)
        states << StateOf(market->child(row));
    return states;
}

} // namespace

class tst_ResultsView : public QObject
{
    Q_OBJECT

private slots:
    // Runs first: nothing fills the table behind the lookups' back.
    void statusesBeforeStartUp()
    {
        QCOMPARE(QStatus::StatusText("OPEN"), "OPEN");
        QCOMPARE(QStatus::StatusColor("OPEN"), QColor(Qt::black));
    }

    void statuses_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        const struct
        {
            const char* code;
            const char* english;
            const char* russian;
            QColor color;
        } rows[] = {
            { "OPEN", "Open", "Открыт", Qt::black },
            { "WILL-IN-PLAY", "Will go in-play", "Скоро в игре", QColor::fromHsl(120, 100, 20, 255) },
            { "SUSPENDED", "Suspended", "Приостановлен", QColor::fromHsl(0, 80, 40, 255) },
            { "IN-PLAY", "In-play", "В игре", QColor::fromHsl(120, 100, 80, 255) },
            { "CLOSED", "Closed", "Закрыт", Qt::gray },
            // A status outside the table shows as it came, in black.
            { "INACTIVE", "INACTIVE", "INACTIVE", Qt::black },
            { "open", "open", "open", Qt::black },
        };
        for (const auto& row : rows) {
            QTest::addRow("en %s", row.code) << QString() << row.code << row.english << row.color;
            QTest::addRow("ru %s", row.code) << "ru_RU" << row.code << QString::fromUtf8(row.russian) << row.color;
        }
    }

    void statuses()
    {
        QFETCH(QString, language);
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        const ProgramTranslation translation(language);
        QVERIFY(translation.isValid());
        QStatus::InitStatuses();
        QCOMPARE(QStatus::StatusText(code), text);
        QCOMPARE(QStatus::StatusColor(code), color);
    }

    // Column colours behind the cells: selection rows as set, market rows a
    // shade darker, white stays white, a cell's own background wins.
    void backgrounds()
    {
        ResultsView results;
        QStandardItem* market = AddMarket(results.model(), "Race");
        AddSelection(market, "Runner");
        const QModelIndex marketIndex = market->index();
        const QModelIndex selectionIndex = market->child(0)->index();
        auto background = [](const QModelIndex& index, int column) {
            return index.sibling(index.row(), column).data(Qt::BackgroundRole).value<QColor>();
        };

        QCOMPARE(background(selectionIndex, QSearcher::ColBackPrice).rgb(), Back.rgb());
        QCOMPARE(background(selectionIndex, QSearcher::ColLayPrice).rgb(), Lay.rgb());
        QCOMPARE(background(marketIndex, QSearcher::ColBackPrice).rgb(), BackOnMarket.rgb());
        QCOMPARE(background(marketIndex, QSearcher::ColStatus), QColor(Qt::white));
        QCOMPARE(background(selectionIndex, QSearcher::ColStatus), QColor(Qt::white));
        QCOMPARE(background(marketIndex, QSearcher::ColName), QColor(Qt::white));

        results.view.setColumnColor(QSearcher::ColMatched, Qt::white);
        QCOMPARE(background(marketIndex, QSearcher::ColMatched), QColor(Qt::white));
        results.model().item(0, QSearcher::ColBackPrice)->setBackground(Qt::yellow);
        QCOMPARE(background(marketIndex, QSearcher::ColBackPrice), QColor(Qt::yellow));
    }

    // Without the country-name option no cell of column 0 has a tool tip;
    // without flags, no icon.
    void countryOptions()
    {
        ResultsView results;
        QStandardItem* market = AddMarket(results.model(), "Race");
        market->setToolTip("United Kingdom");
        market->setIcon(QIcon(":/icons/status_OPEN.png"));
        QStandardItem* selection = AddSelection(market, "Runner");
        selection->setToolTip("Withdrawn at 15:05");
        results.view.setShowCountryName(false);
        QVERIFY(!market->index().data(Qt::ToolTipRole).isValid());
        QVERIFY(!selection->index().data(Qt::ToolTipRole).isValid());
        QVERIFY(market->index().data(Qt::DecorationRole).isValid());
        results.view.setShowCountryFlags(false);
        QVERIFY(!market->index().data(Qt::DecorationRole).isValid());
        results.view.setShowCountryName(true);
        QCOMPARE(selection->index().data(Qt::ToolTipRole).toString(), "Withdrawn at 15:05");
    }

    // A market's tick reaches its enabled selections; theirs come back up.
    void tickPropagation()
    {
        ResultsView results;
        QSearcherModel& model = results.model();
        QStandardItem* market = AddMarket(model, "Race");
        for (const char* name : { "A", "B", "C" })
            AddSelection(market, name);
        QStandardItem* disabled = AddSelection(market, "Withdrawn", false);

        QVERIFY(model.setData(market->index(), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(States(market), (QList<int> { 2, 2, 2, 0 }));
        QCOMPARE(StateOf(market), int(Qt::Checked));

        model.setData(market->child(1)->index(), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(StateOf(market), int(Qt::PartiallyChecked));
        model.setData(market->child(1)->index(), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(StateOf(market), int(Qt::Checked));

        // A disabled row counts neither way.
        disabled->setEnabled(true);
        model.setData(disabled->index(), Qt::Checked, Qt::CheckStateRole);
        disabled->setEnabled(false);
        model.setData(market->index(), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(States(market), (QList<int> { 0, 0, 0, 2 }));
        QCOMPARE(StateOf(market), int(Qt::Unchecked));

        // Other data on a selection's cells leaves the market's tick alone.
        model.setData(market->child(0)->index(), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(StateOf(market), int(Qt::PartiallyChecked));
        model.setData(model.index(2, QSearcher::ColBackPrice, market->index()), "2.5");
        model.setData(model.index(2, QSearcher::ColName, market->index()), "Renamed");
        QCOMPARE(StateOf(market), int(Qt::PartiallyChecked));
        QCOMPARE(States(market), (QList<int> { 2, 0, 0, 2 }));
    }

    // The user's key on a market's box: unchecked to checked and back, never
    // partly checked, for an automatic and for a user tristate market.
    void marketBoxByHand_data()
    {
        QTest::addColumn<bool>("userTristate");
        QTest::newRow("automatic tristate") << false;
        QTest::newRow("user tristate") << true;
    }

    void marketBoxByHand()
    {
        QFETCH(bool, userTristate);
        ResultsView results;
        QStandardItem* market = AddMarket(results.model(), "Race", userTristate);
        AddSelection(market, "A");
        AddSelection(market, "B");
        results.view.setCurrentIndex(market->index());
        for (const int expected : { 2, 0, 2 }) {
            QTest::keyClick(&results.view, Qt::Key_Space);
            QCOMPARE(StateOf(market), expected);
            QCOMPARE(States(market), (QList<int> { expected, expected }));
        }
    }

    // Start-up options: exactly columns 0, 2, 3, 4, 5 and 6; column 3 stays
    // whatever its flag says; column 1 is 48 wide once resized.
    void startupColumns()
    {
        const TempSettings settings;
        ResultsView results;
        QCOMPARE(results.view.header()->count(), int(QSearcher::ColumnCount));
        QCOMPARE(ShownColumns(results.view), (QList<int> { 0, 2, 3, 4, 5, 6 }));

        results.view.setShowColumn(QSearcher::ColTimeRank, false);
        results.view.setShowColumn(QSearcher::ColLayPrice, false);
        QCOMPARE(ShownColumns(results.view), (QList<int> { 0, 2, 3, 4, 5 }));
        results.view.setShowColumn(QSearcher::ColNumSelections, true);
        results.view.setShowColumn(QSearcher::ColSilks, true);
        results.view.resizeColumns();
        QCOMPARE(ShownColumns(results.view), (QList<int> { 0, 1, 2, 3, 4, 5, 12 }));
        QCOMPARE(results.view.columnWidth(QSearcher::ColNumSelections), 48);
    }

    // An option changed while painting is off (a search runs) leaves it off.
    void optionKeepsPaintingState()
    {
        ResultsView results;
        results.view.setUpdatesEnabled(false);
        results.view.setShowColumn(QSearcher::ColMatched, true);
        results.view.LanguageChanged();
        QVERIFY(!results.view.updatesEnabled());
        QVERIFY(!results.view.isColumnHidden(QSearcher::ColMatched));
        emit results.view.NotifyDone(0);
        QVERIFY(results.view.updatesEnabled());
    }

    // The header layout goes to the top-level key "Columns" on a move and on
    // a sort change, never on a resize or a hide, never into the group of
    // the column boxes.
    void headerLayoutSaving()
    {
        const TempSettings settings;
        QSettings* store = settings.store();
        store->setValue("Columns/ShowVolume", true);
        ResultsView results;
        // Setting the view up writes nothing.
        QVERIFY(!store->contains("Columns"));
        QHeaderView* header = results.view.header();

        header->resizeSection(QSearcher::ColVolume, 150);
        results.view.setShowColumn(QSearcher::ColMatched, true);
        results.view.setShowColumn(QSearcher::ColMatched, false);
        QVERIFY(!store->contains("Columns"));

        header->moveSection(QSearcher::ColVolume, QSearcher::ColLayPrice);
        QVERIFY(store->value("Columns").toByteArray() == header->saveState());
        store->remove("Columns");
        store->setValue("Columns/ShowVolume", true);

        header->setSortIndicator(QSearcher::ColBackPrice, Qt::DescendingOrder);
        QVERIFY(store->value("Columns").toByteArray() == header->saveState());
        store->beginGroup("Columns");
        QCOMPARE(store->childKeys(), QStringList { "ShowVolume" });
        store->endGroup();

        // A restart brings the moved order back.
        QHeaderView restored(Qt::Horizontal);
        QStandardItemModel columns(0, QSearcher::ColumnCount);
        restored.setModel(&columns);
        QVERIFY(restored.restoreState(store->value("Columns").toByteArray()));
        QCOMPARE(restored.visualIndex(QSearcher::ColVolume), header->visualIndex(QSearcher::ColVolume));
        QCOMPARE(restored.sortIndicatorSection(), int(QSearcher::ColBackPrice));

        // Without a store nothing is written, and nothing fails.
        CloseSettingsStore();
        header->moveSection(QSearcher::ColBackPrice, QSearcher::ColVolume);
        QVERIFY(!SettingsStore());
    }

    // Hand-made markets and runners painted through the program's own items:
    // the column colours and the grey dotted line under each row reach the
    // screen. TW_SHOT_DIR keeps the pictures.
    void paintedRows_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QString();
        QTest::newRow("Russian") << "ru_RU";
    }

    void paintedRows()
    {
        QFETCH(QString, language);
        const ProgramTranslation translation(language);
        const QTemporaryDir catalogs;
        InitResultTables(catalogs.path());
        // Numbers and months as the program shows them in that language.
        if (!language.isEmpty())
            QLocale::setDefault(QLocale(language));
        ResultsView results;
        results.view.setShowColumn(QSearcher::ColMatched, true);
        results.view.setShowColumn(QSearcher::ColNumSelections, true);
        QSearcherModel& model = results.model();
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        // Catalogue record, then market book: a race with a withdrawn runner
        // and the user's bets, a match in play, a suspended tennis match.
        const struct
        {
            const char* catalogue;
            const char* book;
        } markets[] = {
            { R"({"marketId": "1.1", "marketName": "2m Hcap", "marketStartTime": "%1T15:30:00.000Z",
                 "description": {"marketType": "WIN", "turnInPlayEnabled": true},
                 "event": {"id": "1", "name": "Ascot 18th Jun", "venue": "Ascot", "countryCode": "GB"},
                 "eventType": {"id": "7"},
                 "runners": [{"selectionId": 11, "runnerName": "Desert Crown", "sortPriority": 1},
                             {"selectionId": 12, "runnerName": "Westover", "sortPriority": 2},
                             {"selectionId": 13, "runnerName": "Nashwa", "sortPriority": 3},
                             {"selectionId": 14, "runnerName": "Emily Upjohn", "sortPriority": 4}]})",
                R"({"status": "OPEN", "inplay": false, "totalMatched": 12345, "numberOfWinners": 1, "runners": [
                 {"selectionId": 11, "status": "ACTIVE", "lastPriceTraded": 2, "totalMatched": 8000,
                  "ex": {"availableToBack": [{"price": 2, "size": 120}], "availableToLay": [{"price": 2.02, "size": 80}]}},
                 {"selectionId": 12, "status": "ACTIVE", "lastPriceTraded": 3.2, "totalMatched": 3600,
                  "ex": {"availableToBack": [{"price": 3.1, "size": 40}], "availableToLay": [{"price": 3.2, "size": 15}]},
                  "orders": [{"status": "EXECUTION_COMPLETE", "side": "BACK", "sizeMatched": 10.5}]},
                 {"selectionId": 13, "status": "ACTIVE", "totalMatched": 745,
                  "ex": {"availableToBack": [{"price": 6, "size": 9}], "availableToLay": [{"price": 6.4, "size": 3}]}},
                 {"selectionId": 14, "status": "REMOVED", "removalDate": "%1T09:30:00.000Z", "adjustmentFactor": 12.3}]})" },
            { R"({"marketId": "1.2", "marketName": "Match Odds", "marketStartTime": "%1T14:00:00.000Z",
                 "description": {"marketType": "MATCH_ODDS"},
                 "event": {"id": "2", "name": "Arsenal v Chelsea", "countryCode": "GB"}, "eventType": {"id": "1"},
                 "runners": [{"selectionId": 21, "runnerName": "Arsenal"}, {"selectionId": 22, "runnerName": "Chelsea"},
                             {"selectionId": 23, "runnerName": "The Draw"}]})",
                R"({"status": "OPEN", "inplay": true, "totalMatched": 95000, "numberOfWinners": 1, "runners": [
                 {"selectionId": 21, "status": "ACTIVE", "totalMatched": 60000,
                  "ex": {"availableToBack": [{"price": 1.8, "size": 900}], "availableToLay": [{"price": 1.85, "size": 300}]}},
                 {"selectionId": 22, "status": "ACTIVE", "totalMatched": 20000,
                  "ex": {"availableToBack": [{"price": 4.6, "size": 50}], "availableToLay": [{"price": 4.8, "size": 70}]}},
                 {"selectionId": 23, "status": "ACTIVE", "totalMatched": 15000,
                  "ex": {"availableToBack": [{"price": 3.9, "size": 25}], "availableToLay": [{"price": 4, "size": 60}]},
                  "orders": [{"status": "EXECUTABLE", "side": "LAY", "sizeMatched": 0, "sizeRemaining": 5}]}]})" },
            { R"({"marketId": "1.3", "marketName": "Match Odds", "marketStartTime": "2026-06-20T11:00:00.000Z",
                 "description": {"marketType": "MATCH_ODDS"},
                 "event": {"id": "3", "name": "Halle", "venue": "Halle", "countryCode": "DE"}, "eventType": {"id": "2"},
                 "runners": [{"selectionId": 31, "runnerName": "A Zverev"}, {"selectionId": 32, "runnerName": "J Sinner"}]})",
                R"({"status": "SUSPENDED", "inplay": false, "totalMatched": 950, "numberOfWinners": 1, "runners": [
                 {"selectionId": 31, "status": "ACTIVE", "totalMatched": 500,
                  "ex": {"availableToBack": [{"price": 2.5, "size": 10}], "availableToLay": [{"price": 2.6, "size": 4}]}},
                 {"selectionId": 32, "status": "ACTIVE", "totalMatched": 450,
                  "ex": {"availableToBack": [{"price": 1.6, "size": 30}], "availableToLay": [{"price": 1.65, "size": 2}]}}]})" },
        };
        double allMatched = 0;
        for (const auto& m : markets) {
            auto* market = new QMarket;
            market->AppendTo(model.invisibleRootItem(), json(QString::fromUtf8(m.catalogue).arg(today)));
            market->Update(json(QString::fromUtf8(m.book).arg(today)));
            allMatched += market->CellData(QSearcher::ColVolume, QSearcher::SortRole).toDouble();
        }
        model.setProperty("allMatched", allMatched);
        results.view.Market(1)->SetScores(1, 0, 67);
        model.setData(results.view.Market(0)->Selection(12)->index(), Qt::Checked, Qt::CheckStateRole);
        results.view.Market(0)->CheckedCount();
        results.view.expandAll();
        results.view.resizeColumns();
        const int frame = 2 * results.view.frameWidth();
        results.view.resize(results.view.header()->length() + frame + 20,
            results.view.header()->height() + 16 * results.view.sizeHintForRow(0) + frame);
        results.view.setCurrentIndex(QModelIndex());
        results.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&results.view));
        const QImage shot = results.view.grab().toImage();
        if (!qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))
            shot.save(QDir(qEnvironmentVariable("TW_SHOT_DIR")).filePath(QString("results_%1.png").arg(language.isEmpty() ? "en" : language)));

        const qreal scale = shot.devicePixelRatio();
        auto pixel = [&](const QPoint& inViewport) {
            const QPoint point = results.view.viewport()->mapTo(&results.view, inViewport) * scale;
            return QColor(shot.pixel(point));
        };
        // The match's back book (102.94 %) offers no value: no yellow of its own.
        const QModelIndex selectionBack = model.index(0, QSearcher::ColBackPrice, model.index(1, 0));
        QCOMPARE(pixel(results.view.visualRect(selectionBack).topLeft() + QPoint(2, 2)), Back);
        QCOMPARE(pixel(results.view.visualRect(model.index(1, QSearcher::ColBackPrice)).topLeft() + QPoint(2, 2)),
            BackOnMarket);
        // The dotted separator: grey on the bottom line of a cell, somewhere along it.
        const QRect cell = results.view.visualRect(model.index(0, QSearcher::ColStatus));
        bool dotted = false;
        for (int x = cell.left(); x < cell.right(); ++x)
            dotted |= pixel(QPoint(x, cell.bottom())) == QColor(184, 184, 184);
        QVERIFY(dotted);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
};

QTEST_MAIN(tst_ResultsView)
#include "tst_resultsview.moc"
