#include "MainWindowTest.h"

#include "ErrorMark.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QBetFairCharts.h"
#include "QLog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTextDocument>

Q_DECLARE_METATYPE(QList<QMessageBox::StandardButton>)

namespace {

const QStringList WindowKeys = { "Window/State", "Window/Geometry", "Window/curTab" };

bool anyWindowKey()
{
    return std::any_of(WindowKeys.cbegin(), WindowKeys.cend(),
        [](const QString& key) { return SettingsStore()->contains(key); });
}

// The messages of the log panel, oldest first.
QStringList logged(const Window& w)
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
void changeTemplate(const Window& w, bool named)
{
    if (!named)
        w.templates()->ReloadTemplates(QString());
    QLineEdit* value = w.templates()->findChild<QLineEdit*>("Value1");
    value->selectAll();
    QTest::keyClicks(value, "555");
    QVERIFY(w.templates()->IsChanged());
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// The texts of the box lines, without their rich-text markup.
QString plain(const QString& richText)
{
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
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
        DataFolder data;
        Answering user;
        Window w;
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::HelpTab));
        QCOMPARE(w.title(), QString("Tarnwickstone"));
        QVERIFY(w.results()->isHidden());
        QVERIFY(!w.get("Nothing")->isHidden());
        QVERIFY(user.boxes.isEmpty());
        QVERIFY(logged(w).contains("Welcome to Tarnwickstone (version 1.1.1.50)"));

        // Idle, with nothing to repeat and no results to act on.
        const QList<QPair<const char*, bool>> enabled = { { "SearchBut", true }, { "CancelBut", false },
            { "Select", true }, { "PresetsRow", true }, { "ConditionsFrame", true }, { "Expand", false },
            { "Collapse", false }, { "Reload", false }, { "UpdatePrices", false }, { "ShowCharts", false },
            { "PerformBut", false } };
        for (const auto& [name, on] : enabled)
            QVERIFY2(w.part(name)->isEnabled() == on, name);

        const QStringList codes = { "Nothing", "Favs", "Losers", "Home", "Away", "Draw", "MaxV", "MinV",
            "MatchedBets", "UnmatchedBets", "Matched", "All", "Manual" };
        const QStringList texts = { "Nothing", "Favourites", "Outsiders", "Home team", "Away team",
            "The Draw", "Max. volume", "Min. volume", "With matched bets", "With unmatched bets",
            "Matched the conditions", "All", "[Manual selection]" };
        QCOMPARE(w.select()->count(), codes.size());
        for (int i = 0; i < codes.size(); ++i) {
            QCOMPARE(w.select()->itemData(i).toString(), codes.at(i));
            QCOMPARE(w.select()->itemText(i), texts.at(i));
        }
        QCOMPARE(w.select()->currentData().toString(), QString("Nothing"));

        // At least the form's size, more only where a panel needs it.
        QVERIFY(w.window->minimumWidth() >= 850 && w.window->minimumHeight() == 600);
        w.window->show();
        w.window->resize(400, 300);
        QCOMPARE(w.window->size(), w.window->minimumSize());
    }

    // At the window's least size every part of the actions strip, the log buttons and the
    // settings pages gets the room it needs, in both languages.
    void nothingIsCut_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("action");
        for (const char* language : { "", "ru_RU" })
            for (const char* action : { "Export", "Back", "Lay", "Cancel", "EMail" })
                QTest::addRow("%s %s", language, action) << language << action;
    }

    void nothingIsCut()
    {
        QFETCH(QString, language);
        QFETCH(QString, action);
        const ProgramTranslation translation(language);
        DataFolder data;
        data.store()->setValue("Action/Action", action);
        Answering user;
        Window w;
        w.window->show();
        w.select()->setCurrentIndex(w.select()->findData("UnmatchedBets")); // the longest rule
        const auto fits = [](QWidget* part, QWidget* row) {
            const int least = part->minimumWidth() > 0 ? part->minimumWidth() : part->minimumSizeHint().width();
            QVERIFY2(part->width() >= least && part->geometry().right() < row->width(),
                qPrintable(part->objectName()));
        };
        for (int tab : { 1, 2 }) {
            w.tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            w.window->resize(1, 1);
            QApplication::processEvents();
            for (QWidget* row : { static_cast<QWidget*>(w.actions()), w.part("ButClear")->parentWidget() })
                for (QWidget* part : row->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                    if (part->isVisible())
                        fits(part, row);
        }
        w.tabs()->setCurrentIndex(MainWindow::SettingsTab);
        for (int page = 0; page < w.settings()->count(); ++page) {
            w.settings()->setCurrentIndex(page);
            QApplication::processEvents();
            w.window->resize(1, 1);
            QApplication::processEvents();
            for (QWidget* part : w.settings()->widget(page)->findChildren<QWidget*>())
                if (part->isVisible() && (qobject_cast<QAbstractButton*>(part) || qobject_cast<QComboBox*>(part)
                        || qobject_cast<QLabel*>(part)))
                    fits(part, part->parentWidget());
        }
    }

    // The style sheet's error rule reaches every edit of the window, the settings tab's too.
    void errorMarkPaints()
    {
        DataFolder data;
        Answering user;
        Window w;
        w.window->show();
        w.tabs()->setCurrentIndex(MainWindow::SettingsTab);
        w.settings()->setCurrentIndex(Settings::MailPage);
        auto* edit = w.settings()->findChild<QLineEdit*>("SMTPport");
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
        QTest::newRow("nothing stored: help") << QVariant() << 4 << 1;
        QTest::newRow("conditions") << QVariant(0) << 0 << 1;
        QTest::newRow("results become conditions") << QVariant(1) << 0 << 1;
        QTest::newRow("log, counters reset") << QVariant(2) << 2 << 0;
        QTest::newRow("help") << QVariant(4) << 4 << 1;
        QTest::newRow("one past the last") << QVariant(5) << 0 << 1;
        QTest::newRow("below the first") << QVariant(-1) << 0 << 1;
    }

    void restoresTab()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, current);
        QFETCH(int, warnings);
        DataFolder data;
        if (stored.isValid())
            data.store()->setValue("Window/curTab", stored);
        // Written before the log panel exists, counted when it registers.
        QLog::Write(QLog::QLogType::Warning, "early warning");
        Answering user;
        Window w;
        QCOMPARE(w.tabs()->currentIndex(), current);
        QCOMPARE(w.get("Log")->property("warnings").toInt(), warnings);
        QVERIFY(logged(w).contains("early warning"));
    }

    void keepsWindowState()
    {
        DataFolder data;
        Answering user;
        {
            Window w;
            w.window->show();
            w.window->setGeometry(40, 50, 1000, 700);
            w.tabs()->setCurrentIndex(MainWindow::LogTab);
            QVERIFY(w.window->close());
        }
        // Closed by the window as it went, the file private as it was made.
        QVERIFY(!SettingsStore());
        QCOMPARE(modeOf(data.config + "settings.ini"), 0600);
        QCOMPARE(data.store()->value("Window/curTab").toInt(), 2);
        Window w;
        QCOMPARE(w.window->geometry(), QRect(40, 50, 1000, 700));
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::LogTab));
    }

    // A settings file that cannot be read is kept aside; records from before the window reach its log.
    void startsOnDamagedSettings()
    {
        DataFolder data;
        CloseSettingsStore();
        writeFile(data.config + "settings.ini", "[A]\nx=1\n[B]\nBetFairLogin\n", 0644);
        data.open();
        Answering user;
        Window w;
        QCOMPARE(contentOf(data.config + "settings.ini.bak"), QByteArray("[A]\nx=1\n[B]\nBetFairLogin\n"));
        const QStringList lines = logged(w);
        QVERIFY(lines.indexOf(QRegularExpression("The settings file .* is damaged.*")) >= 0);
        w.destroy();
        QCOMPARE(modeOf(data.config + "settings.ini"), 0600);
    }

    void closing_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("named"); // Demo (1 condition) or "[Unsaved]"
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QStringList>("boxes"); // icons of the boxes shown, in order
        QTest::addColumn<QString>("saved"); // the file holding the changed template afterwards, if any

        using B = QMessageBox::StandardButton;
        using Buttons = QList<QMessageBox::StandardButton>;
        const QStringList question = { "Question" };
        QTest::newRow("0: cancel") << 0 << true << true << Buttons { B::Cancel } << QStringList() << false
                                   << question << "";
        QTest::newRow("0: discard") << 0 << true << true << Buttons { B::Discard } << QStringList() << true
                                    << question << "";
        QTest::newRow("0: save") << 0 << true << true << Buttons { B::Save } << QStringList() << true
                                 << question << "Demo";
        QTest::newRow("2: saved unasked")
            << 2 << true << true << Buttons() << QStringList() << true << QStringList() << "Demo";
        QTest::newRow("1: saved unasked")
            << 1 << true << true << Buttons() << QStringList() << true << QStringList() << "Demo";
        QTest::newRow("0: save, name cancelled")
            << 0 << false << true << Buttons { B::Save } << QStringList() << false << question << "";
        QTest::newRow("2: name cancelled is discard")
            << 2 << false << true << Buttons() << QStringList() << true << QStringList() << "";
        QTest::newRow("2: name given")
            << 2 << false << true << Buttons() << QStringList { "Fresh" } << true << QStringList() << "Fresh";
        QTest::newRow("2: write failed, stay") << 2 << true << false << Buttons { B::No } << QStringList()
                                               << false << QStringList { "Critical", "Question" } << "";
        QTest::newRow("2: write failed, close") << 2 << true << false << Buttons { B::Yes } << QStringList()
                                                << true << QStringList { "Critical", "Question" } << "";
        QTest::newRow("0: save, write failed") << 0 << true << false << Buttons { B::Save } << QStringList()
                                               << false << QStringList { "Question", "Critical" } << "";
    }

    void closing()
    {
        QFETCH(int, level);
        QFETCH(bool, named);
        QFETCH(bool, writable);
        QFETCH(QList<QMessageBox::StandardButton>, answers);
        QFETCH(QStringList, names);
        QFETCH(bool, closed);
        QFETCH(QStringList, boxes);
        QFETCH(QString, saved);

        DataFolder data;
        data.write("Demo", VolumeTemplate(100));
        data.store()->setValue("Window/curTemplate", "Demo");
        Answering user;
        Window w;
        w.window->show();
        SetInteractiveLevel(level);
        changeTemplate(w, named);
        user.answers = answers;
        user.names = names;
        {
            std::optional<Unprivileged> nobody;
            if (!writable)
                nobody.emplace();
            QCOMPARE(w.window->close(), closed);
        }
        QStringList icons;
        for (const QString& box : qAsConst(user.boxes))
            icons << box.section(':', 0, 0);
        QCOMPARE(icons, boxes);
        QCOMPARE(anyWindowKey(), closed);
        QCOMPARE(volumeIn(data.pathOf("Demo")), saved == "Demo" ? 555 : 100);
        QCOMPARE(filesIn(data.templates),
            saved == "Fresh" ? QStringList({ "Demo.twt", "Fresh.twt" }) : QStringList("Demo.twt"));
        if (saved == "Fresh")
            QCOMPARE(volumeIn(data.pathOf("Fresh")), 555);
    }

    void closingUnchanged()
    {
        DataFolder data;
        Answering user;
        Window w;
        w.window->show();
        QVERIFY(w.window->close());
        QVERIFY(user.boxes.isEmpty());
        QVERIFY(anyWindowKey());
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("argument"); // %1: the data folder
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("files");

        const QStringList both = { "Demo.twt", "Other.twt" };
        QTest::newRow("inside the folder, extra ignored") << "%1/configtemplates/Demo.twt"
                                                          << "Demo display - Tarnwickstone"
                                                          << "Demo" << QStringList() << both;
        QTest::newRow("outside the folder: copied in")
            << "%1/elsewhere/Third.twt"
            << "Third - Tarnwickstone"
            << "Third" << QStringList() << QStringList { "Demo.twt", "Other.twt", "Third.twt" };
        QTest::newRow("missing: remembered one opens")
            << "%1/no & such.twt"
            << "Other - Tarnwickstone"
            << "Other" << QStringList { "Critical: File '%1/no &amp; such.twt' not found" } << both;
        QTest::newRow("none: remembered one opens") << ""
                                                    << "Other - Tarnwickstone"
                                                    << "Other" << QStringList() << both;
    }

    void commandLine()
    {
        QFETCH(QString, argument);
        QFETCH(QString, title);
        QFETCH(QString, remembered);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, files);

        DataFolder data;
        data.write("Demo", VolumeTemplate(100, R"("name": {"eng": "Demo display"}, )"));
        data.write("Other", VolumeTemplate(200));
        QDir().mkpath(data.dir.filePath("elsewhere"));
        writeFile(data.dir.filePath("elsewhere/Third.twt"), VolumeTemplate(300));
        data.store()->setValue("Window/curTemplate", "Other");
        const QString path = argument.isEmpty() ? argument : argument.arg(data.dir.path());
        ProgramArguments::Set(
            argument.isEmpty() ? QStringList() : QStringList { path, data.pathOf("Other") });

        Answering user;
        {
            Window w;
            QCOMPARE(w.title(), title);
            QCOMPARE(SettingsStore()->value("Window/curTemplate").toString(), remembered);
            for (QString& box : boxes)
                box = box.arg(data.dir.path());
            QCOMPARE(user.boxes, boxes);
            QCOMPARE(user.topics, boxes.isEmpty() ? QStringList() : QStringList("Arguments"));
            QCOMPARE(filesIn(data.templates), files);
            // Listed as at a plain start: "[Unsaved]" and every file.
            QCOMPARE(w.templates()->findChild<QComboBox*>("TemplatesList")->count(), files.size() + 1);
        }
        // The next plain start opens it again by its file's name.
        ProgramArguments::Set({});
        data.open();
        Window w;
        QCOMPARE(w.title(), title);
    }

    void titlesFollowTemplate()
    {
        DataFolder data;
        data.write("Demo", VolumeTemplate(100));
        data.write("Odd", VolumeTemplate(100, R"("name": {"eng": "%2 and %1"}, )"));
        Answering user;
        Window w;
        QCOMPARE(w.title(), QString("Tarnwickstone"));
        w.templates()->ReloadTemplates("Demo");
        QCOMPARE(w.title(), QString("Demo - Tarnwickstone"));
        QCOMPARE(logged(w).last(), QString("Loaded template 'Demo'"));
        QCOMPARE(SettingsStore()->value("Window/curTemplate").toString(), QString("Demo"));
        changeTemplate(w, true);
        QCOMPARE(w.title(), QString("Demo* - Tarnwickstone"));
        w.templates()->SaveTemplate();
        QCOMPARE(w.title(), QString("Demo - Tarnwickstone"));
        w.templates()->ReloadTemplates("Odd");
        QCOMPARE(w.title(), QString("%2 and %1 - Tarnwickstone"));
        w.templates()->ReloadTemplates(QString());
        QCOMPARE(w.title(), QString("Tarnwickstone"));
        QCOMPARE(SettingsStore()->value("Window/curTemplate").toString(), QString(""));
    }

    void statusBar_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("tabIcon");
        QTest::addColumn<QString>("statusIcon");
        QTest::addColumn<QString>("colour");
        QTest::newRow("information") << 0 << "report"
                                     << "blank"
                                     << "";
        QTest::newRow("warning") << 1 << "report_warning"
                                 << "exclamation"
                                 << "color:#960";
        QTest::newRow("error") << 2 << "report_error"
                               << "error"
                               << "color:#900";
    }

    void statusBar()
    {
        QFETCH(int, type);
        QFETCH(QString, tabIcon);
        QFETCH(QString, statusIcon);
        QFETCH(QString, colour);
        DataFolder data;
        Answering user;
        Window w;
        const QString text = "<b>Bold</b> & <i>more</i>";
        QLog::Write(QLog::QLogType(type), text);
        QCOMPARE(plain(w.statusText()->text()), text);
        QCOMPARE(w.statusText()->text().contains("color:"), !colour.isEmpty());
        QVERIFY(w.statusText()->text().contains(colour));
        QVERIFY(SameIcon(w.tabs()->tabIcon(MainWindow::LogTab), ":/icons/" + tabIcon + ".png"));
        QVERIFY(SamePicture(w.statusIcon()->pixmap(Qt::ReturnByValue), ":/icons/" + statusIcon + ".png"));
    }

    void logTabMarksNewestTrouble()
    {
        DataFolder data;
        Answering user;
        Window w;
        w.window->show();
        const auto logIcon = [&w] { return w.tabs()->tabIcon(MainWindow::LogTab); };
        QLog::Write(QLog::QLogType::Error, "failed");
        QLog::Write(QLog::QLogType::Info, "went on");
        QVERIFY(SameIcon(logIcon(), ":/icons/report_error.png"));
        QLog::Write(QLog::QLogType::Warning, "careful");
        QVERIFY(SameIcon(logIcon(), ":/icons/report_warning.png"));
        QCOMPARE(w.get("Log")->property("errors").toInt(), 1);

        // A click on the status bar shows the log and clears its marks.
        QTest::mouseClick(w.statusText(), Qt::LeftButton);
        QCOMPARE(w.tabs()->currentIndex(), int(MainWindow::LogTab));
        QVERIFY(SameIcon(logIcon(), ":/icons/report.png"));
        QCOMPARE(w.get("Log")->property("errors").toInt(), 0);
        QCOMPARE(w.get("Log")->property("warnings").toInt(), 0);

        // Marked while in view, until the log is shown again.
        QLog::Write(QLog::QLogType::Error, "again");
        QVERIFY(SameIcon(logIcon(), ":/icons/report_error.png"));
        w.tabs()->setCurrentIndex(MainWindow::ConditionsTab);
        QTest::mouseClick(w.statusIcon(), Qt::LeftButton);
        QVERIFY(SameIcon(logIcon(), ":/icons/report.png"));

        // Another type changes nothing; a long record does not widen the window.
        const QString before = w.statusText()->text();
        w.window->OnLog(QLog::QLogType(3), "unknown");
        QCOMPARE(w.statusText()->text(), before);
        QApplication::processEvents();
        const int width = w.window->width();
        QLog::Write(QLog::QLogType::Error, QString("a long record ").repeated(200));
        QApplication::processEvents();
        QCOMPARE(w.window->width(), width);
    }

    // Ctrl+1 to Ctrl+5 from another window of the program.
    void tabShortcutsReachEveryWindow()
    {
        DataFolder data;
        Answering user;
        Window w;
        w.window->show();
        w.window->ShowCharts();
        QWidget* charts = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<QBetFairCharts*>(top))
                charts = top;
        QVERIFY(charts && charts->isVisible());
        charts->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(charts));
        for (int tab = 4; tab >= 0; --tab) {
            QTest::keyClick(charts, Qt::Key(Qt::Key_1 + tab), Qt::ControlModifier);
            QCOMPARE(w.tabs()->currentIndex(), tab);
        }
        // Closing the main window hides the charts window with it.
        QVERIFY(w.window->close());
        QVERIFY(charts->isHidden());
    }

    void manualRuleIsNeverStored()
    {
        DataFolder data;
        data.store()->setValue("Select", "MaxV");
        Answering user;
        {
            Window w;
            QCOMPARE(w.select()->currentData().toString(), QString("MaxV"));
            w.window->SetSelectManualy();
            QCOMPARE(w.select()->currentData().toString(), QString("Manual"));
            QCOMPARE(SettingsStore()->value("Select").toString(), QString("MaxV"));
            w.select()->setCurrentIndex(w.select()->findData("Favs"));
            QCOMPARE(SettingsStore()->value("Select").toString(), QString("Favs"));
            emit w.results()->ManualSelection();
            QCOMPARE(w.select()->currentData().toString(), QString("Manual"));
        }
        data.open();
        Window w;
        QCOMPARE(w.select()->currentData().toString(), QString("Favs"));
    }

    void foundCountAndTimestamp()
    {
        DataFolder data;
        Answering user;
        Window w;
        emit w.results()->NotifyFoundSelections(17);
        QCOMPARE(
            w.select()->itemText(w.select()->findData("Matched")), QString("Matched the conditions [17]"));
        const QString shown = w.get<QLabel>("TimestampLabel")->text();
        const QDateTime moment = QLocale().toDateTime(shown, QLocale::ShortFormat);
        QVERIFY2(
            moment.isValid() && qAbs(moment.secsTo(QDateTime::currentDateTime())) < 120, qPrintable(shown));
    }

    void savesBeforeSearch_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("volume");
        QTest::newRow("unchanged") << true << false << 100;
        QTest::newRow("changed") << true << true << 555;
        QTest::newRow("[Unsaved], changed") << false << true << 100;
    }

    void savesBeforeSearch()
    {
        QFETCH(bool, named);
        QFETCH(bool, changed);
        QFETCH(int, volume);
        DataFolder data;
        data.write("Demo", VolumeTemplate(100));
        data.store()->setValue("Window/curTemplate", "Demo");
        Answering user;
        Window w;
        if (changed)
            changeTemplate(w, named);
        emit w.results()->NotifyNeedSave();
        QCOMPARE(volumeIn(data.pathOf("Demo")), volume);
        QCOMPARE(filesIn(data.templates), QStringList("Demo.twt"));
        QCOMPARE(user.prompts, 0);
        QVERIFY(user.boxes.isEmpty());
    }

    // A translated "Esc" would silently lose the key.
    void shortcutsSurviveTranslation()
    {
        DataFolder data;
        Answering user;
        const char* const buttons[]
            = { "CancelBut", "SearchBut", "Expand", "Collapse", "Reload", "UpdatePrices", "PerformBut" };
        QMap<QString, QKeySequence> english;
        {
            Window w;
            for (const char* name : buttons)
                english[name] = qobject_cast<QAbstractButton*>(w.part(name))->shortcut();
        }
        QCOMPARE(english["CancelBut"], QKeySequence(Qt::Key_Escape));
        QCOMPARE(english["SearchBut"], QKeySequence(Qt::CTRL | Qt::Key_Return));
        const ProgramTranslation russian("ru_RU");
        QVERIFY(russian.isValid());
        data.open();
        Window w;
        QVERIFY(w.tabs()->tabText(0) != "Search conditions");
        for (const char* name : buttons)
            QVERIFY2(qobject_cast<QAbstractButton*>(w.part(name))->shortcut() == english[name], name);
    }

    void screenshots_data() { ScreenshotLanguages(); }

    void screenshots()
    {
        QFETCH(QString, language);
        if (qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))
            QSKIP("TW_SHOT_DIR is not set");
        const ProgramTranslation translation(language);
        DataFolder data;
        data.write("Demo", VolumeTemplate(1000));
        data.store()->setValue("Window/curTemplate", "Demo");
        Answering user;
        Window w;
        w.window->show();
        QLog::Write(QLog::QLogType::Warning, "A warning for the status bar");
        for (int tab = 0; tab < w.tabs()->count(); ++tab) {
            w.tabs()->setCurrentIndex(tab);
            QTest::qWait(50);
            QVERIFY(w.window->grab().save(ShotPath("main_" + w.tabs()->widget(tab)->objectName(), language)));
        }
    }
};

TW_WINDOW_TEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
