#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LanguageSetup.h"
#include "LocalExchange.h"
#include "MyWebPage.h"
#include "ProgramTranslation.h"
#include "QCipher.h"
#include "QLog.h"

#include <QFrame>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QPushButton>
#include <QTcpServer>
#include <QWebFrame>
#include <QWebView>

namespace {

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

const QString Token = QStringLiteral("TOKEN-7a2c");
const QString Password = QStringLiteral("pa55-W0rd!");

ScriptedReply Json(const QByteArray& json)
{
    return ScriptedReply::json(QJsonDocument::fromJson(json));
}

// The login page as the view shows it, with the navigation check reachable.
struct TestPage : MyWebPage
{
    using MyWebPage::acceptNavigationRequest;

    bool navigate(const QString& url)
    {
        return acceptNavigationRequest(mainFrame(), QNetworkRequest(QUrl(url)), NavigationTypeOther);
    }
    void setCookies(const QString& url, const QList<QNetworkCookie>& cookies)
    {
        networkAccessManager()->cookieJar()->setCookiesFromUrl(cookies, QUrl(url));
    }
};

bool Shows(QWidget* widget)
{
    return !widget->isHidden();
}

} // namespace

class tst_Login : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QLog log;
    QStringList records;

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

    void answerLogin(const ScriptedReply& identity)
    {
        server.setReply("POST", LocalExchange::identityPath("login"), identity);
    }

    // A loaded tab on its login page, with the password scheme unless told otherwise.
    void openTab(SettingsTab& t, int scheme = 1)
    {
        SettingsStore()->setValue("Options/LoginType", scheme);
        t.tab.Load();
        t.tab.setCurrentIndex(Settings::BetFairPage);
        t.tab.show();
    }

    QWebView* view(SettingsTab& t) { return t.find<QWebView>("BetFairPage"); }

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        connect(&log, &QLog::Logged, this, [this](QLog::QLogType, const QString& text) { records << text; });
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails",
            ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } }));
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
    }

    void passwordLogin_data()
    {
        QTest::addColumn<ScriptedReply>("identity");
        QTest::addColumn<ScriptedReply>("account");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("box"); // empty: logged in

        const ScriptedReply success = Json(R"({"token": "TOKEN-7a2c", "status": "SUCCESS"})");
        const ScriptedReply gbp = ScriptedReply::rpcResult(QJsonObject { { "currencyCode", "GBP" } });
        QTest::newRow("success") << success << gbp << 60000 << "";
        QTest::newRow("refused") << Json(R"({"token": "", "status": "FAIL"})") << gbp << 60000
                                 << "Critical: TOKEN_ERROR";
        QTest::newRow("markup in the reason") << success << Json(R"({"jsonrpc": "2.0", "error": "<b>NO</b>"})")
                                              << 60000 << "Critical: &lt;b&gt;NO&lt;/b&gt;";
        QTest::newRow("held past the transfer limit")
            << success.held() << gbp << 300 << "Critical: Network error: Transfer timed out";
    }

    void passwordLogin()
    {
        QFETCH(ScriptedReply, identity);
        QFETCH(ScriptedReply, account);
        QFETCH(int, timeout);
        QFETCH(QString, box);
        answerLogin(identity);
        server.setRpcReply(LocalExchange::accountPath(), "AccountAPING/v1.0/getAccountDetails", account);
        QNetwork::TransferTimeout = timeout;
        TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        t.click(t.box("BetFairRemember"));
        t.type(t.edit("BetFairLogin"), "bob");
        t.type(t.edit("BetFairPassword"), Password);
        QVERIFY(!t.tab.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);

        const bool success = box.isEmpty();
        QCOMPARE(boxes.shown, success ? QStringList() : QStringList { box });
        QCOMPARE(boxes.topics, success ? "" : "LoginError");
        QCOMPARE(announced.count(), success ? 1 : 0);
        QCOMPARE(Shows(t.find<QFrame>("Logged")), success);
        QCOMPARE(Shows(t.find<QFrame>("LoginControls")), !success);
        QVERIFY(Shows(t.find<QFrame>("LoginPassword")));
        QCOMPARE(records.contains("Successfully logged in to BetFair"), success);
        QVERIFY(records.contains("Logging in to BetFair..."));

        // The password is nowhere but in the request.
        settings.store()->sync();
        QVERIFY(!contentOf(settings.path).contains(Password.toUtf8()));
        QVERIFY(!contentOf(settings.path).contains(QCipher::EncryptString(Password).toUtf8()));
        QVERIFY(!records.join('\n').contains(Password));
        QCOMPARE(QCipher::DecryptString(settings.store()->value("Options/BetFairLogin").toString()), "bob");
        QNetwork::TransferTimeout = 60000;
        server.releaseAll();
    }

    void loginButtonWantsBothFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("blank name") << "   " << "pw" << false;
        QTest::newRow("blank password") << "bob" << " \t" << false;
        QTest::newRow("one letter each") << "b" << "p" << true;
    }

    void loginButtonWantsBothFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        answerLogin(Json(R"({"token": "", "status": "FAIL"})"));
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        t.edit("BetFairLogin")->setText(name);
        t.edit("BetFairPassword")->setText(password);
        QCOMPARE(t.find<QPushButton>("LoginButton")->isEnabled(), enabled);
        // Return in either field is a click on the button.
        QTest::keyClick(t.edit("BetFairPassword"), Qt::Key_Return);
        QCOMPARE(t.tab.isEnabled(), !enabled);
        QTRY_VERIFY_WITH_TIMEOUT(t.tab.isEnabled(), Patience);
        QCOMPARE(server.requestCount(), enabled ? 1 : 0);
    }

    // Blanks around a name are the user's: sent and remembered as typed, and only when asked.
    void nameRemembered_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::newRow("ticked") << true;
        QTest::newRow("unticked") << false;
    }

    void nameRemembered()
    {
        QFETCH(bool, remember);
        answerLogin(Json(R"({"token": "TOKEN-7a2c", "status": "SUCCESS"})"));
        const TempSettings settings;
        SettingsTab t;
        openTab(t);
        if (remember)
            t.click(t.box("BetFairRemember"));
        t.edit("BetFairLogin")->setText(" bob ");
        t.edit("BetFairPassword")->setText("pw");
        QTest::mouseClick(t.find<QPushButton>("LoginButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(QBetFair::IsSessionValid(), Patience);
        QCOMPARE(server.requests().first().body, "username=%20bob%20&password=pw");
        QCOMPARE(QCipher::DecryptString(settings.store()->value("Options/BetFairLogin").toString()),
            remember ? " bob " : "");
        QCOMPARE(settings.store()->contains("Options/BetFairLogin"), remember);
    }

    void emptyErrorWithoutSession()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        t.tab.LoggedIn(QString());
        QCOMPARE(boxes.shown, QStringList { "Critical: Login failed: no session was opened" });
        QCOMPARE(boxes.topics, "LoginError");
        QVERIFY(Shows(t.find<QFrame>("LoginPassword")));
    }

    void navigation_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("cookies"); // name=value;path, set for the main site
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("session"); // the one login started, if any

        const QString main = "https://www.example.test/";
        QTest::newRow("main site with the cookie") << main << QStringList { "ssoid=S1;/" } << false << "S1";
        QTest::newRow("name in capitals") << main << QStringList { "SSOID=S1;/" } << true << "";
        QTest::newRow("another sub-domain") << "https://sub.example.test/" << QStringList { "ssoid=S1;/" } << true
                                            << "";
        QTest::newRow("no cookie") << main << QStringList() << true << "";
        QTest::newRow("cookie for another path") << main << QStringList { "ssoid=S1;/private" } << true << "";
        QTest::newRow("several: the jar's first") << main + "deep/page"
                                                   << QStringList { "a=1;/", "ssoid=SHORT;/", "ssoid=LONG;/deep" }
                                                   << false << "LONG";
        QTest::newRow("value cut at a zero byte")
            << main << QStringList { QString("ssoid=S2") + QChar(0) + "junk;/" } << false << "S2";
    }

    void navigation()
    {
        QFETCH(QString, to);
        QFETCH(QStringList, cookies);
        QFETCH(bool, accepted);
        QFETCH(QString, session);
        const QString saved = QBetFair::LoginUrlTemplate;
        QBetFair::LoginUrlTemplate = server.url("/view/login?product=%1&url=") + "https://www.example.test/";
        QCOMPARE(MyWebPage::MainSiteHost(), "www.example.test");

        QList<QNetworkCookie> jar;
        for (const QString& cookie : cookies) {
            const QString pair = cookie.section(';', 0, 0);
            QNetworkCookie made(pair.section('=', 0, 0).toUtf8(), pair.section('=', 1).toUtf8());
            made.setPath(cookie.section(';', 1));
            jar << made;
        }
        {
            TestPage page;
            page.setCookies("https://www.example.test/", jar);
            QSignalSpy reported(&page, &MyWebPage::LoggedIn);
            QCOMPARE(page.navigate(to), accepted);
            if (!session.isEmpty()) {
                // A second return to the main site starts nothing more.
                QVERIFY(!page.navigate(to));
                QVERIFY(reported.wait(Patience));
            }
        }
        // A control login on a new page: anything started above would have reached the server first.
        TestPage control;
        control.setCookies("https://www.example.test/", { QNetworkCookie("ssoid", "CONTROL") });
        QSignalSpy reported(&control, &MyWebPage::LoggedIn);
        QVERIFY(!control.navigate("https://www.example.test/"));
        QVERIFY(reported.wait(Patience));
        QCOMPARE(sessionsAsked(), (session.isEmpty() ? QStringList() : QStringList { session }) + QStringList { "CONTROL" });
        QBetFair::LoginUrlTemplate = saved;
    }

    // The exchange's page sets the cookie and sends the browser back to the main site.
    void webLoginEndToEnd()
    {
        server.setReply("GET", "/view/login",
            ScriptedReply::text("", "text/html", 302)
                .withHeader("Set-Cookie", "ssoid=WEB-" + Token.toUtf8() + "; Path=/")
                .withHeader("Location", server.url("/").toUtf8()));
        server.setReply("GET", "/", ScriptedReply::text("<html>main site</html>", "text/html"));
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t, 1);
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        QTest::keyClick(t.combo("LoginType"), Qt::Key_Up);
        QVERIFY(Shows(view(t)));
        QVERIFY(announced.wait(Patience));
        QCOMPARE(sessionsAsked(), QStringList { "WEB-" + Token });
        QCOMPARE(QBetFair::SessionToken, "WEB-" + Token);
        QVERIFY(Shows(t.find<QFrame>("Logged")));
        QVERIFY(!Shows(t.find<QFrame>("LoginControls")));
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(announced.count(), 1);
    }

    void loginPageFailures_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("red");
        QTest::newRow("unreachable") << "" << true;
        QTest::newRow("a missing picture") << "<html><body>Sign in<img src='/missing.png'></body></html>" << false;
    }

    void loginPageFailures()
    {
        QFETCH(QString, page);
        QFETCH(bool, red);
        const QString saved = QBetFair::LoginUrlTemplate;
        if (page.isEmpty()) {
            // A port nobody listens on (WebKit itself refuses the low ones).
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            const QString site = QString("http://127.0.0.1:%1/").arg(closed.serverPort());
            closed.close();
            QBetFair::LoginUrlTemplate = site + "view/login?product=%1&url=" + site;
        } else {
            server.setReply("GET", "/view/login", ScriptedReply::text(page.toUtf8(), "text/html"));
        }
        {
            QWebView view;
            MyWebPage shown;
            view.setPage(&shown);
            view.show();
            QSignalSpy loaded(&shown, &QWebPage::loadFinished);
            QSignalSpy errors(&shown, &MyWebPage::onError);
            view.load(QBetFair::LoginPageUrl());
            QVERIFY(loaded.wait(Patience));
            if (red) {
                QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, Patience);
                QTRY_VERIFY_WITH_TIMEOUT(shown.mainFrame()->toPlainText().startsWith("Network error: "), Patience);
                QVERIFY(shown.mainFrame()->toHtml().contains("color: red"));
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 2, Patience);
                QCOMPARE(errors.count(), 0);
                QCOMPARE(shown.mainFrame()->toPlainText(), "Sign in");
            }
        }
        QBetFair::LoginUrlTemplate = saved;
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
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t, 0);
        QPointer<QWebPage> first = view(t)->page();
        QVERIFY(qobject_cast<MyWebPage*>(first.data()));
        t.tab.UpdateLoginState(false);
        QWebPage* second = view(t)->page();
        QVERIFY(second != first);
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        QBetFair::SetSessionToken(Token);
        QBetFair::Currency = "GBP";
        emit static_cast<MyWebPage*>(first.data())->LoggedIn("TOKEN_ERROR");
        emit static_cast<MyWebPage*>(first.data())->LoggedIn(QString());
        QCOMPARE(announced.count(), 0);
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(view(t)->page(), second);
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
        const TempSettings settings;
        Boxes boxes;
        boxes.answer = confirmed ? QMessageBox::Yes : QMessageBox::No;
        QBetFair::SetSessionToken(Token);
        QBetFair::Currency = "GBP";
        SettingsTab t;
        openTab(t);
        QVERIFY(Shows(t.find<QFrame>("Logged")));
        QTest::mouseClick(t.find<QPushButton>("BetFairLogout"), Qt::LeftButton);
        QCOMPARE(boxes.shown, QStringList { "Question: Are you sure you want to log out?" });
        if (confirmed) {
            QTRY_VERIFY_WITH_TIMEOUT(records.contains("Logged out from BetFair."), Patience);
            QVERIFY(Shows(t.find<QFrame>("LoginControls")));
            QVERIFY(!QBetFair::HasSession());
            QCOMPARE(server.lastRequest().header("X-Authentication"), Token.toUtf8());
        } else {
            QCOMPARE(server.requestCount(), 0);
            QVERIFY(Shows(t.find<QFrame>("Logged")));
        }
    }

    void logoutWithoutSession()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        t.tab.DoLogOut();
        QVERIFY(records.contains("Logged out from BetFair."));
        QCOMPARE(server.requestCount(), 0);
        QVERIFY(Shows(t.find<QFrame>("LoginControls")));
    }

    // The session is closed at the exchange on every way out of the event loop.
    void logoutAtExit_data()
    {
        QTest::addColumn<bool>("session");
        QTest::newRow("session open") << true;
        QTest::newRow("no session") << false;
    }

    void logoutAtExit()
    {
        QFETCH(bool, session);
        const TempSettings settings;
        if (session) {
            QBetFair::SetSessionToken(Token);
            QBetFair::Currency = "GBP";
        }
        {
            SettingsTab t;
            openTab(t);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCOMPARE(QCoreApplication::exec(), 0);
            QCOMPARE(server.requestCount(), session ? 1 : 0);
            if (session) {
                QCOMPARE(server.lastRequest().path(), LocalExchange::identityPath("logout"));
                QCOMPARE(server.lastRequest().header("X-Authentication"), Token.toUtf8());
            }
        }
        // Closing the tab itself sends nothing.
        QCOMPARE(server.requestCount(), session ? 1 : 0);
    }

    void needLogin()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        openTab(t);
        t.tab.setCurrentIndex(Settings::MailPage);
        int pageWhenAsked = -1;
        boxes.onShow = [&] { pageWhenAsked = t.tab.currentIndex(); };
        t.tab.NeedLogin();
        QCOMPARE(pageWhenAsked, int(Settings::BetFairPage));
        QCOMPARE(boxes.shown, QStringList { "Warning: Please log in to BetFair to proceed with your search" });
        QCOMPARE(boxes.topics, "settings_betfair");
    }

    void schemeChangeWithSession()
    {
        const TempSettings settings;
        QBetFair::SetSessionToken(Token);
        QBetFair::Currency = "GBP";
        SettingsTab t;
        openTab(t, 1);
        QVariant storedWhenAnnounced;
        QSignalSpy announced(&t.tab, &Settings::loggedIn);
        connect(&t.tab, &Settings::loggedIn, this,
            [&] { storedWhenAnnounced = SettingsStore()->value("Options/LoginType"); });
        records.clear();
        QTest::keyClick(t.combo("LoginType"), Qt::Key_Up);
        QCOMPARE(announced.count(), 1);
        QCOMPARE(storedWhenAnnounced, QVariant(0));
        QCOMPARE(records, QStringList { "Successfully logged in to BetFair" });
        QVERIFY(Shows(t.find<QFrame>("Logged")));
    }

    // Run with TW_SHOT_DIR set: page 1 in both schemes, English and Russian.
    void screenshots_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("scheme");
        QTest::newRow("English, embedded page") << "" << 0;
        QTest::newRow("English, password") << "" << 1;
        QTest::newRow("Russian, embedded page") << "ru_RU" << 0;
        QTest::newRow("Russian, password") << "ru_RU" << 1;
    }

    void screenshots()
    {
        QFETCH(QString, language);
        QFETCH(int, scheme);
        SKIP_WITHOUT_SHOT_FOLDER();
        server.setReply("GET", "/view/login",
            ScriptedReply::text("<html><body style='font-family:sans-serif;text-align:center'><h2>Log in</h2>"
                                "<p><input placeholder='Email/Username'></p><p><input type='password' "
                                "placeholder='Password'></p><p><button>Log In</button></p></body></html>",
                "text/html"));
        const ProgramTranslation translation(language);
        const TempSettings settings;
        SettingsTab t;
        t.tab.resize(835, 500);
        openTab(t, scheme);
        if (scheme == 0)
            QVERIFY(QSignalSpy(view(t)->page(), &QWebPage::loadFinished).wait(Patience));
        QTest::qWait(100);
        QVERIFY(t.tab.grab().save(ShotPath(QString("login_scheme%1").arg(scheme), language)));
    }
};

QTEST_MAIN(tst_Login)
#include "tst_login.moc"
