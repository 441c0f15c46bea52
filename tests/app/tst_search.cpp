#include "MainWindowTest.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QBetPlacer.h"
#include "QCanceller.h"
#include "QMarket.h"
#include "QNetwork.h"
#include "QPriceUpdater.h"
#include "QSearchWorker.h"
#include "QSearcherModel.h"
#include "QSelection.h"
#include "QStatus.h"

#include <QLineEdit>
#include <QNetworkReply>
#include <QPointer>

namespace {

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

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
    template<class T = QSearchWorker>
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

} // namespace

class tst_Search : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    std::optional<LocalExchange> exchange;

private slots:
    void initTestCase()
    {
        InitProgramTables();
        exchange.emplace(server);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds",
            ScriptedReply::rpcResult(QJsonObject { { "wallet", "UK" }, { "availableToBetBalance", 12.5 } }));
        server.setReply("POST", LocalExchange::identityPath("login"),
            ScriptedReply::json(
                QJsonDocument(QJsonObject { { "token", "TOKEN" }, { "status", "SUCCESS" } })));
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "EUR" } }));
    }

    void cleanup()
    {
        // The funds workers of a login end with their replies and delete themselves.
        QTRY_VERIFY_WITH_TIMEOUT(QNetwork::Shared()->findChildren<QNetworkReply*>().isEmpty(), Patience);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        server.clearRequests();
        Session::end();
    }

    // The window may go while the funds of a login are asked for: the worker
    // ends with it and gives its requests up (their connections close).
    void windowGoesMidFunds()
    {
        const ScriptedReply funds
            = ScriptedReply::rpcResult(QJsonObject { { "wallet", "UK" }, { "availableToBetBalance", 12.5 } });
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds", funds.held());
        {
            Started s;
            const Session session;
            emit s.settings()->loggedIn();
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 2, Patience);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountFunds", funds);
    }

    void invalidTemplateWarnsFirst()
    {
        Workers workers;
        Started s({}, VolumeTemplate(0).replace("0}", R"("1,5"})"));
        s.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        QVERIFY(!s.templates()->IsValid());
        s.click("SearchBut");
        const QStringList warned("Warning: Please fix all errors market red to perform this search");
        QCOMPARE(s.user.boxes, warned);
        QCOMPARE(s.user.topics, QStringList("search"));
        // Help was pressed; the login was not asked for, and nothing waits for it.
        QCOMPARE(s.tab(), int(MainWindow::HelpTab));
        const Session session;
        emit s.settings()->loggedIn();
        QCOMPARE(workers.count(), 0);
        QCOMPARE(s.user.boxes, warned);
        // A repeat runs the last search's filter, whatever the rows hold.
        s.window->Update();
        QCOMPARE(workers.count(), 1);
        workers.finish(s.results(), 0);
    }

    // The search waits for the login on the settings tab and runs once after it; funds follow a login.
    void searchWaitsForLogin()
    {
        Workers workers;
        Started s({}, VolumeTemplate(100));
        s.user.help = false;
        QSelection::Currency.clear();
        QStringList funds; // as the results view logs them
        QObject::connect(
            QLog::Instance(), &QLog::Logged, &s.user.context, [&funds](QLog::QLogType, const QString& text) {
                if (text.startsWith("Funds"))
                    funds << text;
            });
        s.tabs()->setCurrentIndex(MainWindow::ResultsTab);
        s.window->SearchButClicked();
        // The login page, and the box over it.
        QCOMPARE(s.tab(), int(MainWindow::SettingsTab));
        QCOMPARE(s.settings()->currentIndex(), int(Settings::BetFairPage));
        QCOMPARE(s.user.boxes, QStringList("Warning: Please log in to BetFair to proceed with your search"));
        QCOMPARE(workers.count(), 0);

        // The user logs in on that page.
        s.settings()->findChild<QLineEdit*>("BetFairLogin")->setText("bob");
        s.settings()->findChild<QLineEdit*>("BetFairPassword")->setText("secret");
        QTest::mouseClick(s.settings()->findChild<QPushButton*>("LoginButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(workers.count(), 1, Patience);
        QCOMPARE(s.tab(), int(MainWindow::ConditionsTab));
        QCOMPARE(QSelection::Currency, QString("EUR"));
        // Both requests are under way at once, so either may reach the server first.
        const auto wallets = [this] {
            QStringList wallets;
            for (const RecordedRequest& request : server.requests())
                if (request.rpcMethod() == "AccountAPING/v1.0/getAccountFunds")
                    wallets << request.json()["params"].toObject()["wallet"].toString();
            wallets.sort();
            return wallets;
        };
        QTRY_COMPARE_WITH_TIMEOUT(wallets(), QStringList({ "AUSTRALIAN", "UK" }), Patience);
        // The local exchange names the UK wallet in both answers.
        const QString uk = "Funds available to bet in UK wallet: 12.5 EUR";
        QTRY_COMPARE_WITH_TIMEOUT(funds, QStringList({ uk, uk }), Patience);
        workers.finish(s.results(), 0);
        emit s.settings()->loggedIn();
        QCOMPARE(workers.count(), 1);

        // A refused price refresh waits for a full search.
        s.window->SearchButClicked();
        workers.finish(s.results(), 2);
        Session::end();
        s.window->UpdatePrices();
        QCOMPARE(s.tab(), int(MainWindow::SettingsTab));
        const Session again;
        const int made = workers.made.size();
        emit s.settings()->loggedIn();
        QCOMPARE(workers.made.size(), made + 1);
        QCOMPARE(workers.count(), 3);
        QCOMPARE(s.tabs()->tabText(MainWindow::ResultsTab), QString("Searching..."));
        workers.finish(s.results(), 0);
    }

    // Nothing starts while the window is busy, a login or a refresh run inside the busy state's own event
    // pump among it, or while the view refreshes by itself (after bets).
    void oneRunAtATime()
    {
        Workers workers;
        Started s({}, VolumeTemplate(100));
        const auto tryAll = [&s] {
            s.window->SearchButClicked();
            s.window->Update();
            s.window->UpdatePrices();
        };
        s.window->SearchButClicked(); // refused: no session, a search waits
        const Session session;
        QMetaObject::invokeMethod(s.settings(), &Settings::loggedIn, Qt::QueuedConnection);
        s.window->SearchButClicked();
        tryAll();
        QCOMPARE(workers.made.size(), 1);
        workers.finish(s.results(), 2);

        int made = workers.made.size();
        QMetaObject::invokeMethod(s.window.get(), &MainWindow::UpdatePrices, Qt::QueuedConnection);
        s.window->Update();
        QCOMPARE(workers.made.size(), ++made);
        workers.finish(s.results(), 2);

        s.results()->UpdatePrices();
        QVERIFY(s.results()->IsRunning());
        made = workers.made.size();
        tryAll();
        QCOMPARE(workers.made.size(), made);
        QCOMPARE(s.tabs()->tabText(MainWindow::ResultsTab), QString("Search results")); // the window not busy
        workers.finish(s.results(), 2);
        // Idle again: a refresh of the shown markets runs.
        const int refreshes = workers.count<QPriceUpdater>();
        s.window->UpdatePrices();
        QCOMPARE(workers.count<QPriceUpdater>(), refreshes + 1);
        workers.finish(s.results(), 2);
    }

    void busyAndIdle()
    {
        const Session session;
        Workers workers;
        Started s({ { "Select", "Favs" } }, VolumeTemplate(100));
        s.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        const auto enabled = [&s] {
            QStringList names;
            for (const char* name : { "PerformBut", "PresetsRow", "ConditionsFrame", "Select", "Expand",
                     "Collapse", "Reload", "UpdatePrices", "SearchBut", "CancelBut", "ShowCharts" })
                if (s.enabled(name))
                    names << name;
            return names.join(' ');
        };
        const auto resultsTab = [&s] { return s.tabs()->tabText(MainWindow::ResultsTab); };
        // "[Manual selection]" lasts until the next search.
        s.window->SetSelectManualy();
        s.window->SearchButClicked();
        QCOMPARE(s.rule(), QString("Favs"));
        QCOMPARE(enabled(), QString("CancelBut"));
        QCOMPARE(resultsTab(), QString("Searching..."));
        // A checked count mid-search does not free Perform.
        emit s.results()->NotifyCheckedChanged(3);
        QVERIFY(!s.enabled("PerformBut"));
        emit s.results()->NotifyCheckedChanged(0);

        workers.finish(s.results(), 0);
        QVERIFY(!s.part("Nothing")->isHidden() && s.results()->isHidden());
        QCOMPARE(s.tab(), int(MainWindow::ConditionsTab));
        QCOMPARE(resultsTab(), QString("Search results"));
        QCOMPARE(enabled(), QString("PresetsRow ConditionsFrame Select Reload SearchBut"));

        QSignalSpy logged(QLog::Instance(), &QLog::Logged);
        s.window->Update();
        QCOMPARE(resultsTab(), QString("Updating..."));
        workers.finish(s.results(), 5);
        // A repeat refreshes the last search: it ends without a search's closing line.
        QStringList texts;
        for (const QVariantList& record : qAsConst(logged))
            texts << record.at(1).toString();
        QCOMPARE(texts.filter("Search done"), QStringList());
        QVERIFY(s.part("Nothing")->isHidden() && !s.results()->isHidden());
        QCOMPARE(s.tab(), int(MainWindow::ResultsTab));
        // The favourites ticked by the rule free Perform.
        QCOMPARE(enabled(),
            QString("PerformBut PresetsRow ConditionsFrame Select Expand Collapse Reload "
                    "UpdatePrices SearchBut ShowCharts"));

        // Cancelled: Search stays disabled until the view reports the end.
        s.window->SearchButClicked();
        QObject::disconnect(s.results(), &QSearcher::Cancel, workers.made.last(), nullptr);
        QSignalSpy cancels(s.results(), &QSearcher::Cancel);
        s.click("CancelBut");
        QCOMPARE(cancels.count(), 1);
        QVERIFY(!s.enabled("SearchBut") && s.enabled("CancelBut"));
        emit workers.made.last()->Done("Cancelled");
        QVERIFY(s.enabled("SearchBut") && !s.enabled("CancelBut"));
    }

    // The panel's actions reach the results view, which ends each one, its refusals too.
    void actionsEndInTheResults_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("boxes"); // how each begins, " | " between them
        QTest::addColumn<int>("tab");
        Row("export", "Export", "Information: File '%1 saved", 1);
        Row("e-mail without settings", "EMail", "Warning: Please fill e-mail settings", 3); // the e-mail page
        // The panel's question, then the results view's own for the runner, declined.
        Row("declined bet", "Back",
            "Question: Are you sure you want to PLACE these bets? | Question: Adding to bet slip | Critical: "
            "BETTING "
            "ERROR: Nothing to send",
            1);
        Row("cancelled bets", "Cancel",
            "Question: Are you sure you want to CANCEL these bets? | Information: All bets cancelled", 1);
    }

    void actionsEndInTheResults()
    {
        QFETCH(QString, action);
        QFETCH(QString, boxes);
        QFETCH(int, tab);
        const Session session;
        Workers workers;
        Started s({ { "Action/Action", action }, { "Action/Amount", "10" } }, VolumeTemplate(100));
        s.user.answers = { QMessageBox::Yes, QMessageBox::No };
        s.user.help = false;
        s.user.file = s.dir.filePath("ticked.csv");
        s.window->SearchButClicked();
        workers.finish(s.results(), 1);
        s.results()->Model()->setData(
            s.results()->Market(0)->child(1)->index(), Qt::Checked, Qt::CheckStateRole);
        s.results()->UpdateCheckedCount();
        s.click("PerformBut");
        // The exchange cancels at once; prices are fetched again after it.
        for (const auto& worker : qAsConst(workers.made))
            if (auto* cancelling = qobject_cast<QCanceller*>(worker.data()))
                emit cancelling->Done(QString());
        workers.finish(s.results(), 1);
        QVERIFY(s.actions()->isEnabled());
        const QStringList expected = boxes.replace("%1", s.user.file).split(" | ");
        QCOMPARE(s.user.boxes.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(s.user.boxes.at(i).startsWith(expected.at(i)), qPrintable(s.user.boxes.at(i)));
        QCOMPARE(s.tab(), tab);
        if (action == "EMail")
            QCOMPARE(s.settings()->currentIndex(), int(Settings::MailPage));
        // Only the ticked runner goes out.
        const QByteArray exported = contentOf(s.user.file);
        QCOMPARE(exported.contains("Runner 2"), action == "Export");
        QVERIFY(!exported.contains("Runner 1"));
    }

    // Enter at every question of a bet: each ticked runner is asked for in turn, and the bets go out.
    void enterPlacesOneByOne()
    {
        const Session session;
        Workers workers;
        Started s({ { "Action/Action", "Back" }, { "Action/Amount", "10" } }, VolumeTemplate(100));
        s.window->SearchButClicked();
        workers.finish(s.results(), 1);
        for (int runner : { 0, 1 })
            s.results()->Model()->setData(
                s.results()->Market(0)->child(runner)->index(), Qt::Checked, Qt::CheckStateRole);
        s.results()->UpdateCheckedCount();
        QStringList asked;
        QConfirm::SetResponder([&asked](QMessageBox* box) {
            asked << box->text().section("<br>", 0, 1);
            return box->defaultButton();
        });
        s.click("PerformBut");
        QCOMPARE(asked.size(), 4);
        QCOMPARE(asked.at(0), QString("Are you sure you want to PLACE these bets?"));
        QVERIFY2(asked.at(1).endsWith("'Runner 1'") && asked.at(2).endsWith("'Runner 2'"),
            qPrintable(asked.join('\n')));
        QVERIFY(asked.at(3).startsWith("Going to send 2 bets"));
        QCOMPARE(workers.count<QBetPlacer>(), 1);
    }

    // Every tab, in English and Russian, where TW_SHOT_DIR names a folder: the results with the panel on
    // BACK, the help offline.
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TW_SHOT_DIR");
        if (folder.isEmpty())
            QSKIP("TW_SHOT_DIR is not set");
        ProductSite::English = ProductSite::Russian = "http://127.0.0.1:1";
        const Session session;
        const QLocale kept;
        for (const QString language : { "en", "ru_RU" }) {
            const ProgramTranslation translation(language == "en" ? "" : language);
            // Dates and statuses as the language set-up leaves them.
            QLocale::setDefault(QLocale(language == "en" ? "en_GB" : language));
            QStatus::InitStatuses();
            Workers workers;
            Started s({ { "Action/Action", "Back" }, { "Action/Amount", "10.50" } }, VolumeTemplate(100));
            s.window->show();
            s.window->SearchButClicked();
            workers.finish(s.results(), 5);
            s.results()->expandAll();
            emit s.results()->NotifyCheckedChanged(2);
            QLog::Write(QLog::QLogType::Warning, "A warning for the status bar");
            for (int tab = 0; tab < s.tabs()->count(); ++tab) {
                s.tabs()->setCurrentIndex(tab);
                QTest::qWait(100);
                const QString name = s.tabs()->widget(tab)->objectName() + "_" + language;
                QVERIFY(s.window->grab().save(folder + "/main_" + name + ".png"));
            }
        }
        QLocale::setDefault(kept);
        QStatus::InitStatuses();
        ProductSite::English = server.url(), ProductSite::Russian = server.url("/ru");
    }
};

TW_WINDOW_TEST_MAIN(tst_Search)
#include "tst_search.moc"
