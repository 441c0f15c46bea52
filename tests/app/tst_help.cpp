#include "MainWindowTest.h"

#include "ClosedPort.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"

#include <QWebFrame>
#include <QWebView>

namespace {

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// The product's help page as the window expects it: showHelp takes "#" and a topic.
const QByteArray HelpPage = R"(<html><head><script>
    var shown = '';
    function showHelp(anchor) { shown = anchor; document.title = 'shown'; }
    </script></head><body onload="document.title = 'ready'">Help</body></html>)";

QWebView* helpView(const Started& w)
{
    return w.get<QWebView>("helpView");
}

// What the page's showHelp was given last.
QString shownTopic(const Started& w)
{
    return helpView(w)->page()->mainFrame()->evaluateJavaScript("shown").toString();
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

    // Help on a box: the help tab, and the page's showHelp with the topic as it was given, never run as
    // script.
    void showsTopic_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("path");
        Row("search", "", "search", "/help/");
        Row("Russian site", "ru_RU", "search", "/ru/help/");
        Row("quotes", "", R"(it's "a" \' \")", "/help/");
        Row("script end", "", "x'); document.title = ('pwned", "/help/");
        Row("line breaks", "", QString("one\ntwo\u2028three\u2029"), "/help/");
    }

    void showsTopic()
    {
        QFETCH(QString, language);
        QFETCH(QString, topic);
        QFETCH(QString, path);
        const ProgramTranslation translation(language);
        site.clearRequests();
        Started s;
        QTRY_COMPARE_WITH_TIMEOUT(helpView(s)->title(), QString("ready"), Patience);
        QCOMPARE(site.lastRequest().path(), path);
        s.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        ShowWarning("Something is wrong", topic);
        QCOMPARE(s.user.topics, QStringList(topic));
        QCOMPARE(s.tab(), int(MainWindow::HelpTab));
        QCOMPARE(helpView(s)->title(), QString("shown"));
        QCOMPARE(shownTopic(s), "#" + topic);
    }

    // Without the site a short message of ours, with the address, stands in for the page.
    void offline()
    {
        const ClosedPort closed;
        const QString nowhere = closed.url();
        ProductSite::English = nowhere;
        Started s;
        const auto shown = [&s] { return helpView(s)->page()->mainFrame()->toPlainText(); };
        QTRY_VERIFY_WITH_TIMEOUT(shown().startsWith("The help is not available"), Patience);
        QVERIFY(shown().contains(nowhere + "/help/"));
        s.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        s.window->onGetHelp("search");
        QCOMPARE(s.tab(), int(MainWindow::HelpTab));
        QVERIFY(shown().startsWith("The help is not available"));
        ProductSite::English = site.url();
    }
};

TW_WINDOW_TEST_MAIN(tst_Help)
#include "tst_help.moc"
