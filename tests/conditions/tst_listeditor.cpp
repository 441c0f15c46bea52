#include "LineFileReader.h"
#include "QCatalog.h"
#include "QListEditor.h"
#include "QMultiSelectDialog.h"
#include "QNumberValidator.h"
#include "QPriceValidator.h"
#include "QSportsCatalog.h"
#include "SettingsStore.h"

#include "common/FakeUser.h"
#include "common/TestFiles.h"
#include "conditions/DataRows.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegExpValidator>
#include <QToolButton>

namespace {

// The dialog with its widgets, by the names its form gives them.
struct Dialog : QMultiSelectDialog
{
    QListWidget* list = findChild<QListWidget*>("List");
    QLabel* count = findChild<QLabel*>("CountLabel");
    QToolButton* showMore = findChild<QToolButton*>("ShowMore");
    QToolButton* add = findChild<QToolButton*>("AddBut");
    QToolButton* file = findChild<QToolButton*>("FileBut");
    QPushButton* ok = findChild<QPushButton*>("OkBut");
    LineFileReader* reader = findChild<LineFileReader*>();

    QString shown() const
    {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            if (!list->item(row)->isHidden())
                texts << list->item(row)->text();
        return texts.join(' ');
    }
    bool imported() const
    {
        QSignalSpy finished(reader, &LineFileReader::Finished);
        return !reader->IsReading() || finished.wait(60000);
    }
};

// Favourites A and C.
const QJsonArray entries = QJsonDocument::fromJson(R"([{"code": "A", "en": "Alpha", "fav": true},
    {"code": "B", "en": "Beta"}, {"code": "C", "en": "Gamma", "fav": true}, {"code": "D", "en": "Delta"}])").array();

} // namespace

class tst_ListEditor : public QObject
{
    Q_OBJECT

    TempSettings settings;
    QCatalog places;

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        writeFile(settings.dir.filePath("places.json"), R"({"data": [{"code": "GB", "en": "Britain", "fav": true},
            {"code": "IE", "en": "Ireland", "fav": true}, {"code": "FR", "en": "France"}]})");
        QCatalog::Init(settings.dir.path());
        places.Load("places", false);
    }

    // Ticked codes, whether all entries show, the entries shown, the count. Codes are compared exactly.
    void opening_data()
    {
        textRows({ "- | favourites | Alpha Gamma | 0", "C A | favourites | Alpha Gamma | 2",
            "A B | all | Alpha Beta Gamma Delta | 2", "b a | favourites | Alpha Gamma | 0" });
    }
    void opening()
    {
        const QStringList row = fields(" | ");
        Dialog dialog;
        dialog.SetTitle("Please select %1:", "sports");
        dialog.SetItems(entries, row.at(0).split(' ', Qt::SkipEmptyParts));
        QCOMPARE(dialog.windowTitle(), "Please select sports:");
        QVERIFY(dialog.showMore->isVisibleTo(&dialog) && !dialog.add->isVisibleTo(&dialog) && !dialog.file->isVisibleTo(&dialog));
        QCOMPARE(dialog.showMore->isChecked(), row.at(1) == "all");
        QCOMPARE(dialog.showMore->text(), row.at(1) == "all" ? "Show less sports" : "Show more sports");
        QCOMPARE(dialog.shown(), row.at(2));
        QCOMPARE(dialog.count->text(), "Selected: " + row.at(3));
        QCOMPARE(dialog.ok->isEnabled(), row.at(3) != "0");
    }

    // Select All and None reach the shown entries only; the result follows the list's order.
    void selecting()
    {
        Dialog dialog;
        dialog.SetItems(entries, {});
        dialog.list->item(3)->setCheckState(Qt::Checked); // Delta, hidden
        dialog.list->actions().at(0)->trigger();
        QCOMPARE(dialog.GetSelected(), QStringList({ "A", "C", "D" }));
        dialog.list->actions().at(1)->trigger();
        QCOMPARE(dialog.GetSelected(), QStringList { "D" });
        QCOMPARE(dialog.count->text(), "Selected: 1");
        dialog.setSorting(true);
        dialog.SetItems(QJsonDocument::fromJson(R"([{"code": "z", "en": "Zeta"}, {"code": "a", "en": "Alpha"}])").array(), { "z", "a" });
        QCOMPARE(dialog.GetSelected(), QStringList({ "a", "z" }));
    }

    // Going while an edit is open commits the edit into a dialog half destroyed.
    void destroyedWhileEditing()
    {
        auto* dialog = new Dialog;
        dialog->SetEditable(true);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->add->click();
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText("7");
        delete dialog;
    }

    // The lines of a text file replace the values; OK needs one at least.
    void import_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("final line end") << QByteArray("a\nb\n") << QStringList { "a", "b" };
        QTest::newRow("no final line end, CR LF") << QByteArray("a\r\nb") << QStringList { "a", "b" };
        QTest::newRow("blank line inside") << QByteArray("a\n\nb\n") << QStringList { "a", "", "b" };
        QTest::newRow("nothing trimmed or split") << QByteArray(" a ,b;c \n") << QStringList { " a ,b;c " };
        QTest::newRow("locale encoding") << QByteArray("Жеребец\n") << QStringList { "Жеребец" };
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFx\n") << QStringList { "x" };
        QTest::newRow("empty file") << QByteArray("") << QStringList {};
    }
    void import()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, values);
        Dialog dialog;
        dialog.SetEditable(true);
        QVERIFY(!dialog.showMore->isVisibleTo(&dialog) && dialog.add->isVisibleTo(&dialog) && dialog.file->isVisibleTo(&dialog));
        dialog.SetValues({ "old", "older" });
        writeFile(settings.dir.filePath("list.txt"), contents);
        FakeUser user(settings.dir.filePath("list.txt"));
        dialog.file->click();
        QVERIFY(dialog.imported());
        QCOMPARE(dialog.GetSelected(), values);
        QCOMPARE(dialog.count->text(), "Selected: " + QString::number(values.size()));
        QVERIFY(dialog.ok->isEnabled() == !values.isEmpty() && dialog.add->isEnabled() && dialog.file->isEnabled());
    }

    // Cancelled, or a file that cannot be read (the error box, with help): the list as it was.
    void importRefused_data() { textRows({ "-", "missing<b>.txt", "." }); }
    void importRefused()
    {
        const QString answer = fields().at(0), path = answer.isEmpty() ? answer : settings.dir.filePath(answer);
        Dialog dialog;
        dialog.SetEditable(true);
        dialog.SetValues({ "kept" });
        FakeUser user(path);
        dialog.file->click();
        QCOMPARE(dialog.GetSelected(), QStringList { "kept" });
        QVERIFY(dialog.ok->isEnabled() && !dialog.reader->IsReading());
        QCOMPARE(user.boxes.join(""), path.isEmpty() ? "" : "Critical: Unable to open file '" + path.toHtmlEscaped() + "'");
        QCOMPARE(user.topics, path.isEmpty() ? "" : "OpenFile");
    }

    // A large file arrives in slices between turns of the event loop, offering no result until all is in.
    void largeImport()
    {
        QByteArray contents;
        for (int line = 0; line < 200000; ++line)
            contents += QByteArray::number(line) + '\n';
        writeFile(settings.dir.filePath("large.txt"), contents);
        Dialog dialog;
        dialog.SetEditable(true);
        FakeUser user(settings.dir.filePath("large.txt"));
        int turns = 0;
        bool offered = false;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++turns; });
        connect(dialog.reader, &LineFileReader::LinesRead, this,
            [&] { offered = offered || dialog.ok->isEnabled() || dialog.add->isEnabled() || dialog.file->isEnabled(); });
        ticker.start(0);
        dialog.file->click();
        QVERIFY(dialog.imported());
        QVERIFY(turns > 1 && !offered);
        QCOMPARE(dialog.GetSelected().size(), 200000);
        QCOMPARE(dialog.GetSelected().last(), "199999");
        dialog.file->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.list->count() > 0, 10000);
        dialog.reject();
        QVERIFY(!dialog.reader->IsReading());
        dialog.file->click();
        dialog.SetValues({ "x" });
        QVERIFY(!dialog.reader->IsReading() && dialog.file->isEnabled() && dialog.ok->isEnabled());
    }

    // Clicks on ShowMore seen so far, editable, whether the button flashes; a click while it flashes counts.
    void flashingHint_data() { textRows({ "- no yes", "4 no yes", "5 no no", "- yes no" }); }
    void flashingHint()
    {
        const QStringList row = fields();
        row.at(0).isEmpty() ? settings.store()->remove("ShowMoreSeen") : settings.store()->setValue("ShowMoreSeen", row.at(0));
        Dialog dialog;
        dialog.SetEditable(row.at(1) == "yes");
        dialog.show();
        QCOMPARE(dialog.showMore->graphicsEffect() != nullptr, row.at(2) == "yes");
        if (row.at(2) == "yes")
            dialog.showMore->click();
        QCOMPARE(settings.store()->value("ShowMoreSeen").toInt(), row.at(0).toInt() + (row.at(2) == "yes"));
    }

    // Items, text, valid, chosen codes, the others: codes gone are dropped, and none left is invalid, not empty.
    void overCatalog_data()
    {
        textRows({ "IE,GB | Britain,Ireland | valid | GB,IE | FR", "XX,FR | France | valid | FR | GB,IE",
            "XX | - | invalid | - | GB,IE,FR", "gb | - | invalid | - | GB,IE,FR", "- | - | invalid | - | GB,IE,FR" });
    }
    void overCatalog()
    {
        const QStringList row = fields(" | ");
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.SetItems(row.at(0).split(',', Qt::SkipEmptyParts));
        QCOMPARE(editor.text(), row.at(1));
        QCOMPARE(editor.IsValid(), row.at(2) == "valid");
        QCOMPARE(editor.property("isError").toBool(), row.at(2) != "valid");
        QCOMPARE(editor.Codes(false), row.at(3).split(',', Qt::SkipEmptyParts));
        QCOMPARE(editor.Codes(true), row.at(4).split(',', Qt::SkipEmptyParts));
        editor.SetCatalog(QCatalog::sports); // codes of one catalog mean nothing in another
        QVERIFY(editor.Items().isEmpty() && editor.text().isEmpty() && !editor.IsValid());
    }

    // Validator, items (shown as they are), valid.
    void freeValues_data()
    {
        textRows({ "none | a b, | valid", "none | - | invalid", "number | 1.5,abc | invalid", "number | 1.5,-2 | valid",
            "price | 2.02,2.01 | invalid", "price | 2.02,1000 | valid", "text | Arsenal, | invalid" });
    }
    void freeValues()
    {
        const QStringList row = fields(" | ");
        QListEditor editor;
        QValidator* const validators[] = { nullptr, new QNumberValidator(&editor), new QPriceValidator(&editor),
            new QRegExpValidator(QRegExp(".+"), &editor) };
        editor.SetValidator(validators[QStringList({ "none", "number", "price", "text" }).indexOf(row.at(0))]);
        QSignalSpy changed(&editor, &QLineEdit::textChanged);
        editor.SetItems(row.at(1).isEmpty() ? QStringList() : row.at(1).split(','));
        QCOMPARE(editor.text(), row.at(1));
        QCOMPARE(editor.IsValid(), row.at(2) == "valid");
        QCOMPARE(editor.property("isError").toBool(), row.at(2) != "valid");
        QCOMPARE(changed.count(), row.at(1).isEmpty() ? 0 : 1); // the row counts each change of the text
        editor.SetValidator(nullptr);
        QCOMPARE(editor.IsValid(), !row.at(1).isEmpty());
    }
};

QTEST_MAIN(tst_ListEditor)
#include "tst_listeditor.moc"
