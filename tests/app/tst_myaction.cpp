#include "MyAction.h"
#include "QConfirm.h"
#include "QMyComboBox.h"
#include "QPriceValidator.h"

#include "common/TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {

const QStringList Parameters = { "ActParamList", "PriceEdit", "AmountEdit", "PriceLabel", "AmountType",
    "TextEdit", "SubjectLabel", "checkPrice", "checkVolume", "checkCV" };

// The panel as the user reaches it, and every request it sends, written down.
struct Panel
{
    MyAction panel;
    QStringList sent;

    Panel()
    {
        QObject::connect(&panel, &MyAction::Bet, &panel,
            [this](bool back, double price, double amount, QBetPlacer::AmountType type, int keep) {
                sent << QString("Bet(%1,%2,%3,%4,%5)")
                            .arg(back ? "true" : "false")
                            .arg(price, 0, 'g', 15)
                            .arg(amount, 0, 'g', 15)
                            .arg(int(type))
                            .arg(keep);
            });
        QObject::connect(&panel, &MyAction::Cancel, &panel, [this](bool back, bool lay) {
            sent << QString("Cancel(%1,%2)").arg(back ? "true" : "false", lay ? "true" : "false");
        });
        QObject::connect(&panel, &MyAction::Export, &panel, [this](bool prices, bool volumes, bool cv) {
            sent << QString("Export(%1,%2,%3)")
                        .arg(prices ? "true" : "false", volumes ? "true" : "false", cv ? "true" : "false");
        });
        QObject::connect(&panel, &MyAction::Mail, &panel,
            [this](const QString& subject) { sent << "Mail(" + subject + ")"; });
        QObject::connect(&panel, &MyAction::AddCharts, &panel, [this] { sent << "AddCharts()"; });
    }

    template<typename T = QWidget>
    T* get(const QString& name) const
    {
        T* widget = panel.findChild<T*>(name);
        if (!widget)
            qFatal("no %s", qPrintable(name));
        return widget;
    }
    QMyComboBox* list(const char* name) const { return get<QMyComboBox>(name); }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QPushButton* perform() const { return get<QPushButton>("PerformBut"); }
    void choose(const QString& code) const
    {
        list("ActionsList")->setCurrentIndex(list("ActionsList")->findData(code));
    }
    QStringList shown() const
    {
        QStringList names;
        for (const QString& name : Parameters)
            if (get(name)->isVisibleTo(&panel))
                names << name;
        return names;
    }
    QStringList texts(const char* combo) const
    {
        QStringList items;
        for (int i = 0; i < list(combo)->count(); ++i)
            items << list(combo)->itemText(i);
        return items;
    }
};

// Questions answered in turn (yes when none is left), their texts written down.
struct Questions
{
    QStringList asked;
    QList<bool> answers;
    explicit Questions(QList<bool> answers = {})
        : answers(std::move(answers))
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            asked << box->text();
            return box->button(
                this->answers.isEmpty() || this->answers.takeFirst() ? QMessageBox::Yes : QMessageBox::No);
        });
    }
    ~Questions() { QConfirm::SetResponder({}); }
};

} // namespace

class tst_MyAction : public QObject
{
    Q_OBJECT

    std::optional<TempSettings> settings;

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        QPriceValidator::InitPriceLadder();
    }

    void init()
    {
        settings.reset();
        settings.emplace();
        SetInteractiveLevel(QConfirm::All);
    }

    void parametersPerAction_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("parameters"); // ActParamList's rows
        QTest::addColumn<QStringList>("amounts"); // AmountType's rows

        const QStringList bet = { "ActParamList", "PriceEdit", "AmountEdit", "PriceLabel", "AmountType" };
        const QStringList inPlay = { "Cancel in-play", "Keep in-play", "Take SP" };
        QTest::newRow("Export") << "Export" << QStringList { "checkPrice", "checkVolume", "checkCV" }
                                << QStringList() << QStringList();
        QTest::newRow("Back") << "Back" << bet << inPlay << QStringList { "Amount", "Profit" };
        QTest::newRow("Lay") << "Lay" << bet << inPlay << QStringList { "Amount", "Liability" };
        QTest::newRow("Cancel") << "Cancel" << QStringList("ActParamList")
                                << QStringList { "All", "BACK", "LAY" } << QStringList();
        QTest::newRow("EMail") << "EMail" << QStringList { "TextEdit", "SubjectLabel" } << QStringList()
                               << QStringList();
        QTest::newRow("Chart") << "Chart" << QStringList() << QStringList() << QStringList();
    }

    void parametersPerAction()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, amounts);
        Panel p;
        QStringList actions;
        for (int i = 0; i < p.list("ActionsList")->count(); ++i)
            actions << p.list("ActionsList")->itemData(i).toString() + "="
                    + p.list("ActionsList")->itemText(i);
        QCOMPARE(actions,
            QStringList({ "Export=Export to file", "Back=BACK", "Lay=LAY", "Cancel=Cancel bets",
                "EMail=Send by e-mail", "Chart=Add chart" }));
        p.choose(action);
        QCOMPARE(p.shown(), shown);
        if (!parameters.isEmpty())
            QCOMPARE(p.texts("ActParamList"), parameters);
        if (!amounts.isEmpty())
            QCOMPARE(p.texts("AmountType"), amounts);
        QCOMPARE(SettingsStore()->value("Action/Action").toString(), action);
    }

    // A first start, then every key stored: each comes back where it belongs.
    void restoresChoices()
    {
        {
            Panel p;
            QCOMPARE(p.list("ActionsList")->currentData().toString(), QString("Export"));
            QVERIFY(
                !p.get<QCheckBox>("checkPrice")->isChecked() && !p.get<QCheckBox>("checkCV")->isChecked());
            p.choose("Back");
            QCOMPARE(p.edit("PriceEdit")->text(), QString("1.01"));
            QCOMPARE(p.edit("AmountEdit")->text(), QString(""));
            p.choose("Lay");
            QCOMPARE(p.edit("PriceEdit")->text(), QString("1000"));
        }
        QSettings* store = SettingsStore();
        const QMap<QString, QVariant> keys = { { "Action", "Lay" }, { "Price", "2.5" }, { "Amount", "10" },
            { "Type", "Liability" }, { "InPlay", "Keep" }, { "Cancel", "Lay" }, { "Prices", true },
            { "Volume", false }, { "CV", true }, { "Subject", "Hello" } };
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            store->setValue("Action/" + it.key(), it.value());
        Panel p;
        QCOMPARE(p.list("ActionsList")->currentData().toString(), QString("Lay"));
        QCOMPARE(p.edit("PriceEdit")->text(), QString("2.5"));
        QCOMPARE(p.edit("AmountEdit")->text(), QString("10"));
        QCOMPARE(p.list("AmountType")->currentText(), QString("Liability"));
        QCOMPARE(p.list("ActParamList")->currentText(), QString("Keep in-play"));
        p.choose("Back");
        QCOMPARE(p.edit("PriceEdit")->text(), QString("2.5"));
        QCOMPARE(p.list("AmountType")->currentText(), QString("Profit"));
        p.choose("Cancel");
        QCOMPARE(p.list("ActParamList")->currentText(), QString("LAY"));
        p.choose("Export");
        QVERIFY(p.get<QCheckBox>("checkPrice")->isChecked());
        QVERIFY(!p.get<QCheckBox>("checkVolume")->isChecked());
        QVERIFY(p.get<QCheckBox>("checkCV")->isChecked());
        p.choose("EMail");
        QCOMPARE(p.edit("TextEdit")->text(), QString("Hello"));
        // Choosing stores only the choices, never the texts.
        QCOMPARE(store->value("Action/Price").toString(), QString("2.5"));
        QCOMPARE(store->value("Action/Subject").toString(), QString("Hello"));
    }

    // Perform's state for the count and the texts, the panel never shown.
    void validate_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("perform");
        QTest::addColumn<bool>("priceMarked");
        QTest::addColumn<bool>("amountMarked");
        QTest::newRow("nothing checked") << "Back" << 0 << "2.5"
                                         << "10" << false << false << false;
        QTest::newRow("one checked") << "Back" << 1 << "2.5"
                                     << "10" << true << false << false;
        QTest::newRow("price between two") << "Back" << 1 << "1.015"
                                           << "10" << false << true << false;
        QTest::newRow("price off the ladder") << "Back" << 1 << "2.03"
                                              << "10" << false << true << false;
        QTest::newRow("price above it") << "Lay" << 1 << "1010"
                                        << "10" << false << true << false;
        QTest::newRow("price at its top") << "Lay" << 1 << "1000"
                                          << "10" << true << false << false;
        QTest::newRow("no amount") << "Back" << 1 << "2.5"
                                   << "" << false << false << false;
        QTest::newRow("amount cleared") << "Back" << 1 << "2.5"
                                        << " " << false << false << true;
        QTest::newRow("amount 0") << "Back" << 1 << "2.5"
                                  << "0" << false << false << true;
        QTest::newRow("amount at the bottom") << "Back" << 1 << "2.5"
                                              << "0.01" << true << false << false;
        QTest::newRow("amount at the top") << "Back" << 1 << "2.5"
                                           << "1000000" << true << false << false;
        QTest::newRow("amount one cent past") << "Back" << 1 << "2.5"
                                              << "1000000.01" << false << false << true;
        QTest::newRow("amount with a comma") << "Lay" << 1 << "2.5"
                                             << "10,5" << false << false << true;
        QTest::newRow("chart, nothing checked") << "Chart" << 0 << "2.5"
                                                << "10" << false << false << false;
        QTest::newRow("chart, one checked") << "Chart" << 1 << "2.5"
                                            << "10" << true << false << false;
        QTest::newRow("export, hidden edits bad") << "Export" << 1 << "1.015"
                                                  << "0" << true << true << true;
    }

    void validate()
    {
        QFETCH(QString, action);
        QFETCH(int, count);
        QFETCH(QString, price);
        QFETCH(QString, amount);
        QFETCH(bool, perform);
        QFETCH(bool, priceMarked);
        QFETCH(bool, amountMarked);
        Panel p;
        p.choose("Back");
        p.edit("PriceEdit")->setText(price);
        p.edit("AmountEdit")->setText(amount);
        p.choose(action);
        if (action == "Back" || action == "Lay") {
            // The texts are stored per side only after a bet: set them again on this side.
            p.edit("PriceEdit")->setText(price);
            p.edit("AmountEdit")->setText(amount);
        }
        p.panel.UpdateCount(count);
        QCOMPARE(p.perform()->isEnabled(), perform);
        QCOMPARE(p.edit("PriceEdit")->property("isError").toBool(), priceMarked);
        QCOMPARE(p.edit("AmountEdit")->property("isError").toBool(), amountMarked);
        QCOMPARE(p.get<QLabel>("ActionLabel")->text(), QString("With selected [%1]:").arg(count));
    }

    // The amount reads "." whatever the language; a comma, a third decimal and a minus are refused as typed.
    void typedAmount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("point") << "10.5"
                               << "10.5";
        QTest::newRow("comma") << "10,5"
                               << "105";
        QTest::newRow("third decimal") << "10.555"
                                       << "10.55";
        QTest::newRow("minus") << "-5"
                               << "5";
    }

    void typedAmount()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        const QLocale language;
        QLocale::setDefault(QLocale("ru_RU"));
        Panel p;
        p.choose("Back");
        p.panel.UpdateCount(1);
        QTest::keyClicks(p.edit("AmountEdit"), typed);
        QCOMPARE(p.edit("AmountEdit")->text(), kept);
        const Questions yes;
        p.panel.Do();
        QLocale::setDefault(language);
        QCOMPARE(p.sent, QStringList(QString("Bet(true,1.01,%1,0,0)").arg(kept)));
    }

    void requests_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>(
            "setting"); // "price amount type keep" for bets, the side, "1 0 1" ticks, a subject
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("disabled");

        const QStringList place = { "Are you sure you want to PLACE these bets?" };
        const QStringList cancel = { "Are you sure you want to CANCEL these bets?" };
        QTest::newRow("back, keep, profit") << 0 << "Back"
                                            << "2.5 10.5 1 1"
                                            << "Bet(true,2.5,10.5,1,1)" << place << true;
        QTest::newRow("lay, SP, amount, top") << 0 << "Lay"
                                              << "1000 999999.99 0 2"
                                              << "Bet(false,1000,999999.99,0,2)" << place << true;
        QTest::newRow("asked at level 1") << 1 << "Back"
                                          << "2.5 10 0 0"
                                          << "Bet(true,2.5,10,0,0)" << place << true;
        QTest::newRow("not asked at level 2") << 2 << "Lay"
                                              << "3 10 1 0"
                                              << "Bet(false,3,10,1,0)" << QStringList() << true;
        QTest::newRow("cancel all") << 0 << "Cancel"
                                    << "All"
                                    << "Cancel(true,true)" << cancel << true;
        QTest::newRow("cancel back") << 0 << "Cancel"
                                     << "Back"
                                     << "Cancel(true,false)" << cancel << true;
        QTest::newRow("cancel lay") << 1 << "Cancel"
                                    << "Lay"
                                    << "Cancel(false,true)" << cancel << true;
        QTest::newRow("export") << 0 << "Export"
                                << "1 0 1"
                                << "Export(true,false,true)" << QStringList() << true;
        QTest::newRow("e-mail") << 0 << "EMail"
                                << "Today's picks"
                                << "Mail(Today's picks)" << QStringList() << true;
        QTest::newRow("chart") << 0 << "Chart"
                               << ""
                               << "AddCharts()" << QStringList() << false;
    }

    void requests()
    {
        QFETCH(int, level);
        QFETCH(QString, action);
        QFETCH(QString, setting);
        QFETCH(QString, request);
        QFETCH(QStringList, asked);
        QFETCH(bool, disabled);
        SetInteractiveLevel(level);
        Panel p;
        p.choose(action);
        const QStringList values = setting.split(' ');
        if (action == "Back" || action == "Lay") {
            p.edit("PriceEdit")->setText(values.at(0));
            p.edit("AmountEdit")->setText(values.at(1));
            p.list("AmountType")->setCurrentIndex(values.at(2).toInt());
            p.list("ActParamList")->setCurrentIndex(values.at(3).toInt());
        } else if (action == "Cancel") {
            p.list("ActParamList")->setCurrentIndex(p.list("ActParamList")->findData(setting));
        } else if (action == "Export") {
            for (int i = 0; i < 3; ++i)
                p.get<QCheckBox>(QStringList { "checkPrice", "checkVolume", "checkCV" }.at(i))
                    ->setChecked(values.at(i) == "1");
        } else if (action == "EMail") {
            p.edit("TextEdit")->setText(setting);
        }
        p.panel.UpdateCount(2);
        QVERIFY(p.perform()->isEnabled());
        const Questions yes;
        QTest::mouseClick(p.perform(), Qt::LeftButton);
        QCOMPARE(p.sent, QStringList(request));
        QCOMPARE(yes.asked, asked);
        QCOMPARE(p.panel.isEnabled(), !disabled);
        p.panel.Done();
        QVERIFY(p.panel.isEnabled());

        // What was used comes back on the next start.
        const QMap<QString, QStringList> stored
            = { { "Back", { "Price", "Amount" } }, { "Lay", { "Price", "Amount" } },
                  { "Export", { "Prices", "Volume", "CV" } }, { "EMail", { "Subject" } } };
        QStringList values2;
        for (const QString& key : stored.value(action))
            values2 << SettingsStore()->value("Action/" + key).toString();
        if (action == "Back" || action == "Lay")
            QCOMPARE(values2, values.mid(0, 2));
        if (action == "Export")
            QCOMPARE(values2, QStringList({ "true", "false", "true" }));
        if (action == "EMail")
            QCOMPARE(values2, QStringList(setting));
    }

    void declinedQuestionDoesNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("bet") << "Back";
        QTest::newRow("cancel") << "Cancel";
    }

    void declinedQuestionDoesNothing()
    {
        QFETCH(QString, action);
        Panel p;
        p.choose(action);
        p.edit("PriceEdit")->setText("2.5");
        p.edit("AmountEdit")->setText("10");
        p.panel.UpdateCount(1);
        const QStringList before = SettingsStore()->allKeys();
        const Questions no({ false });
        QTest::mouseClick(p.perform(), Qt::LeftButton);
        QCOMPARE(no.asked.size(), 1);
        QVERIFY(p.sent.isEmpty());
        QVERIFY(p.panel.isEnabled());
        QCOMPARE(SettingsStore()->allKeys(), before);
    }

    // A stored choice that no row carries (a hand-edited file) leaves no choice: nothing is sent.
    void unknownStoredChoice()
    {
        SettingsStore()->setValue("Action/Type", "Stake");
        Panel p;
        p.choose("Back");
        p.edit("AmountEdit")->setText("10");
        p.panel.UpdateCount(1);
        QCOMPARE(p.list("AmountType")->currentIndex(), -1);
        QVERIFY(!p.perform()->isEnabled());
        const Questions yes;
        p.panel.Do();
        QVERIFY(p.sent.isEmpty());
    }
};

QTEST_MAIN(tst_MyAction)
#include "tst_myaction.moc"
