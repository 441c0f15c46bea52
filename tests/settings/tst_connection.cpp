#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QCipher.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QWebView>

namespace {

ScriptedReply LoginPage(bool withKey)
{
    return ScriptedReply::text("<html>" + (withKey ? QBetFair::AppKey.toUtf8() : QByteArray("no key")) + "</html>",
        "text/html");
}

// Fills the page as a user would leave it, without applying it.
void Fill(SettingsTab& t, int row, const QString& host, const QString& port, const QString& user = " bob ",
    const QString& password = " pa ss ")
{
    t.combo("ProxyType")->setCurrentIndex(row);
    t.edit("ProxyServer")->setText(host);
    t.edit("ProxyPort")->setText(port);
    t.edit("ProxyLogin")->setText(user);
    t.edit("ProxyPassword")->setText(password);
    t.tab.EnableApplyConnectionSettings(); // as the end of an edit does
}

const QNetworkProxy::ProxyType Types[] = { QNetworkProxy::DefaultProxy, QNetworkProxy::NoProxy,
    QNetworkProxy::HttpProxy, QNetworkProxy::Socks5Proxy };

} // namespace

class tst_Connection : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    LogRecords records;

private slots:
    void initTestCase() { LoadLanguageTable(); }

    void init()
    {
        records.clear();
        server.clearRequests();
        SetInteractiveLevel(0);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        QNetworkProxyFactory::setUseSystemConfiguration(false);
    }

    void cleanupTestCase() { init(); }

    // Trimmed host and user, the port as a 16-bit value, the password as typed.
    void proxyFromPage_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("system") << 0 << "8080" << 0;
        QTest::newRow("direct keeps host and port") << 1 << "8080" << 8080;
        QTest::newRow("HTTP(S)") << 2 << "3128" << 3128;
        QTest::newRow("SOCKS5, port with blanks") << 3 << " 81 " << 81;
        QTest::newRow("port 65535") << 2 << "65535" << 65535;
        QTest::newRow("port 65536 wraps to 0") << 2 << "65536" << 0;
    }

    void proxyFromPage()
    {
        QFETCH(int, row);
        QFETCH(QString, port);
        QFETCH(int, portNumber);
        TabOnStore t;
        Fill(t, row, "  proxy.example  ", port);
        QNetworkProxy proxy(QNetworkProxy::DefaultProxy);
        QCOMPARE(t.tab.GetProxy(proxy), row > 0);
        if (row == 0) {
            QCOMPARE(proxy, QNetworkProxy(QNetworkProxy::DefaultProxy));
            return;
        }
        QCOMPARE(proxy.type(), Types[row]);
        QCOMPARE(proxy.hostName(), "proxy.example");
        QCOMPARE(int(proxy.port()), portNumber);
        QCOMPARE(proxy.user(), "bob");
        QCOMPARE(proxy.password(), " pa ss ");
    }

    // Apply puts a usable proxy in force and stores it; an own proxy without a
    // usable server or port is never put in force, nor stored.
    void apply_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("marked"); // empty: applied
        QTest::newRow("system") << 0 << "proxy.example" << "3128" << "";
        QTest::newRow("direct") << 1 << "proxy.example" << "3128" << "";
        QTest::newRow("HTTP(S), port 1") << 2 << "proxy.example" << "1" << "";
        QTest::newRow("SOCKS5, port 65535") << 3 << "proxy.example" << "65535" << "";
        QTest::newRow("port 0") << 2 << "proxy.example" << "0" << "ProxyPort";
        QTest::newRow("port 65536") << 3 << "proxy.example" << "65536" << "ProxyPort";
        QTest::newRow("no server") << 2 << "" << "3128" << "ProxyServer";
        QTest::newRow("blank in the server") << 3 << "proxy example" << "1080" << "ProxyServer";
    }

    void apply()
    {
        QFETCH(int, row);
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, marked);
        TabOnStore t;
        const auto before = StoreContents();
        const bool system = QNetworkProxyFactory::usesSystemConfiguration();
        records.clear();
        Fill(t, row, host, port);
        // The fields are the user's only for an own proxy.
        QCOMPARE(t.edit("ProxyPassword")->isEnabled(), row > 1);
        t.click(t.button("ApplyBut"));

        QCOMPARE(t.button("ApplyBut")->isEnabled(), !marked.isEmpty());
        if (!marked.isEmpty()) {
            QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), system);
            QCOMPARE(QNetworkProxy::applicationProxy(), QNetworkProxy(QNetworkProxy::NoProxy));
            QVERIFY(StoreContents() == before);
            QCOMPARE(t.edit(qPrintable(marked))->property("isError").toBool(), true);
            QCOMPARE(records.texts,
                QStringList { "The proxy settings were not applied: the proxy server or port is not valid." });
            return;
        }
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), row == 0);
        const QNetworkProxy applied = QNetworkProxy::applicationProxy();
        if (row > 0) {
            QCOMPARE(applied.type(), Types[row]);
            QCOMPARE(applied.hostName(), "proxy.example");
            QCOMPARE(applied.port(), quint16(port.toInt()));
            QCOMPARE(applied.password(), " pa ss ");
        }
        QSettings* store = SettingsStore();
        QCOMPARE(store->value("Options/ProxyType").toInt(), row);
        QCOMPARE(store->value("Options/ProxyServer").toString(), "proxy.example");
        QCOMPARE(store->value("Options/ProxyPort").toString(), port);
        QCOMPARE(QCipher::DecryptString(store->value("Options/ProxyLogin").toString()), " bob ");
        QCOMPARE(QCipher::DecryptString(store->value("Options/ProxyPassword").toString()), " pa ss ");
        store->sync();
        QVERIFY(!contentOf(t.settings.path).contains("pa ss"));
    }

    // The start puts a usable stored proxy in force, an unusable one not (nor does it write anything: tst_settingstab).
    void startApplies_data()
    {
        QTest::addColumn<int>("port");
        QTest::newRow("usable") << 3128;
        QTest::newRow("port 0") << 0;
    }

    void startApplies()
    {
        QFETCH(int, port);
        TabOnStore t({ { "ProxyType", 2 }, { "ProxyServer", "proxy.example" }, { "ProxyPort", port } });
        // Not applied: the system's proxy that the tab was built with stays in force.
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), port == 0);
        QCOMPARE(QNetworkProxy::applicationProxy().hostName(), port ? "proxy.example" : "");
        QCOMPARE(t.button("ApplyBut")->isEnabled(), port == 0);
    }

    void importSystemProxy_data()
    {
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::newRow("https proxy") << QByteArray("http://127.0.0.1:3128") << 2 << "127.0.0.1" << "3128";
        QTest::newRow("socks proxy") << QByteArray("socks5://127.0.0.1:1080") << 3 << "127.0.0.1" << "1080";
        QTest::newRow("none") << QByteArray() << 1 << "" << "0";
    }

    void importSystemProxy()
    {
        QFETCH(QByteArray, environment);
        QFETCH(int, row);
        QFETCH(QString, host);
        QFETCH(QString, port);
        for (const char* name : { "http_proxy", "https_proxy", "all_proxy", "no_proxy" })
            qunsetenv(name);
        if (!environment.isEmpty())
            qputenv("https_proxy", environment);
        TabOnStore t({ { "ProxyType", 1 } }); // the system's proxy not in force
        const auto before = StoreContents();
        const bool system = QNetworkProxyFactory::usesSystemConfiguration();
        t.edit("ProxyLogin")->setText("earlier user");
        t.edit("ProxyPassword")->setText("earlier password");
        t.tab.ProxyImportSystemSettings();
        qunsetenv("https_proxy");

        QCOMPARE(t.combo("ProxyType")->currentIndex(), row);
        QCOMPARE(t.edit("ProxyServer")->text(), host);
        QCOMPARE(t.edit("ProxyPort")->text(), port);
        // The system's proxies here ask for no user: nothing earlier stays.
        QCOMPARE(t.edit("ProxyLogin")->text(), "");
        QCOMPARE(t.edit("ProxyPassword")->text(), "");
        // Imported, not applied and not stored.
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), system);
        QVERIFY(StoreContents() == before);
    }

    // Apply gives the web login a new login page, fetched through the proxy now in force.
    void applyRenewsLoginPage()
    {
        TabOnStore t({ { "LoginType", 0 } });
        const QPointer<QWebPage> before = t.find<QWebView>("BetFairPage")->page();
        Fill(t, 1, "proxy.example", "3128");
        t.click(t.button("ApplyBut"));
        QVERIFY(t.find<QWebView>("BetFairPage")->page() != before.data());
    }

    // The answers are shown at every level; the buttons come back each time.
    void connectionTest_data()
    {
        QTest::addColumn<ScriptedReply>("page");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("box");

        const QString failed = "Critical: Checking connection failed: Network error: ";
        const QString apply = "Question: Your connection looks good.<br>Would you like to apply these settings?";
        QTest::newRow("good") << LoginPage(true) << false << 0 << "Information: Your connection looks good";
        QTest::newRow("good, edits pending, applied") << LoginPage(true) << true << int(QMessageBox::Yes) << apply;
        QTest::newRow("good, edits pending, kept") << LoginPage(true) << true << int(QMessageBox::No) << apply;
        QTest::newRow("page without the key")
            << LoginPage(false) << false << 0 << failed + "*Your current location is detected as GB.*";
        QTest::newRow("held past the transfer limit")
            << LoginPage(true).held() << false << 0 << failed + "Transfer timed out.*";
        // The key would be found, but not in a page past the bound.
        ScriptedReply huge = LoginPage(true);
        huge.body += QByteArray(QNetwork::MaxReplySize + 1 - huge.body.size(), ' ');
        QTest::newRow("page one byte past the bound")
            << huge.inChunks() << false << 0 << failed + "The reply is larger than 64 MB.*";
        QTest::newRow("cancelled") << LoginPage(true).held() << false << 0
                                   << "Critical: Checking connection failed: Cancelled";
    }

    void connectionTest()
    {
        QFETCH(ScriptedReply, page);
        QFETCH(bool, pending);
        QFETCH(int, answer);
        QFETCH(QString, box);
        server.setReply("GET", "/view/login", page);
        server.setReply("GET", "/country", ScriptedReply::text("GB\n"));
        const bool cancel = box.endsWith("Cancelled");
        // Short only where the limit is what the row tests: a busy machine may take longer to answer.
        if (box.endsWith("Transfer timed out.*"))
            QNetwork::TransferTimeout = 300;
        Boxes boxes { QMessageBox::StandardButton(answer) };
        TabOnStore t({ { "ProxyType", 1 } });
        SetInteractiveLevel(2);
        if (pending)
            Fill(t, 1, "proxy.example", "8080");

        t.click(t.button("ProxyTest"));
        QVERIFY(!t.button("ProxyTest")->isEnabled());
        QVERIFY(t.button("CancelTest")->isEnabled());
        if (cancel) {
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
            t.click(t.button("CancelTest"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(t.button("ProxyTest")->isEnabled(), Patience);
        QNetwork::TransferTimeout = 60000;
        server.releaseAll();

        QVERIFY(!t.button("CancelTest")->isEnabled());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(Matches(boxes.shown.first(), box), qPrintable(boxes.shown.first()));
        QCOMPARE(boxes.topics, box.startsWith("Critical") ? "BetFairFormat" : "");
        const bool applied = pending && answer == QMessageBox::Yes;
        QCOMPARE(t.button("ApplyBut")->isEnabled(), pending && !applied);
        QCOMPARE(SettingsStore()->contains("Options/ProxyServer"), applied);
    }

    // The check's text comes from outside: shown as it came, never rendered.
    void failureShownAsTyped()
    {
        Boxes boxes;
        TabOnStore t;
        t.tab.TestInternetFinished("Network error: <b>proxy</b> & co");
        QCOMPARE(boxes.shown,
            QStringList { "Critical: Checking connection failed: Network error: &lt;b&gt;proxy&lt;/b&gt; &amp; co" });
    }

    // The tab goes while its test waits: the check ends with it and its
    // reply is aborted (the connection closes); nothing is shown.
    void tabGoesMidTest()
    {
        server.setReply("GET", "/view/login", LoginPage(true).held());
        Boxes boxes;
        {
            TabOnStore t({ { "ProxyType", 1 } });
            t.click(t.button("ProxyTest"));
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
        QCOMPARE(boxes.shown, QStringList());
    }
};

QTEST_MAIN(tst_Connection)
#include "tst_connection.moc"
