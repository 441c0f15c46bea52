#include "LogWidgetItem.h"
#include "MetadataLabels.h"
#include "MyTemplates.h"
#include "QConfirm.h"
#include "QLog.h"
#include "TemplateFile.h"
#include "TextInput.h"

#include "common/TestFiles.h"
#include "conditions/InterfaceLanguage.h"
#include "conditions/RowSetup.h"

#include <QComboBox>
#include <QLayout>
#include <QtTest>

#include <optional>

using FilterReaders::Json;
using RowSetup::load;
using RowSetup::Parts;

namespace {

using Answers = QList<QMessageBox::StandardButton>;
const QString cancel = QStringLiteral("<cancel>");

// Stands in for the user at the message boxes and the name prompt. Boxes
// are recorded as "<icon>: <text>"; questions take the next answer (none
// left: No, and the test's box list shows the surprise).
struct FakeUser
{
    QStringList boxes;
    Answers answers;
    QList<TextInput::Request> prompts;
    QStringList names; // cancel for a cancelled prompt
    std::function<void()> whileAsked;

    FakeUser()
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            const char* icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
            boxes << QString("%1: %2").arg(icon, box->text());
            if (whileAsked)
                whileAsked();
            if (box->icon() != QMessageBox::Question)
                return box->button(QMessageBox::Ok);
            const QMessageBox::StandardButton answer = answers.isEmpty() ? QMessageBox::No : answers.takeFirst();
            return answer == QMessageBox::NoButton ? nullptr : box->button(answer);
        });
        TextInput::SetResponder([this](const TextInput::Request& request) -> std::optional<QString> {
            prompts << request;
            if (whileAsked)
                whileAsked();
            const QString name = names.isEmpty() ? cancel : names.takeFirst();
            return name == cancel ? std::nullopt : std::optional<QString>(name);
        });
    }
    ~FakeUser()
    {
        QConfirm::SetResponder({});
        TextInput::SetResponder({});
    }
    Q_DISABLE_COPY(FakeUser)
};

QString question(const QString& text)
{
    return "Question: " + text;
}

QString changedQuestion(const QString& name)
{
    return question(QString("The template '%1' has been changed. Would you like to save it?").arg(name));
}

QByteArray volumeTemplate(int volume)
{
    return QString(R"({"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": %1}]})")
        .arg(volume)
        .toUtf8();
}

QComboBox* list(MyTemplates& panel)
{
    return panel.findChild<QComboBox*>("TemplatesList");
}

QStringList entries(MyTemplates& panel)
{
    QStringList texts;
    for (int i = 0; i < list(panel)->count(); ++i)
        texts << list(panel)->itemText(i);
    return texts;
}

QString shownEntry(MyTemplates& panel)
{
    return list(panel)->currentText();
}

void choose(MyTemplates& panel, const QString& entry)
{
    list(panel)->setCurrentIndex(list(panel)->findText(entry));
}

bool enabled(MyTemplates& panel, const char* button)
{
    return panel.findChild<QWidget*>(button)->isEnabled();
}

QList<TriggerRow*> rowsOf(MyTemplates& panel)
{
    QList<TriggerRow*> rows;
    const QLayout* layout = panel.findChild<QWidget*>("scrollAreaWidgetContents")->layout();
    for (int i = 0; i < layout->count(); ++i)
        rows << qobject_cast<TriggerRow*>(layout->itemAt(i)->widget());
    return rows;
}

QJsonArray recordsOf(MyTemplates& panel)
{
    return panel.ToJson().value("conditions").toArray();
}

QJsonArray conditionsIn(const QString& path)
{
    return QJsonDocument::fromJson(contentOf(path)).object().value("conditions").toArray();
}

// The first row's lower value, as the user sees it.
QString value1(MyTemplates& panel)
{
    return Parts(*rowsOf(panel).first()).value1->text();
}

// The user types into the first row's lower value.
void typeValue1(MyTemplates& panel, const QString& keys)
{
    QTest::keyClicks(Parts(*rowsOf(panel).first()).value1, keys);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList logRecords(const QLog& log)
{
    QStringList records;
    for (int i = 0; i < log.topLevelItemCount(); ++i)
        records << static_cast<LogWidgetItem*>(log.topLevelItem(i))->Message();
    return records;
}

} // namespace

Q_DECLARE_METATYPE(RowSetup::Spec)
Q_DECLARE_METATYPE(Answers)

class tst_MyTemplates : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> data;
    QString templates;

    QString pathOf(const QString& name) const { return templates + "/" + name + ".twt"; }
    void write(const QString& name, const QByteArray& content) const { writeFile(pathOf(name), content); }

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        MetadataLabels::Init();
    }

    // Every test starts from a data folder of its own.
    void init()
    {
        data.emplace();
        QVERIFY(data->isValid());
        QCOMPARE(chmod(QFile::encodeName(data->path()).constData(), 0755), 0);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(data->filePath("config")));
        templates = data->filePath("configtemplates");
        QVERIFY(QDir().mkpath(templates));
        SetInteractiveLevel(QConfirm::All);
    }

    void cleanup()
    {
        chmod(QFile::encodeName(templates).constData(), 0755);
        data.reset();
    }

    void emptyFolder()
    {
        QVERIFY(QDir(templates).removeRecursively());
        MyTemplates panel;
        QVERIFY(QFileInfo(templates).isDir());
        QVERIFY(QFileInfo(data->filePath("configcatalogs")).isDir());
        QCOMPARE(entries(panel), QStringList());
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);

        panel.ReloadTemplates();
        QCOMPARE(entries(panel), QStringList { "[Unsaved]" });
        QCOMPARE(list(panel)->currentIndex(), 0);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.last().first().toString(), QString());
        QCOMPARE(panel.CurrentTemplate(), QString());
        QVERIFY(!panel.IsChanged());
        QCOMPARE(rowsOf(panel).size(), 1);
        QVERIFY(!Parts(*rowsOf(panel).first()).remove->isEnabled());
        QVERIFY(!enabled(panel, "SaveBut"));
        QVERIFY(!enabled(panel, "DelBut"));
        for (const char* button : { "NewBut", "SaveAsBut", "ButAdd", "ButClear" })
            QVERIFY(enabled(panel, button));

        QList<QWidget*> busy;
        panel.GetWidgets(busy);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.at(0)->objectName(), QStringLiteral("PresetsRow"));
        QCOMPARE(busy.at(1)->objectName(), QStringLiteral("ConditionsFrame"));
    }

    // Each row configuration is saved as the record it shows and rebuilt from
    // it as it was, whether or not the panel is on screen.
    void roundTrip_data()
    {
        QTest::addColumn<RowSetup::Spec>("spec");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("record");
        // clang-format off
        QTest::newRow("sports") << RowSetup::Spec{"Event", "Sport", "", "InList", {}, {"1", "7"}} << true
            << R"({"A": "Event", "B": "Sport", "C": "InList", "Vs": ["1", "7"]})";
        QTest::newRow("countries excluded") << RowSetup::Spec{"Event", "Country", "", "NotInList", {}, {"GB"}} << true
            << R"({"A": "Event", "B": "Country", "C": "NotInList", "Vs": ["GB"]})";
        QTest::newRow("event name") << RowSetup::Spec{"Event", "Name", "", "Cont", {"Arsenal"}} << true
            << R"({"A": "Event", "B": "Name", "C": "Cont", "V": "Arsenal"})";
        QTest::newRow("event names") << RowSetup::Spec{"Event", "Name", "", "InList", {}, {"A v B", "C v D"}} << true
            << R"({"A": "Event", "B": "Name", "C": "InList", "Vs": ["A v B", "C v D"]})";
        QTest::newRow("minutes to start") << RowSetup::Spec{"Event", "MinToStart", "", "EQ", {"", "5"}} << true
            << R"({"A": "Event", "B": "MinToStart", "C": "EQ", "V1": 5})";
        QTest::newRow("minutes since start") << RowSetup::Spec{"Event", "MinSinceOff", "", "Btw", {"", "10", "20.5"}} << true
            << R"({"A": "Event", "B": "MinSinceOff", "C": "Btw", "V1": 10, "V2": 20.5})";
        QTest::newRow("match minutes") << RowSetup::Spec{"Event", "Minute", "", "InList", {}, {"45", "90"}} << true
            << R"({"A": "Event", "B": "Minute", "C": "InList", "Vs": ["45", "90"]})";
        QTest::newRow("home score outside") << RowSetup::Spec{"Event", "HomeScore", "", "Ots", {"", "1", "3"}} << true
            << R"({"A": "Event", "B": "HomeScore", "C": "Ots", "V1": 1, "V2": 3})";
        QTest::newRow("scores equal") << RowSetup::Spec{"Event", "DrawScore", "", "EQ"} << true
            << R"({"A": "Event", "B": "DrawScore", "C": "EQ"})";
        QTest::newRow("home ahead") << RowSetup::Spec{"Event", "DrawScore", "", "GR", {"2"}} << true
            << R"({"A": "Event", "B": "DrawScore", "C": "GR", "V": "2"})";
        QTest::newRow("market types") << RowSetup::Spec{"Market", "Type", "", "InList", {}, {"MATCH_ODDS"}} << true
            << R"({"A": "Market", "B": "Type", "C": "InList", "Vs": ["MATCH_ODDS"]})";
        QTest::newRow("market in play") << RowSetup::Spec{"Market", "Status", "", "InPlay"} << true
            << R"({"A": "Market", "B": "Status", "C": "InPlay"})";
        QTest::newRow("market has bets") << RowSetup::Spec{"Market", "HasBets", "", "Any"} << true
            << R"({"A": "Market", "B": "HasBets", "C": "Any"})";
        QTest::newRow("places") << RowSetup::Spec{"Market", "NumPls", "", "Btw", {"", "1", "3"}} << true
            << R"({"A": "Market", "B": "NumPls", "C": "Btw", "V1": 1, "V2": 3})";
        QTest::newRow("withdrawns") << RowSetup::Spec{"Market", "NumWith", "", "NotInList", {}, {"0", "1"}} << true
            << R"({"A": "Market", "B": "NumWith", "C": "NotInList", "Vs": ["0", "1"]})";
        QTest::newRow("volume of a million") << RowSetup::Spec{"Market", "Volume", "", "GE", {"", "1000000"}} << true
            << R"({"A": "Market", "B": "Volume", "C": "GE", "V1": 1000000})";
        QTest::newRow("volume in pence") << RowSetup::Spec{"Market", "Volume", "", "LE", {"", "2500.75"}} << true
            << R"({"A": "Market", "B": "Volume", "C": "LE", "V1": 2500.75})";
        QTest::newRow("favourite back range") << RowSetup::Spec{"Fav", "Back", "", "Btw", {"", "1.5", "2.02"}} << true
            << R"({"A": "Fav", "B": "Back", "C": "Btw", "V1": 1.5, "V2": 2.02})";
        QTest::newRow("favourite back list") << RowSetup::Spec{"Fav", "Back", "", "InList", {}, {"1.5", "3"}} << true
            << R"({"A": "Fav", "B": "Back", "C": "InList", "Vs": ["1.5", "3"]})";
        QTest::newRow("any lay") << RowSetup::Spec{"Any", "Lay", "", "EQ", {"", "1000"}} << true
            << R"({"A": "Any", "B": "Lay", "C": "EQ", "V1": 1000})";
        QTest::newRow("draw volume outside") << RowSetup::Spec{"Draw", "Volume", "", "Ots", {"", "10", "20"}} << true
            << R"({"A": "Draw", "B": "Volume", "C": "Ots", "V1": 10, "V2": 20})";
        QTest::newRow("home name") << RowSetup::Spec{"Home", "Name", "", "EQ", {"Rovers"}} << true
            << R"({"A": "Home", "B": "Name", "C": "EQ", "V": "Rovers"})";
        QTest::newRow("selection bets") << RowSetup::Spec{"Away", "HasBets", "", "None"} << true
            << R"({"A": "Away", "B": "HasBets", "C": "None"})";
        QTest::newRow("trainer") << RowSetup::Spec{"Any", "Silks", "TRAINER_NAME", "Cont", {"Smith"}} << true
            << R"({"A": "Any", "B": "Silks", "D": "TRAINER_NAME", "C": "Cont", "V": "Smith"})";
        QTest::newRow("owners") << RowSetup::Spec{"Fav", "Silks", "OWNER_NAME", "InList", {}, {"A", "B"}} << true
            << R"({"A": "Fav", "B": "Silks", "D": "OWNER_NAME", "C": "InList", "Vs": ["A", "B"]})";
        QTest::newRow("sex types") << RowSetup::Spec{"All", "Silks", "SEX_TYPE", "InList", {}, {"g", "c"}} << true
            << R"({"A": "All", "B": "Silks", "D": "SEX_TYPE", "C": "InList", "Vs": ["g", "c"]})";
        QTest::newRow("form") << RowSetup::Spec{"Any", "Silks", "FORM", "NSQ", {"^0"}} << true
            << R"({"A": "Any", "B": "Silks", "D": "FORM", "C": "NSQ", "V": "^0"})";
        QTest::newRow("age range") << RowSetup::Spec{"Any", "Silks", "AGE", "Btw", {"", "3", "5"}} << true
            << R"({"A": "Any", "B": "Silks", "D": "AGE", "C": "Btw", "V1": 3, "V2": 5})";
        QTest::newRow("stalls") << RowSetup::Spec{"Fav", "Silks", "STALL_DRAW", "InList", {}, {"1", "2"}} << true
            << R"({"A": "Fav", "B": "Silks", "D": "STALL_DRAW", "C": "InList", "Vs": ["1", "2"]})";
        // Saved anyway: what was typed comes back, not a valid 0.
        QTest::newRow("empty volume") << RowSetup::Spec{"Market", "Volume", "", "GE", {"", ""}} << false
            << R"({"A": "Market", "B": "Volume", "C": "GE", "V1": ""})";
        QTest::newRow("selections 3.7") << RowSetup::Spec{"Market", "NumSel", "", "GR", {"", "3.7"}} << false
            << R"({"A": "Market", "B": "NumSel", "C": "GR", "V1": 3.7})";
        QTest::newRow("price off the ladder") << RowSetup::Spec{"Fav", "Back", "", "EQ", {"", "5.05"}} << false
            << R"({"A": "Fav", "B": "Back", "C": "EQ", "V1": 5.05})";
        QTest::newRow("empty name list") << RowSetup::Spec{"Any", "Name", "", "InList"} << false
            << R"({"A": "Any", "B": "Name", "C": "InList", "Vs": []})";
        // clang-format on
    }

    void roundTrip()
    {
        QFETCH(RowSetup::Spec, spec);
        QFETCH(bool, valid);
        QFETCH(QString, record);
        const QJsonObject expected = Json(qPrintable(record));

        for (const bool onScreen : { false, true }) {
            QWidget window;
            auto* panel = new MyTemplates(&window);
            if (onScreen) {
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
            }
            panel->ReloadTemplates();
            QVERIFY(load(*rowsOf(*panel).first(), spec));
            FakeUser user;
            user.answers = { QMessageBox::Yes };
            panel->SaveTemplate(QStringLiteral("t"));
            QCOMPARE(user.boxes.isEmpty(), valid);
            QCOMPARE(conditionsIn(pathOf("t")), QJsonArray { expected });

            MyTemplates loaded;
            loaded.ReloadTemplates("t");
            QCOMPARE(loaded.CurrentTemplate(), QStringLiteral("t"));
            QVERIFY(!loaded.IsChanged());
            QCOMPARE(recordsOf(loaded), QJsonArray { expected });
            QCOMPARE(loaded.IsValid(), valid);
            Parts parts(*rowsOf(loaded).first());
            const QString keys[] = { "V", "V1", "V2" };
            const QPriceEdit* edits[] = { parts.text, parts.value1, parts.value2 };
            for (int i = 0; i < 3; ++i) {
                if (expected.contains(keys[i]))
                    QCOMPARE(edits[i]->text(), spec.texts.value(i));
            }
            QCOMPARE(parts.list->Items(), spec.items);
            QVERIFY(QFile::remove(pathOf("t")));
        }
    }

    // A template built row by row, saved, and opened again gives the search
    // the golden filter.
    void goldenTemplate()
    {
        MyTemplates panel;
        panel.ReloadTemplates();
        const QList<RowSetup::Spec> specs = RowSetup::GoldenRows();
        for (int i = 1; i < specs.size(); ++i)
            panel.AddCondition();
        for (int i = 0; i < specs.size(); ++i)
            QVERIFY(load(*rowsOf(panel).at(i), specs.at(i)));
        FakeUser user;
        panel.SaveTemplate("golden");
        QCOMPARE(user.boxes, QStringList());

        const QJsonArray stored = QJsonDocument::fromJson(R"([
            {"A": "Event", "B": "Sport", "C": "NotInList", "Vs": ["1", "2"]},
            {"A": "Event", "B": "Sport", "C": "InList", "Vs": ["7", "4"]},
            {"A": "Market", "B": "Volume", "C": "GE", "V1": 100000},
            {"A": "Market", "B": "NumSel", "C": "Btw", "V1": 2, "V2": 5},
            {"A": "Fav", "B": "Back", "C": "Ots", "V1": 1.5, "V2": 2},
            {"A": "Any", "B": "Silks", "D": "FORM", "C": "SQ", "V": "1.2"},
            {"A": "All", "B": "Name", "C": "NotInList", "Vs": ["The Field", "Bar"]},
            {"A": "Draw", "B": "HasBets", "C": "Unmatched"},
            {"A": "Market", "B": "HasBets", "C": "Any"},
            {"A": "Event", "B": "DrawScore", "C": "LS", "V": "2"}])")
                                     .array();
        QCOMPARE(conditionsIn(pathOf("golden")), stored);

        MyTemplates loaded;
        loaded.ReloadTemplates("golden");
        QCOMPARE(rowsOf(loaded).size(), specs.size());
        QVERIFY(loaded.IsValid());
        COMPARE_JSON(loaded.GetFilter(), RowSetup::GoldenFilter());
    }

    // Edits mark the template, saving writes the file it came from (under its
    // own base name, with its display names) and clears the mark.
    void editAndSave()
    {
        write("alpha-file",
            R"({"name": {"eng": "Alpha"}, "conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 100}]})");
        MyTemplates panel;
        QSignalSpy changes(&panel, &MyTemplates::onChanged);
        panel.ReloadTemplates("alpha-file");
        QCOMPARE(entries(panel), QStringList({ "[Unsaved]", "Alpha" }));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Alpha"));
        QVERIFY(!enabled(panel, "SaveBut"));
        QVERIFY(enabled(panel, "DelBut"));

        typeValue1(panel, "0");
        QVERIFY(panel.IsChanged());
        QCOMPARE(changes.last().first().toBool(), true);
        QVERIFY(enabled(panel, "SaveBut"));

        FakeUser user;
        QTest::mouseClick(panel.findChild<QPushButton*>("SaveBut"), Qt::LeftButton);
        QCOMPARE(user.boxes, QStringList());
        QVERIFY(!panel.IsChanged());
        QCOMPARE(changes.last().first().toBool(), false);
        QVERIFY(!enabled(panel, "SaveBut"));
        QCOMPARE(filesIn(templates), QStringList { "alpha-file.twt" });
        const QJsonObject saved = QJsonDocument::fromJson(contentOf(pathOf("alpha-file"))).object();
        QCOMPARE(saved.value("conditions").toArray().at(0).toObject().value("V1").toDouble(), 1000.0);
        QCOMPARE(saved.value("name").toObject().value("eng").toString(), QStringLiteral("Alpha"));

        panel.ReloadTemplates("alpha-file");
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Alpha"));
        QCOMPARE(value1(panel), QStringLiteral("1000"));
    }

    void readOnlyTemplate()
    {
        const QByteArray preset = R"({"readOnly": true, "name": {"eng": "Preset"},
            "conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 100}]})";
        write("preset", preset);
        MyTemplates panel;
        panel.ReloadTemplates("preset");
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Preset"));
        typeValue1(panel, "5");
        QVERIFY(panel.IsChanged());
        QVERIFY(!enabled(panel, "SaveBut"));
        QVERIFY(!enabled(panel, "DelBut"));

        FakeUser user;
        panel.DeleteTemplate();
        QVERIFY(user.boxes.isEmpty());

        // Saving asks for the name of a copy; declined, nothing is written.
        panel.DoSave();
        QCOMPARE(user.prompts.size(), 1);
        QCOMPARE(user.prompts.first().title, QStringLiteral("Save template as..."));
        QCOMPARE(user.prompts.first().label, QStringLiteral("Please enter new name:"));
        QCOMPARE(user.prompts.first().text, QStringLiteral("Copy of Preset"));
        // A copy by the read-only template's own name is refused, silently.
        user.names = QStringList { "preset" };
        panel.DoSave();
        QVERIFY(user.boxes.isEmpty());
        QCOMPARE(filesIn(templates), QStringList { "preset.twt" });
        QVERIFY(panel.IsChanged());
        QCOMPARE(value1(panel), QStringLiteral("1005"));

        user.names = QStringList { "Mine" };
        panel.DoSave();
        QCOMPARE(filesIn(templates), QStringList({ "Mine.twt", "preset.twt" }));
        QCOMPARE(contentOf(pathOf("preset")), preset);
        QCOMPARE(shownEntry(panel), QStringLiteral("Mine"));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Mine"));
        QCOMPARE(value1(panel), QStringLiteral("1005"));
        QVERIFY(!panel.IsChanged());
        QVERIFY(enabled(panel, "DelBut"));
    }

    // Exactly the listed file goes, and the rows stay, unsaved, without being
    // written back anywhere.
    void deleteTemplate_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("deleted");
        const QString sure = question("Are you sure to delete template 'x__y'?");
        QTest::newRow("Yes") << int(QConfirm::All) << Answers { QMessageBox::Yes } << QStringList { sure } << true;
        QTest::newRow("No") << int(QConfirm::All) << Answers { QMessageBox::No } << QStringList { sure } << false;
        QTest::newRow("without questions") << int(QConfirm::None) << Answers {} << QStringList {} << true;
    }

    void deleteTemplate()
    {
        QFETCH(int, level);
        QFETCH(Answers, answers);
        QFETCH(QStringList, boxes);
        QFETCH(bool, deleted);
        write("x__y", volumeTemplate(100));
        write("x_y", volumeTemplate(200)); // where a sanitised name would lead
        MyTemplates panel;
        panel.ReloadTemplates("x__y");
        QCOMPARE(value1(panel), QStringLiteral("100"));
        typeValue1(panel, "5");

        SetInteractiveLevel(level);
        FakeUser user;
        user.answers = answers;
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        QTest::mouseClick(panel.findChild<QPushButton*>("DelBut"), Qt::LeftButton);
        QCOMPARE(user.boxes, boxes);
        QCOMPARE(value1(panel), QStringLiteral("1005"));
        QVERIFY(panel.IsChanged());
        QCOMPARE(contentOf(pathOf("x_y")), volumeTemplate(200));
        if (deleted) {
            QCOMPARE(filesIn(templates), QStringList { "x_y.twt" });
            QCOMPARE(entries(panel), QStringList({ "[Unsaved]", "x_y" }));
            QCOMPARE(list(panel)->currentIndex(), 0);
            QCOMPARE(panel.CurrentTemplate(), QString());
            QCOMPARE(loaded.size(), 1);
            QVERIFY(!enabled(panel, "DelBut"));
        } else {
            QCOMPARE(contentOf(pathOf("x__y")), volumeTemplate(100));
            QCOMPARE(shownEntry(panel), QStringLiteral("x__y"));
            QCOMPARE(loaded.size(), 0);
        }
    }

    // Leaving changed rows for another template asks first, for a named
    // template and for unsaved rows alike; the rows are replaced only once
    // they were saved or given up.
    void switchWithUnsavedChanges_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("named");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("shownValue");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("storedInA");
        const QStringList both { "A.twt", "B.twt" };
        const QStringList withCopy { "A.twt", "B.twt", "Copy.twt" };
        const int all = QConfirm::All;
        const int none = QConfirm::None;
        const auto yes = QMessageBox::Yes;
        const auto no = QMessageBox::No;
        // clang-format off
        QTest::newRow("named, Yes") << all << true << Answers{yes} << QStringList{} << 1 << "B" << "200" << both << "1005";
        QTest::newRow("named, No") << all << true << Answers{no} << QStringList{} << 1 << "B" << "200" << both << "100";
        QTest::newRow("named, box closed") << all << true << Answers{QMessageBox::NoButton} << QStringList{} << 1 << "B" << "200" << both << "100";
        QTest::newRow("named, no questions") << none << true << Answers{} << QStringList{} << 0 << "B" << "200" << both << "1005";
        QTest::newRow("unsaved, Yes and a name") << all << false << Answers{yes} << QStringList{"Copy"} << 1 << "B" << "200" << withCopy << "100";
        QTest::newRow("unsaved, Yes, no name") << all << false << Answers{yes} << QStringList{cancel} << 1 << "" << "3005" << both << "100";
        QTest::newRow("unsaved, No") << all << false << Answers{no} << QStringList{} << 1 << "B" << "200" << both << "100";
        QTest::newRow("unsaved, no questions") << none << false << Answers{} << QStringList{"Copy"} << 0 << "B" << "200" << withCopy << "100";
        // clang-format on
    }

    void switchWithUnsavedChanges()
    {
        QFETCH(int, level);
        QFETCH(bool, named);
        QFETCH(Answers, answers);
        QFETCH(QStringList, names);
        QFETCH(int, boxes);
        QFETCH(QString, current);
        QFETCH(QString, shownValue);
        QFETCH(QStringList, files);
        QFETCH(QString, storedInA);
        write("A", volumeTemplate(100));
        write("B", volumeTemplate(200));
        MyTemplates panel;
        panel.ReloadTemplates(named ? "A" : "");
        if (!named)
            QVERIFY(load(*rowsOf(panel).first(), "Market", "Volume", "", "GE", { "", "300" }));
        typeValue1(panel, "5");
        QVERIFY(panel.IsChanged());

        SetInteractiveLevel(level);
        FakeUser user;
        user.answers = answers;
        user.names = names;
        choose(panel, "B");
        QCOMPARE(user.boxes.size(), boxes);
        if (boxes)
            QCOMPARE(user.boxes.first(), changedQuestion(named ? "A" : "[Unsaved]"));
        QCOMPARE(user.answers, Answers());
        QCOMPARE(user.names, QStringList());
        QCOMPARE(panel.CurrentTemplate(), current);
        QCOMPARE(shownEntry(panel), current.isEmpty() ? QString("[Unsaved]") : current);
        QCOMPARE(value1(panel), shownValue);
        QCOMPARE(panel.IsChanged(), current.isEmpty());
        QCOMPARE(filesIn(templates), files);
        QCOMPARE(TemplateFile::ValueText(conditionsIn(pathOf("A")).at(0).toObject().value("V1")), storedInA);
        if (files.contains("Copy.twt"))
            QCOMPARE(TemplateFile::ValueText(conditionsIn(pathOf("Copy")).at(0).toObject().value("V1")),
                QStringLiteral("3005"));
    }

    // Whatever the user picks while the panel waits for an answer, the
    // template chosen first is the one that is loaded, even after the list
    // has been refilled around it.
    void choiceMovedWhileAsked_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("loads");
        QTest::newRow("during the save question") << true << Answers { QMessageBox::No } << QStringList {}
                                                  << QStringList { "Beta.twt", "Gamma.twt" } << QStringList { "Beta" };
        QTest::newRow("during the name prompt")
            << false << Answers { QMessageBox::Yes } << QStringList { "Alpha" }
            << QStringList { "Alpha.twt", "Beta.twt", "Gamma.twt" } << QStringList { "Alpha", "Beta" };
    }

    void choiceMovedWhileAsked()
    {
        QFETCH(bool, named);
        QFETCH(Answers, answers);
        QFETCH(QStringList, names);
        QFETCH(QStringList, files);
        QFETCH(QStringList, loads);
        write("Beta", volumeTemplate(200));
        write("Gamma", volumeTemplate(300));
        MyTemplates panel;
        panel.ReloadTemplates(named ? "Gamma" : "");
        QVERIFY(load(*rowsOf(panel).first(), "Market", "Volume", "", "GE", { "", "100" }));
        typeValue1(panel, "5");
        QVERIFY(panel.IsChanged());

        FakeUser user;
        user.answers = answers;
        user.names = names;
        user.whileAsked = [&] { choose(panel, "Gamma"); };
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        choose(panel, "Beta");
        QCOMPARE(user.boxes.size(), 1);
        QCOMPARE(user.prompts.size(), named ? 0 : 1);
        QStringList loadedNames;
        for (const QList<QVariant>& signal : qAsConst(loaded))
            loadedNames << signal.first().toString();
        QCOMPARE(loadedNames, loads);
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Beta"));
        QCOMPARE(shownEntry(panel), QStringLiteral("Beta"));
        QCOMPARE(value1(panel), QStringLiteral("200"));
        QVERIFY(!panel.IsChanged());
        QCOMPARE(filesIn(templates), files);
        QCOMPARE(contentOf(pathOf("Gamma")), volumeTemplate(300));
    }

    // A Save As that ends without a file leaves the rows and the template as
    // they were.
    void saveAsWithoutAFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("emptyValue");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxes");
        // clang-format off
        QTest::newRow("prompt cancelled") << cancel << false << Answers{} << QStringList{};
        QTest::newRow("no name") << "" << false << Answers{} << QStringList{};
        QTest::newRow("overwrite declined") << "B" << false << Answers{QMessageBox::No}
            << QStringList{question("File 'B' exists. Overwrite?")};
        QTest::newRow("invalid rows, not saved") << "C" << true << Answers{QMessageBox::No}
            << QStringList{question("One or more of the entered values are not valid. Would you like to save it anyway?")};
        // clang-format on
    }

    void saveAsWithoutAFile()
    {
        QFETCH(QString, typed);
        QFETCH(bool, emptyValue);
        QFETCH(Answers, answers);
        QFETCH(QStringList, boxes);
        write("A", volumeTemplate(100));
        write("B", volumeTemplate(200));
        MyTemplates panel;
        panel.ReloadTemplates("A");
        if (emptyValue)
            Parts(*rowsOf(panel).first()).value1->clear();
        typeValue1(panel, emptyValue ? "" : "5");
        const QJsonArray rows = recordsOf(panel);
        const bool changed = panel.IsChanged();

        FakeUser user;
        user.names = QStringList { typed };
        user.answers = answers;
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        QTest::mouseClick(panel.findChild<QPushButton*>("SaveAsBut"), Qt::LeftButton);
        QCOMPARE(user.prompts.size(), 1);
        QCOMPARE(user.prompts.first().text, QStringLiteral("Copy of A"));
        QCOMPARE(user.boxes, boxes);
        QCOMPARE(recordsOf(panel), rows);
        QCOMPARE(panel.IsChanged(), changed);
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("A"));
        QCOMPARE(shownEntry(panel), QStringLiteral("A"));
        QCOMPARE(loaded.size(), 0);
        QCOMPARE(filesIn(templates), QStringList({ "A.twt", "B.twt" }));
        QCOMPARE(contentOf(pathOf("A")), volumeTemplate(100));
        QCOMPARE(contentOf(pathOf("B")), volumeTemplate(200));
    }

    // A write that fails is reported at every level, leaves the file as it
    // was and the template marked; leaving it then keeps the rows.
    void writeFailure_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("read-only folder") << int(QConfirm::All) << 0555 << 0666 << false << "Permission denied";
        QTest::newRow("read-only folder, no questions") << int(QConfirm::None) << 0555 << 0666 << false << "Permission denied";
        QTest::newRow("read-only file") << int(QConfirm::All) << 0777 << 0444 << false << "Existing file %1 is not writable";
        QTest::newRow("disk full") << int(QConfirm::All) << 0755 << 0644 << true << "File too large";
        // clang-format on
    }

    void writeFailure()
    {
        QFETCH(int, level);
        QFETCH(int, folderMode);
        QFETCH(int, fileMode);
        QFETCH(bool, diskFull);
        QFETCH(QString, reason);
        write("A", volumeTemplate(100));
        write("B", volumeTemplate(200));
        QCOMPARE(chmod(QFile::encodeName(pathOf("A")).constData(), mode_t(fileMode)), 0);
        MyTemplates panel;
        panel.ReloadTemplates("A");
        typeValue1(panel, "5");
        QCOMPARE(chmod(QFile::encodeName(templates).constData(), mode_t(folderMode)), 0);

        SetInteractiveLevel(level);
        FakeUser user;
        user.answers = { QMessageBox::Yes };
        QSignalSpy help(QConfirm::Instance(), &QConfirm::showHelp);
        {
            std::optional<Unprivileged> nobody;
            std::optional<FileSizeLimit> limit;
            if (!diskFull)
                nobody.emplace();
            else
                limit.emplace();
            panel.DoSave();
            // Leaving for B: Yes, but the save fails again, so A stays.
            choose(panel, "B");
        }
        if (reason.contains("%1"))
            reason = reason.arg(pathOf("A"));
        const QString failure = "Critical: Unable to save file: " + reason;
        const QStringList boxes = level == QConfirm::All ? QStringList { failure, changedQuestion("A"), failure }
                                                         : QStringList { failure, failure };
        QCOMPARE(user.boxes, boxes);
        QCOMPARE(contentOf(pathOf("A")), volumeTemplate(100));
        QCOMPARE(filesIn(templates), QStringList({ "A.twt", "B.twt" }));
        QVERIFY(panel.IsChanged());
        QVERIFY(enabled(panel, "SaveBut"));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("A"));
        QCOMPARE(shownEntry(panel), QStringLiteral("A"));
        QCOMPARE(value1(panel), QStringLiteral("1005"));
    }

    // A file that cannot be read as a template changes nothing; an empty one
    // is a template without rows.
    void unreadableFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason"); // empty: loads
        QTest::newRow("not JSON") << QByteArray("conditions: none") << "illegal value";
        QTest::newRow("cut short") << QByteArray("{\"conditions\": [{\"A\": \"Mar") << "unterminated string";
        QTest::newRow("an array") << QByteArray(R"([{"A": "Market"}])") << "The file holds no template.";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("no rows") << QByteArray(R"({"conditions": []})") << "";
    }

    void unreadableFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        write("A", volumeTemplate(100));
        write("bad", content);
        MyTemplates panel;
        panel.ReloadTemplates("A");
        QCOMPARE(entries(panel), QStringList({ "[Unsaved]", "A", "bad" }));

        FakeUser user;
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        choose(panel, "bad");
        QCOMPARE(contentOf(pathOf("bad")), content);
        QVERIFY(!panel.IsChanged());
        if (reason.isEmpty()) {
            QCOMPARE(user.boxes, QStringList());
            QCOMPARE(panel.CurrentTemplate(), QStringLiteral("bad"));
            QCOMPARE(rowsOf(panel).size(), 1);
            QCOMPARE(value1(panel), QString());
            return;
        }
        QCOMPARE(user.boxes, QStringList { "Information: Unable to open file 'bad': " + reason });
        QCOMPARE(loaded.size(), 0);
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("A"));
        QCOMPARE(shownEntry(panel), QStringLiteral("A"));
        QCOMPARE(value1(panel), QStringLiteral("100"));
        // Saving still goes to A.
        typeValue1(panel, "5");
        panel.DoSave();
        QCOMPARE(TemplateFile::ValueText(conditionsIn(pathOf("A")).at(0).toObject().value("V1")),
            QStringLiteral("1005"));
        QCOMPARE(contentOf(pathOf("bad")), content);
    }

    // Rows with codes the lists do not hold load as far as they can, with a
    // warning in the log.
    void unknownCodes()
    {
        QLog log;
        write("odd", R"({"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 5},
                                        {"A": "Nothing", "B": "Volume", "C": "GE", "V1": 7}]})");
        MyTemplates panel;
        panel.ReloadTemplates("odd");
        QCOMPARE(rowsOf(panel).size(), 2);
        QVERIFY(rowsOf(panel).at(0)->HasEveryChoice());
        QVERIFY(!rowsOf(panel).at(1)->HasEveryChoice());
        QVERIFY(!panel.IsValid());
        QCOMPARE(logRecords(log).filter("Condition").size(), 1);
        QVERIFY(logRecords(log).filter("Condition").first().startsWith("Condition 2 of the template 'odd'"));
    }

    // A template file named on the command line opens: from the templates
    // folder as it is, from elsewhere as a copy that never replaces a file.
    void commandLine_data()
    {
        QTest::addColumn<QString>("source"); // "in:" or "out:" and a file name
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("existingCup"); // Cup.twt in the folder, if any
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("copy"); // the file that must equal the source
        const QByteArray cup = volumeTemplate(100);
        const QByteArray other = volumeTemplate(999);
        // clang-format off
        QTest::newRow("in the folder") << "in:Cup.twt" << cup << cup << "Cup" << QStringList{"Cup.twt"} << "";
        QTest::newRow("elsewhere") << "out:Cup.twt" << cup << QByteArray() << "Cup" << QStringList{"Cup.twt"} << "Cup.twt";
        QTest::newRow("elsewhere, name taken") << "out:Cup.twt" << cup << other << "Cup (2)"
            << QStringList{"Cup (2).twt", "Cup.twt"} << "Cup (2).twt";
        QTest::newRow("elsewhere, already there") << "out:Cup.twt" << cup << cup << "Cup" << QStringList{"Cup.twt"} << "Cup.twt";
        QTest::newRow("elsewhere, other extension") << "out:Cup.json" << cup << QByteArray() << "Cup"
            << QStringList{"Cup.twt"} << "Cup.twt";
        QTest::newRow("elsewhere, hidden") << "out:.Cup.twt" << cup << QByteArray() << "Cup" << QStringList{"Cup.twt"} << "Cup.twt";
        QTest::newRow("elsewhere, not a template") << "out:Cup.twt" << QByteArray("{") << QByteArray() << ""
            << QStringList{} << "";
        // clang-format on
    }

    void commandLine()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, existingCup);
        QFETCH(QString, current);
        QFETCH(QStringList, files);
        QFETCH(QString, copy);
        const QString elsewhere = data->filePath("downloads");
        QVERIFY(QDir().mkpath(elsewhere));
        MyTemplates panel;
        if (!existingCup.isEmpty())
            write("Cup", existingCup);
        const QString path = (source.startsWith("in:") ? templates : elsewhere) + "/" + source.mid(source.indexOf(':') + 1);
        if (!QFileInfo::exists(path))
            writeFile(path, content);

        FakeUser user;
        panel.ReloadTemplates(path);
        QCOMPARE(user.boxes.size(), current.isEmpty() ? 1 : 0);
        QCOMPARE(panel.CurrentTemplate(), current);
        QCOMPARE(filesIn(templates), files);
        QCOMPARE(contentOf(path), content);
        if (!copy.isEmpty())
            QCOMPARE(contentOf(templates + "/" + copy), content);
        if (!existingCup.isEmpty())
            QCOMPARE(contentOf(pathOf("Cup")), existingCup);
        if (!current.isEmpty())
            QCOMPARE(value1(panel), QStringLiteral("100"));
    }

    // Typed names give a file the list shows, and that entry is chosen.
    void typedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("entry");
        QTest::newRow("ending in the letters") << "Newtwt" << "Newtwt";
        QTest::newRow("with the extension") << "My.twt" << "My";
        QTest::newRow("sanitised") << "a<b>" << "a_b_";
        QTest::newRow("hidden") << "..hidden" << "hidden";
    }

    void typedNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, entry);
        MyTemplates panel;
        panel.ReloadTemplates();
        FakeUser user;
        user.names = QStringList { typed };
        user.answers = { QMessageBox::Yes }; // the empty row is not valid
        panel.DoSave();
        QCOMPARE(user.prompts.first().text, QString());
        QCOMPARE(filesIn(templates), QStringList { entry + ".twt" });
        QCOMPARE(entries(panel), QStringList({ "[Unsaved]", entry }));
        QCOMPARE(shownEntry(panel), entry);
        QCOMPARE(panel.CurrentTemplate(), entry);
        QVERIFY(!panel.IsChanged());
    }

    // The only row cannot be deleted; any other can.
    void deleteButtons_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("deleted"); // -1: none
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("one row") << 1 << -1 << QList<bool> { false };
        QTest::newRow("two rows") << 2 << -1 << QList<bool> { true, true };
        QTest::newRow("two rows, first deleted") << 2 << 0 << QList<bool> { false };
        QTest::newRow("two rows, second deleted") << 2 << 1 << QList<bool> { false };
        QTest::newRow("three rows, middle deleted") << 3 << 1 << QList<bool> { true, true };
        QTest::newRow("three rows, first deleted") << 3 << 0 << QList<bool> { true, true };
    }

    void deleteButtons()
    {
        QFETCH(int, rows);
        QFETCH(int, deleted);
        QFETCH(QList<bool>, enabled);
        MyTemplates panel;
        for (int i = 1; i < rows; ++i)
            panel.AddCondition();
        if (deleted >= 0) {
            QTest::mouseClick(Parts(*rowsOf(panel).at(deleted)).remove, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(rowsOf(panel).size(), rows - 1, 10000);
        }
        QList<bool> states;
        for (TriggerRow* row : rowsOf(panel))
            states << Parts(*row).remove->isEnabled();
        QCOMPARE(states, enabled);
    }

    void newTemplate_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("named, No") << true << Answers { QMessageBox::No } << QStringList {} << true;
        QTest::newRow("unsaved, No") << false << Answers { QMessageBox::No } << QStringList {} << true;
        QTest::newRow("unsaved, Yes, no name") << false << Answers { QMessageBox::Yes } << QStringList { cancel }
                                               << false;
    }

    void newTemplate()
    {
        QFETCH(bool, named);
        QFETCH(Answers, answers);
        QFETCH(QStringList, names);
        QFETCH(bool, cleared);
        write("A", volumeTemplate(100));
        MyTemplates panel;
        panel.ReloadTemplates(named ? "A" : "");
        if (!named)
            QVERIFY(load(*rowsOf(panel).first(), "Market", "Volume", "", "GE", { "", "100" }));
        panel.AddCondition();
        typeValue1(panel, "5");

        FakeUser user;
        user.answers = answers;
        user.names = names;
        QTest::mouseClick(panel.findChild<QPushButton*>("NewBut"), Qt::LeftButton);
        QCOMPARE(user.boxes, QStringList { changedQuestion(named ? "A" : "[Unsaved]") });
        QCOMPARE(rowsOf(panel).size(), cleared ? 1 : 2);
        QCOMPARE(panel.IsChanged(), !cleared);
        QCOMPARE(shownEntry(panel), QStringLiteral("[Unsaved]"));
        QCOMPARE(contentOf(pathOf("A")), volumeTemplate(100));
    }

    // The interface language names the template; unsaved edits survive it.
    void languageChange()
    {
        write("cup", R"({"name": {"eng": "Cup", "rus": "Кубок"},
                         "conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 100}]})");
        MyTemplates panel;
        panel.ReloadTemplates("cup");
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Cup"));
        FakeUser user;
        {
            const InterfaceLanguage russian("ru_RU");
            panel.LanguageChanged();
            QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Кубок"));
            typeValue1(panel, "5");
        }
        panel.LanguageChanged();
        QCOMPARE(user.boxes, QStringList());
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Cup"));
        QCOMPARE(value1(panel), QStringLiteral("1005"));
        QVERIFY(panel.IsChanged());
    }
};

QTEST_MAIN(tst_MyTemplates)
#include "tst_mytemplates.moc"
