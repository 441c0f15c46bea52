#include "MainWindowTest.h"

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"

#include <QTcpServer>
#include <QWebFrame>
#include <QWebView>

namespace {

// The product's help page as the window expects it: showHelp takes "#" and a topic.
const QByteArray HelpPage = R"(<html><head><script>
    var shown = '';
    function showHelp(anchor) { shown = anchor; document.title = 'shown'; }
    </script></head><body onload="document.title = 'ready'">Help</body></html>)";

// What the page's showHelp was given last.
QString shownTopic(const Window& w)
{
    return w.get<QWebView>("helpView")->page()->mainFrame()->evaluateJavaScript("shown").toString();
}

QString shownText(const Window& w)
{
    return w.get<QWebView>("helpView")->page()->mainFrame()->toPlainText();
}

} // namespace

class tst_Help : public QObject
{
    Q_OBJECT

    HttpTestServer site;
    std::optional<LocalExchange> local;

private slots:
    void initTestCase()
    {
        InitProgramTables();
        local.emplace(site);
        const ScriptedReply page = ScriptedReply::text(HelpPage, "text/html");
        site.setReply("GET", "/help/", page);
        site.setReply("GET", "/ru/help/", page);
    }

    // Help on a box: the help tab, and the page's showHelp with the topic as it was given.
    void showsTopic_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("path");
        QTest::newRow("search") << ""
                                << "search"
                                << "/help/";
        QTest::newRow("Russian site") << "ru_RU"
                                      << "search"
                                      << "/ru/help/";
        QTest::newRow("quotes") << ""
                                << R"(it's "a" \' \")"
                                << "/help/";
        QTest::newRow("script end") << ""
                                    << "x'); document.title = ('pwned"
                                    << "/help/";
        QTest::newRow("line breaks") << "" << QString("one\ntwo\u2028three\u2029") << "/help/";
    }

    void showsTopic()
    {
        QFETCH(QString, language);
        QFETCH(QString, topic);
        QFETCH(QString, path);
        const ProgramTranslation translation(language);
        DataFolder data;
        Answering user;
        site.clearRequests();
        Window w;
        auto* view = w.get<QWebView>("helpView");
        QTRY_COMPARE(view->title(), QString("ready"));
        QCOMPARE(site.lastRequest().path(), path);
        w.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        ShowWarning("Something is wrong", topic);
        QCOMPARE(user.topics, QStringList(topic));
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::HelpTab));
        QCOMPARE(view->title(), QString("shown"));
        QCOMPARE(shownTopic(w), "#" + topic);
    }

    // Without the site a short message of ours stands in for the page.
    void offline()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString nowhere = QString("http://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        ProductSite::English = nowhere;
        DataFolder data;
        Answering user;
        Window w;
        QTRY_VERIFY(shownText(w).startsWith("The help is not available"));
        QVERIFY(shownText(w).contains(nowhere + "/help/"));
        w.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        w.window->onGetHelp("search");
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::HelpTab));
        QVERIFY(shownText(w).startsWith("The help is not available"));
        if (!qEnvironmentVariableIsEmpty("TW_SHOT_DIR")) {
            w.window->show();
            QTest::qWait(50);
            QVERIFY(w.window->grab().save(ShotPath("help_offline", "")));
        }
        ProductSite::English = site.url();
    }

    void offlineScreenshotRussian()
    {
        if (qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))
            QSKIP("TW_SHOT_DIR is not set");
        const ProgramTranslation translation("ru_RU");
        ProductSite::Russian = "http://127.0.0.1:1";
        DataFolder data;
        Answering user;
        Window w;
        w.window->show();
        QTRY_VERIFY(!shownText(w).isEmpty());
        QTest::qWait(50);
        QVERIFY(w.window->grab().save(ShotPath("help_offline", "ru_RU")));
        ProductSite::Russian = site.url("/ru");
    }

    void countryForbidden()
    {
        DataFolder data;
        Answering user;
        Window w;
        QTRY_COMPARE(w.get<QWebView>("helpView")->title(), QString("ready"));
        w.window->CountryForbidden();
        QCOMPARE(user.boxes,
            QStringList("Critical: It looks like BetFair is forbidden from your current location."
                        "<br><br>Try to set a proxy from Settings - Connection - Proxy"));
        QCOMPARE(user.topics, QStringList("CountryForbidden"));
        QCOMPARE(shownTopic(w), QString("#CountryForbidden"));
    }
};

TW_WINDOW_TEST_MAIN(tst_Help)
#include "tst_help.moc"
