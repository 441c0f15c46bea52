#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MyWebPage.h"
#include "QCipher.h"

#include <QFrame>
#include <QNetworkCookie>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QWebFrame>
#include <QWebView>

namespace {

const QString Token = QStringLiteral("TOKEN-7a2c");
const QString Password = QStringLiteral("pa55-W0rd!");

ScriptedReply Json(const QByteArray& json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(json));
}

// The login page as the view shows it, with the navigation check reachable.
struct TestPage : MyWebPage
{
    explicit TestPage(const QList<QNetworkCookie>& jar)
    {
        networkAccessManager()->cookieJar()->setCookiesFromUrl(jar, QUrl("https://www.example.test/"));
    }
    bool navigate(const QString& url)
    {
        return acceptNavigationRequest(mainFrame(), QNetworkRequest(QUrl(url)), NavigationTypeOther);
    }
};

bool Shows(SettingsTab& t, const char* frame)
{
    return !t.find<QFrame>(frame)->isHidden();
}

} // namespace

class tst_Login : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    LogRecords records;

    // The session tokens of the account requests the server received.
    QStringList sessionsAsked() const
    {
        QStringList tokens;
        for (const RecordedRequest& request : server.requests()) {
            if (request.rpcMethod().endsWith("getAccountDetails"))
                tokens << request.header("X-Authentication");
        }
        return tokens;
    }

    // The exchange's login page once signed in: the session cookie, and back to the main site.
    ScriptedReply signedIn() const
    {
        return ScriptedReply::text("", "text/html", 302)
            .withHeader("Set-Cookie", "ssoid=WEB-" + Token.toUtf8() + "; Path=/")
            .withHeader("Location", server.url("/").toUtf8());
    }

    static void openSession()
    {
        QBetFair::SetSessionToken(Token);
        QBetFair::Currency = "GBP";
    }

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        server.setReply("POST", LocalExchange::identityPath("logout"), Json(R"({"status": "SUCCESS"})"));
    }

    void init()
    {
        server.clearRequests();
        records.clear();
        QBetFair::SetSessionToken(QString());
        QBetFair::Currency = "???";
        SetInteractiveLevel(0);
    }

    void cleanup()
    {
        server.releaseAll();
        QBetFair::SetSessionToken(QString());
        QNetwork::TransferTimeout = 60000;
    }

    // The name is sent as typed and kept (enciphered) only while asked to; the password nowhere.
    void passwordLogin_data()
    {
        QTest::addColumn<ScriptedReply>("identity");
        QTest::addColumn<ScriptedReply>("account");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("box"); // empty: logged in

        const ScriptedReply success = Json(R"({"token": "TOKEN-7a2c", "status": "SUCCESS"})");
        const ScriptedReply gbp = ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } });
        QTest::newRow("success") << success << gbp << true << "";
        QTest::newRow("refused") << Json(R"({"token": "", "status": "FAIL"})") << gbp << true << "Critical: TOKEN_ERROR";
        QTest::newRow("markup in the reason") << success << Json(R"({"jsonrpc": "2.0", "error": "<b>NO</b>"})")
                                              << false << "Critical: &lt;b&gt;NO&lt;/b&gt;";
        QTest::newRow("held past the transfer limit")
            << success.held() << gbp << true << "Critical: Network error: Transfer timed out";
    }

    void passwordLogin()
    {
        QFETCH(ScriptedReply, identity);
        QFETCH(ScriptedReply, account);
        QFETCH(bool, remember);
        QFETCH(QString, box);
        server.setReply("POST", LocalExchange::identityPath("login"), identity);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails", account);
        QNetwork::TransferTimeout = box.endsWith("timed out") ? 300 : 60000;
        Boxes boxes;
        TabOnStore t;
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        if (remember)
            t.click(t.box("BetFairRemember"));
        t.type(t.edit("BetFairLogin"), " bob ", false);
        t.type(t.edit("BetFairPassword"), Password);
        QVERIFY(!t.tab.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);

        const bool success = box.isEmpty();
        QCOMPARE(boxes.shown, success ? QStringList() : QStringList { box });
        QCOMPARE(boxes.topics, success ? "" : "LoginError");
        QCOMPARE(announced.count(), success ? 1 : 0);
        QCOMPARE(Shows(t, "Logged"), success);
        QCOMPARE(Shows(t, "LoginControls"), !success);
        QVERIFY(Shows(t, "LoginPassword"));
        QCOMPARE(records.texts.contains("Successfully logged in to BetFair"), success);
        // The short limit may end the login before a busy machine has sent it.
        const QList<RecordedRequest> sent = server.requests();
        QVERIFY(sent.isEmpty() ? box.endsWith("timed out") : sent.first().body.startsWith("username=%20bob%20&"));

        SettingsStore()->sync();
        const QByteArray file = contentOf(t.settings.path);
        QVERIFY(!file.contains(Password.toUtf8()));
        QVERIFY(!file.contains(QCipher::EncryptString(Password).toUtf8()));
        QVERIFY(!records.texts.join('\n').contains(Password));
        QVERIFY(!file.contains("bob"));
        QCOMPARE(SettingsStore()->contains("Options/BetFairLogin"), remember);
        if (remember)
            QCOMPARE(QCipher::DecryptString(SettingsStore()->value("Options/BetFairLogin").toString()), " bob ");
    }

    void loginButtonWantsBothFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("blank name") << "   " << "pw" << false;
        QTest::newRow("blank password") << "bob" << " \t" << false;
        QTest::newRow("one letter each") << "b" << "p" << true;
        QTest::newRow("both empty, as loaded") << "" << "" << false;
    }

    void loginButtonWantsBothFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        server.setReply("POST", LocalExchange::identityPath("login"), Json(R"({"token": "", "status": "FAIL"})"));
        Boxes boxes;
        TabOnStore t;
        t.edit("BetFairLogin")->setText(name);
        t.edit("BetFairPassword")->setText(password);
        QCOMPARE(t.button("LoginButton")->isEnabled(), enabled);
        // Return in either field is a click on the button.
        QTest::keyClick(t.edit("BetFairPassword"), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);
        QCOMPARE(server.requestCount(), enabled ? 1 : 0);
    }

    // Without a session each scheme shows its own controls: the exchange's page, at 85 % so that its
    // form fits, or the fields.
    void layoutWithoutSession_data()
    {
        QTest::addColumn<int>("scheme");
        QTest::newRow("web page") << 0;
        QTest::newRow("user name and password") << 1;
    }

    void layoutWithoutSession()
    {
        QFETCH(int, scheme);
        TabOnStore t({ { "LoginType", scheme } });
        auto* view = t.find<QWebView>("BetFairPage");
        QVERIFY(Shows(t, "LoginControls") && !Shows(t, "Logged"));
        QCOMPARE(!view->isHidden(), scheme == 0);
        QCOMPARE(Shows(t, "LoginPassword"), scheme == 1);
        if (scheme == 0)
            QCOMPARE(qRound(view->page()->mainFrame()->zoomFactor() * 100), 85);
    }

    void emptyErrorWithoutSession()
    {
        Boxes boxes;
        TabOnStore t;
        t.tab.LoggedIn(QString());
        QCOMPARE(boxes.shown, QStringList { "Critical: Login failed: no session was opened" });
        QCOMPARE(boxes.topics, "LoginError");
    }

    // The login page's return to the main site, with the session cookie, starts one login.
    void navigation_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("cookies"); // as the main site sets them
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("session"); // the one login started, if any

        const QString main = "https://www.example.test/";
        QTest::newRow("main site with the cookie") << main << QStringList { "ssoid=S1" } << false << "S1";
        QTest::newRow("name in capitals") << main << QStringList { "SSOID=S1" } << true << "";
        QTest::newRow("another sub-domain") << "https://sub.example.test/"
                                            << QStringList { "ssoid=S1; Domain=.example.test" } << true << "";
        QTest::newRow("no cookie") << main << QStringList() << true << "";
        QTest::newRow("several: the jar's first") << main + "deep/page"
                                                   << QStringList { "a=1", "ssoid=SHORT", "ssoid=LONG; Path=/deep" }
                                                   << false << "LONG";
        QTest::newRow("value cut at a zero byte") << main << QStringList { QString("ssoid=S2") + QChar(0) + "junk" }
                                                  << false << "S2";
    }

    void navigation()
    {
        QFETCH(QString, to);
        QFETCH(QStringList, cookies);
        QFETCH(bool, accepted);
        QFETCH(QString, session);
        const QString saved = QBetFair::LoginUrlTemplate;
        QBetFair::LoginUrlTemplate = server.url("/view/login?product=%1&url=") + "https://www.example.test/";
        QList<QNetworkCookie> jar;
        for (const QString& cookie : cookies)
            jar += QNetworkCookie::parseCookies(cookie.toUtf8());
        {
            TestPage page(jar);
            QSignalSpy reported(&page, &MyWebPage::LoggedIn);
            QCOMPARE(page.navigate(to), accepted);
            // The login starts afterwards, from the event loop, not inside the web engine's call.
            QCOMPARE(QBetFair::SessionToken, QString());
            if (!session.isEmpty()) {
                // A second return to the main site starts nothing more.
                QVERIFY(!page.navigate(to));
                QVERIFY(reported.wait(Patience));
            }
        }
        // A control login on a new page: anything started above would have reached the server first.
        TestPage control({ QNetworkCookie("ssoid", "CONTROL") });
        QSignalSpy reported(&control, &MyWebPage::LoggedIn);
        QVERIFY(!control.navigate("https://www.example.test/"));
        QVERIFY(reported.wait(Patience));
        QCOMPARE(sessionsAsked(), (session.isEmpty() ? QStringList() : QStringList { session }) + QStringList { "CONTROL" });
        QBetFair::LoginUrlTemplate = saved;
    }

    // The exchange's page sets the cookie and sends the browser back to the main site: the web view asks
    // about that server-side redirect, and the main site is never fetched.
    void webLoginEndToEnd()
    {
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } }));
        server.setReply("GET", "/view/login", signedIn());
        server.setReply("GET", "/", ScriptedReply::text("<html>main site</html>", "text/html"));
        Boxes boxes;
        TabOnStore t;
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        t.step(t.combo("LoginType"), Qt::Key_Up);
        QVERIFY(announced.wait(Patience));
        QCOMPARE(sessionsAsked(), QStringList { "WEB-" + Token });
        QVERIFY(Shows(t, "Logged"));
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(announced.count(), 1);
        for (const RecordedRequest& request : server.requests())
            QVERIFY2(request.path() != "/", "the main site was fetched");
    }

    // Only a failure of the login page itself replaces it with the red error text.
    void loginPageFailures_data()
    {
        QTest::addColumn<ScriptedReply>("page");
        QTest::addColumn<QString>("shown");
        QTest::newRow("page not found") << ScriptedReply::error(404) << "Network error: *";
        QTest::newRow("a missing picture") << ScriptedReply::text("<html>Sign in<img src='/x.png'></html>", "text/html")
                                           << "Sign in";
    }

    void loginPageFailures()
    {
        QFETCH(ScriptedReply, page);
        QFETCH(QString, shown);
        server.setReply("GET", "/view/login", page);
        QWebView view;
        MyWebPage login;
        view.setPage(&login);
        view.show();
        int finished = 0;
        connect(login.networkAccessManager(), &QNetworkAccessManager::finished, this, [&] { ++finished; });
        view.load(QBetFair::LoginPageUrl());
        QTRY_COMPARE_WITH_TIMEOUT(finished, shown == "Sign in" ? 2 : 1, Patience);
        QTRY_VERIFY2_WITH_TIMEOUT(Matches(login.mainFrame()->toPlainText(), shown), qPrintable(login.mainFrame()->toPlainText()), Patience);
        QCOMPARE(login.mainFrame()->toHtml().contains("color: red"), shown != "Sign in");
    }

    void errorTextShownAsTyped()
    {
        MyWebPage page;
        page.showError("<b>x</b> & <script>document.title='run'</script>");
        QCOMPARE(page.mainFrame()->toPlainText(), "<b>x</b> & <script>document.title='run'</script>");
        QCOMPARE(page.mainFrame()->title(), "");
    }

    // A page replaced before it reported is not listened to, and goes.
    void replacedPageIgnored()
    {
        Boxes boxes;
        TabOnStore t({ { "LoginType", 0 } });
        QPointer<MyWebPage> first = qobject_cast<MyWebPage*>(t.find<QWebView>("BetFairPage")->page());
        QVERIFY(first);
        t.tab.UpdateLoginState(false);
        QWebPage* second = t.find<QWebView>("BetFairPage")->page();
        QVERIFY(second != first);
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        openSession();
        // Not even a connection left behind would make it heard.
        connect(first.data(), &MyWebPage::LoggedIn, &t.tab, &Settings::LoggedIn);
        emit first->LoggedIn("TOKEN_ERROR");
        emit first->LoggedIn(QString());
        QCOMPARE(announced.count(), 0);
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(t.find<QWebView>("BetFairPage")->page(), second);
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), Patience);
    }

    void logout_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("confirmed") << true;
        QTest::newRow("declined") << false;
    }

    void logout()
    {
        QFETCH(bool, confirmed);
        Boxes boxes(confirmed ? QMessageBox::Yes : QMessageBox::No);
        openSession();
        TabOnStore t;
        t.click(t.button("BetFairLogout"));
        QCOMPARE(boxes.shown, QStringList { "Question: Are you sure you want to log out?" });
        if (confirmed) {
            QTRY_VERIFY_WITH_TIMEOUT(records.texts.contains("Logged out from BetFair."), Patience);
            QVERIFY(Shows(t, "LoginControls"));
            QCOMPARE(server.lastRequest().header("X-Authentication"), Token.toUtf8());
        } else {
            QCOMPARE(server.requestCount(), 0);
            QVERIFY(Shows(t, "Logged"));
        }
    }

    // The session is closed at the exchange on every way out of the event loop, and only then.
    void logoutAtExit_data()
    {
        QTest::addColumn<bool>("session");
        QTest::newRow("session open") << true;
        QTest::newRow("no session") << false;
    }

    void logoutAtExit()
    {
        QFETCH(bool, session);
        if (session)
            openSession();
        {
            TabOnStore t;
            // The exit goes on as the exchange answers, long before its limit.
            const int limit = std::exchange(Settings::ExitLogoutWaitMs, 10 * Patience);
            bool stillWaiting = false;
            QTimer patience;
            connect(&patience, &QTimer::timeout, &patience, [&] {
                stillWaiting = true;
                QCoreApplication::exit(1);
            });
            patience.start(Patience);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCOMPARE(QCoreApplication::exec(), 0);
            Settings::ExitLogoutWaitMs = limit;
            QVERIFY(!stillWaiting);
            QCOMPARE(server.requestCount(), session ? 1 : 0);
            if (session) {
                QCOMPARE(server.lastRequest().path(), LocalExchange::identityPath("logout"));
                QCOMPARE(server.lastRequest().header("X-Authentication"), Token.toUtf8());
            }
        }
        // Closing the tab itself sends nothing.
        QCOMPARE(server.requestCount(), session ? 1 : 0);
    }

    // The tab or the login page may go while its worker waits for the
    // exchange: the worker ends with its owner, and the answer that comes
    // afterwards changes nothing.
    void ownerGoesMidRequest_data()
    {
        QTest::addColumn<QString>("start");
        QTest::newRow("password login") << "login";
        QTest::newRow("logout") << "logout";
        QTest::newRow("login page") << "page";
    }

    void ownerGoesMidRequest()
    {
        QFETCH(QString, start);
        server.setReply("POST", LocalExchange::identityPath("login"),
            Json(R"({"token": "TOKEN-7a2c", "status": "SUCCESS"})").held());
        server.setReply("POST", LocalExchange::identityPath("logout"), Json(R"({"status": "SUCCESS"})").held());
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } }).held());
        const QString saved = QBetFair::LoginUrlTemplate;
        QBetFair::LoginUrlTemplate = server.url("/view/login?product=%1&url=") + "https://www.example.test/";
        if (start == "logout")
            openSession();
        Boxes boxes;
        int answered = 0;
        QObject counting;
        connect(QNetwork::Shared(), &QNetworkAccessManager::finished, &counting, [&] { ++answered; });
        {
            std::unique_ptr<TabOnStore> t;
            std::unique_ptr<TestPage> page;
            if (start == "page") {
                page = std::make_unique<TestPage>(QList<QNetworkCookie> { QNetworkCookie("ssoid", "WEB") });
                QVERIFY(!page->navigate("https://www.example.test/"));
            } else {
                t = std::make_unique<TabOnStore>();
                if (start == "login") {
                    t->type(t->edit("BetFairLogin"), "bob", false);
                    t->type(t->edit("BetFairPassword"), Password);
                } else {
                    t->click(t->button("BetFairLogout"));
                }
            }
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        }
        QBetFair::LoginUrlTemplate = saved;
        const QString session = QBetFair::SessionToken;
        const QString currency = QBetFair::Currency;
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(answered, 1, Patience);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QBetFair::SessionToken, session);
        QCOMPARE(QBetFair::Currency, currency);
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(boxes.shown, start == "logout" ? QStringList { "Question: Are you sure you want to log out?" } : QStringList());
    }

    void needLogin()
    {
        Boxes boxes;
        TabOnStore t;
        t.tab.setCurrentIndex(Settings::MailPage);
        int pageWhenAsked = -1;
        boxes.onShow = [&] { pageWhenAsked = t.tab.currentIndex(); };
        t.tab.NeedLogin();
        QCOMPARE(pageWhenAsked, int(Settings::BetFairPage));
        QCOMPARE(boxes.shown, QStringList { "Warning: Please log in to BetFair to proceed with your search" });
        QCOMPARE(boxes.topics, "settings_betfair");
    }

    // A search that finds no session while a login runs leaves that login to report: its page stays,
    // the tab of a password login stays disabled, and the session is announced once.
    void needLoginWhileLoginRuns_data()
    {
        QTest::addColumn<int>("scheme");
        QTest::newRow("web page") << 0;
        QTest::newRow("user name and password") << 1;
    }

    void needLoginWhileLoginRuns()
    {
        QFETCH(int, scheme);
        const bool web = scheme == 0;
        const ScriptedReply token = Json(R"({"token": "TOKEN-7a2c", "status": "SUCCESS"})");
        const ScriptedReply gbp = ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } });
        server.setReply("POST", LocalExchange::identityPath("login"), web ? token : token.held());
        server.setRpcReply(
            LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails", web ? gbp.held() : gbp);
        server.setReply("GET", "/view/login", signedIn());
        Boxes boxes;
        TabOnStore t;
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        if (web) {
            t.step(t.combo("LoginType"), Qt::Key_Up);
        } else {
            t.type(t.edit("BetFairLogin"), "bob", false);
            t.type(t.edit("BetFairPassword"), Password);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        // A page built from here on stays on the login page: only the running login can report.
        server.setReply("GET", "/view/login", ScriptedReply::text("<html>Sign in</html>", "text/html"));
        QWebPage* page = t.find<QWebView>("BetFairPage")->page();
        t.tab.setCurrentIndex(Settings::MailPage);

        t.tab.NeedLogin();
        QCOMPARE(t.tab.currentIndex(), int(Settings::BetFairPage));
        QCOMPARE(
            boxes.shown, QStringList { "Warning: Please log in to BetFair to proceed with your search" });
        QCOMPARE(t.find<QWebView>("BetFairPage")->page(), page);
        if (!web) {
            QVERIFY(!t.tab.isEnabled());
            QVERIFY(!t.button("LoginButton")->isEnabled());
            t.click(t.button("LoginButton"));
        }

        server.releaseAll();
        QVERIFY(announced.wait(Patience));
        QCOMPARE(announced.count(), 1);
        QVERIFY(t.tab.isEnabled());
        QVERIFY(Shows(t, "Logged"));
        QCOMPARE(sessionsAsked(), QStringList { web ? "WEB-" + Token : Token });
        QCOMPARE(boxes.shown.size(), 1);
    }

    void schemeChangeWithSession()
    {
        openSession();
        TabOnStore t;
        QVariant storedWhenAnnounced;
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        connect(&t.tab, &Settings::loggedIn, this,
            [&] { storedWhenAnnounced = SettingsStore()->value("Options/LoginType"); });
        t.step(t.combo("LoginType"), Qt::Key_Up);
        QCOMPARE(announced.count(), 1);
        QCOMPARE(storedWhenAnnounced, QVariant(0));
        QVERIFY(Shows(t, "Logged"));
    }
};

QTEST_MAIN(tst_Login)
#include "tst_login.moc"
