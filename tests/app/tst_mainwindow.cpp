#include "MainWindowTest.h"

#include "ErrorMark.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QBetFairCharts.h"
#include "QLog.h"
#include "QSearcherModel.h"

#include <QLineEdit>
#include <QTextDocument>

namespace {

bool anyWindowKey()
{
    const QStringList keys = { "Window/State", "Window/Geometry", "Window/curTab" };
    return std::any_of(
        keys.cbegin(), keys.cend(), [](const QString& key) { return SettingsStore()->contains(key); });
}

// The messages of the log panel, oldest first.
QStringList logged(const Started& w)
{
    QStringList lines;
    const auto* log = w.get<QTreeWidget>("Log");
    for (int i = 0; i < log->topLevelItemCount(); ++i)
        lines << log->topLevelItem(i)->text(1);
    return lines;
}

// The value of the first condition of a template file; 0 without one.
int volumeIn(const QString& path)
{
    return QJsonDocument::fromJson(contentOf(path)).object().value("conditions")[0]["V1"].toInt();
}

// Demo, or its rows under "[Unsaved]", changed to a volume of 555.
void changeTemplate(const Started& w, bool named)
{
    if (!named)
        w.templates()->ReloadTemplates(QString());
    QLineEdit* value = w.templates()->findChild<QLineEdit*>("Value1");
    value->selectAll();
    QTest::keyClicks(value, "555");
    QVERIFY(w.templates()->IsChanged());
}

QString filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name).join(' ');
}

bool logIconIs(const Started& w, const QString& name)
{
    return SamePicture(
        w.tabs()->tabIcon(MainWindow::LogTab).pixmap(16, 16).toImage(), ":/icons/" + name + ".png");
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

    // The product site, for the help page every window loads.
    HttpTestServer site;
    std::optional<LocalExchange> local;

private slots:
    void initTestCase()
    {
        local.emplace(site);
        InitProgramTables();
    }

    void freshStart()
    {
        Started s;
        QCOMPARE(s.tab(), int(MainWindow::HelpTab));
        QCOMPARE(s.title(), QString("Tarnwickstone"));
        QVERIFY(s.results()->isHidden() && !s.get("Nothing")->isHidden());
        QVERIFY(s.user.boxes.isEmpty());
        // The codes the results view selects by.
        QStringList codes;
        for (int i = 0; i < s.select()->count(); ++i)
            codes << s.select()->itemData(i).toString();
        QCOMPARE(codes.join(' '),
            QString(
                "Nothing Favs Losers Home Away Draw MaxV MinV MatchedBets UnmatchedBets Matched All Manual"));
        QCOMPARE(s.rule(), QString("Nothing"));
        // Idle with nothing found yet: no search to repeat or cancel, no results to act on.
        QStringList enabled;
        for (const char* name : { "PerformBut", "PresetsRow", "ConditionsFrame", "Select", "Expand", "Collapse",
                 "Reload", "UpdatePrices", "SearchBut", "CancelBut", "ShowCharts" })
            if (s.enabled(name))
                enabled << name;
        QCOMPARE(enabled.join(' '), QString("PresetsRow ConditionsFrame Select SearchBut"));
        // No smaller than the form, nor than its panels need (the actions strip in a long language).
        s.window->show();
        s.tabs()->setCurrentIndex(MainWindow::ResultsTab);
        s.window->resize(400, 300);
        QApplication::processEvents();
        QVERIFY(s.window->width() >= 850 && s.window->height() == 600);
        QVERIFY(s.actions()->width() >= s.actions()->minimumSizeHint().width());

        // The style sheet's error rule reaches the settings tab's edits too.
        s.tabs()->setCurrentIndex(MainWindow::SettingsTab);
        s.settings()->setCurrentIndex(Settings::MailPage);
        auto* edit = s.settings()->findChild<QLineEdit*>("SMTPport");
        edit->clear();
        const auto middle
            = [edit] { return edit->grab().toImage().pixelColor(edit->width() / 3, edit->height() / 2); };
        SetErrorMark(edit, true);
        QCOMPARE(middle(), QColor("#FF9999"));
        SetErrorMark(edit, false);
        QVERIFY(middle() != QColor("#FF9999"));
    }

    void restoresTab_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("warnings");
        Row("nothing stored: help", QVariant(), 4, 1);
        Row("results become conditions", QVariant(1), 0, 1);
        Row("log, counters reset", QVariant(2), 2, 0);
        Row("the last", QVariant(4), 4, 1);
        Row("one past the last", QVariant(5), 0, 1);
    }

    void restoresTab()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, current);
        QFETCH(int, warnings);
        // Written before the log panel exists, counted when it registers.
        QLog::Write(QLog::QLogType::Warning, "early warning");
        Started s(stored.isValid() ? QVariantMap { { "Window/curTab", stored } } : QVariantMap());
        QCOMPARE(s.tab(), current);
        QCOMPARE(s.get("Log")->property("warnings").toInt(), warnings);
        QVERIFY(logged(s).contains("early warning"));
    }

    // Geometry and tab come back.
    void keepsWindowState()
    {
        Started s;
        s.window->show();
        s.window->setGeometry(40, 50, 1000, 700);
        s.tabs()->setCurrentIndex(MainWindow::LogTab);
        QVERIFY(s.window->close());
        s.window.reset();
        // Nothing asked for an unchanged template; the store closed by the window as it went.
        QVERIFY(s.user.boxes.isEmpty() && !SettingsStore());
        s.start();
        QCOMPARE(s.window->geometry(), QRect(40, 50, 1000, 700));
        QCOMPARE(s.tab(), int(MainWindow::LogTab));
    }

    void closing_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("named"); // Demo (1 condition) or "[Unsaved]"
        QTest::addColumn<bool>("writable");
        QTest::addColumn<Buttons>("answers");
        QTest::addColumn<QString>("name"); // given at the name prompt; none: cancelled
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("boxes"); // icons of the boxes shown, in order
        QTest::addColumn<QString>("saved"); // the file holding the changed template afterwards, if any
        using B = QMessageBox::StandardButton;
        Row("0: cancel", 0, true, true, Buttons { B::Cancel }, "", false, "Question", "");
        Row("0: discard", 0, true, true, Buttons { B::Discard }, "", true, "Question", "");
        Row("0: save", 0, true, true, Buttons { B::Save }, "", true, "Question", "Demo");
        Row("2: saved unasked", 2, true, true, Buttons(), "", true, "", "Demo");
        Row("0: save, name cancelled", 0, false, true, Buttons { B::Save }, "", false, "Question", "");
        Row("2: name cancelled is discard", 2, false, true, Buttons(), "", true, "", "");
        Row("2: name given", 2, false, true, Buttons(), "Fresh", true, "", "Fresh");
        Row("2: write failed, stay", 2, true, false, Buttons { B::No }, "", false, "Critical Question", "");
        Row("1: write failed, close", 1, true, false, Buttons { B::Yes }, "", true, "Critical Question", "");
        Row("0: save, write failed", 0, true, false, Buttons { B::Save }, "", false, "Question Critical", "");
    }

    // Closing never loses a changed template without the user's word.
    void closing()
    {
        QFETCH(int, level);
        QFETCH(bool, named);
        QFETCH(bool, writable);
        QFETCH(Buttons, answers);
        QFETCH(QString, name);
        QFETCH(bool, closed);
        QFETCH(QString, boxes);
        QFETCH(QString, saved);
        Started s({}, VolumeTemplate(100));
        s.user.answers = answers;
        if (!name.isEmpty())
            s.user.names << name;
        s.window->show();
        SetInteractiveLevel(level);
        changeTemplate(s, named);
        {
            std::optional<Unprivileged> nobody;
            if (!writable)
                nobody.emplace();
            QCOMPARE(s.window->close(), closed);
        }
        const QRegularExpression text(":.*", QRegularExpression::DotMatchesEverythingOption);
        QCOMPARE(s.user.boxes.replaceInStrings(text, "").join(' '), boxes);
        QCOMPARE(anyWindowKey(), closed);
        QCOMPARE(volumeIn(s.pathOf("Demo")), saved == "Demo" ? 555 : 100);
        QCOMPARE(filesIn(s.folder), saved == "Fresh" ? "Demo.twt Fresh.twt" : "Demo.twt");
        if (saved == "Fresh")
            QCOMPARE(volumeIn(s.pathOf("Fresh")), 555);
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("argument"); // %1: the data folder
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("files");
        Row("inside, extra ignored", "%1/configtemplates/Demo.twt", "Demo display", "Demo", "", "Demo Other");
        Row("outside: copied in", "%1/Third.twt", "Third", "Third", "", "Demo Other Third");
        Row("missing", "%1/no & such.twt", "Other", "Other",
            "Critical: File '%1/no &amp; such.twt' not found", "Demo Other");
        Row("none", "", "Other", "Other", "", "Demo Other");
    }

    // The remembered name is the file's, so the next start opens it again.
    void commandLine()
    {
        QFETCH(QString, argument);
        QFETCH(QString, shown);
        QFETCH(QString, remembered);
        QFETCH(QString, box);
        QFETCH(QString, files);
        Started s({ { "Window/curTemplate", "Other" } }, {}, false);
        s.write("Demo", VolumeTemplate(100, R"("name": {"eng": "Demo display"}, )"));
        s.write("Other", VolumeTemplate(200));
        writeFile(s.dir.filePath("Third.twt"), VolumeTemplate(300));
        if (!argument.isEmpty())
            ProgramArguments::Set({ argument.arg(s.dir.path()), s.pathOf("Other") });
        s.start();
        QCOMPARE(s.title(), shown + " - Tarnwickstone");
        QCOMPARE(SettingsStore()->value("Window/curTemplate").toString(), remembered);
        QCOMPARE(s.user.boxes, box.isEmpty() ? QStringList() : QStringList(box.arg(s.dir.path())));
        QCOMPARE(s.user.topics, box.isEmpty() ? QStringList() : QStringList("Arguments"));
        QCOMPARE(filesIn(s.folder).remove(".twt"), files);
        // Listed as at a plain start: "[Unsaved]" and every file.
        QCOMPARE(s.templates()->findChild<QComboBox*>("TemplatesList")->count(), files.count(' ') + 2);
        ProgramArguments::Set({});
        s.start();
        QCOMPARE(s.title(), shown + " - Tarnwickstone");
    }

    void titlesFollowTemplate()
    {
        Started s({}, VolumeTemplate(100));
        s.write("Odd", VolumeTemplate(100, R"("name": {"eng": "%2 and %1"}, )"));
        changeTemplate(s, true);
        QCOMPARE(s.title(), QString("Demo* - Tarnwickstone"));
        s.templates()->SaveTemplate();
        QCOMPARE(s.title(), QString("Demo - Tarnwickstone"));
        s.templates()->ReloadTemplates("Odd");
        QCOMPARE(s.title(), QString("%2 and %1 - Tarnwickstone"));
        s.templates()->ReloadTemplates(QString());
        QCOMPARE(s.title(), QString("Tarnwickstone"));
        QCOMPARE(SettingsStore()->value("Window/curTemplate").toString(), QString(""));
    }

    void statusBar_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("tabIcon");
        QTest::addColumn<QString>("statusIcon");
        Row("information", 0, "report", "blank");
        Row("warning", 1, "report_warning", "exclamation");
        Row("error", 2, "report_error", "error");
    }

    // Any record, a server's text among them, is shown as typed, never as markup.
    void statusBar()
    {
        QFETCH(int, type);
        QFETCH(QString, tabIcon);
        QFETCH(QString, statusIcon);
        Started s;
        const QString text = "<b>Bold</b> & <i>more</i>";
        QLog::Write(QLog::QLogType(type), text);
        const QString shown = s.get<QLabel>("StatusMessage")->text();
        QTextDocument document;
        document.setHtml(shown);
        QCOMPARE(document.toPlainText(), text);
        QVERIFY(logIconIs(s, tabIcon));
        QVERIFY(SamePicture(s.get<QLabel>("StatusIcon")->pixmap(Qt::ReturnByValue).toImage(),
            ":/icons/" + statusIcon + ".png"));
    }

    // The newest trouble marks the log tab until the log is shown; a long record widens nothing.
    void logTabMarks()
    {
        Started s;
        s.window->show();
        QLog::Write(QLog::QLogType::Error, "failed");
        QLog::Write(QLog::QLogType::Info, "went on");
        QVERIFY(logIconIs(s, "report_error"));
        QLog::Write(QLog::QLogType::Warning, "careful");
        QVERIFY(logIconIs(s, "report_warning"));
        QCOMPARE(s.get("Log")->property("errors").toInt(), 1);
        QTest::mouseClick(s.get("StatusMessage"), Qt::LeftButton);
        QCOMPARE(s.tab(), int(MainWindow::LogTab));
        QVERIFY(logIconIs(s, "report"));
        QCOMPARE(s.get("Log")->property("errors").toInt() + s.get("Log")->property("warnings").toInt(), 0);

        QApplication::processEvents();
        const int width = s.window->width();
        QLog::Write(QLog::QLogType::Error, QString("a long record ").repeated(200));
        QApplication::processEvents();
        QCOMPARE(s.window->width(), width);
    }

    // Ctrl+1 to Ctrl+5 from another window of the program.
    void tabShortcutsReachEveryWindow()
    {
        Started s;
        s.window->show();
        s.window->ShowCharts();
        QWidget* charts = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            charts = qobject_cast<QBetFairCharts*>(top) ? top : charts;
        QVERIFY(charts && charts->isVisible());
        charts->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(charts));
        for (int tab = 4; tab >= 0; --tab) {
            QTest::keyClick(charts, Qt::Key(Qt::Key_1 + tab), Qt::ControlModifier);
            QCOMPARE(s.tab(), tab);
        }
        // Closing the main window hides the charts window with it.
        QVERIFY(s.window->close());
        QVERIFY(charts->isHidden());
    }

    // "Manual" is shown but never stored; the found count and its time.
    void selectRule()
    {
        Started s({ { "Select", "MaxV" } });
        QCOMPARE(s.rule(), QString("MaxV"));
        s.window->SetSelectManualy();
        QCOMPARE(s.rule(), QString("Manual"));
        QCOMPARE(SettingsStore()->value("Select").toString(), QString("MaxV"));
        s.select()->setCurrentIndex(s.select()->findData("Favs"));
        emit s.results()->ManualSelection();
        QCOMPARE(s.rule(), QString("Manual"));

        emit s.results()->NotifyFoundSelections(17);
        QCOMPARE(
            s.select()->itemText(s.select()->findData("Matched")), QString("Matched the conditions [17]"));
        const QString shown = s.get<QLabel>("TimestampLabel")->text();
        const QDateTime moment = QLocale().toDateTime(shown, QLocale::ShortFormat);
        QVERIFY2(
            moment.isValid() && qAbs(moment.secsTo(QDateTime::currentDateTime())) < 120, qPrintable(shown));
        s.start();
        QCOMPARE(s.rule(), QString("Favs"));
    }

    void countryOptions_data()
    {
        QTest::addColumn<bool>("shown");
        Row("shown", true);
        Row("hidden", false);
    }

    // The stored country options reach the results at start: a market row's flag and country name.
    void countryOptions()
    {
        QFETCH(bool, shown);
        Started s({ { "Options/showCountryFlags", shown }, { "Options/ShowCountryTooltip", shown } });
        auto* market = new QStandardItem(QIcon(":/countries/blank.png"), "Event 1");
        market->setToolTip("United Kingdom");
        s.results()->Model()->appendRow(market);
        QCOMPARE(market->index().data(Qt::DecorationRole).isValid(), shown);
        QCOMPARE(market->index().data(Qt::ToolTipRole).isValid(), shown);
    }

    void savesBeforeSearch_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("saved");
        Row("unchanged", true, false, false);
        Row("changed", true, true, true);
        Row("[Unsaved], changed", false, true, false);
    }

    // Saved without a question; never a name prompt before a search, nor a needless write.
    void savesBeforeSearch()
    {
        QFETCH(bool, named);
        QFETCH(bool, changed);
        QFETCH(bool, saved);
        Started s({}, VolumeTemplate(100));
        if (changed)
            changeTemplate(s, named);
        emit s.results()->NotifyNeedSave();
        QCOMPARE(contentOf(s.pathOf("Demo")) == VolumeTemplate(100), !saved);
        QCOMPARE(volumeIn(s.pathOf("Demo")), saved ? 555 : 100);
        QCOMPARE(filesIn(s.folder), QString("Demo.twt"));
        QVERIFY(s.user.prompts == 0 && s.user.boxes.isEmpty());
    }

    // A translated "Esc" would silently lose the key.
    void shortcutsSurviveTranslation()
    {
        const char* const buttons[]
            = { "CancelBut", "SearchBut", "Expand", "Collapse", "Reload", "UpdatePrices", "PerformBut" };
        Started s;
        QMap<QString, QKeySequence> english;
        for (const char* name : buttons)
            english[name] = qobject_cast<QAbstractButton*>(s.part(name))->shortcut();
        QCOMPARE(english["CancelBut"], QKeySequence(Qt::Key_Escape));
        const ProgramTranslation russian("ru_RU");
        QVERIFY(russian.isValid());
        s.start();
        QVERIFY(s.tabs()->tabText(0) != "Search conditions");
        for (const char* name : buttons)
            QVERIFY2(qobject_cast<QAbstractButton*>(s.part(name))->shortcut() == english[name], name);
    }
};

TW_WINDOW_TEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
