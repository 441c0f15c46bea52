#include "SettingsTab.h"

#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QBetFair.h"
#include "QCheckBoxWithColor.h"
#include "QCipher.h"
#include "QSearcherModel.h"
#include "Terms.h"
#include "UpdateCheck.h"

#include <QLabel>
#include <QStandardItem>
#include <QToolButton>

namespace {

// The background the results view gives a selection cell of a column.
QColor CellColor(QSearcher& results, QSearcher::ColumnType column)
{
    QStandardItemModel* model = results.Model();
    if (model->rowCount() == 0) {
        QList<QStandardItem*> row;
        for (int c = 0; c < QSearcher::ColumnCount; ++c)
            row << new QStandardItem;
        row.first()->setData(true, QSearcher::KindRole);
        model->appendRow(row);
    }
    return model->index(0, column).data(Qt::BackgroundRole).value<QColor>();
}

QList<int> ShownColumns(const QSearcher& view)
{
    QList<int> shown;
    for (int column = 0; column < QSearcher::ColumnCount; ++column) {
        if (!view.isColumnHidden(column))
            shown << column;
    }
    return shown;
}

// The colours of the columns that are not white at a first start.
const QMap<QSearcher::ColumnType, QColor> Colors { { QSearcher::ColBackPrice, QColor(178, 235, 255) },
    { QSearcher::ColLayPrice, QColor(255, 204, 220) }, { QSearcher::ColFarSP, QColor(255, 255, 244) },
    { QSearcher::ColNearSP, QColor(255, 244, 238) }, { QSearcher::ColActualSP, QColor(255, 227, 228) },
    { QSearcher::ColMatched, QColor(229, 255, 178) }, { QSearcher::ColUnmatched, QColor(206, 206, 255) } };

const char* const OptionBoxes[] = { "Expand", "includeWithdrawns", "showCountryFlags", "ShowCountryTooltip",
    "ShowChart", "SaveTemplateOnSearch", "Stop", "BetFairRemember", "SMTPssl", "CheckForUpdates", "UpdateTemplates" };

QString Ticked(SettingsTab& t)
{
    QStringList ticked;
    for (const char* name : OptionBoxes) {
        if (t.box(name)->isChecked())
            ticked << name;
    }
    return ticked.join(' ');
}

const QDateTime Noon(QDate(2023, 3, 15), QTime(12, 0));

} // namespace

class tst_SettingsTab : public QObject
{
    Q_OBJECT

    // Nothing leaves the machine: the login page and the sites are local.
    HttpTestServer server;
    LocalExchange exchange { server };

private slots:
    void initTestCase()
    {
        LoadLanguageTable();
        QVERIFY(Languages.contains("ru"));
    }

    void cleanup() { SetInteractiveLevel(0); }

    // A renamed widget silently moves its settings key; building the form stores nothing.
    void objectNames()
    {
        const TempSettings settings;
        Settings tab;
        const QStringList widgets = QStringList { "QComboBox Language Confirm LoginType ProxyType UpdatesPeriod SMTPserver",
            "QMyLineEdit ProxyServer ProxyPort ProxyLogin ProxyPassword SMTPport SMTPfrom SMTPto SMTPusername SMTPpassword",
            "QLineEdit BetFairLogin BetFairPassword", "QWebView BetFairPage",
            "QCheckBoxWithColor ShowNumSelections ShowTimeRank ShowStatus ShowVolume ShowBackPrice ShowLayPrice "
            "ShowNearSP ShowFarSP ShowActualSP ShowMatched ShowUnmatched ShowSilks",
            "QCheckBox " + QStringList(std::begin(OptionBoxes), std::end(OptionBoxes)).join(' ') };
        for (const QString& line : widgets) {
            const QStringList names = line.split(' ');
            for (const QString& name : names.mid(1)) {
                const QList<QWidget*> found = tab.findChildren<QWidget*>(name);
                QVERIFY2(found.size() == 1 && found.first()->metaObject()->className() == names[0], qPrintable(name));
            }
        }
        QCOMPARE(SettingsStore()->allKeys(), QStringList());
    }

    // Loading shows the store (or the defaults), tells the results view, and writes nothing.
    void load_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("nothing stored") << false;
        QTest::newRow("every page stored") << true;
    }

    void load()
    {
        QFETCH(bool, stored);
        const TempSettings settings;
        QSettings* store = SettingsStore();
        store->setValue("TermsAccepted", true);
        const QVariantMap options { { "ShowChart", true }, { "Expand", true }, { "SaveTemplateOnSearch", true },
            { "showCountryFlags", false }, { "ShowCountryTooltip", false }, { "includeWithdrawns", false },
            { "Stop", false }, { "CheckForUpdates", false }, { "UpdateTemplates", false }, { "Confirm", 2 },
            { "UpdatesPeriod", 2 }, { "Language", "ru" }, { "LoginType", 0 }, { "BetFairRemember", true },
            { "BetFairLogin", QCipher::EncryptString("someone") }, { "SMTPserver", "smtp.yandex.ru" },
            { "SMTPport", "587" }, { "SMTPssl", true }, { "SMTPusername", QCipher::EncryptString("user") },
            // Applied at the start, not written again: a login that does not decipher survives.
            { "ProxyType", 2 }, { "ProxyServer", "proxy.example" }, { "ProxyPort", 3128 },
            { "ProxyLogin", "not a cipher text" } };
        if (stored) {
            StoreOptions(options);
            store->setValue("Columns/ShowSilks", true);
            store->setValue("Columns/ShowSilks_color", QColor(1, 2, 3));
        }
        store->sync();
        const QByteArray before = contentOf(settings.path);
        QBetFair::SetStopOnError(stored);

        SettingsTab t(SettingsTab::Loaded);
        store->sync();
        QCOMPARE(contentOf(settings.path), before);

        const QString on = stored ? "true" : "false";
        const QString off = stored ? "false" : "true";
        QCOMPARE(t.sent.mid(0, 6),
            QStringList({ "setShowCharts(" + on + ")", "setShowCountryFlags(" + off + ")",
                "setShowCountryNames(" + off + ")", "setIncludeWithdrawns(" + off + ")", "setExpand(" + on + ")",
                "setSaveOnSearch(" + on + ")" }));
        QCOMPARE(QBetFair::StopOnError, !stored);
        QCOMPARE(InteractionLevel(), stored ? 2 : 0);
        QCOMPARE(Ticked(t), stored ? "Expand ShowChart SaveTemplateOnSearch BetFairRemember SMTPssl"
                                   : "includeWithdrawns showCountryFlags ShowCountryTooltip Stop CheckForUpdates UpdateTemplates");
        QList<int> rows;
        for (const char* name : { "ProxyType", "Confirm", "UpdatesPeriod", "LoginType" })
            rows << t.combo(name)->currentIndex();
        QCOMPARE(rows, stored ? QList<int>({ 2, 2, 2, 0 }) : QList<int>({ 0, 0, 0, 1 }));
        QCOMPARE(t.combo("Language")->currentData().toString(), stored ? "ru" : "en");
        QCOMPARE(t.edit("SMTPport")->text(), stored ? "587" : "25");
        QCOMPARE(t.edit("ProxyPort")->text(), stored ? "3128" : "8080");
        QCOMPARE(t.edit("ProxyServer")->text(), stored ? "proxy.example" : "");
        QCOMPARE(t.edit("BetFairLogin")->text(), stored ? "someone" : "");
        QCOMPARE(t.edit("SMTPusername")->text(), stored ? "user" : "");
        QVERIFY(t.tab.findChild<QLabel*>("LastChecked")->isHidden());
        QCOMPARE(t.tab.currentIndex(), int(Settings::GeneralPage));

        // The result columns, shown and coloured as stored or by default.
        QCOMPARE(ShownColumns(t.results), QList<int>({ 0, 2, 3, 4, 5, 6 }) + (stored ? QList<int> { 12 } : QList<int>()));
        for (int column = 1; column < QSearcher::ColumnCount; ++column) {
            const auto type = QSearcher::ColumnType(column);
            const QColor color = stored && type == QSearcher::ColSilks ? QColor(1, 2, 3) : Colors.value(type, Qt::white);
            QVERIFY2(CellColor(t.results, type) == color, qPrintable(QString::number(column)));
        }
        // Each column row says which column it switches.
        QStringList labels;
        for (const char* name : { "ShowNumSelections", "ShowTimeRank", "ShowStatus", "ShowVolume", "ShowBackPrice",
                 "ShowLayPrice", "ShowNearSP", "ShowFarSP", "ShowActualSP", "ShowMatched", "ShowUnmatched", "ShowSilks" })
            labels << t.find<QCheckBoxWithColor>(name)->text();
        QCOMPARE(labels, QStringList({ "Number of selections", "Starting time / rank", "Status / P/L", "Volume",
                             "Back price", "Lay price", "Near SP", "Far SP", "Actual SP", "Matched amount",
                             "Unmatched amount", "Silks" }));
    }

    // A hand-edited file: rows the combos lack give the default row, not level -1.
    void hostileStoredValues()
    {
        TabOnStore t({ { "Confirm", 7 }, { "UpdatesPeriod", -1 }, { "SMTPport", "letters" } });
        QCOMPARE(t.combo("Confirm")->currentIndex(), 0);
        QCOMPARE(InteractionLevel(), 0);
        QCOMPARE(t.combo("UpdatesPeriod")->currentIndex(), 0);
        QCOMPARE(t.edit("SMTPport")->text(), "0");
        QCOMPARE(t.edit("SMTPport")->property("isError"), QVariant(true));
    }

    // A stored row from the combo's row count on gives its default row; above all a damaged level
    // never becomes level 2, where bets go without a question.
    void storedRowPastTheList_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("row");
        QTest::newRow("Confirm 3") << "Confirm" << QVariant(3) << 0;
        QTest::newRow("Confirm 4") << "Confirm" << QVariant(4) << 0;
        QTest::newRow("Confirm -1") << "Confirm" << QVariant(-1) << 0;
        QTest::newRow("Confirm text") << "Confirm" << QVariant("None") << 0;
        QTest::newRow("LoginType 2") << "LoginType" << QVariant(2) << 1;
        QTest::newRow("LoginType text") << "LoginType" << QVariant("API") << 1;
        QTest::newRow("ProxyType 4") << "ProxyType" << QVariant(4) << 0;
        QTest::newRow("UpdatesPeriod 3") << "UpdatesPeriod" << QVariant(3) << 0;
    }

    void storedRowPastTheList()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        QFETCH(int, row);
        SetInteractiveLevel(QConfirm::None);
        TabOnStore t({ { name, stored } });
        QCOMPARE(InteractionLevel(), int(QConfirm::All));
        QCOMPARE(t.combo(qPrintable(name))->currentIndex(), row);
    }

    // A user's click, key or typing stores exactly its key and takes effect; code stores nothing.
    void userChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("signal");
        QTest::newRow("Expand") << "Expand" << QVariant(true) << "setExpand";
        QTest::newRow("ShowChart") << "ShowChart" << QVariant(true) << "setShowCharts";
        QTest::newRow("SaveTemplateOnSearch") << "SaveTemplateOnSearch" << QVariant(true) << "setSaveOnSearch";
        QTest::newRow("includeWithdrawns") << "includeWithdrawns" << QVariant(false) << "setIncludeWithdrawns";
        QTest::newRow("showCountryFlags") << "showCountryFlags" << QVariant(false) << "setShowCountryFlags";
        QTest::newRow("ShowCountryTooltip") << "ShowCountryTooltip" << QVariant(false) << "setShowCountryNames";
        for (const char* name : { "Stop", "CheckForUpdates", "UpdateTemplates" })
            QTest::newRow(name) << name << QVariant(false) << "";
        QTest::newRow("BetFairRemember") << "BetFairRemember" << QVariant(true) << "";
        QTest::newRow("Confirm") << "Confirm" << QVariant(1) << "";
        QTest::newRow("UpdatesPeriod") << "UpdatesPeriod" << QVariant(1) << "";
        QTest::newRow("LoginType") << "LoginType" << QVariant(0) << "";
        QTest::newRow("Language") << "Language" << QVariant("ru") << "";
        QTest::newRow("SMTPto") << "SMTPto" << QVariant("to@example.org") << "";
        QTest::newRow("SMTPfrom") << "SMTPfrom" << QVariant("from@example.org") << "";
        QTest::newRow("SMTPport") << "SMTPport" << QVariant("2525") << "";
    }

    void userChanges()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        QFETCH(QString, signal);
        TabOnStore t;
        QWidget* widget = t.tab.findChild<QWidget*>(name);
        const auto before = StoreContents();
        t.sent.clear();
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setChecked(!box->isChecked());
            box->setChecked(!box->isChecked());
            QVERIFY(StoreContents() == before);
            t.click(box);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            t.step(combo, name == "LoginType" ? Qt::Key_Up : Qt::Key_Down);
        } else {
            t.type(qobject_cast<QLineEdit*>(widget), stored.toString());
        }
        auto after = StoreContents();
        QCOMPARE(after.take("Options/" + name).toString(), stored.toString());
        QVERIFY(after == before);
        QCOMPARE(t.sent, signal.isEmpty() ? QStringList() : QStringList { signal + "(" + stored.toString() + ")" });
        QCOMPARE(QBetFair::StopOnError, name != "Stop");
        QCOMPARE(InteractionLevel(), name == "Confirm" ? 1 : 0);
        // A new language waits for the next start, and says so.
        QCOMPARE(!t.tab.findChild<QLabel*>("RestartLabel")->isHidden(), name == "Language");
    }

    void forgettingTheLoginName()
    {
        TabOnStore t({ { "BetFairRemember", true }, { "BetFairLogin", QCipher::EncryptString("someone") } });
        t.click(t.box("BetFairRemember"));
        QVERIFY(!SettingsStore()->contains("Options/BetFairLogin"));
        // Ticking again stores only the flag.
        t.click(t.box("BetFairRemember"));
        QVERIFY(!SettingsStore()->contains("Options/BetFairLogin"));
        QCOMPARE(SettingsStore()->value("Options/BetFairRemember").toBool(), true);
    }

    void mailCredentialsEnciphered()
    {
        const QString user = "u5er-Name";
        const QString password = "pa55-W0rd";
        TempSettings settings;
        {
            SettingsTab t(SettingsTab::Loaded);
            t.type(t.edit("SMTPusername"), user);
            t.type(t.edit("SMTPpassword"), password);
        }
        SettingsStore()->sync();
        const QByteArray file = contentOf(settings.path);
        QVERIFY(!file.contains(user.toUtf8()));
        QVERIFY(!file.contains(password.toUtf8()));

        settings.reopen();
        SettingsTab again(SettingsTab::Loaded);
        QCOMPARE(again.edit("SMTPusername")->text(), user);
        QCOMPARE(again.edit("SMTPpassword")->text(), password);
    }

    void updateDue_data()
    {
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("due");

        const QDateTime january31(QDate(2023, 1, 31), QTime(10, 0));
        const QDateTime february28(QDate(2023, 2, 28), QTime(10, 0));
        QTest::newRow("never checked") << QDateTime() << 0 << Noon << true;
        QTest::newRow("daily, a day") << Noon.addDays(-1) << 0 << Noon << false;
        QTest::newRow("daily, a day and a second") << Noon.addSecs(-86401) << 0 << Noon << true;
        QTest::newRow("weekly, 6 d 23 h") << Noon.addDays(-7).addSecs(3600) << 1 << Noon << false;
        QTest::newRow("weekly, 7 d") << Noon.addDays(-7) << 1 << Noon << false;
        QTest::newRow("weekly, 7 d 1 min") << Noon.addDays(-7).addSecs(-60) << 1 << Noon << true;
        QTest::newRow("monthly from 31 January, 28 February") << january31 << 2 << february28 << false;
        QTest::newRow("monthly from 31 January, a second on") << january31 << 2 << february28.addSecs(1) << true;
        QTest::newRow("monthly in a leap year, 28 February")
            << january31.addYears(1) << 2 << QDateTime(QDate(2024, 2, 28), QTime(12, 0)) << false;
        QTest::newRow("period 3, just now") << Noon << 3 << Noon << false;
        QTest::newRow("period 3, a second ago") << Noon.addSecs(-1) << 3 << Noon << true;
        QTest::newRow("period -1, a second ago") << Noon.addSecs(-1) << -1 << Noon << true;
    }

    void updateDue()
    {
        QFETCH(QDateTime, last);
        QFETCH(int, period);
        QFETCH(QDateTime, now);
        QFETCH(bool, due);
        QCOMPARE(IsUpdateDue(last, period, now), due);
    }

    void columnChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSearcher::ColumnType>("column");
        QTest::newRow("Near SP") << "ShowNearSP" << QSearcher::ColNearSP;
        QTest::newRow("Silks") << "ShowSilks" << QSearcher::ColSilks;
    }

    // A click or a colour reaches the results view at once (the row itself keeps them: tst_settings).
    void columnChanges()
    {
        QFETCH(QString, name);
        QFETCH(QSearcher::ColumnType, column);
        const QColor picked(12, 34, 56);
        QCheckBoxWithColor::SetColorPicker([&](const QColor&, QWidget*) { return picked; });
        TabOnStore t;
        auto* row = t.find<QCheckBoxWithColor>(qPrintable(name));
        const bool shown = !row->isChecked();
        t.sent.clear();
        t.showPageOf(row);
        auto* inner = row->findChild<QCheckBox*>();
        QTest::mouseClick(inner, Qt::LeftButton, {}, QPoint(8, inner->height() / 2));
        QTest::mouseClick(row->findChild<QToolButton*>(), Qt::LeftButton);
        QCheckBoxWithColor::SetColorPicker({});
        QCOMPARE(t.sent, QStringList({ QString("setShowColumn(%1,%2)").arg(column).arg(shown ? "true" : "false"),
                             QString("setColumnColor(%1,%2)").arg(column).arg(picked.name()) }));
        QCOMPARE(CellColor(t.results, column), picked);
    }

    void columnSlotsSilentWhileLoading()
    {
        TabOnStore t({}, SettingsTab::Built);
        auto* row = t.find<QCheckBoxWithColor>("ShowNearSP");
        connect(row, &QCheckBoxWithColor::clicked, &t.tab, &Settings::SetShowColumn);
        connect(row, &QCheckBoxWithColor::colorChanged, &t.tab, &Settings::SetColumnColor);
        emit row->clicked(true);
        emit row->colorChanged(Qt::red);
        QCOMPARE(t.sent, QStringList());
    }

    void disabledEditKeepsItsMark()
    {
        TabOnStore t;
        QLineEdit* edit = t.edit("SMTPto");
        edit->setText("wrong");
        edit->setEnabled(false);
        edit->setText("right@example.org");
        QVERIFY(!t.tab.ValidateEdit(edit));
        QCOMPARE(edit->property("isError").toBool(), true);
    }

    void report_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QString>("box");

        QTest::newRow("About page, error") << true << 4 << true << "Critical: &lt;b&gt;x";
        QTest::newRow("About page, result") << true << 4 << false << "Information: &lt;b&gt;x";
        QTest::newRow("E-mail page, error") << true << 3 << true << "";
        QTest::newRow("hidden tab on About") << false << 4 << true << "";
    }

    void report()
    {
        QFETCH(bool, visible);
        QFETCH(int, page);
        QFETCH(bool, error);
        QFETCH(QString, box);
        Boxes boxes;
        TabOnStore t;
        LogRecords records;
        t.tab.setCurrentIndex(page);
        t.tab.setVisible(visible);
        t.tab.Report(error, "<b>x", "Topic");

        QCOMPARE(boxes.shown.join('|'), box);
        QCOMPARE(boxes.topics, error && !box.isEmpty() ? QString("Topic") : QString());
        QCOMPARE(records.types, QList<int>({ int(error ? QLog::QLogType::Error : QLog::QLogType::Warning) }));
        QCOMPARE(records.texts, QStringList({ "<b>x" }));
    }

    // Each row of the fixed choice lists fits its closed box, in English and in the longer Russian.
    void rowsShownWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "";
        QTest::newRow("Russian") << "ru_RU";
    }

    void rowsShownWhole()
    {
        QFETCH(QString, language);
        const ProgramTranslation translation(language);
        TabOnStore t;
        for (const char* name : { "Confirm", "LoginType", "ProxyType", "UpdatesPeriod" }) {
            QComboBox* combo = t.combo(name);
            t.showPageOf(combo);
            QVERIFY(QTest::qWaitForWindowExposed(&t.tab));
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
            for (int row = 0; row < combo->count(); ++row) {
                const QString text = combo->itemText(row);
                QVERIFY2(combo->fontMetrics().horizontalAdvance(text) <= field.width() - 2, qPrintable(text));
            }
        }
    }

    // Run with TW_SHOT_DIR set to keep pictures of every page (the login page in both schemes)
    // and of the terms, in both languages, with a proxy and a recipient marked.
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TW_SHOT_DIR");
        if (folder.isEmpty())
            QSKIP("TW_SHOT_DIR is not set");
        server.setReply("GET", "/view/login",
            ScriptedReply::text("<html><body style='text-align:center'><h2>Log in</h2><p><input></p><p><input "
                                "type='password'></p><p><button>Log In</button></p></body></html>", "text/html"));
        // The main window's rule for marked fields.
        qApp->setStyleSheet("*[isError=\"true\"] { background: #FF9999 url(:/icons/error.png) no-repeat right center; }");
        for (const QString language : { "en", "ru" }) {
            const auto shoot = [&](QWidget& widget, const QString& name) {
                widget.show();
                QTest::qWait(200);
                QVERIFY(widget.grab().save(QString("%1/%2_%3.png").arg(folder, name, language)));
            };
            const ProgramTranslation translation(language == "ru" ? "ru_RU" : "");
            TabOnStore t({ { "Language", language }, { "ProxyType", 2 }, { "SMTPto", "me@example" } });
            t.tab.resize(835, 500);
            for (int page = 0; page < t.tab.count(); ++page) {
                t.tab.setCurrentIndex(page);
                shoot(t.tab, "settings_" + t.tab.widget(page)->objectName());
            }
            t.tab.setCurrentIndex(Settings::BetFairPage);
            t.combo("LoginType")->setCurrentIndex(0);
            shoot(t.tab, "settings_betfair_page");
            Terms terms;
            shoot(terms, "terms");
        }
        qApp->setStyleSheet(QString());
    }
};

QTEST_MAIN(tst_SettingsTab)
#include "tst_settingstab.moc"
