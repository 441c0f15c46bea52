#include "ChartTest.h"
#include "ProgramTranslation.h"
#include "QBetFairCharts.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLayout>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QSpinBox>

namespace {

// The window's parts, found by the names its form gives them.
struct Parts
{
    QBetFairCharts& window;
    QWidget* viewport = window.findChild<QWidget*>("viewport");
    QPushButton* clear = window.findChild<QPushButton*>("clear");
    QToolButton* refresh = window.findChild<QToolButton*>("refresh");
    QCheckBox* autoupdate = window.findChild<QCheckBox*>("autoupdate");
    QSpinBox* interval = window.findChild<QSpinBox*>("updateInterval");
    QTimer* timer = window.findChild<QTimer*>("refreshTimer");

    // In layout order.
    QList<QBetFairChart*> tiles() const
    {
        QList<QBetFairChart*> shown;
        for (int i = 0; i < viewport->layout()->count(); ++i)
            shown << qobject_cast<QBetFairChart*>(viewport->layout()->itemAt(i)->widget());
        return shown;
    }
    QString titles() const
    {
        QStringList all;
        for (QBetFairChart* tile : tiles())
            all << part(tile, "title")->text();
        return all.join(' ');
    }
    bool allShowing(int width) const
    {
        const QList<QBetFairChart*> all = tiles();
        return std::all_of(all.cbegin(), all.cend(), [width](QBetFairChart* tile) {
            return part(tile, "label")->pixmap(Qt::ReturnByValue).width() == width;
        });
    }
    // Clear and refresh, enabled exactly while tiles exist; the window shown with them.
    bool showing(bool any) const
    {
        return clear->isEnabled() == any && refresh->isEnabled() == any && tiles().isEmpty() != any
            && window.isVisible() == any;
    }
};

QStringList chartsKeys()
{
    return SettingsStore()->allKeys().filter(QRegularExpression("^Charts/"));
}

} // namespace

// The charts window: tiles, questions, timer, stored keys and drops.
class tst_ChartsWindow : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };

    // Both chart sites answer with the reply, or with an image this wide.
    void answerCharts(const ScriptedReply& reply)
    {
        server.setReply("GET", ChartPath, reply);
        server.setReply("GET", "/au/betting/LoadRunnerInfoChartAction.do", reply);
    }
    void answerCharts(int width) { answerCharts(chartReply(QSize(width, 200))); }

private slots:
    void initTestCase() { QConfirm::Init(); }

    void init()
    {
        answerCharts(300);
        server.clearRequests();
        SetInteractiveLevel(QConfirm::All);
    }

    void restored_data()
    {
        QTest::addColumn<QVariant>("interval"); // invalid: nothing stored
        QTest::addColumn<int>("shown");
        Row("first start", QVariant(), 1);
        Row("5", QVariant(5), 5);
        Row("0 is raised", QVariant(0), 1);
        Row("at the top", QVariant(300), 300);
        Row("past the top", QVariant(301), 300);
    }

    // A restored choice written back, a timer off its interval, a first start not at the form's size.
    void restored()
    {
        QFETCH(QVariant, interval);
        QFETCH(int, shown);
        const bool on = interval.isValid();
        TempSettings settings;
        if (on)
            settings.store()->setValue("Charts/Interval", interval),
                settings.store()->setValue("Charts/Auto", true);
        const QStringList before = chartsKeys();
        QBetFairCharts window;
        Parts parts { window };
        QCOMPARE(parts.interval->value(), shown);
        QVERIFY(parts.interval->isEnabled() == on && parts.autoupdate->isChecked() == on);
        QCOMPARE(parts.timer->isActive(), on);
        QVERIFY(!on || parts.timer->interval() == shown * 1000);
        QCOMPARE(chartsKeys(), before);
        QCOMPARE(settings.store()->value("Charts/Interval"), interval);
        QCOMPARE(window.size(), QSize(360, 360));
        QVERIFY(parts.showing(false));
    }

    // The timer follows the choice, hidden or not; the window's place is stored by the user's close alone,
    // and never once the store is closed.
    void followsTheUser()
    {
        TempSettings settings;
        {
            QBetFairCharts window;
            Parts parts { window };
            parts.autoupdate->setChecked(true);
            QVERIFY(parts.timer->isActive() && parts.interval->isEnabled() && !window.isVisible());
            QCOMPARE(parts.timer->interval(), 1000);
            parts.interval->setValue(7);
            QCOMPARE(parts.timer->interval(), 7000);
            window.show();
            window.resize(500, 420);
            window.move(30, 40);
            window.hide();
            QCOMPARE(chartsKeys(), QStringList({ "Charts/Auto", "Charts/Interval" }));
            window.show();
            window.close();
        }
        settings.reopen();
        {
            QBetFairCharts window;
            Parts parts { window };
            QVERIFY(parts.timer->isActive());
            QCOMPARE(parts.timer->interval(), 7000);
            QCOMPARE(window.size(), QSize(500, 420));
            QCOMPARE(window.pos(), QPoint(30, 40));
            QCOMPARE(window.windowState(), Qt::WindowNoState);
            parts.autoupdate->setChecked(false);
            QVERIFY(!parts.timer->isActive() && !parts.interval->isEnabled());
            window.showMaximized();
            window.close();
        }
        settings.reopen();
        QBetFairCharts window;
        Parts parts { window };
        QVERIFY(window.windowState().testFlag(Qt::WindowMaximized) && !parts.timer->isActive());
        CloseSettingsStore(); // as the main window's teardown does
        parts.autoupdate->setChecked(true);
        parts.interval->setValue(9);
        window.close();
        QVERIFY(!SettingsStore());
    }

    // A chart shown twice or downloaded again when asked for again; refreshes not reaching every tile.
    void adding()
    {
        QBetFairCharts window;
        Parts parts { window };
        window.ShowChart("1.10", 1, "One", true);
        window.hide();
        window.ShowChart("1.10", 1, "Again", true);
        QVERIFY(parts.showing(true));
        window.ShowChart("1.10", 2, "Two", true);
        window.ShowChart("2.10", 2, "Three", true);
        QCOMPARE(parts.titles(), QString("One Two Three"));
        QTRY_VERIFY_WITH_TIMEOUT(parts.allShowing(300), Patience);
        QCOMPARE(server.requestCount(), 3);

        // Each refresh brings a wider image, so its end can be seen.
        answerCharts(310);
        parts.refresh->click();
        QTRY_VERIFY_WITH_TIMEOUT(parts.allShowing(310), Patience);
        answerCharts(320);
        QVERIFY(QMetaObject::invokeMethod(parts.timer, "timeout"));
        QTRY_VERIFY_WITH_TIMEOUT(parts.allShowing(320), Patience);
        QCOMPARE(server.requestCount(), 9);
    }

    void replace_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("before");
        QTest::addColumn<Buttons>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("cleared");
        const QString some = "Question: There are some charts. Delete all?",
                      all = "Question: Delete all charts?";
        const auto yes = QMessageBox::Yes, no = QMessageBox::No;
        Row("one, yes", 0, 1, Buttons { yes }, QStringList { all }, true);
        Row("one, no", 0, 1, Buttons { no }, QStringList { all }, false);
        Row("two, yes, yes", 0, 2, Buttons { yes, yes }, QStringList { some, all }, true);
        Row("two, no", 0, 2, Buttons { no }, QStringList { some }, false);
        Row("two, yes, no", 0, 2, Buttons { yes, no }, QStringList { some, all }, false);
        Row("one, level 1", 1, 1, Buttons(), QStringList(), true);
        Row("two, level 2", 2, 2, Buttons(), QStringList(), true);
    }

    // Charts replaced against the user's no, questions out of order, tiles deleted at once.
    void replace()
    {
        QFETCH(int, level);
        QFETCH(int, before);
        QFETCH(Buttons, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, cleared);
        TempSettings settings;
        QBetFairCharts window;
        Parts parts { window };
        for (int i = 0; i < before; ++i)
            window.ShowChart("1.10", i, "Old", true);
        const QString old = parts.titles();
        const QList<QPointer<QBetFairChart>> oldTiles(parts.tiles().cbegin(), parts.tiles().cend());
        window.resize(500, 500);

        SetInteractiveLevel(level);
        Answering user(answers, QMessageBox::Yes);
        window.ShowChart("1.20", 7, "New", false);
        QCOMPARE(user.boxes, asked);
        QCOMPARE(parts.titles(), cleared ? QString("New") : old + " New");
        QVERIFY(parts.showing(true));
        QCOMPARE(window.size(), QSize(360, 360));
        // Clearing closes the window, which stores its size.
        QCOMPARE(settings.store()->value("Charts/size").toSize(), cleared ? QSize(500, 500) : QSize());

        QVERIFY(std::all_of(oldTiles.cbegin(), oldTiles.cend(), [](auto& tile) { return tile; }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(std::all_of(
            oldTiles.cbegin(), oldTiles.cend(), [&](auto& tile) { return bool(tile) != cleared; }));
    }

    // Another market's charts removed (one whose id the first begins with), the window left open with none.
    void removal()
    {
        SetInteractiveLevel(QConfirm::None);
        TempSettings settings;
        QBetFairCharts window;
        Parts parts { window };
        window.ShowChart("1.10", 1, "A", true);
        window.ShowChart("1.10", 2, "B", true);
        window.ShowChart("1.1", 3, "C", true);
        window.ShowChart("1.100", 4, "D", true);
        const QPointer<QBetFairChart> first = parts.tiles().at(0);
        window.DeleteChart(QBetFair::ChartUrl("9.9", 9));
        QCOMPARE(parts.titles(), QString("A B C D"));

        first->deleteMarket();
        QCOMPARE(parts.titles(), QString("C D"));
        QVERIFY(first);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first && parts.showing(true));
        window.DeleteCharts("1.1");
        QCOMPARE(parts.titles(), QString("D"));
        QVERIFY(parts.showing(true));

        window.resize(410, 390);
        parts.tiles().at(0)->Close();
        QVERIFY(parts.showing(false));
        QCOMPARE(settings.store()->value("Charts/size").toSize(), QSize(410, 390));
        window.ShowChart("1.10", 1, "A", true);
        parts.clear->click();
        QVERIFY(parts.showing(false));
    }

    void drops_data()
    {
        QTest::addColumn<QString>("dragged"); // a tile's name, or a text of its own
        QTest::addColumn<QString>("target"); // "<part> <tile>", "viewport" or "nothing"
        QTest::addColumn<QString>("order");
        Row("on an image", "A", "label B", "BAC");
        Row("on a title, backwards", "C", "title A", "CAB");
        Row("on a tile's edge", "C", "edge B", "ACB");
        Row("on the viewport", "A", "viewport", "BCA");
        Row("on a close mark", "A", "close B", "BCA");
        Row("on itself", "B", "label B", "ABC");
        Row("on no child", "A", "nothing", "ABC");
        Row("foreign text", "some text", "label B", "ABC");
        Row("no text", "", "label B", "ABC");
    }

    // A drop that moves the wrong tile, crashes on a gap, or takes text from another program.
    void drops()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(QString, order);
        QBetFairCharts window;
        Parts parts { window };
        const QString names = "ABC";
        for (int i = 0; i < names.size(); ++i)
            window.ShowChart("1.10", i + 1, names.mid(i, 1), true);
        window.resize(600, 600);
        QTRY_VERIFY_WITH_TIMEOUT(parts.allShowing(300), Patience);
        QCoreApplication::processEvents();
        const auto tile = [&](const QString& name) { return parts.tiles().at(names.indexOf(name)); };

        QPoint at;
        const QString kind = target.section(' ', 0, 0), on = target.section(' ', 1);
        if (kind == "viewport")
            at = parts.viewport->mapTo(
                &window, QPoint(parts.viewport->width() - 3, parts.viewport->height() - 3));
        else if (kind == "nothing") // the gap in the top row
            at = QPoint((parts.clear->geometry().right() + parts.autoupdate->geometry().left()) / 2,
                parts.clear->geometry().center().y());
        else if (kind == "edge")
            at = tile(on)->mapTo(&window, QPoint(1, 1));
        else
            at = part(tile(on), qPrintable(kind))->mapTo(&window, QPoint(3, 3));
        QWidget* hit = window.childAt(at);
        QCOMPARE(hit ? hit->objectName() : "nothing", kind == "edge" ? "QBetFairChart" : kind);

        QMimeData mime;
        if (dragged.size() == 1)
            mime.setText(tile(dragged)->property("url").toString());
        else if (!dragged.isEmpty())
            mime.setText(dragged);
        else
            mime.setData("application/octet-stream", "A");
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        QApplication::sendEvent(&window, &drop);
        QCOMPARE(drop.isAccepted(), order != names);
        QCOMPARE(parts.titles().remove(' '), order);
    }

    // A tile deleted under its own question when the main window clears the charts meanwhile.
    void clearedWhileAsking()
    {
        QBetFairCharts window;
        Parts parts { window };
        window.ShowChart("1.10", 1, "Old", true);
        const QPointer<QBetFairChart> old = parts.tiles().at(0);
        Answering user({}, QMessageBox::Yes);
        user.during = [&] {
            // The box's own event loop, in which a chart cell of the results is clicked.
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&] {
                window.ShowChart("1.20", 5, "New", false);
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            });
            loop.exec();
        };
        old->deleteMarket();
        QVERIFY(!old);
        QCOMPARE(user.boxes,
            QStringList({ "Question: Delete all charts of this market?", "Question: Delete all charts?" }));
        QCOMPARE(parts.titles(), QString("New"));
        QVERIFY(parts.showing(true));
    }

    // Where TW_SHOT_DIR names a folder: the window with three tiles, in English and Russian. The site's
    // frame is grey, so a tile that shows any grey is cropped wrongly.
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TW_SHOT_DIR");
        if (folder.isEmpty())
            QSKIP("TW_SHOT_DIR is not set");
        QImage chart(300, 200, QImage::Format_RGB32);
        chart.fill(Qt::gray);
        QPainter painter(&chart);
        painter.fillRect(QRect(24, 25, 250, 161), Qt::white);
        painter.setPen(QPen(Qt::blue, 2));
        painter.drawPolyline(QPolygon(QVector<QPoint> {
            { 30, 150 }, { 80, 120 }, { 130, 135 }, { 180, 70 }, { 230, 90 }, { 268, 40 } }));
        painter.end();
        answerCharts(pngReply(chart));
        for (const QString language : { "en", "ru_RU" }) {
            const ProgramTranslation translation(language == "en" ? "" : language);
            TempSettings settings;
            QBetFairCharts window;
            Parts parts { window };
            window.ShowChart("1.10", 1, "Soccer → Event 1 → Match Odds - Runner 1", true);
            window.ShowChart("1.10", 2, "Soccer → Event 1 → Match Odds - Runner 2", true);
            window.ShowChart("2.10", 3, "Horse Racing → Flemington → R1 1200m - Red Rum", true);
            window.resize(800, 580);
            QTRY_VERIFY_WITH_TIMEOUT(parts.allShowing(300), Patience);
            QTest::qWait(100);
            QVERIFY(window.grab().save(QString("%1/charts_%2.png").arg(folder, language)));
        }
    }
};

QTEST_MAIN(tst_ChartsWindow)
#include "tst_chartswindow.moc"
