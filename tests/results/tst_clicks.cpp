#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "LogLines.h"
#include "ProgramTranslation.h"
#include "QCatalog.h"
#include "QMarket.h"
#include "QSelection.h"
#include "QSilksTooltip.h"
#include "QStatus.h"
#include "ResultsView.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QtTest>

namespace {

using C = QSearcher::ColumnType;

constexpr qlonglong Frankel = 5000000000123; // beyond 32 bits
const QString RaceTitle = QString::fromUtf8("Horse Racing → Ascot → 2m %1 Hcap");

// A catalogue record of the given sport (event type id) with its runners.
QJsonObject Record(const QString& marketId, const QString& sport, const QString& marketName, const QJsonArray& runners)
{
    return QJsonObject { { "marketId", marketId }, { "marketName", marketName },
        { "marketStartTime", "2030-01-01T10:00:00.000Z" },
        { "description", QJsonObject { { "marketType", "WIN" } } },
        { "event", QJsonObject { { "id", "901" }, { "name", "Ascot 1st Jan" }, { "venue", "Ascot" } } },
        { "eventType", QJsonObject { { "id", sport } } }, { "runners", runners } };
}

QJsonObject Runner(qlonglong id, const QString& name, const QJsonObject& metadata = QJsonObject())
{
    QJsonObject runner { { "selectionId", double(id) }, { "runnerName", name }, { "sortPriority", 1 } };
    if (!metadata.isEmpty())
        runner.insert("metadata", metadata);
    return runner;
}

QList<QSilksTooltip*> Tooltips()
{
    QList<QSilksTooltip*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* tooltip = qobject_cast<QSilksTooltip*>(widget))
            shown << tooltip;
    return shown;
}

QString NameOf(const QSilksTooltip* tooltip)
{
    auto* form = qobject_cast<QFormLayout*>(tooltip->layout());
    return qobject_cast<QLabel*>(form->itemAt(0, QFormLayout::LabelRole)->widget())->text();
}

// Addresses handed to the system browser.
class Browser : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

// ShowChart's arguments, one list per signal.
using Charts = QList<QVariantList>;

} // namespace

class tst_Clicks : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    Browser browser;

    // Markets 1.234 (Horse Racing: Frankel, Nathaniel, Dubawi), 1.5 (a
    // sport missing from the catalog: Home, Away) and 1.6 (American
    // Football: Reds), all expanded, in a view on screen.
    struct Results
    {
        ProgramTranslation english { "en_GB" };
        LogLines log;
        ResultsView results;
        QSearcher& view = results.view;
        QSignalSpy charts { &view, &QSearcher::ShowChart };

        Results()
        {
            const QJsonObject silks { { "JOCKEY_NAME", "T Queally" }, { "AGE", "4" }, { "COLOURS_FILENAME", "c1.png" } };
            Add(Record("1.234", "7", "2m %1 Hcap",
                { Runner(Frankel, "Frankel %2", silks), Runner(12, "Nathaniel"), Runner(13, "Dubawi") }));
            Add(Record("1.5", "99", "Match Odds", { Runner(21, "Home"), Runner(22, "Away") }));
            Add(Record("1.6", "6423", "Winner", { Runner(31, "Reds") }));
            view.setShowColumn(QSearcher::ColSilks, true);
            view.resize(1600, 600);
            view.show();
            view.expandAll();
            if (!QTest::qWaitForWindowExposed(&view))
                qWarning("the view was not shown");
        }
        void Add(const QJsonObject& record)
        {
            (new QMarket)->AppendTo(results.model().invisibleRootItem(), record);
        }
        QModelIndex market(int row, int column = 0) const { return results.model().index(row, column); }
        QModelIndex selection(int marketRow, int row, int column = 0) const
        {
            return results.model().index(row, column, market(marketRow));
        }
        QPoint at(const QModelIndex& index) const { return view.visualRect(index).center(); }
        void click(const QModelIndex& index, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
        {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, at(index));
        }
        // As the system delivers one: press, release, double click, release.
        void doubleClick(const QModelIndex& index)
        {
            click(index);
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(index));
            QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(index));
        }
        void move(const QPoint& point)
        {
            QMouseEvent event(QEvent::MouseMove, point, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &event);
        }
        QMenu* menu() const { return view.findChild<QMenu*>(); }
        void rightClick(const QPoint& point)
        {
            QContextMenuEvent event(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
            QApplication::sendEvent(view.viewport(), &event);
        }
        void tick(const QModelIndex& index, Qt::CheckState state)
        {
            results.model().setData(index, int(state), Qt::CheckStateRole);
        }
    };

private slots:
    void initTestCase()
    {
        QCatalog::Init(QString());
        QSilksTooltip::InitMetadataNames();
        // No test may reach a real browser.
        QDesktopServices::setUrlHandler("http", &browser, "open");
        QDesktopServices::setUrlHandler("https", &browser, "open");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("https");
    }

    // A tooltip left open would log its image reply into a later test.
    void cleanup() { qDeleteAll(Tooltips()); }

    void chartClicks_data()
    {
        QTest::addColumn<bool>("chartsOn");
        QTest::addColumn<bool>("onMarket");
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("add"); // -1: no chart
        const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier;
        QTest::newRow("BACK") << true << false << int(C::ColBackPrice) << none << 0;
        QTest::newRow("LAY") << true << false << int(C::ColLayPrice) << none << 0;
        QTest::newRow("Shift+BACK") << true << false << int(C::ColBackPrice) << shift << 1;
        QTest::newRow("Shift+LAY") << true << false << int(C::ColLayPrice) << shift << 1;
        QTest::newRow("Ctrl+Shift+BACK") << true << false << int(C::ColBackPrice) << (shift | Qt::ControlModifier) << 0;
        QTest::newRow("Ctrl+LAY") << true << false << int(C::ColLayPrice) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << 0;
        QTest::newRow("Volume") << true << false << int(C::ColVolume) << none << -1;
        QTest::newRow("name") << true << false << int(C::ColName) << none << -1;
        QTest::newRow("charts off, BACK") << false << false << int(C::ColBackPrice) << none << -1;
        QTest::newRow("charts off, Shift+LAY") << false << false << int(C::ColLayPrice) << shift << -1;
        QTest::newRow("market, BACK") << true << true << int(C::ColBackPrice) << none << -1;
        QTest::newRow("market, Shift+LAY") << true << true << int(C::ColLayPrice) << shift << -1;
        // A market row has no Silks cell of its own.
        QTest::newRow("market, Silks") << true << true << int(C::ColSilks) << none << -1;
    }

    void chartClicks()
    {
        QFETCH(bool, chartsOn);
        QFETCH(bool, onMarket);
        QFETCH(int, column);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, add);
        Results results;
        results.view.setShowCharts(chartsOn);
        results.click(onMarket ? results.market(0, column) : results.selection(0, 0, column), modifiers);
        // Names holding "%1" and "%2" come through unchanged; the id in 64 bits.
        const Charts expected { { "1.234", Frankel, RaceTitle + " - Frankel %2", add == 1 } };
        QCOMPARE(Charts(results.charts), add < 0 ? Charts() : expected);
        if (add >= 0)
            QCOMPARE(results.charts.first().at(1).type(), QVariant::LongLong);
        QVERIFY(Tooltips().isEmpty());
    }

    void silksClick_data()
    {
        QTest::addColumn<bool>("chartsOn");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        QTest::newRow("charts on") << true << 0 << "Frankel %2" << 3;
        QTest::newRow("charts off") << false << 0 << "Frankel %2" << 3;
        // No metadata: a tooltip all the same, with the name alone.
        QTest::newRow("no metadata") << true << 1 << "Nathaniel" << 1;
    }

    void silksClick()
    {
        QFETCH(bool, chartsOn);
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(int, rows);
        Results results;
        results.view.setShowCharts(chartsOn);
        const QPoint pointer = QCursor::pos();
        results.click(results.selection(0, row, C::ColSilks));
        const QList<QSilksTooltip*> tooltips = Tooltips();
        QCOMPARE(tooltips.size(), 1);
        QSilksTooltip* tooltip = tooltips.first();
        QVERIFY(tooltip->isVisible());
        QCOMPARE(tooltip->parent(), nullptr);
        QCOMPARE(NameOf(tooltip), name);
        QCOMPARE(qobject_cast<QFormLayout*>(tooltip->layout())->rowCount(), rows);
        QCOMPARE(tooltip->pos(), pointer + QPoint(16, 0));
        QCOMPARE(results.charts.count(), 0);
    }

    void doubleClicks_data()
    {
        QTest::addColumn<bool>("animated");
        QTest::addColumn<bool>("onMarket");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("toggles");
        // Without animation the tree view's own toggle of column 0 is not
        // held back by a running one.
        for (const bool animated : { true, false }) {
            const char* look = animated ? "animated" : "still";
            QTest::addRow("%s market, Volume", look) << animated << true << int(C::ColVolume) << true;
            QTest::addRow("%s market, Start time", look) << animated << true << int(C::ColTimeRank) << true;
            QTest::addRow("%s market, LAY", look) << animated << true << int(C::ColLayPrice) << true;
            QTest::addRow("%s market, name", look) << animated << true << int(C::ColName) << true;
            QTest::addRow("%s selection, Volume", look) << animated << false << int(C::ColVolume) << false;
            QTest::addRow("%s selection, name", look) << animated << false << int(C::ColName) << false;
        }
    }

    void doubleClicks()
    {
        QFETCH(bool, animated);
        QFETCH(bool, onMarket);
        QFETCH(int, column);
        QFETCH(bool, toggles);
        Results results;
        results.view.setAnimated(animated);
        const QModelIndex market = results.market(0);
        for (const bool expanded : { true, false }) {
            results.view.setExpanded(market, expanded);
            // A selection row can only be reached while its market is open.
            if (!onMarket && !expanded)
                continue;
            const QModelIndex target = onMarket ? results.market(0, column) : results.selection(0, 1, column);
            results.doubleClick(target);
            QCOMPARE(results.view.isExpanded(market), toggles ? !expanded : expanded);
        }
        // The other markets stay as they were.
        QVERIFY(results.view.isExpanded(results.market(1)));
    }

    // The hand only over prices of selection rows, and only with charts on;
    // the tree view's own move handling does not run.
    void pointer_data()
    {
        QTest::addColumn<bool>("chartsOn");
        QTest::addColumn<bool>("onMarket");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("shape");
        QTest::newRow("selection BACK") << true << false << int(C::ColBackPrice) << int(Qt::PointingHandCursor);
        QTest::newRow("selection LAY") << true << false << int(C::ColLayPrice) << int(Qt::PointingHandCursor);
        QTest::newRow("selection Volume") << true << false << int(C::ColVolume) << int(Qt::ArrowCursor);
        QTest::newRow("selection Silks") << true << false << int(C::ColSilks) << int(Qt::ArrowCursor);
        QTest::newRow("market BACK") << true << true << int(C::ColBackPrice) << int(Qt::ArrowCursor);
        QTest::newRow("below the rows") << true << true << -1 << int(Qt::ArrowCursor);
        QTest::newRow("charts off, selection BACK") << false << false << int(C::ColBackPrice) << int(Qt::WaitCursor);
        QTest::newRow("charts off, market") << false << true << int(C::ColName) << int(Qt::WaitCursor);
    }

    void pointer()
    {
        QFETCH(bool, chartsOn);
        QFETCH(bool, onMarket);
        QFETCH(int, column);
        QFETCH(int, shape);
        Results results;
        results.view.setShowCharts(chartsOn);
        results.view.setCursor(Qt::WaitCursor);
        QSignalSpy entered(&results.view, &QAbstractItemView::entered);
        QPoint point(results.view.viewport()->width() / 2, results.view.viewport()->height() - 2);
        if (column >= 0)
            point = results.at(onMarket ? results.market(2, column) : results.selection(0, 2, column));
        QVERIFY(column < 0 || results.view.indexAt(point).isValid());
        QVERIFY(column >= 0 || !results.view.indexAt(point).isValid());
        results.move(point);
        QCOMPARE(int(results.view.viewport()->cursor().shape()), shape);
        QCOMPARE(entered.count(), 0);
    }

    void contextMenu_data()
    {
        QTest::addColumn<int>("marketRow");
        QTest::addColumn<int>("selectionRow"); // -1: the market row; -2: below every row
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("marketID");
        QTest::addColumn<QString>("sport");
        QTest::newRow("market, name") << 0 << -1 << int(C::ColName) << "1.234" << "Horse Racing";
        QTest::newRow("market, Start time") << 0 << -1 << int(C::ColTimeRank) << QString() << QString();
        QTest::newRow("market, BACK") << 0 << -1 << int(C::ColBackPrice) << QString() << QString();
        QTest::newRow("selection, Start time") << 0 << 1 << int(C::ColTimeRank) << "1.234" << "Horse Racing";
        QTest::newRow("selection, Silks") << 0 << 2 << int(C::ColSilks) << "1.234" << "Horse Racing";
        QTest::newRow("selection, name") << 2 << 0 << int(C::ColName) << "1.6" << "American Football";
        QTest::newRow("sport outside the catalog") << 1 << 0 << int(C::ColBackPrice) << "1.5" << "99";
        QTest::newRow("below the rows") << 0 << -2 << 0 << QString() << QString();
    }

    void contextMenu()
    {
        QFETCH(int, marketRow);
        QFETCH(int, selectionRow);
        QFETCH(int, column);
        QFETCH(QString, marketID);
        QFETCH(QString, sport);
        Results results;
        QMenu* menu = results.menu();
        QVERIFY(menu);
        QPoint point(results.view.viewport()->width() / 2, results.view.viewport()->height() - 2);
        if (selectionRow == -1)
            point = results.at(results.market(marketRow, column));
        else if (selectionRow >= 0)
            point = results.at(results.selection(marketRow, selectionRow, column));
        results.rightClick(point);
        QCOMPARE(menu->isVisible(), !marketID.isEmpty());
        QCOMPARE(menu->property("marketID").toString(), marketID);
        QCOMPARE(menu->property("sport").toString(), sport);
        menu->hide();
    }

    void goToBetFair_data()
    {
        QTest::addColumn<int>("marketRow");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("Horse Racing") << 0 << QUrl("http://www.betfair.com/exchange/horse-racing/market?id=1.234");
        QTest::newRow("two words") << 2 << QUrl("http://www.betfair.com/exchange/american-football/market?id=1.6");
        QTest::newRow("code for a name") << 1 << QUrl("http://www.betfair.com/exchange/99/market?id=1.5");
    }

    void goToBetFair()
    {
        QFETCH(int, marketRow);
        QFETCH(QUrl, url);
        Results results;
        browser.opened.clear();
        results.rightClick(results.at(results.market(marketRow)));
        results.menu()->actions().first()->trigger();
        results.menu()->hide();
        QCOMPARE(browser.opened, QList<QUrl> { url });
    }

    // Before any menu, or with one of the two properties empty, no page opens.
    void goToBetFairWithoutMarket()
    {
        Results results;
        browser.opened.clear();
        results.view.GoToBetFair();
        results.menu()->setProperty("marketID", "1.234");
        results.view.GoToBetFair();
        results.menu()->setProperty("marketID", QString());
        results.menu()->setProperty("sport", "Horse Racing");
        results.view.GoToBetFair();
        QVERIFY(browser.opened.isEmpty());
    }

    void addCharts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("ticked");
        QTest::addColumn<QString>("logged");
        QTest::newRow("en 3") << "en_GB" << 3 << "I Added 3 charts.";
        QTest::newRow("en 1") << "en_GB" << 1 << "I Added 1 chart.";
        QTest::newRow("ru 1") << "ru_RU" << 1 << QString::fromUtf8("I Добавлен 1 график.");
        QTest::newRow("ru 3") << "ru_RU" << 3 << QString::fromUtf8("I Добавлено 3 графика.");
        QTest::newRow("ru 5") << "ru_RU" << 5 << QString::fromUtf8("I Добавлено 5 графиков.");
        QTest::newRow("none ticked") << "en_GB" << 0 << QString();
    }

    // Ticked selections of every market, in row order, added to the charts
    // shown, with one line in the log; a partly ticked one does not count,
    // and the chart option plays no part.
    void addCharts()
    {
        QFETCH(QString, language);
        QFETCH(int, ticked);
        QFETCH(QString, logged);
        Results results;
        const ProgramTranslation translation(language);
        QSignalSpy actionDone(&results.view, &QSearcher::ActionDone);
        const QString football = QString::fromUtf8("American Football → Ascot → Winner - Reds");
        const struct
        {
            int market, row;
            QVariantList chart;
        } selections[] = {
            { 0, 0, { "1.234", Frankel, RaceTitle + " - Frankel %2", true } },
            { 0, 2, { "1.234", qlonglong(13), RaceTitle + " - Dubawi", true } },
            { 1, 1, { "1.5", qlonglong(22), QString::fromUtf8("99 → Ascot → Match Odds - Away"), true } },
            { 1, 0, { "1.5", qlonglong(21), QString::fromUtf8("99 → Ascot → Match Odds - Home"), true } },
            { 2, 0, { "1.6", qlonglong(31), football, true } },
        };
        results.tick(results.selection(0, 1), Qt::PartiallyChecked);
        Charts expected;
        for (int i = 0; i < ticked; ++i) {
            results.tick(results.selection(selections[i].market, selections[i].row), Qt::Checked);
            expected << selections[i].chart;
        }
        // Row order, whatever the order of ticking.
        if (ticked >= 4)
            std::swap(expected[2], expected[3]);
        results.view.setShowCharts(false);
        results.view.AddCharts();
        QCOMPARE(Charts(results.charts), expected);
        QCOMPARE(results.log, logged.isEmpty() ? QStringList() : QStringList { logged });
        QCOMPARE(actionDone.count(), 0);
    }

    // Where TW_SHOT_DIR names a folder: a race and a match with their volume
    // bars, and a runner's silks tooltip with its image, in each language.
    void screenshots_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en_GB";
        QTest::newRow("ru") << "ru_RU";
    }

    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TW_SHOT_DIR");
        if (folder.isEmpty())
            QSKIP("TW_SHOT_DIR is not set");
        QFETCH(QString, language);
        const ProgramTranslation translation(language);
        QStatus::InitStatuses();
        ResultsView results;
        QSearcher& view = results.view;
        view.LanguageChanged();
        view.setShowColumn(C::ColSilks, true);
        view.setExpand(true);

        const QJsonObject silks { { "SEX_TYPE", "g" }, { "JOCKEY_NAME", "T Queally" },
            { "TRAINER_NAME", "H Cecil" }, { "AGE", "4" }, { "WEIGHT_VALUE", "133" }, { "FORM", "1111" },
            { "STALL_DRAW", "5" }, { "COLOURS_FILENAME", "c1.png" } };
        QJsonObject match = Record("1.7", "1", "Match Odds",
            { Runner(71, "Arsenal"), Runner(72, "Chelsea"), Runner(73, "The Draw") });
        match["event"]
            = QJsonObject { { "id", "902" }, { "name", "Arsenal v Chelsea" }, { "countryCode", "GB" } };
        // A market's book: matched volume, then each runner's id, share of it and best back price.
        const auto book = [](const QString& id, double volume, const QList<QList<double>>& runners) {
            QJsonArray list;
            for (const QList<double>& r : runners)
                list.append(QJsonObject { { "selectionId", r[0] }, { "status", "ACTIVE" },
                    { "totalMatched", r[1] * volume },
                    { "ex",
                        QJsonObject { { "availableToBack",
                            QJsonArray { QJsonObject { { "price", r[2] }, { "size", 10 } } } } } } });
            return QJsonObject { { "marketId", id }, { "status", "OPEN" }, { "numberOfWinners", 1 },
                { "totalMatched", volume }, { "runners", list } };
        };
        const QList<QPair<QJsonObject, QJsonObject>> markets {
            { Record("1.234", "7", "2m Hcap",
                  { Runner(Frankel, "Frankel", silks), Runner(12, "Nathaniel"), Runner(13, "Dubawi") }),
                book("1.234", 2500, { { double(Frankel), 0.62, 1.8 }, { 12, 0.3, 4.2 }, { 13, 0.08, 12 } }) },
            { match, book("1.7", 7500, { { 71, 0.45, 2.1 }, { 72, 0.35, 3.6 }, { 73, 0.2, 3.4 } }) },
        };
        QList<QMarket*> rows;
        for (const auto& market : markets) {
            rows << new QMarket;
            rows.last()->AppendTo(results.model().invisibleRootItem(), market.first);
            rows.last()->Update(market.second);
        }
        view.showUpdateResults();
        const QModelIndex frankel = rows.first()->Selection(Frankel)->index();
        results.model().setData(frankel, Qt::Checked, Qt::CheckStateRole);
        view.resize(1200, 260);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.grab().save(folder + "/results_bars_" + language + ".png"));

        QImage picture(40, 36, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.fillRect(8, 8, 24, 28, QColor(0, 60, 160));
        painter.fillRect(0, 8, 8, 16, QColor(250, 200, 0));
        painter.fillRect(32, 8, 8, 16, QColor(250, 200, 0));
        painter.fillRect(12, 0, 16, 8, QColor(250, 200, 0));
        painter.end();
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        picture.save(&png, "PNG");
        server.setReply(
            "GET", "/feeds_images/Horses/SilkColours/c1.png", ScriptedReply::text(png.data(), "image/png"));
        const QModelIndex cell = frankel.siblingAtColumn(C::ColSilks);
        view.scrollTo(cell);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, view.visualRect(cell).center());
        QCOMPARE(Tooltips().size(), 1);
        QSilksTooltip* tooltip = Tooltips().first();
        auto* image = qobject_cast<QLabel*>(
            qobject_cast<QFormLayout*>(tooltip->layout())->itemAt(0, QFormLayout::FieldRole)->widget());
        QTRY_VERIFY_WITH_TIMEOUT(!image->pixmap(Qt::ReturnByValue).isNull(), 20000);
        QVERIFY(QTest::qWaitForWindowExposed(tooltip));
        QVERIFY(tooltip->grab().save(folder + "/silks_tooltip_" + language + ".png"));
    }
};

QTEST_MAIN(tst_Clicks)
#include "tst_clicks.moc"
