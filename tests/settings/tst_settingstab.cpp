#include "SettingsTab.h"

#include "common/FakeUser.h"

#include "LanguageSetup.h"
#include "LocalExchange.h"
#include "ProgramTranslation.h"
#include "QBetFair.h"
#include "QCheckBoxWithColor.h"
#include "QCipher.h"
#include "QConfirm.h"
#include "QLog.h"
#include "UpdateCheck.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItem>
#include <QToolButton>

#include <memory>

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

    // A renamed widget silently moves its settings key.
    void objectNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        for (const char* name : { "Expand", "includeWithdrawns", "showCountryFlags", "ShowCountryTooltip", "ShowChart",
                 "SaveTemplateOnSearch", "Stop", "BetFairRemember", "SMTPssl", "CheckForUpdates", "UpdateTemplates" })
            QTest::newRow(name) << name << "QCheckBox";
        for (const char* name : { "Language", "Confirm", "LoginType", "ProxyType", "UpdatesPeriod", "SMTPserver" })
            QTest::newRow(name) << name << "QComboBox";
        for (const char* name :
            { "ProxyServer", "ProxyPort", "ProxyLogin", "ProxyPassword", "SMTPport", "SMTPfrom", "SMTPto",
                "SMTPusername", "SMTPpassword" })
            QTest::newRow(name) << name << "QMyLineEdit";
        for (const char* name : { "BetFairLogin", "BetFairPassword" })
            QTest::newRow(name) << name << "QLineEdit";
        for (const char* name : { "ShowNumSelections", "ShowTimeRank", "ShowStatus", "ShowVolume", "ShowBackPrice",
                 "ShowLayPrice", "ShowNearSP", "ShowFarSP", "ShowActualSP", "ShowMatched", "ShowUnmatched",
                 "ShowSilks" })
            QTest::newRow(name) << name << "QCheckBoxWithColor";
        QTest::newRow("BetFairPage") << "BetFairPage" << "QWebView";
    }

    void objectNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        const TempSettings settings;
        Settings tab;
        const QList<QWidget*> found = tab.findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first()->metaObject()->className(), type);
    }

    void pages()
    {
        const TempSettings settings;
        Settings tab;
        const QStringList names { "general", "betfair", "connection", "mail", "about" };
        const QStringList titles { "General", "BetFair", "Connection", "E-mail", "About" };
        QCOMPARE(tab.count(), 5);
        for (int page = 0; page < 5; ++page) {
            QCOMPARE(tab.widget(page)->objectName(), names[page]);
            QCOMPARE(tab.tabText(page), titles[page]);
            QVERIFY2(!tab.tabIcon(page).isNull(), qPrintable(names[page]));
        }
        QCOMPARE(tab.currentIndex(), int(Settings::ConnectionPage));
        QVERIFY(!tab.findChild<QLabel*>("logo")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(tab.findChild<QLabel*>("VersionLabel")->text(), "Tarnwickstone (version 1.1.1.50)");
        // Building the form stores nothing.
        QVERIFY(settings.store()->allKeys().isEmpty());
    }

    void freshStore_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");

        QTest::newRow("proxy type") << "ProxyType" << QByteArray("currentIndex") << QVariant(0);
        QTest::newRow("proxy port") << "ProxyPort" << QByteArray("text") << QVariant("8080");
        QTest::newRow("proxy server") << "ProxyServer" << QByteArray("text") << QVariant("");
        for (const char* name : { "Stop", "showCountryFlags", "ShowCountryTooltip", "includeWithdrawns",
                 "CheckForUpdates", "UpdateTemplates" })
            QTest::newRow(name) << name << QByteArray("checked") << QVariant(true);
        for (const char* name : { "Expand", "ShowChart", "SaveTemplateOnSearch", "BetFairRemember", "SMTPssl" })
            QTest::newRow(name) << name << QByteArray("checked") << QVariant(false);
        QTest::newRow("confirm") << "Confirm" << QByteArray("currentIndex") << QVariant(0);
        QTest::newRow("period") << "UpdatesPeriod" << QByteArray("currentIndex") << QVariant(0);
        QTest::newRow("period enabled") << "UpdatesPeriod" << QByteArray("enabled") << QVariant(true);
        QTest::newRow("login type") << "LoginType" << QByteArray("currentIndex") << QVariant(1);
        QTest::newRow("language") << "Language" << QByteArray("currentText") << QVariant("English");
        QTest::newRow("smtp port") << "SMTPport" << QByteArray("text") << QVariant("25");
        QTest::newRow("smtp server") << "SMTPserver" << QByteArray("currentText") << QVariant("");
        QTest::newRow("smtp to") << "SMTPto" << QByteArray("text") << QVariant("");
        QTest::newRow("login name") << "BetFairLogin" << QByteArray("text") << QVariant("");
    }

    void freshStore()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QWidget* widget = t.tab.findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->property(property.constData()), value);
        QCOMPARE(t.tab.currentIndex(), int(Settings::GeneralPage));
        QVERIFY(t.tab.findChild<QLabel*>("LastChecked")->isHidden());
        QVERIFY(t.tab.findChild<QLabel*>("RestartLabel")->isHidden());
    }

    // What Load sends the results view, in order; the stored values follow.
    void startupSignals_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("nothing stored") << false;
        QTest::newRow("every option turned round") << true;
    }

    void startupSignals()
    {
        QFETCH(bool, stored);
        const TempSettings settings;
        if (stored) {
            for (const char* key : { "ShowChart", "Expand", "SaveTemplateOnSearch" })
                settings.store()->setValue(QString("Options/") + key, true);
            for (const char* key : { "showCountryFlags", "ShowCountryTooltip", "includeWithdrawns", "Stop" })
                settings.store()->setValue(QString("Options/") + key, false);
            settings.store()->setValue("Options/Confirm", 2);
            settings.store()->setValue("Columns/ShowNumSelections", true);
            settings.store()->setValue("Columns/ShowVolume", false);
            settings.store()->setValue("Columns/ShowSilks_color", QColor(1, 2, 3));
        }
        const auto t = std::make_unique<SettingsTab>();
        SetInteractiveLevel(0);
        QBetFair::SetStopOnError(stored);
        t->tab.Load();

        const QString on = stored ? "true" : "false";
        const QString off = stored ? "false" : "true";
        const QStringList expected {
            "setShowCharts(" + on + ")",
            "setShowCountryFlags(" + off + ")",
            "setShowCountryNames(" + off + ")",
            "setIncludeWithdrawns(" + off + ")",
            "setExpand(" + on + ")",
            "setSaveOnSearch(" + on + ")",
            "setShowColumn(1," + on + ")",
            "setColumnColor(1,#ffffff)",
            "setShowColumn(4," + off + ")",
            "setColumnColor(4,#ffffff)",
            "setShowColumn(5,true)",
            "setColumnColor(5,#b2ebff)",
            "setShowColumn(6,true)",
            "setColumnColor(6,#ffccdc)",
            "setShowColumn(8,false)",
            "setColumnColor(8,#fff4ee)",
            "setShowColumn(7,false)",
            "setColumnColor(7,#fffff4)",
            "setShowColumn(9,false)",
            "setColumnColor(9,#ffe3e4)",
            "setShowColumn(2,true)",
            "setColumnColor(2,#ffffff)",
            "setShowColumn(10,false)",
            "setColumnColor(10,#e5ffb2)",
            "setShowColumn(11,false)",
            "setColumnColor(11,#ceceff)",
            "setShowColumn(3,true)",
            "setColumnColor(3,#ffffff)",
            "setShowColumn(12,false)",
            stored ? "setColumnColor(12,#010203)" : "setColumnColor(12,#ffffff)",
        };
        QCOMPARE(t->sent, expected);
        QCOMPARE(QBetFair::StopOnError, !stored);
        QCOMPARE(InteractionLevel(), stored ? 2 : 0);
        SetInteractiveLevel(0);
    }

    // Loading fills widgets whose signals reach the storing slots.
    void loadingStoresNothing_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("nothing stored") << false;
        QTest::newRow("every page stored") << true;
    }

    void loadingStoresNothing()
    {
        QFETCH(bool, stored);
        const TempSettings settings;
        QSettings* store = settings.store();
        if (!stored) {
            SettingsTab t;
            t.tab.Load();
            QCOMPARE(store->allKeys(), QStringList { "TermsAccepted" });
            return;
        }
        store->setValue("Options/ShowChart", true);
        store->setValue("Options/Confirm", 1);
        store->setValue("Options/UpdatesPeriod", 2);
        store->setValue("Options/Language", "ru");
        store->setValue("Options/LoginType", 0);
        store->setValue("Options/BetFairRemember", true);
        store->setValue("Options/BetFairLogin", QCipher::EncryptString("someone"));
        store->setValue("Options/SMTPserver", "smtp.yandex.ru");
        store->setValue("Options/SMTPport", "587");
        store->setValue("Options/SMTPto", "to@example.org");
        store->setValue("Options/SMTPfrom", "from@example.org");
        store->setValue("Options/SMTPssl", true);
        store->setValue("Options/SMTPusername", QCipher::EncryptString("user"));
        store->setValue("Options/CheckForUpdates", false);
        store->setValue("Columns/ShowSilks", true);
        store->setValue("TermsAccepted", true);
        // Applied at the start, not written again: a login that does not decipher survives.
        store->setValue("Options/ProxyType", 2);
        store->setValue("Options/ProxyServer", "proxy.example");
        store->setValue("Options/ProxyPort", 3128);
        store->setValue("Options/ProxyLogin", "not a cipher text");
        store->sync();
        const QByteArray before = contentOf(settings.path);

        SettingsTab t;
        t.tab.Load();
        store->sync();
        QCOMPARE(contentOf(settings.path), before);
        QCOMPARE(t.edit("BetFairLogin")->text(), "someone");
        QCOMPARE(t.combo("Language")->currentData().toString(), "ru");
        QVERIFY(t.tab.findChild<QLabel*>("RestartLabel")->isHidden());
    }

    void hostileStoredValues()
    {
        const TempSettings settings;
        settings.store()->setValue("Options/Confirm", 7);
        settings.store()->setValue("Options/UpdatesPeriod", -1);
        settings.store()->setValue("Options/SMTPport", "letters");
        SettingsTab t;
        t.tab.Load();
        QCOMPARE(t.combo("Confirm")->currentIndex(), 0);
        QCOMPARE(t.combo("UpdatesPeriod")->currentIndex(), 0);
        QCOMPARE(t.edit("SMTPport")->text(), "0");
        QCOMPARE(t.edit("SMTPport")->property("isError"), QVariant(true));
    }

    // A user's click or edit stores exactly its key; code stores nothing.
    void userChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("Expand") << "Expand" << QVariant(true);
        QTest::newRow("includeWithdrawns") << "includeWithdrawns" << QVariant(false);
        QTest::newRow("showCountryFlags") << "showCountryFlags" << QVariant(false);
        QTest::newRow("ShowCountryTooltip") << "ShowCountryTooltip" << QVariant(false);
        QTest::newRow("ShowChart") << "ShowChart" << QVariant(true);
        QTest::newRow("SaveTemplateOnSearch") << "SaveTemplateOnSearch" << QVariant(true);
        QTest::newRow("Stop") << "Stop" << QVariant(false);
        QTest::newRow("CheckForUpdates") << "CheckForUpdates" << QVariant(false);
        QTest::newRow("UpdateTemplates") << "UpdateTemplates" << QVariant(false);
        QTest::newRow("BetFairRemember") << "BetFairRemember" << QVariant(true);
        QTest::newRow("Confirm") << "Confirm" << QVariant(1);
        QTest::newRow("UpdatesPeriod") << "UpdatesPeriod" << QVariant(1);
        QTest::newRow("LoginType") << "LoginType" << QVariant(0);
        QTest::newRow("Language") << "Language" << QVariant("ru");
        QTest::newRow("SMTPto") << "SMTPto" << QVariant("to@example.org");
        QTest::newRow("SMTPfrom") << "SMTPfrom" << QVariant("from@example.org");
        QTest::newRow("SMTPport") << "SMTPport" << QVariant("2525");
    }

    void userChanges()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QWidget* widget = t.tab.findChild<QWidget*>(name);
        const auto before = StoreContents();

        // Changed from code first: nothing is stored.
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setChecked(!box->isChecked());
            QCOMPARE(ChangedKeys(before, StoreContents()), QStringList());
            box->setChecked(!box->isChecked());
            t.click(box);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            if (name == "LoginType")
                QTest::keyClick(combo, Qt::Key_Up);
            else
                t.stepDown(combo);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            t.type(edit, stored.toString());
        }

        QCOMPARE(ChangedKeys(before, StoreContents()), QStringList { "Options/" + name });
        QCOMPARE(settings.store()->value("Options/" + name).toString(), stored.toString());
        // A new language waits for the next start, and says so.
        QCOMPARE(!t.tab.findChild<QLabel*>("RestartLabel")->isHidden(), name == "Language");
        QCOMPARE(t.tab.tabText(0), "General");
    }

    void interactionLevelAtOnce()
    {
        const TempSettings settings;
        FakeUser user;
        SettingsTab t;
        t.tab.Load();
        t.stepDown(t.combo("Confirm"));
        t.stepDown(t.combo("Confirm"));
        QCOMPARE(InteractionLevel(), 2);
        QVERIFY(AskConfirm("no box now"));
        QVERIFY(!ShowInfo("nor now"));
        ShowError("an error box still shows");
        QCOMPARE(user.boxes.size(), 1);
        SetInteractiveLevel(0);
    }

    void forgettingTheLoginName()
    {
        const TempSettings settings;
        settings.store()->setValue("Options/BetFairRemember", true);
        settings.store()->setValue("Options/BetFairLogin", QCipher::EncryptString("someone"));
        SettingsTab t;
        t.tab.Load();
        t.click(t.box("BetFairRemember"));
        QVERIFY(!settings.store()->contains("Options/BetFairLogin"));
        QCOMPARE(t.edit("BetFairLogin")->text(), "someone");
        // Ticking stores only the flag.
        t.click(t.box("BetFairRemember"));
        QVERIFY(!settings.store()->contains("Options/BetFairLogin"));
        QCOMPARE(settings.store()->value("Options/BetFairRemember").toBool(), true);
    }

    void mailCredentialsEnciphered()
    {
        const QString user = "u5er-Name";
        const QString password = "pa55-W0rd";
        TempSettings settings;
        {
            SettingsTab t;
            t.tab.Load();
            t.type(t.edit("SMTPusername"), user);
            t.type(t.edit("SMTPpassword"), password);
        }
        settings.store()->sync();
        const QByteArray file = contentOf(settings.path);
        QVERIFY(!file.contains(user.toUtf8()));
        QVERIFY(!file.contains(password.toUtf8()));
        QCOMPARE(QCipher::DecryptString(settings.store()->value("Options/SMTPpassword").toString()), password);

        settings.reopen();
        SettingsTab again;
        again.tab.Load();
        QCOMPARE(again.edit("SMTPusername")->text(), user);
        QCOMPARE(again.edit("SMTPpassword")->text(), password);
    }

    void updateDue_data()
    {
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("due");

        QTest::newRow("never checked") << QDateTime() << 0 << Noon << true;
        QTest::newRow("daily, a day to the second") << Noon.addDays(-1) << 0 << Noon << false;
        QTest::newRow("daily, a day and a second") << Noon.addSecs(-86401) << 0 << Noon << true;
        QTest::newRow("weekly, 6 d 23 h") << Noon.addDays(-7).addSecs(3600) << 1 << Noon << false;
        QTest::newRow("weekly, 7 d") << Noon.addDays(-7) << 1 << Noon << false;
        QTest::newRow("weekly, 7 d 1 min") << Noon.addDays(-7).addSecs(-60) << 1 << Noon << true;
        const QDateTime january31(QDate(2023, 1, 31), QTime(10, 0));
        QTest::newRow("monthly, 27 February") << january31 << 2 << QDateTime(QDate(2023, 2, 27), QTime(23, 59)) << false;
        QTest::newRow("monthly, 28 February at the time") << january31 << 2 << QDateTime(QDate(2023, 2, 28), QTime(10, 0)) << false;
        QTest::newRow("monthly, 28 February a second on")
            << january31 << 2 << QDateTime(QDate(2023, 2, 28), QTime(10, 0, 1)) << true;
        QTest::newRow("monthly in a leap year, 28 February")
            << QDateTime(QDate(2024, 1, 31), QTime(10, 0)) << 2 << QDateTime(QDate(2024, 2, 28), QTime(12, 0)) << false;
        QTest::newRow("monthly, a day short") << Noon.addMonths(-1).addDays(1) << 2 << Noon << false;
        QTest::newRow("period 3, a second ago") << Noon.addSecs(-1) << 3 << Noon << true;
        QTest::newRow("period -1, a second ago") << Noon.addSecs(-1) << -1 << Noon << true;
        QTest::newRow("period 3, just now") << Noon << 3 << Noon << false;
    }

    void updateDue()
    {
        QFETCH(QDateTime, last);
        QFETCH(int, period);
        QFETCH(QDateTime, now);
        QFETCH(bool, due);
        QCOMPARE(IsUpdateDue(last, period, now), due);
    }

    void columnsAtFirstStart()
    {
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QCOMPARE(ShownColumns(t.results), QList<int>({ 0, 2, 3, 4, 5, 6 }));
        const QList<QPair<QSearcher::ColumnType, QColor>> colors {
            { QSearcher::ColNumSelections, Qt::white }, { QSearcher::ColStatus, Qt::white },
            { QSearcher::ColTimeRank, Qt::white }, { QSearcher::ColVolume, Qt::white },
            { QSearcher::ColBackPrice, QColor(178, 235, 255) }, { QSearcher::ColLayPrice, QColor(255, 204, 220) },
            { QSearcher::ColFarSP, QColor(255, 255, 244) }, { QSearcher::ColNearSP, QColor(255, 244, 238) },
            { QSearcher::ColActualSP, QColor(255, 227, 228) }, { QSearcher::ColMatched, QColor(229, 255, 178) },
            { QSearcher::ColUnmatched, QColor(206, 206, 255) }, { QSearcher::ColSilks, Qt::white },
        };
        for (const auto& [column, color] : colors)
            QCOMPARE(CellColor(t.results, column), color);
        QCOMPARE(t.find<QCheckBoxWithColor>("ShowNearSP")->text(), "Near SP");
        QCOMPARE(t.find<QCheckBoxWithColor>("ShowTimeRank")->text(), "Starting time / rank");
    }

    void columnChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSearcher::ColumnType>("column");
        QTest::newRow("Near SP") << "ShowNearSP" << QSearcher::ColNearSP;
        QTest::newRow("Silks") << "ShowSilks" << QSearcher::ColSilks;
        QTest::newRow("Starting time / rank") << "ShowTimeRank" << QSearcher::ColTimeRank;
    }

    // A click or a colour reaches the results view at once and survives a restart.
    void columnChanges()
    {
        QFETCH(QString, name);
        QFETCH(QSearcher::ColumnType, column);
        const QColor picked(12, 34, 56);
        QCheckBoxWithColor::SetColorPicker([&](const QColor&, QWidget*) { return picked; });
        TempSettings settings;
        bool shown = false;
        {
            SettingsTab t;
            t.tab.Load();
            auto* row = t.find<QCheckBoxWithColor>(qPrintable(name));
            shown = !row->isChecked();
            t.sent.clear();
            t.showPageOf(row);
            auto* inner = row->findChild<QCheckBox*>();
            QTest::mouseClick(inner, Qt::LeftButton, {}, QPoint(8, inner->height() / 2));
            QTest::mouseClick(row->findChild<QToolButton*>(), Qt::LeftButton);
            QCOMPARE(t.sent,
                QStringList({ QString("setShowColumn(%1,%2)").arg(column).arg(shown ? "true" : "false"),
                    QString("setColumnColor(%1,%2)").arg(column).arg(picked.name()) }));
            QCOMPARE(CellColor(t.results, column), picked);
            if (column != QSearcher::ColTimeRank)
                QCOMPARE(!t.results.isColumnHidden(column), shown);
        }
        QCheckBoxWithColor::SetColorPicker({});

        settings.reopen();
        SettingsTab again;
        again.tab.Load();
        QVERIFY(again.sent.contains(QString("setShowColumn(%1,%2)").arg(column).arg(shown ? "true" : "false")));
        QVERIFY(again.sent.contains(QString("setColumnColor(%1,%2)").arg(column).arg(picked.name())));
    }

    void columnSlotsSilentWhileLoading()
    {
        const TempSettings settings;
        SettingsTab t;
        auto* row = t.find<QCheckBoxWithColor>("ShowNearSP");
        connect(row, &QCheckBoxWithColor::clicked, &t.tab, &Settings::SetShowColumn);
        connect(row, &QCheckBoxWithColor::colorChanged, &t.tab, &Settings::SetColumnColor);
        emit row->clicked(true);
        emit row->colorChanged(Qt::red);
        QCOMPARE(t.sent, QStringList());
    }

    void marking_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("error");

        QTest::newRow("port empty") << "SMTPport" << "" << "" << true;
        QTest::newRow("port 0") << "SMTPport" << "0" << "0" << true;
        QTest::newRow("port 1") << "SMTPport" << "1" << "1" << false;
        QTest::newRow("port 9999") << "SMTPport" << "9999" << "9999" << false;
        QTest::newRow("port 10000 cannot be typed") << "SMTPport" << "10000" << "1000" << false;
        QTest::newRow("address") << "SMTPto" << "a.b@mail.example.co" << "a.b@mail.example.co" << false;
        QTest::newRow("one-letter top domain") << "SMTPto" << "a@example.c" << "a@example.c" << true;
        QTest::newRow("no dotted domain") << "SMTPfrom" << "a@example" << "a@example" << true;
        QTest::newRow("no @") << "SMTPfrom" << "example.com" << "example.com" << true;
        QTest::newRow("a blank cannot be typed") << "SMTPto" << "a b@example.com" << "ab@example.com" << false;
        QTest::newRow("a comma cannot be typed") << "SMTPfrom" << "a@x.org,b@y.org" << "a@x.orgby.org" << false;
    }

    void marking()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, error);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QLineEdit* edit = t.edit(qPrintable(name));
        t.showPageOf(edit);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(edit->property("isError").toBool(), error);
    }

    void disabledEditKeepsItsMark()
    {
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        QLineEdit* edit = t.edit("SMTPto");
        edit->setText("wrong");
        QCOMPARE(edit->property("isError").toBool(), true);
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
        QTest::addColumn<int>("logged");

        QTest::newRow("About page, error") << true << 4 << true << "Critical: &lt;b&gt;x" << 2;
        QTest::newRow("About page, result") << true << 4 << false << "Information: &lt;b&gt;x" << 1;
        QTest::newRow("General page, error") << true << 0 << true << "" << 2;
        QTest::newRow("E-mail page, result") << true << 3 << false << "" << 1;
        QTest::newRow("hidden tab on About") << false << 4 << true << "" << 2;
    }

    void report()
    {
        QFETCH(bool, visible);
        QFETCH(int, page);
        QFETCH(bool, error);
        QFETCH(QString, box);
        QFETCH(int, logged);
        const TempSettings settings;
        FakeUser user;
        QLog log;
        QList<int> types;
        QStringList texts;
        connect(&log, &QLog::Logged, &log, [&](QLog::QLogType type, const QString& text) {
            types << int(type);
            texts << text;
        });
        SettingsTab t;
        t.tab.Load();
        types.clear();
        texts.clear();
        t.tab.setCurrentIndex(page);
        t.tab.setVisible(visible);
        t.tab.Report(error, "<b>x", "Topic");

        QCOMPARE(user.boxes.join('|'), box);
        QCOMPARE(user.topics, error && !box.isEmpty() ? QString("Topic") : QString());
        QCOMPARE(types, QList<int>({ logged }));
        QCOMPARE(texts, QStringList({ "<b>x" }));
    }

    // Run with TW_SHOT_DIR set to keep pictures of the five pages.
    void screenshots_data() { AddShotLanguages(); }

    void screenshots()
    {
        QFETCH(QString, language);
        SKIP_WITHOUT_SHOT_FOLDER();
        const ProgramTranslation translation(language);
        const TempSettings settings;
        SettingsTab t;
        t.tab.Load();
        t.tab.resize(835, 500);
        t.tab.show();
        for (int page = 0; page < t.tab.count(); ++page) {
            t.tab.setCurrentIndex(page);
            QTest::qWait(50);
            QVERIFY(t.tab.grab().save(ShotPath("settings_" + t.tab.widget(page)->objectName(), language)));
        }
    }
};

QTEST_MAIN(tst_SettingsTab)
#include "tst_settingstab.moc"
