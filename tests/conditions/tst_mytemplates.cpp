#include "MetadataLabels.h"
#include "MyTemplates.h"
#include "QConfirm.h"
#include "QSportsCatalog.h"
#include "TemplateFile.h"
#include "TextInput.h"

#include "common/TestFiles.h"
#include "conditions/DataRows.h"
#include "conditions/RowSetup.h"
#include "support/ProgramTranslation.h"

#include <QLayout>

#include <optional>

using namespace RowSetup;
using Answers = QList<QMessageBox::StandardButton>;

namespace {

const QString cancel = "<cancel>";

// The user at the boxes ("<icon>: <text>") and the name prompt; no answer left is No, no name left a cancel.
struct FakeUser
{
    QStringList boxes;
    Answers answers;
    QStringList names;
    std::function<void()> whileAsked = [] {};

    FakeUser()
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            boxes << QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()) + QString(": ") + box->text();
            whileAsked();
            if (box->icon() != QMessageBox::Question)
                return box->button(QMessageBox::Ok);
            return box->button(answers.isEmpty() ? QMessageBox::No : answers.takeFirst());
        });
        TextInput::SetResponder([this](const TextInput::Request&) -> std::optional<QString> {
            whileAsked();
            const QString name = names.isEmpty() ? cancel : names.takeFirst();
            return name == cancel ? std::nullopt : std::optional<QString>(name);
        });
    }
    ~FakeUser() { QConfirm::SetResponder({}), TextInput::SetResponder({}); }
};

// The panel as the user reaches it: its list, its buttons, its rows and the first row's lower value.
struct Panel : MyTemplates
{
    using MyTemplates::MyTemplates;
    QComboBox* list = findChild<QComboBox*>("TemplatesList");

    QString entry() const { return list->currentText(); }
    void choose(const QString& entry) { list->setCurrentIndex(list->findText(entry)); }
    void click(const QString& button) { QTest::mouseClick(findChild<QPushButton*>(button), Qt::LeftButton); }
    QList<TriggerRow*> rows() const
    {
        QList<TriggerRow*> rows;
        const QLayout* layout = findChild<QWidget*>("scrollAreaWidgetContents")->layout();
        for (int i = 0; i < layout->count(); ++i)
            rows << qobject_cast<TriggerRow*>(layout->itemAt(i)->widget());
        return rows;
    }
    QString value() const { return Parts { *rows().first() }.value1->text(); }
    void type(const QString& keys) { QTest::keyClicks(Parts { *rows().first() }.value1, keys); }
};

QByteArray volumeTemplate(int volume, const char* name = "")
{
    return QString(R"({%1"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": %2}]})").arg(name).arg(volume).toUtf8();
}

// On A (file a__file, 100), B (200), a_file (999) and read-only Preset (400): start on A or unsaved rows of 300,
// type, act (buttons, slots, or an entry to choose), and what the user and the folder see after.
struct Scenario
{
    QString start, typed;
    int level;
    QString broken, action; // "folder" or "file" read-only, or a full "disk", while acting
    Answers answers;
    QStringList names;
    bool meddle; // the user chooses A while asked
    QStringList boxes;
    QString shown; // entry and value after
    bool changed;
    QStringList files; // besides B, a_file and preset
    QString storedInA;
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class tst_MyTemplates : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> data;
    QString templates;

    QString pathOf(const QString& name) const { return templates + "/" + name + ".twt"; }
    void write(const QString& name, const QByteArray& content) const { writeFile(pathOf(name), content); }
    QJsonObject stored(const QString& name) const { return QJsonDocument::fromJson(contentOf(pathOf(name))).object(); }
    QJsonArray conditionsIn(const QString& name) const { return stored(name).value("conditions").toArray(); }
    QString storedValue(const QString& name) const { return TemplateFile::ValueText(conditionsIn(name).at(0)["V1"]); }
    QStringList files() const { return QDir(templates).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name); }

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        MetadataLabels::Init();
    }

    void init()
    {
        if (data) // a test may have left the folder read-only
            chmod(QFile::encodeName(templates).constData(), 0755);
        data.emplace();
        QCOMPARE(chmod(QFile::encodeName(data->path()).constData(), 0755), 0);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(data->filePath("config")));
        templates = data->filePath("configtemplates");
        QVERIFY(QDir().mkpath(templates));
        SetInteractiveLevel(QConfirm::All);
    }

    // Row, texts, items, valid, values stored: saved as shown and rebuilt as it was (typed), on screen or not.
    void roundTrip_data()
    {
        textRows({ R"(Event Sport InList | - | 1 7 | valid | "Vs": ["1", "7"])", "Market Status InPlay | x y | - | valid | -",
            R"(Market Volume GE | - 1000000 | - | valid | "V1": 1000000)",
            R"(Fav Back Btw | - 1.5 2.02 | - | valid | "V1": 1.5, "V2": 2.02)",
            R"(Any Silks TRAINER_NAME Cont | Smith | - | valid | "V": "Smith")",
            R"(Market Volume GE | - 1,5 | - | invalid | "V1": "1,5")", R"(Market NumSel GR | - 3.7 | - | invalid | "V1": 3.7)" });
    }
    void roundTrip()
    {
        const QStringList row = fields(" | "), choice = row.at(0).split(' ');
        const RowSetting setting { row.at(0), row.at(1).split(' ').replaceInStrings(QRegularExpression("^-$"), ""),
            row.at(2).split(' ', Qt::SkipEmptyParts) };
        const bool valid = row.at(3) == "valid";
        QString record = QString(R"({"A": "%1", "B": "%2", "C": "%3")").arg(choice.at(0), choice.at(1), choice.last());
        record += (choice.size() == 4 ? QString(R"(, "D": "%1")").arg(choice.at(2)) : "") + (row.at(4).isEmpty() ? "" : ", ");
        const QJsonArray expected { Json(record + row.at(4) + "}") };
        for (const bool onScreen : { false, true }) {
            QWidget window;
            auto* panel = new Panel(&window);
            window.setVisible(onScreen);
            panel->ReloadTemplates();
            QVERIFY(load(*panel->rows().first(), setting));
            FakeUser user;
            user.answers = { QMessageBox::Yes };
            panel->SaveTemplate("t");
            QCOMPARE(user.boxes.isEmpty(), valid);
            QCOMPARE(conditionsIn("t"), expected);
            Panel loaded;
            loaded.ReloadTemplates("t");
            QVERIFY(loaded.CurrentTemplate() == "t" && !loaded.IsChanged() && loaded.IsValid() == valid);
            QCOMPARE(loaded.ToJson().value("conditions").toArray(), expected);
            const Parts parts { *loaded.rows().first() };
            const QPriceEdit* edits[] = { parts.text, parts.value1, parts.value2 };
            for (int i = 0; i < 3; ++i)
                if (expected.at(0).toObject().contains(QStringList { "V", "V1", "V2" }.at(i)))
                    QCOMPARE(edits[i]->text(), setting.texts.value(i));
            QCOMPARE(parts.list->Items(), setting.items);
            QVERIFY(QFile::remove(pathOf("t")));
        }
    }

    // Rows set up off screen, saved and opened again, give the search the filter they mean.
    void goldenTemplate()
    {
        const QList<RowSetting> settings { { "Event Sport NotInList", {}, { "1", "2" } }, { "Market Volume GE", { "", "100000" } },
            { "Fav Back Ots", { "", "1.5", "2" } }, { "All Name NotInList", {}, { "The Field", "Bar" } } };
        Panel panel;
        for (int i = 1; i < settings.size(); ++i)
            panel.AddCondition();
        for (int i = 0; i < settings.size(); ++i)
            QVERIFY(load(*panel.rows().at(i), settings.at(i)));
        FakeUser user;
        panel.SaveTemplate("golden");
        QCOMPARE(user.boxes, QStringList());
        Panel loaded;
        loaded.ReloadTemplates("golden");
        QVERIFY(loaded.rows().size() == settings.size() && loaded.IsValid());
        QJsonObject expected = Json(R"({"volume": {"from": 100000, "to": 1e15}, "sel": [{"sel": "fav", "backPrice": {"from": 1.5,
            "to": 2, "invert": true}}, {"sel": "all", "selName": {"text": {"list": ["The Field", "Bar"], "invert": true}}}]})");
        expected.insert("eventTypeIds", QJsonArray::fromStringList(QCatalog::sports->Codes({ "1", "2" }, true))); // all but 1 and 2
        COMPARE_JSON(loaded.GetFilter(), expected);
    }

    // Nothing loses or silently overwrites a template, whatever the user answers or chooses while asked.
    void scenarios_data()
    {
        QTest::addColumn<Scenario>("row");
        const QString ask = "Question: The template '%1' has been changed. Would you like to save it?";
        const QString askA = ask.arg("A"), askUnsaved = ask.arg("[Unsaved]");
        const QStringList none, a { "a__file.twt" };
        const QString sure = "Question: Are you sure to delete template 'A'?", failure = "Critical: Unable to save file: ";
        const QString denied = failure + "Permission denied", readOnly = failure + "Existing file %1 is not writable";
        const int all = QConfirm::All, quiet = QConfirm::None;
        const auto yes = QMessageBox::Yes, no = QMessageBox::No;
        // clang-format off
        QTest::newRow("A to B, Yes") << Scenario{"a__file", "5", all, "", "B", {yes}, {}, false, {askA}, "B 200", false, a, "1005"};
        QTest::newRow("A to B, no questions") << Scenario{"a__file", "5", quiet, "", "B", {}, {}, false, none, "B 200", false, a, "1005"};
        QTest::newRow("A to B, No, A chosen meanwhile") << Scenario{"a__file", "5", all, "", "B", {no}, {}, true, {askA}, "B 200", false, a, "100"};
        QTest::newRow("unsaved to B, Yes, named, A chosen meanwhile") << Scenario{"", "5", all, "", "B", {yes}, {"Copy"}, true, {askUnsaved}, "B 200", false, a + QStringList{"Copy.twt"}, "100"};
        QTest::newRow("unsaved to B, Yes, no name") << Scenario{"", "5", all, "", "B", {yes}, {cancel}, false, {askUnsaved}, "[Unsaved] 3005", true, a, "100"};
        QTest::newRow("save as, cancelled") << Scenario{"a__file", "5", all, "", "SaveAsBut", {}, {cancel}, false, none, "A 1005", true, a, "100"};
        QTest::newRow("save as, overwrite declined") << Scenario{"a__file", "5", all, "", "SaveAsBut", {no}, {"B"}, false, {"Question: File 'B' exists. Overwrite?"}, "A 1005", true, a, "100"};
        QTest::newRow("save as, sanitised") << Scenario{"", "5", all, "", "SaveAsBut", {}, {"..a<b>"}, false, none, "a_b_ 3005", false, a + QStringList{"a_b_.twt"}, "100"};
        QTest::newRow("save as, blank kept") << Scenario{"", "5", all, "", "SaveAsBut", {}, {"My pick\x1f"}, false, none, "My pick_ 3005", false, a + QStringList{"My pick_.twt"}, "100"};
        QTest::newRow("language changed, edits kept") << Scenario{"a__file", "5", all, "", "LanguageChanged", {}, {}, false, none, "A 1005", true, a, "100"};
        QTest::newRow("read-only, copied") << Scenario{"preset", "5", all, "", "DeleteTemplate DoSave DoSave", {}, {"preset", "Mine"}, false, none, "Mine 4005", false, a + QStringList{"Mine.twt"}, "100"};
        QTest::newRow("delete, Yes") << Scenario{"a__file", "5", all, "", "DelBut", {yes}, {}, false, {sure}, "[Unsaved] 1005", true, {}, ""};
        QTest::newRow("delete unchanged, Yes") << Scenario{"a__file", "", all, "", "DelBut", {yes}, {}, false, {sure}, "[Unsaved] 100", true, {}, ""};
        QTest::newRow("read-only folder, no questions") << Scenario{"a__file", "5", quiet, "folder", "SaveBut B", {}, {}, false, {denied, denied}, "A 1005", true, a, "100"};
        QTest::newRow("read-only file") << Scenario{"a__file", "5", all, "file", "SaveBut B", {yes}, {}, false, {readOnly, askA, readOnly}, "A 1005", true, a, "100"};
        QTest::newRow("disk full") << Scenario{"a__file", "5", all, "disk", "SaveBut B", {yes}, {}, false, {failure + "File too large", askA, failure + "File too large"}, "A 1005", true, a, "100"};
        // clang-format on
    }
    void scenarios()
    {
        QFETCH(Scenario, row);
        write("a__file", volumeTemplate(100, R"("name": {"eng": "A"}, )"));
        write("B", volumeTemplate(200));
        write("a_file", volumeTemplate(999));
        write("preset", volumeTemplate(400, R"("readOnly": true, "name": {"eng": "Preset"}, )"));
        QCOMPARE(chmod(QFile::encodeName(pathOf("a__file")).constData(), row.broken == "file" ? 0444 : 0666), 0);
        Panel panel;
        panel.ReloadTemplates(row.start);
        if (row.start.isEmpty())
            QVERIFY(load(*panel.rows().first(), { "Market Volume GE", { "", "300" } }));
        panel.type(row.typed);
        QCOMPARE(panel.IsChanged(), !row.typed.isEmpty()); // nothing typed: as opened
        QCOMPARE(chmod(QFile::encodeName(templates).constData(), row.broken == "folder" ? 0555 : 0777), 0);
        SetInteractiveLevel(row.level);
        FakeUser user;
        user.answers = row.answers;
        user.names = row.names;
        if (row.meddle)
            user.whileAsked = [&] { panel.choose("A"); };
        {
            std::optional<Unprivileged> nobody;
            std::optional<FileSizeLimit> full;
            row.broken == "disk" ? void(full.emplace()) : row.broken.isEmpty() ? void() : void(nobody.emplace());
            for (const QString& step : row.action.split(' '))
                step.endsWith("But") ? panel.click(step)
                    : step.size() == 1 ? panel.choose(step) : void(QMetaObject::invokeMethod(&panel, qPrintable(step)));
        }
        QCOMPARE(user.boxes, row.boxes.replaceInStrings("%1", pathOf("a__file")));
        QVERIFY(user.answers.isEmpty() && user.names.isEmpty());
        QCOMPARE(panel.entry() + " " + panel.value(), row.shown);
        QCOMPARE(panel.CurrentTemplate(), panel.entry() == "[Unsaved]" ? "" : panel.entry());
        QCOMPARE(panel.IsChanged(), row.changed);
        QStringList expected = QStringList { "B.twt", "a_file.twt", "preset.twt" } + row.files;
        expected.sort();
        QCOMPARE(files(), expected);
        QCOMPARE(storedValue("a__file"), row.storedInA);
        QCOMPARE(storedValue("B") + " " + storedValue("a_file") + " " + storedValue("preset"), "200 999 400");
        if (row.files.contains("Copy.twt"))
            QCOMPARE(storedValue("Copy"), "3005");
        if (QFile::exists(pathOf("a__file"))) // its display names kept
            QCOMPARE(stored("a__file").value("name")["eng"].toString(), "A");
    }

    // An unchanged template's rows are built again in the new language (edited ones stay: see scenarios).
    void languageSwitchRebuildsUnchangedRows()
    {
        write("A", volumeTemplate(100));
        Panel panel;
        panel.ReloadTemplates("A");
        QCOMPARE(Parts { *panel.rows().first() }.objects->currentText(), "Market's");
        const ProgramTranslation russian("ru_RU");
        QVERIFY(russian.isValid());
        QVERIFY(QMetaObject::invokeMethod(&panel, "LanguageChanged"));
        QCOMPARE(Parts { *panel.rows().first() }.objects->currentText(), QString::fromUtf8("Рынок"));
        QCOMPARE(panel.entry() + " " + panel.value(), "A 100");
        QVERIFY(!panel.IsChanged());
    }

    // Save and Delete act on a listed template that is not read-only, Save only on changes; the only row
    // cannot be deleted, a second frees it, and deleting down to one row locks that row again.
    void buttons()
    {
        write("A", volumeTemplate(100));
        write("preset", volumeTemplate(400, R"("readOnly": true, )"));
        FakeUser user;
        Panel panel;
        const auto offered = [&] {
            QString states;
            for (const QString& button : { "SaveBut", "DelBut" })
                states += panel.findChild<QPushButton*>(button)->isEnabled() ? 'y' : 'n';
            states += ' ';
            for (TriggerRow* row : panel.rows())
                states += Parts { *row }.remove->isEnabled() ? 'y' : 'n';
            return states;
        };
        panel.ReloadTemplates();
        QCOMPARE(offered(), "nn n");
        panel.ReloadTemplates("A");
        QCOMPARE(offered(), "ny n");
        panel.click("ButAdd");
        QCOMPARE(offered(), "yy yy");
        panel.click("ButAdd");
        QCOMPARE(offered(), "yy yyy");
        for (const QString& expected : { "yy yy", "yy n" }) {
            QTest::mouseClick(Parts { *panel.rows().last() }.remove, Qt::LeftButton);
            QTRY_COMPARE(offered(), expected);
        }
        panel.DoSave();
        QCOMPARE(offered(), "ny n");
        panel.choose("preset");
        panel.type("5");
        QCOMPARE(offered(), "nn n");
        QCOMPARE(user.boxes, QStringList());
    }

    // A copy saved too large to open again never takes on the display names of the template it was made from.
    // Nothing is saved that the panel could not open again: a file of 1 MiB is written and opens, one
    // byte more is refused, and the rows and the files stay as they were. A copy keeps no display names.
    void savedWithinSize_data()
    {
        QTest::addColumn<int>("past");
        QTest::newRow("at 1 MiB") << 0;
        QTest::newRow("one byte past") << 1;
    }

    void savedWithinSize()
    {
        QFETCH(int, past);
        write("A", volumeTemplate(100, R"("name": {"eng": "Alpha"}, )"));
        FakeUser user;
        user.names = QStringList { "Probe", "Big" };
        Panel panel;
        panel.ReloadTemplates("A");
        QVERIFY(load(*panel.rows().first(), { "Any Name InList", {}, { "x" } }));
        panel.DoSaveAs();
        QVERIFY(!stored("Probe").contains("name") && stored("A").contains("name"));
        // Each further letter of the name is one more byte in the file.
        const qint64 size = TemplateFile::MaxFileSize + past;
        QVERIFY(load(*panel.rows().first(),
            { "Any Name InList", {}, { QString(int(1 + size - QFileInfo(pathOf("Probe")).size()), 'x') } }));
        const QByteArray probe = contentOf(pathOf("Probe"));
        panel.DoSaveAs();
        if (past) {
            QCOMPARE(user.boxes, QStringList { "Critical: Unable to save file: The template is too large." });
            QVERIFY(!QFile::exists(pathOf("Big")));
            QVERIFY(panel.IsChanged() && contentOf(pathOf("Probe")) == probe);
        } else {
            QCOMPARE(user.boxes, QStringList());
            QCOMPARE(QFileInfo(pathOf("Big")).size(), size);
            QCOMPARE(panel.CurrentTemplate(), "Big");
            QVERIFY(!panel.IsChanged());
        }
    }

    // Choosing a file that is no template changes nothing: the panel stays on A, and saves go there.
    void unreadableFile()
    {
        write("A", volumeTemplate(100));
        write("bad", "conditions: none");
        Panel panel;
        panel.ReloadTemplates("A");
        FakeUser user;
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        panel.choose("bad");
        QCOMPARE(user.boxes, QStringList { "Information: Unable to open file 'bad': illegal value" });
        QVERIFY(!panel.IsChanged() && loaded.isEmpty());
        QCOMPARE(panel.CurrentTemplate() + " " + panel.entry() + " " + panel.value(), "A A 100");
        panel.type("5");
        panel.DoSave();
        QCOMPARE(storedValue("A") + contentOf(pathOf("bad")), "1005conditions: none");
    }

    // A row of codes this version does not know is saved back as it came; a pattern of deeply nested brackets
    // loads as an invalid row instead of overflowing the stack; a template of too many rows is refused.
    void foreignTemplates()
    {
        const QString nested = QString("(").repeated(20000) + QString(")").repeated(20000);
        const QJsonObject unknown { { "A", "Market" }, { "B", "Volume" }, { "C", "FUTURE" }, { "V1", 5 } };
        write("A", QJsonDocument(QJsonObject { { "conditions", QJsonArray { unknown,
            QJsonObject { { "A", "Any" }, { "B", "Silks" }, { "D", "FORM" }, { "C", "SQ" }, { "V", nested } } } } }).toJson());
        QJsonArray many;
        while (many.size() <= TemplateFile::MaxConditions)
            many.append(QJsonObject());
        write("Many", QJsonDocument(QJsonObject { { "conditions", many } }).toJson());
        FakeUser user;
        user.answers = { QMessageBox::Yes }; // save anyway
        Panel panel;
        panel.ReloadTemplates("A");
        QVERIFY(!panel.IsValid());
        panel.Changed(true);
        panel.DoSave();
        QCOMPARE(conditionsIn("A").at(0).toObject(), unknown);
        panel.choose("Many");
        QCOMPARE(user.boxes.last(), "Information: Unable to open file 'Many': The template is too large.");
        QCOMPARE(panel.CurrentTemplate() + " " + QString::number(panel.rows().size()), "A 2");
    }

    // A template opened from elsewhere is copied in beside, never over, a file of that name; a broken one is not.
    void commandLine()
    {
        const QString elsewhere = data->filePath("Cup.twt"), broken = data->filePath("Broken.twt");
        write("Cup", volumeTemplate(999));
        writeFile(elsewhere, volumeTemplate(100));
        writeFile(broken, "{");
        FakeUser user;
        Panel panel;
        panel.ReloadTemplates(broken);
        QCOMPARE(user.boxes.size(), 1);
        panel.ReloadTemplates(elsewhere);
        QCOMPARE(panel.CurrentTemplate() + " " + panel.value(), "Cup (2) 100");
        QCOMPARE(files(), QStringList({ "Cup (2).twt", "Cup.twt" }));
        QCOMPARE(contentOf(pathOf("Cup")) + contentOf(pathOf("Cup (2)")), volumeTemplate(999) + volumeTemplate(100));
        QCOMPARE(contentOf(elsewhere) + contentOf(broken), volumeTemplate(100) + "{");
    }
};

QTEST_MAIN(tst_MyTemplates)
#include "tst_mytemplates.moc"
