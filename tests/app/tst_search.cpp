#include "MainWindowTest.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QNetwork.h"
#include "QMarket.h"
#include "QPriceUpdater.h"
#include "QSearchWorker.h"
#include "QSearcherModel.h"
#include "QSelection.h"

#include <QLineEdit>
#include <QNetworkReply>
#include <QPointer>

namespace {

// Catalogue record and market book of market 1.<n>: three runners backed at 2, 3 and 6.
QJsonObject Record(int n)
{
    QJsonArray runners;
    for (int r = 1; r <= 3; ++r)
        runners.append(QJsonObject { { "selectionId", n * 10 + r },
            { "runnerName", QString("Runner %1").arg(r) }, { "sortPriority", r } });
    return QJsonObject { { "marketId", QString("1.%1").arg(n) }, { "marketName", "Match Odds" },
        { "marketStartTime", QString("2030-01-01T10:%1:00.000Z").arg(n, 2, 10, QChar('0')) },
        { "description", QJsonObject { { "marketType", "MATCH_ODDS" } } },
        { "event",
            QJsonObject { { "id", QString::number(900 + n) }, { "name", QString("Event %1").arg(n) } } },
        { "eventType", QJsonObject { { "id", "1" } } }, { "runners", runners } };
}

QJsonObject Book(int n)
{
    QJsonArray runners;
    for (int r = 1; r <= 3; ++r) {
        const QJsonObject offer { { "price", QList<double> { 2, 3, 6 }.at(r - 1) }, { "size", 10 } };
        runners.append(QJsonObject { { "selectionId", n * 10 + r }, { "status", "ACTIVE" },
            { "totalMatched", 100 }, { "ex", QJsonObject { { "availableToBack", QJsonArray { offer } } } } });
    }
    return QJsonObject { { "marketId", QString("1.%1").arg(n) }, { "status", "OPEN" },
        { "numberOfWinners", 1 }, { "totalMatched", 300 }, { "runners", runners } };
}

// Every worker the results view makes, kept back from the exchange; the test plays the exchange.
struct Workers
{
    QList<QPointer<QActionWorker>> made;

    Workers()
    {
        QSearcher::SetWorkerHook(
            [this](QActionWorker* worker, const QSearcher::WorkerStart&) { made << worker; });
    }
    ~Workers()
    {
        QSearcher::SetWorkerHook({});
        for (const auto& worker : qAsConst(made))
            delete worker.data();
    }
    template<class T>
    int count() const
    {
        return int(std::count_if(
            made.cbegin(), made.cend(), [](const auto& w) { return qobject_cast<T*>(w.data()); }));
    }
    // Ends the view's running pass with markets 1.1 to 1.<markets> found, booked and shown.
    void finish(QSearcher* view, int markets)
    {
        while (view->IsRunning()) {
            QActionWorker* worker = nullptr;
            for (const auto& made : qAsConst(this->made))
                if (made && !made->IsEnded())
                    worker = made;
            QVERIFY(worker);
            QJsonArray found;
            QJsonArray books;
            for (int n = 1; n <= markets; ++n)
                found << Record(n), books << Book(n);
            if (auto* search = qobject_cast<QSearchWorker*>(worker))
                emit search->FoundMarkets(found);
            else if (auto* prices = qobject_cast<QPriceUpdater*>(worker))
                emit prices->Done(books);
            emit worker->Done(QString());
        }
    }
};

// An exchange session as after a login.
struct Session
{
    Session() { QBetFair::SessionToken = "TOKEN", QBetFair::Currency = "EUR"; }
    ~Session() { end(); }
    static void end() { QBetFair::SessionToken.clear(), QBetFair::Currency = "???"; }
};

// A start on a template, with the results view's workers kept back; stored keys are set first.
struct Started
{
    DataFolder data;
    Answering user;
    Workers workers;
    std::optional<Window> window;

    explicit Started(const QVariantMap& stored = {}, const QByteArray& demo = VolumeTemplate(100))
    {
        data.startWith("Demo", demo);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            data.store()->setValue(it.key(), it.value());
        window.emplace();
    }
};

bool enabled(const Window& w, const char* name)
{
    return w.part(name)->isEnabled();
}

} // namespace

class tst_Search : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    std::optional<LocalExchange> exchange;

    QStringList fundsWallets() const
    {
        QStringList wallets;
        for (const RecordedRequest& request : server.requests())
            if (request.rpcMethod() == "AccountAPING/v1.0/getAccountFunds")
                wallets << request.json()["params"].toObject()["wallet"].toString();
        return wallets;
    }

private slots:
    void initTestCase()
    {
        InitProgramTables();
        exchange.emplace(server);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
            ScriptedReply::rpcResult(QJsonObject { { "wallet", "UK" }, { "availableToBetBalance", 12.5 } }));
        server.setReply("POST", LocalExchange::identityPath("login"),
            ScriptedReply::json(QJsonDocument(QJsonObject { { "token", "TOKEN" }, { "status", "SUCCESS" } })));
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "EUR" } }));
    }

    void cleanup()
    {
        // The funds workers of a login end with their replies and delete themselves.
        QTRY_VERIFY(QNetwork::Shared()->findChildren<QNetworkReply*>().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        server.clearRequests();
        Session::end();
    }

    void invalidTemplateWarnsFirst()
    {
        Started started({}, VolumeTemplate(0).replace("0}", R"("1,5"})"));
        Answering& user = started.user;
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        QVERIFY(!w.templates()->IsValid());
        QTest::mouseClick(qobject_cast<QAbstractButton*>(w.part("SearchBut")), Qt::LeftButton);
        QCOMPARE(user.boxes, QStringList("Warning: Please fix all errors market red to perform this search"));
        QCOMPARE(user.topics, QStringList("search"));
        // Help was pressed; the login was not asked for.
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::HelpTab));
        // Nothing waits for the login.
        const Session session;
        emit w.settings()->loggedIn();
        QCOMPARE(workers.count<QSearchWorker>(), 0);
        // A repeat runs the last search's filter, whatever the rows hold.
        w.window->Update();
        QCOMPARE(workers.count<QSearchWorker>(), 1);
        workers.finish(w.results(), 0);
    }

    void searchWaitsForLogin()
    {
        Started started;
        Workers& workers = started.workers;
        Window& w = *started.window;
        started.user.help = false;
        w.tabs()->setCurrentIndex(MainWindow::ResultsTab);
        w.window->SearchButClicked();
        // The login page, and the box over it.
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::SettingsTab));
        QCOMPARE(w.settings()->currentIndex(), int(Settings::BetFairPage));
        QCOMPARE(started.user.boxes, QStringList("Warning: Please log in to BetFair to proceed with your search"));
        QCOMPARE(workers.count<QSearchWorker>(), 0);

        // The user logs in on that page.
        w.settings()->findChild<QLineEdit*>("BetFairLogin")->setText("bob");
        w.settings()->findChild<QLineEdit*>("BetFairPassword")->setText("secret");
        QTest::mouseClick(w.settings()->findChild<QPushButton*>("LoginButton"), Qt::LeftButton);
        QTRY_COMPARE(workers.count<QSearchWorker>(), 1);
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::ConditionsTab));
        workers.finish(w.results(), 0);
        emit w.settings()->loggedIn();
        QCOMPARE(workers.count<QSearchWorker>(), 1);

        // A refused price refresh waits for a full search.
        workers.finish(w.results(), 0);
        w.window->SearchButClicked();
        workers.finish(w.results(), 2);
        Session::end();
        w.window->UpdatePrices();
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::SettingsTab));
        const Session again;
        const int refreshes = workers.count<QPriceUpdater>();
        emit w.settings()->loggedIn();
        QCOMPARE(workers.count<QSearchWorker>(), 3);
        QCOMPARE(workers.count<QPriceUpdater>(), refreshes);
        workers.finish(w.results(), 0);
    }

    // Nothing starts while the window is busy or the view refreshes by itself (after bets).
    void oneRunAtATime()
    {
        const Session session;
        Started started;
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.window->SearchButClicked();
        QCOMPARE(workers.made.size(), 1);
        w.window->SearchButClicked();
        w.window->Update();
        w.window->UpdatePrices();
        QCOMPARE(workers.made.size(), 1);
        workers.finish(w.results(), 2);

        w.results()->UpdatePrices();
        QVERIFY(w.results()->IsRunning());
        const int made = workers.made.size();
        w.window->SearchButClicked();
        w.window->Update();
        w.window->UpdatePrices();
        QCOMPARE(workers.made.size(), made);
        workers.finish(w.results(), 2);
        // Idle again: a refresh of the shown markets runs.
        const int refreshes = workers.count<QPriceUpdater>();
        w.window->UpdatePrices();
        QCOMPARE(workers.count<QPriceUpdater>(), refreshes + 1);
        workers.finish(w.results(), 2);
    }

    // A login arriving while the busy state paints itself finds the window busy.
    void loginInsideBusyPumpStartsNothing()
    {
        Started started;
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.window->SearchButClicked(); // refused: no session, a search waits
        const Session session;
        QMetaObject::invokeMethod(w.settings(), &Settings::loggedIn, Qt::QueuedConnection);
        w.window->SearchButClicked();
        QCOMPARE(workers.count<QSearchWorker>(), 1);
        workers.finish(w.results(), 0);
        emit w.settings()->loggedIn();
        QCOMPARE(workers.count<QSearchWorker>(), 1);
    }

    void busyAndIdle()
    {
        const Session session;
        Started started;
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        const QList<const char*> busyList = { "PerformBut", "PresetsRow", "ConditionsFrame", "Select",
            "Expand", "Collapse", "Reload", "UpdatePrices", "SearchBut", "CancelBut", "ShowCharts" };
        w.window->SearchButClicked();
        for (const char* name : busyList)
            QVERIFY2(enabled(w, name) == (QByteArray(name) == "CancelBut"), name);
        QCOMPARE(w.tabs()->tabText(MainWindow::ResultsTab), QString("Searching..."));
        // A checked count mid-search does not free Perform.
        emit w.results()->NotifyCheckedChanged(3);
        QVERIFY(!enabled(w, "PerformBut"));
        emit w.results()->NotifyCheckedChanged(0);

        workers.finish(w.results(), 0);
        QVERIFY(!w.part("Nothing")->isHidden());
        QVERIFY(w.results()->isHidden());
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::ConditionsTab));
        QCOMPARE(w.tabs()->tabText(MainWindow::ResultsTab), QString("Search results"));
        for (const char* name : busyList) {
            const bool idle
                = QList<QByteArray> { "PresetsRow", "ConditionsFrame", "Select", "Reload", "SearchBut" }
                      .contains(name);
            QVERIFY2(enabled(w, name) == idle, name);
        }

        w.window->Update();
        QCOMPARE(w.tabs()->tabText(MainWindow::ResultsTab), QString("Updating..."));
        workers.finish(w.results(), 5);
        QVERIFY(w.part("Nothing")->isHidden());
        QVERIFY(!w.results()->isHidden());
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::ResultsTab));
        for (const char* name : busyList)
            QVERIFY2(
                enabled(w, name) == (QByteArray(name) != "CancelBut" && QByteArray(name) != "PerformBut"),
                name);
    }

    void cancelHoldsSearchUntilDone()
    {
        const Session session;
        Started started;
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.window->SearchButClicked();
        // An abort that takes its time: the worker ends later.
        QObject::disconnect(w.results(), &QSearcher::Cancel, workers.made.last(), nullptr);
        QSignalSpy cancels(w.results(), &QSearcher::Cancel);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(w.part("CancelBut")), Qt::LeftButton);
        QCOMPARE(cancels.count(), 1);
        QVERIFY(!enabled(w, "SearchBut"));
        QVERIFY(enabled(w, "CancelBut"));
        emit workers.made.last()->Done("Cancelled");
        QVERIFY(enabled(w, "SearchBut"));
        QVERIFY(!enabled(w, "CancelBut"));
    }

    void manualSelectionGivesWay()
    {
        const Session session;
        Started started({ { "Select", "Favs" } });
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.window->SetSelectManualy();
        QCOMPARE(w.select()->currentData().toString(), QString("Manual"));
        w.window->SearchButClicked();
        QCOMPARE(w.select()->currentData().toString(), QString("Favs"));
        workers.finish(w.results(), 0);
    }

    void fundsAfterLogin()
    {
        Started started;
        Window& w = *started.window;
        QSelection::Currency.clear();
        const Session session;
        emit w.settings()->loggedIn();
        QCOMPARE(QSelection::Currency, QString("EUR"));
        QTRY_COMPARE(fundsWallets(), QStringList({ "UK", "AUSTRALIAN" }));
    }

    // The panel's actions reach the results view, which ends each one, its refusals too.
    void actionsEndInTheResults_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("tab");
        QTest::newRow("export") << "Export" << QStringList("Information: File '%1 saved") << 1;
        // The e-mail page, with the box over it.
        QTest::newRow("e-mail without settings")
            << "EMail" << QStringList("Warning: Please fill e-mail settings") << 3;
        // The panel's question, then the results view's own for the runner, declined.
        QTest::newRow("declined bet") << "Back"
                                      << QStringList({ "Question: Are you sure you want to PLACE these bets?",
                                             "Question: Adding to bet slip", "Critical: BETTING ERROR: Nothing to send" })
                                      << 1;
    }

    void actionsEndInTheResults()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, boxes);
        QFETCH(int, tab);
        const Session session;
        Started started({ { "Action/Action", action }, { "Action/Amount", "10" } });
        Window& w = *started.window;
        Answering& user = started.user;
        user.answers = { QMessageBox::Yes, QMessageBox::No };
        user.help = false;
        user.file = started.data.dir.filePath("ticked.csv");
        w.window->SearchButClicked();
        started.workers.finish(w.results(), 1);
        w.results()->Model()->setData(w.results()->Market(0)->child(1)->index(), Qt::Checked, Qt::CheckStateRole);
        w.results()->UpdateCheckedCount();
        QVERIFY(enabled(w, "PerformBut"));
        QTest::mouseClick(qobject_cast<QAbstractButton*>(w.part("PerformBut")), Qt::LeftButton);
        QVERIFY(w.actions()->isEnabled());
        boxes.replaceInStrings("%1", user.file);
        QCOMPARE(user.boxes.size(), boxes.size());
        for (int i = 0; i < boxes.size(); ++i)
            QVERIFY2(user.boxes[i].startsWith(boxes[i]), qPrintable(user.boxes[i]));
        QCOMPARE(w.tabs()->currentIndex(), tab);
        if (action == "EMail")
            QCOMPARE(w.settings()->currentIndex(), int(Settings::MailPage));
        // Only the ticked runner goes out.
        const QByteArray exported = contentOf(user.file);
        QCOMPARE(exported.contains("Runner 2"), action == "Export");
        QVERIFY(!exported.contains("Runner 1"));
    }

    void screenshots_data() { ScreenshotLanguages(); }

    void screenshots()
    {
        QFETCH(QString, language);
        if (qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))
            QSKIP("TW_SHOT_DIR is not set");
        const ProgramTranslation translation(language);
        const Session session;
        Started started({ { "Action/Action", "Back" }, { "Action/Amount", "10.50" } });
        Workers& workers = started.workers;
        Window& w = *started.window;
        w.window->show();
        w.window->SearchButClicked();
        workers.finish(w.results(), 5);
        w.results()->expandAll();
        emit w.results()->NotifyCheckedChanged(2);
        QTest::qWait(50);
        QVERIFY(w.window->grab().save(ShotPath("results_back", language)));
    }
};

TW_WINDOW_TEST_MAIN(tst_Search)
#include "tst_search.moc"
