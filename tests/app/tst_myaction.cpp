#include "MainWindowTest.h"
#include "QPriceValidator.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

// The action's parameters in the panel's order; the labels have no value.
const QStringList Parameters = { "ActParamList", "PriceLabel", "PriceEdit", "AmountEdit", "AmountType",
    "SubjectLabel", "TextEdit", "checkPrice", "checkVolume", "checkCV" };

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
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QPushButton* perform() const { return get<QPushButton>("PerformBut"); }
    void choose(const QString& code) const
    {
        get<QComboBox>("ActionsList")->setCurrentIndex(get<QComboBox>("ActionsList")->findData(code));
    }
    void enter(const QString& price, const QString& amount) const
    {
        edit("PriceEdit")->setText(price);
        edit("AmountEdit")->setText(amount);
    }
    QStringList shown() const
    {
        QStringList names;
        for (const QString& name : Parameters)
            if (get(name)->isVisibleTo(&panel))
                names << name;
        return names;
    }
    // The shown parameters' values: texts, the lists' codes, ticks as 1 and 0.
    QString values() const
    {
        QStringList all;
        for (const QString& name : shown()) {
            if (auto* edit = qobject_cast<QLineEdit*>(get(name)))
                all << edit->text();
            else if (auto* list = qobject_cast<QComboBox*>(get(name)))
                all << list->currentData().toString();
            else if (auto* box = qobject_cast<QCheckBox*>(get(name)))
                all << (box->isChecked() ? "1" : "0");
        }
        return all.join(' ');
    }
    void set(const QString& values) const
    {
        QStringList texts = values.split(' ');
        for (const QString& name : shown()) {
            if (auto* edit = qobject_cast<QLineEdit*>(get(name)))
                edit->setText(texts.takeFirst());
            else if (auto* list = qobject_cast<QComboBox*>(get(name)))
                list->setCurrentIndex(list->findData(texts.takeFirst()));
            else if (auto* box = qobject_cast<QCheckBox*>(get(name)))
                box->setChecked(texts.takeFirst() == "1");
        }
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

    void parameters_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("first"); // their values on a first start
        QTest::addColumn<QString>("stored"); // with every "Action/" key stored
        const char* bet = "ActParamList PriceLabel PriceEdit AmountEdit AmountType";
        Row("Export", "Export", "checkPrice checkVolume checkCV", "0 0 0", "1 0 1");
        Row("Back", "Back", bet, "Cancel 1.01  Amount", "Keep 2.5 10 Liability");
        Row("Lay", "Lay", bet, "Cancel 1000  Amount", "Keep 2.5 10 Liability");
        Row("Cancel", "Cancel", "ActParamList", "All", "Lay");
        Row("EMail", "EMail", "SubjectLabel TextEdit", "", "Hello");
        Row("Chart", "Chart", "", "", "");
    }

    // Per action: the parameters shown, their defaults, and every stored choice back where it belongs.
    void parameters()
    {
        QFETCH(QString, action);
        QFETCH(QString, shown);
        QFETCH(QString, first);
        QFETCH(QString, stored);
        {
            Panel p;
            QCOMPARE(p.get<QComboBox>("ActionsList")->currentData().toString(), QString("Export"));
            p.choose(action);
            QCOMPARE(p.shown().join(' '), shown);
            QCOMPARE(p.values(), first);
            QCOMPARE(SettingsStore()->value("Action/Action").toString(), action);
        }
        const QVariantMap keys = { { "Action", "Chart" }, { "Price", "2.5" }, { "Amount", "10" },
            { "Type", "Liability" }, { "InPlay", "Keep" }, { "Cancel", "Lay" }, { "Prices", true },
            { "Volume", false }, { "CV", true }, { "Subject", "Hello" } };
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            SettingsStore()->setValue("Action/" + it.key(), it.value());
        Panel p;
        QCOMPARE(p.get<QComboBox>("ActionsList")->currentData().toString(), QString("Chart"));
        p.choose(action);
        QCOMPARE(p.values(), stored);
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
        QTest::addColumn<QString>("setting"); // the shown parameters' values
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("stored"); // the "Action/" keys it adds
        const char* place = "Question: Are you sure you want to PLACE these bets?";
        const char* cancel = "Question: Are you sure you want to CANCEL these bets?";
        Row("back, keep, profit", 0, "Back", "Keep 2.5 10.5 Liability", "Bet(true,2.5,10.5,1,1)", place,
            "Amount=10.5 Price=2.5");
        Row("lay, SP, amount, top", 0, "Lay", "SP 1000 999999.99 Amount", "Bet(false,1000,999999.99,0,2)",
            place, "Amount=999999.99 Price=1000");
        Row("asked at level 1", 1, "Back", "Cancel 2.5 10 Amount", "Bet(true,2.5,10,0,0)", place,
            "Amount=10 Price=2.5");
        Row("not asked at level 2", 2, "Lay", "Cancel 3 10 Liability", "Bet(false,3,10,1,0)", "",
            "Amount=10 Price=3");
        Row("cancel all", 0, "Cancel", "All", "Cancel(true,true)", cancel, "");
        Row("cancel back", 0, "Cancel", "Back", "Cancel(true,false)", cancel, "");
        Row("cancel lay", 1, "Cancel", "Lay", "Cancel(false,true)", cancel, "");
        Row("export", 0, "Export", "1 0 1", "Export(true,false,true)", "",
            "CV=true Prices=true Volume=false");
        Row("e-mail", 0, "EMail", "Picks", "Mail(Picks)", "", "Subject=Picks");
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
        p.set(setting);
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
