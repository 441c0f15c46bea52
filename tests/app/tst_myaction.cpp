#include "MainWindowTest.h"
#include "QPriceValidator.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

QString flags(std::initializer_list<bool> values)
{
    QStringList texts;
    for (bool value : values)
        texts << (value ? "true" : "false");
    return texts.join(',');
}

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
                            .arg(flags({ back }))
                            .arg(price, 0, 'g', 15)
                            .arg(amount, 0, 'g', 15)
                            .arg(int(type))
                            .arg(keep);
            });
        QObject::connect(&panel, &MyAction::Cancel, &panel, [this](bool back, bool lay) {
            sent << "Cancel(" + flags({ back, lay }) + ")";
        });
        QObject::connect(&panel, &MyAction::Export, &panel, [this](bool prices, bool volumes, bool cv) {
            sent << "Export(" + flags({ prices, volumes, cv }) + ")";
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
    QString choice(const char* name) const { return list(name)->currentData().toString(); }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QPushButton* perform() const { return get<QPushButton>("PerformBut"); }
    void choose(const QString& code) const
    {
        list("ActionsList")->setCurrentIndex(list("ActionsList")->findData(code));
    }
    void enter(const QString& price, const QString& amount) const
    {
        edit("PriceEdit")->setText(price);
        edit("AmountEdit")->setText(amount);
    }
    void tick(const QString& ticks) const // "1 0 1": prices, volume, CV
    {
        for (int i = 0; i < 3; ++i)
            get<QCheckBox>(QStringList { "checkPrice", "checkVolume", "checkCV" }.at(i))
                ->setChecked(ticks[2 * i] == '1');
    }
    QString ticks() const
    {
        QStringList on;
        for (const char* name : { "checkPrice", "checkVolume", "checkCV" })
            on << (get<QCheckBox>(name)->isChecked() ? "1" : "0");
        return on.join(' ');
    }
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
        QTest::addColumn<QString>("shown");
        const char* bet = "ActParamList PriceEdit AmountEdit PriceLabel AmountType";
        Row("Export", "Export", "checkPrice checkVolume checkCV");
        Row("Back", "Back", bet);
        Row("Lay", "Lay", bet);
        Row("Cancel", "Cancel", "ActParamList");
        Row("EMail", "EMail", "TextEdit SubjectLabel");
        Row("Chart", "Chart", "");
    }

    void parametersPerAction()
    {
        QFETCH(QString, action);
        QFETCH(QString, shown);
        Panel p;
        p.choose(action);
        QStringList names;
        for (const char* name : { "ActParamList", "PriceEdit", "AmountEdit", "PriceLabel", "AmountType",
                 "TextEdit", "SubjectLabel", "checkPrice", "checkVolume", "checkCV" })
            if (p.get(name)->isVisibleTo(&p.panel))
                names << name;
        QCOMPARE(names.join(' '), shown);
        QCOMPARE(SettingsStore()->value("Action/Action").toString(), action);
    }

    // A first start, then every key stored: each comes back where it belongs.
    void restoresChoices()
    {
        {
            Panel p;
            QCOMPARE(p.choice("ActionsList"), QString("Export"));
            QCOMPARE(p.ticks(), QString("0 0 0"));
            p.choose("Back");
            QCOMPARE(p.edit("PriceEdit")->text(), QString("1.01"));
            QCOMPARE(p.edit("AmountEdit")->text(), QString(""));
            p.choose("Lay");
            QCOMPARE(p.edit("PriceEdit")->text(), QString("1000"));
        }
        const QVariantMap keys = { { "Action", "Lay" }, { "Price", "2.5" }, { "Amount", "10" },
            { "Type", "Liability" }, { "InPlay", "Keep" }, { "Cancel", "Lay" }, { "Prices", true },
            { "Volume", false }, { "CV", true }, { "Subject", "Hello" } };
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            SettingsStore()->setValue("Action/" + it.key(), it.value());
        Panel p;
        QCOMPARE(p.choice("ActionsList"), QString("Lay"));
        QCOMPARE(p.edit("PriceEdit")->text() + " " + p.edit("AmountEdit")->text(), QString("2.5 10"));
        QCOMPARE(p.choice("AmountType") + " " + p.choice("ActParamList"), QString("Liability Keep"));
        p.choose("Back");
        QCOMPARE(p.choice("AmountType"), QString("Liability"));
        p.choose("Cancel");
        QCOMPARE(p.choice("ActParamList"), QString("Lay"));
        p.choose("Export");
        QCOMPARE(p.ticks(), QString("1 0 1"));
        p.choose("EMail");
        QCOMPARE(p.edit("TextEdit")->text(), QString("Hello"));
    }

    // Perform's state for the count and the texts, the panel never shown.
    void validate_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("state"); // Perform, then the marked edits
        Row("nothing checked", "Back", 0, "2.5", "10", "");
        Row("one checked", "Back", 1, "2.5", "10", "perform");
        Row("price between two", "Back", 1, "1.015", "10", "price");
        Row("price off the ladder", "Back", 1, "2.03", "10", "price");
        Row("price at the top", "Lay", 1, "1000", "10", "perform");
        Row("price above it", "Lay", 1, "1010", "10", "price");
        Row("no amount", "Back", 1, "2.5", "", "");
        Row("amount cleared", "Back", 1, "2.5", " ", "amount");
        Row("amount at the bottom", "Back", 1, "2.5", "0.01", "perform");
        Row("amount below it", "Back", 1, "2.5", "0", "amount");
        Row("amount at the top", "Back", 1, "2.5", "1000000", "perform");
        Row("amount one cent past", "Back", 1, "2.5", "1000000.01", "amount");
        Row("amount with a comma", "Lay", 1, "2.5", "10,5", "amount");
        Row("export, hidden edits bad", "Export", 1, "1.015", "0", "perform price amount");
    }

    void validate()
    {
        QFETCH(QString, action);
        QFETCH(int, count);
        QFETCH(QString, price);
        QFETCH(QString, amount);
        QFETCH(QString, state);
        Panel p;
        p.choose("Back");
        p.enter(price, amount);
        p.choose(action);
        // The texts are stored per side only after a bet: set them again on this side.
        if (action == "Lay")
            p.enter(price, amount);
        p.panel.UpdateCount(count);
        QStringList now;
        if (p.perform()->isEnabled())
            now << "perform";
        for (const char* edit : { "PriceEdit", "AmountEdit" })
            if (p.edit(edit)->property("isError").toBool())
                now << QString(edit).remove("Edit").toLower();
        QCOMPARE(now.join(' '), state);
    }

    // The amount reads "." whatever the language; a comma, a third decimal and a minus are refused as typed.
    void typedAmount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        Row("point", "10.5", "10.5");
        Row("comma", "10,5", "105");
        Row("third decimal", "10.555", "10.55");
        Row("minus", "-5", "5");
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
        const Answering yes({}, QMessageBox::Yes);
        p.panel.Do();
        QLocale::setDefault(language);
        QCOMPARE(p.sent, QStringList(QString("Bet(true,1.01,%1,0,0)").arg(kept)));
    }

    void requests_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("setting"); // "price amount type keep", the side, "1 0 1" ticks, a subject
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("stored"); // the "Action/" keys it adds
        const char* place = "Question: Are you sure you want to PLACE these bets?";
        const char* cancel = "Question: Are you sure you want to CANCEL these bets?";
        Row("back, keep, profit", 0, "Back", "2.5 10.5 1 1", "Bet(true,2.5,10.5,1,1)", place,
            "Amount=10.5 Price=2.5");
        Row("lay, SP, amount, top", 0, "Lay", "1000 999999.99 0 2", "Bet(false,1000,999999.99,0,2)", place,
            "Amount=999999.99 Price=1000");
        Row("asked at level 1", 1, "Back", "2.5 10 0 0", "Bet(true,2.5,10,0,0)", place,
            "Amount=10 Price=2.5");
        Row("not asked at level 2", 2, "Lay", "3 10 1 0", "Bet(false,3,10,1,0)", "", "Amount=10 Price=3");
        Row("cancel all", 0, "Cancel", "All", "Cancel(true,true)", cancel, "");
        Row("cancel back", 0, "Cancel", "Back", "Cancel(true,false)", cancel, "");
        Row("cancel lay", 1, "Cancel", "Lay", "Cancel(false,true)", cancel, "");
        Row("export", 0, "Export", "1 0 1", "Export(true,false,true)", "",
            "CV=true Prices=true Volume=false");
        Row("e-mail", 0, "EMail", "Today's picks", "Mail(Today's picks)", "", "Subject=Today's picks");
        Row("chart", 0, "Chart", "", "AddCharts()", "", "");
    }

    // The exact request, the question before it, what is remembered, the panel held until Done.
    void requests()
    {
        QFETCH(int, level);
        QFETCH(QString, action);
        QFETCH(QString, setting);
        QFETCH(QString, request);
        QFETCH(QString, asked);
        QFETCH(QString, stored);
        SetInteractiveLevel(level);
        Panel p;
        p.choose(action);
        const QStringList values = setting.split(' ');
        if (action == "Back" || action == "Lay") {
            p.enter(values.at(0), values.at(1));
            p.list("AmountType")->setCurrentIndex(values.at(2).toInt());
            p.list("ActParamList")->setCurrentIndex(values.at(3).toInt());
        } else if (action == "Cancel") {
            p.list("ActParamList")->setCurrentIndex(p.list("ActParamList")->findData(setting));
        } else if (action == "Export") {
            p.tick(setting);
        } else if (action == "EMail") {
            p.edit("TextEdit")->setText(setting);
        }
        p.panel.UpdateCount(2);
        QVERIFY(p.perform()->isEnabled());
        const QStringList before = SettingsStore()->allKeys();
        const Answering yes({}, QMessageBox::Yes);
        QTest::mouseClick(p.perform(), Qt::LeftButton);
        QCOMPARE(p.sent, QStringList(request));
        QCOMPARE(yes.boxes, asked.isEmpty() ? QStringList() : QStringList(asked));
        // Charts open at once; the rest waits for the results view.
        QCOMPARE(p.panel.isEnabled(), action == "Chart");
        p.panel.Done();
        QVERIFY(p.panel.isEnabled());
        QStringList added;
        for (const QString& key : SettingsStore()->allKeys())
            if (!before.contains(key))
                added << key.mid(7) + "=" + SettingsStore()->value(key).toString();
        QCOMPARE(added.join(' '), stored);
    }

    // A declined question sends and stores nothing; so does a stored choice no row carries (a hand-edited
    // file).
    void nothingSent_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("type");
        Row("bet declined", "Back", "");
        Row("cancel declined", "Cancel", "");
        Row("unknown amount type", "Back", "Stake");
    }

    void nothingSent()
    {
        QFETCH(QString, action);
        QFETCH(QString, type);
        if (!type.isEmpty())
            SettingsStore()->setValue("Action/Type", type);
        Panel p;
        p.choose(action);
        p.enter("2.5", "10");
        p.panel.UpdateCount(1);
        QCOMPARE(p.perform()->isEnabled(), type.isEmpty());
        const QStringList before = SettingsStore()->allKeys();
        const Answering user({ type.isEmpty() ? QMessageBox::No : QMessageBox::Yes });
        p.panel.Do();
        QCOMPARE(user.boxes.size(), int(type.isEmpty()));
        QVERIFY(p.sent.isEmpty() && p.panel.isEnabled());
        QCOMPARE(SettingsStore()->allKeys(), before);
    }
};

QTEST_MAIN(tst_MyAction)
#include "tst_myaction.moc"
