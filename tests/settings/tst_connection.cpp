#include "SettingsTab.h"

#include "HttpTestServer.h"
#include "LanguageSetup.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QCipher.h"
#include "QLog.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QPushButton>
#include <QRegExp>

#include <cstdlib>

namespace {

constexpr int Patience = 20000;

ScriptedReply LoginPage(bool withKey)
{
    return ScriptedReply::text("<html>" + (withKey ? QBetFair::AppKey.toUtf8() : QByteArray("no key")) + "</html>",
        "text/html");
}

} // namespace

class tst_Connection : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QLog log;
    QStringList records;

    // Fills the page as a user would leave it, without applying it.
    static void fill(SettingsTab& t, int row, const QString& host, const QString& port, const QString& user,
        const QString& password)
    {
        t.combo("ProxyType")->setCurrentIndex(row);
        t.edit("ProxyServer")->setText(host);
        t.edit("ProxyPort")->setText(port);
        t.edit("ProxyLogin")->setText(user);
        t.edit("ProxyPassword")->setText(password);
        t.tab.EnableApplyConnectionSettings(); // as the end of an edit does
    }

    QPushButton* button(SettingsTab& t, const char* name) { return t.find<QPushButton>(name); }

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        connect(&log, &QLog::Logged, this, [this](QLog::QLogType, const QString& text) { records << text; });
    }

    void init()
    {
        records.clear();
        server.clearRequests();
        SetInteractiveLevel(0);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        QNetworkProxyFactory::setUseSystemConfiguration(false);
    }

    void cleanupTestCase()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        QNetworkProxyFactory::setUseSystemConfiguration(false);
    }

    void proxyFromPage_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("own");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("portNumber");

        QTest::newRow("system") << 0 << "8080" << false << int(QNetworkProxy::DefaultProxy) << 0;
        QTest::newRow("direct keeps host and port") << 1 << "8080" << true << int(QNetworkProxy::NoProxy) << 8080;
        QTest::newRow("HTTP(S)") << 2 << "3128" << true << int(QNetworkProxy::HttpProxy) << 3128;
        QTest::newRow("SOCKS5") << 3 << "1080" << true << int(QNetworkProxy::Socks5Proxy) << 1080;
        QTest::newRow("port 65535") << 2 << "65535" << true << int(QNetworkProxy::HttpProxy) << 65535;
        QTest::newRow("port 65536 wraps to 0") << 2 << "65536" << true << int(QNetworkProxy::HttpProxy) << 0;
        QTest::newRow("port 70000 taken as 16 bits") << 2 << "70000" << true << int(QNetworkProxy::HttpProxy) << 4464;
        QTest::newRow("port with blanks") << 3 << " 81 " << true << int(QNetworkProxy::Socks5Proxy) << 81;
        QTest::newRow("port of letters") << 2 << "ab" << true << int(QNetworkProxy::HttpProxy) << 0;
    }

    void proxyFromPage()
    {
        QFETCH(int, row);
        QFETCH(QString, port);
        QFETCH(bool, own);
        QFETCH(int, type);
        QFETCH(int, portNumber);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        fill(t, row, "  proxy.example  ", port, " bob ", " pa ss ");
        QNetworkProxy proxy(QNetworkProxy::DefaultProxy);
        QCOMPARE(t.tab.GetProxy(proxy), own);
        QCOMPARE(int(proxy.type()), type);
        if (!own) {
            QCOMPARE(proxy, QNetworkProxy(QNetworkProxy::DefaultProxy));
            return;
        }
        QCOMPARE(proxy.hostName(), "proxy.example");
        QCOMPARE(int(proxy.port()), portNumber);
        QCOMPARE(proxy.user(), "bob");
        QCOMPARE(proxy.password(), " pa ss ");
    }

    void fieldsFollowTheType()
    {
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        for (int row = 0; row < 4; ++row) {
            t.combo("ProxyType")->setCurrentIndex(row);
            for (const char* field : { "ProxyServer", "ProxyPort", "ProxyLogin", "ProxyPassword" })
                QCOMPARE(t.edit(field)->isEnabled(), row > 1);
        }
        QCOMPARE(t.combo("ProxyType")->itemText(2), "HTTP(S) proxy");
        QCOMPARE(t.combo("ProxyType")->itemText(3), "SOCKS5 proxy");
    }

    void apply_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("system") << 0;
        QTest::newRow("direct") << 1;
        QTest::newRow("HTTP(S)") << 2;
        QTest::newRow("SOCKS5") << 3;
    }

    void apply()
    {
        QFETCH(int, row);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        fill(t, row, "proxy.example", "3128", " bob ", " pw ");
        QVERIFY(button(t, "ApplyBut")->isEnabled());
        QTest::mouseClick(button(t, "ApplyBut"), Qt::LeftButton);

        QVERIFY(!button(t, "ApplyBut")->isEnabled());
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), row == 0);
        const QNetworkProxy applied = QNetworkProxy::applicationProxy();
        if (row > 0) {
            const QNetworkProxy::ProxyType types[] = { QNetworkProxy::DefaultProxy, QNetworkProxy::NoProxy,
                QNetworkProxy::HttpProxy, QNetworkProxy::Socks5Proxy };
            QCOMPARE(applied.type(), types[row]);
            QCOMPARE(applied.hostName(), "proxy.example");
            QCOMPARE(applied.port(), quint16(3128));
            QCOMPARE(applied.user(), "bob");
            QCOMPARE(applied.password(), " pw ");
        }
        QSettings* store = settings.store();
        QCOMPARE(store->value("Options/ProxyType").toInt(), row);
        QCOMPARE(store->value("Options/ProxyServer").toString(), "proxy.example");
        QCOMPARE(store->value("Options/ProxyPort").toInt(), 3128);
        QCOMPARE(QCipher::DecryptString(store->value("Options/ProxyLogin").toString()), " bob ");
        QCOMPARE(QCipher::DecryptString(store->value("Options/ProxyPassword").toString()), " pw ");
        store->sync();
        QVERIFY(!contentOf(settings.path).contains(" pw "));
    }

    // An own proxy without a usable server or port is never put in force.
    void invalidProxyNotApplied_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("marked");
        QTest::newRow("port 0") << 2 << "proxy.example" << "0" << "ProxyPort";
        QTest::newRow("port 65536") << 3 << "proxy.example" << "65536" << "ProxyPort";
        QTest::newRow("no server") << 2 << "" << "3128" << "ProxyServer";
        QTest::newRow("blank in the server") << 3 << "proxy example" << "1080" << "ProxyServer";
    }

    void invalidProxyNotApplied()
    {
        QFETCH(int, row);
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, marked);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        const auto before = StoreContents();
        const bool system = QNetworkProxyFactory::usesSystemConfiguration();
        const QNetworkProxy inForce = QNetworkProxy::applicationProxy();
        records.clear();
        fill(t, row, host, port, "", "");
        QTest::mouseClick(button(t, "ApplyBut"), Qt::LeftButton);

        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), system);
        QCOMPARE(QNetworkProxy::applicationProxy(), inForce);
        QCOMPARE(ChangedKeys(before, StoreContents()), QStringList());
        QCOMPARE(t.edit(qPrintable(marked))->property("isError").toBool(), true);
        QVERIFY(button(t, "ApplyBut")->isEnabled());
        QCOMPARE(records, QStringList { "The proxy settings were not applied: the proxy server or port is not valid." });
    }

    // The start puts a usable stored proxy in force (that it writes nothing back
    // is tst_settingstab's loadingStoresNothing).
    void startApplies_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("applied");
        QTest::newRow("usable") << 3128 << true;
        QTest::newRow("port 0") << 0 << false;
    }

    void startApplies()
    {
        QFETCH(int, port);
        QFETCH(bool, applied);
        const TempSettings settings;
        settings.store()->setValue("Options/ProxyType", 2);
        settings.store()->setValue("Options/ProxyServer", "proxy.example");
        settings.store()->setValue("Options/ProxyPort", port);
        SettingsTab t;
        t.tab.Load();
        // Not applied: the system's proxy that the tab was built with stays in force.
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), !applied);
        QCOMPARE(button(t, "ApplyBut")->isEnabled(), !applied);
        if (applied) {
            QCOMPARE(QNetworkProxy::applicationProxy().type(), QNetworkProxy::HttpProxy);
            QCOMPARE(QNetworkProxy::applicationProxy().hostName(), "proxy.example");
        }
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
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        const auto before = StoreContents();
        const bool system = QNetworkProxyFactory::usesSystemConfiguration();
        t.tab.ProxyImportSystemSettings();
        qunsetenv("https_proxy");

        QCOMPARE(t.combo("ProxyType")->currentIndex(), row);
        QCOMPARE(t.edit("ProxyServer")->text(), host);
        QCOMPARE(t.edit("ProxyPort")->text(), port);
        QVERIFY(t.tab.isEnabled());
        // Imported, not applied and not stored.
        QCOMPARE(QNetworkProxyFactory::usesSystemConfiguration(), system);
        QCOMPARE(ChangedKeys(before, StoreContents()), QStringList());
    }

    void connectionTest_data()
    {
        QTest::addColumn<ScriptedReply>("page");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("box");

        const QString failed = "Critical: Checking connection failed: Network error: ";
        QTest::newRow("good") << LoginPage(true) << false << int(QMessageBox::Yes) << "Information: Your connection looks good";
        QTest::newRow("good, edits pending, applied")
            << LoginPage(true) << true << int(QMessageBox::Yes)
            << "Question: Your connection looks good.<br>Would you like to apply these settings?";
        QTest::newRow("good, edits pending, kept")
            << LoginPage(true) << true << int(QMessageBox::No)
            << "Question: Your connection looks good.<br>Would you like to apply these settings?";
        QTest::newRow("page without the key") << LoginPage(false) << false << 0 << failed + "*Your current location is detected as GB.*";
        QTest::newRow("server error") << ScriptedReply::error(503) << false << 0 << failed + "*";
        QTest::newRow("held past the transfer limit") << LoginPage(true).held() << false << 0 << failed + "Transfer timed out.*";
    }

    void connectionTest()
    {
        QFETCH(ScriptedReply, page);
        QFETCH(bool, pending);
        QFETCH(int, answer);
        QFETCH(QString, box);
        server.setReply("GET", "/view/login", page);
        server.setReply("GET", "/country", ScriptedReply::text("GB\n"));
        QNetwork::TransferTimeout = 300;
        const TempSettings settings;
        settings.store()->setValue("Options/ProxyType", 1);
        Boxes boxes;
        boxes.answer = QMessageBox::StandardButton(answer);
        SetInteractiveLevel(2); // the answers are shown at every level
        SettingsTab t;
        t.tab.Load();
        if (pending) {
            t.edit("ProxyServer")->setText("proxy.example");
            t.tab.EnableApplyConnectionSettings();
        }
        const auto before = StoreContents();

        QTest::mouseClick(button(t, "ProxyTest"), Qt::LeftButton);
        QVERIFY(!button(t, "ProxyTest")->isEnabled());
        QVERIFY(button(t, "CancelTest")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(button(t, "ProxyTest")->isEnabled(), Patience);
        QNetwork::TransferTimeout = 60000;
        server.releaseAll();

        QVERIFY(!button(t, "CancelTest")->isEnabled());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(QRegExp(box, Qt::CaseSensitive, QRegExp::Wildcard).exactMatch(boxes.shown.first()),
            qPrintable(boxes.shown.first()));
        QCOMPARE(boxes.topics, box.startsWith("Critical") ? "BetFairFormat" : "");
        const bool applied = pending && answer == QMessageBox::Yes;
        QCOMPARE(button(t, "ApplyBut")->isEnabled(), pending && !applied);
        QCOMPARE(ChangedKeys(before, StoreContents()).contains("Options/ProxyServer"), applied);
        SetInteractiveLevel(0);
    }

    void cancelledTest()
    {
        server.setReply("GET", "/view/login", LoginPage(true).held());
        const TempSettings settings;
        settings.store()->setValue("Options/ProxyType", 1);
        Boxes boxes;
        SettingsTab t;
        t.tab.Load();
        QTest::mouseClick(button(t, "ProxyTest"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        QTest::mouseClick(button(t, "CancelTest"), Qt::LeftButton);
        QCOMPARE(boxes.shown, QStringList { "Critical: Checking connection failed: Cancelled" });
        QVERIFY(button(t, "ProxyTest")->isEnabled());
        QVERIFY(!button(t, "CancelTest")->isEnabled());
        server.releaseAll();
    }

    // The check's text comes from outside: shown as it came, never rendered.
    void failureShownAsTyped()
    {
        const TempSettings settings;
        Boxes boxes;
        SettingsTab t;
        t.tab.Load();
        t.tab.TestInternetFinished("Network error: <b>proxy</b> & co");
        QCOMPARE(boxes.shown,
            QStringList { "Critical: Checking connection failed: Network error: &lt;b&gt;proxy&lt;/b&gt; &amp; co" });
    }

    // Run with TW_SHOT_DIR set: the Connection page with an HTTP(S) proxy.
    void screenshots_data() { AddShotLanguages(); }

    void screenshots()
    {
        QFETCH(QString, language);
        SKIP_WITHOUT_SHOT_FOLDER();
        const ProgramTranslation translation(language);
        const TempSettings settings;
        SettingsTab t;
        // The main window's rule for marked fields.
        qApp->setStyleSheet("*[isError=\"true\"] { background: #FF9999 url(:/icons/error.png) no-repeat right center; }");
        t.tab.resize(835, 500);
        t.tab.Load();
        fill(t, 2, "proxy.example", "0", "bob", "secret");
        QTest::mouseClick(button(t, "ApplyBut"), Qt::LeftButton);
        t.tab.setCurrentIndex(Settings::ConnectionPage);
        t.tab.show();
        QTest::qWait(50);
        QVERIFY(t.tab.grab().save(ShotPath("connection_proxy", language)));
        qApp->setStyleSheet(QString());
    }
};

QTEST_MAIN(tst_Connection)
#include "tst_connection.moc"
