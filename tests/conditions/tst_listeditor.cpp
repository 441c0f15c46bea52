#include "LineFileReader.h"
#include "QCatalog.h"
#include "QListEditor.h"
#include "QMultiSelectDialog.h"
#include "QNumberValidator.h"
#include "QPriceValidator.h"
#include "QSportsCatalog.h"

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
    QToolButton* add = findChild<QToolButton*>("AddBut");
    QToolButton* file = findChild<QToolButton*>("FileBut");
    QPushButton* ok = findChild<QPushButton*>("OkBut");
    LineFileReader* reader = findChild<LineFileReader*>();

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

    // OK needs a choice; Select All and None reach the shown entries only; the result follows the list's order.
    void selecting()
    {
        Dialog dialog;
        dialog.SetItems(entries, {});
        QVERIFY(!dialog.ok->isEnabled());
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

    // The file chosen (none: cancelled), its lines: they replace the values, OK needs one at least. A file that
    // cannot be read shows the error box, with help, and the values stay.
    void import_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // null: no such file
        QTest::addColumn<QStringList>("values");
        QTest::newRow("CR LF, no final line end") << "list.txt" << QByteArray("a\r\nb") << QStringList { "a", "b" };
        QTest::newRow("blank line inside") << "list.txt" << QByteArray("a\n\nb\n") << QStringList { "a", "", "b" };
        QTest::newRow("nothing trimmed or split") << "list.txt" << QByteArray(" a ,b;c \n") << QStringList { " a ,b;c " };
        QTest::newRow("empty file") << "list.txt" << QByteArray("") << QStringList {};
        QTest::newRow("cancelled") << "" << QByteArray() << QStringList { "kept" };
        QTest::newRow("cannot be read") << "missing<b>.txt" << QByteArray() << QStringList { "kept" };
    }
    void import()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, values);
        const QString path = name.isEmpty() ? name : settings.dir.filePath(name);
        if (!contents.isNull())
            writeFile(path, contents);
        Dialog dialog;
        dialog.SetEditable(true);
        dialog.SetValues({ "kept" });
        FakeUser user(path);
        dialog.file->click();
        QVERIFY(dialog.imported());
        QCOMPARE(dialog.GetSelected(), values);
        QCOMPARE(dialog.count->text(), "Selected: " + QString::number(values.size()));
        QVERIFY(dialog.ok->isEnabled() == !values.isEmpty() && dialog.add->isEnabled() && dialog.file->isEnabled());
        const bool unreadable = !path.isEmpty() && contents.isNull();
        QCOMPARE(user.boxes.join(""), unreadable ? "Critical: Unable to open file '" + path.toHtmlEscaped() + "'" : "");
        QCOMPARE(user.topics, unreadable ? "OpenFile" : "");
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

    // Catalog or validator, items, text, valid, chosen codes, the others: catalog codes gone are dropped and none
    // left is invalid, not empty; free values must each pass the validator.
    void values_data()
    {
        textRows({ "places | IE,GB | Britain,Ireland | valid | GB,IE | FR", "places | XX,FR | France | valid | FR | GB,IE",
            "places | XX | - | invalid | - | GB,IE,FR", "places | - | - | invalid | - | GB,IE,FR", "none | - | - | invalid",
            "number | 1.5,abc | 1.5,abc | invalid", "price | 2.02,2.01 | 2.02,2.01 | invalid",
            "price | 2.02,1000 | 2.02,1000 | valid", "text | Arsenal, | Arsenal, | invalid" });
    }
    void values()
    {
        const QStringList row = fields(" | ");
        QListEditor editor;
        QValidator* const validators[] = { nullptr, new QNumberValidator(&editor), new QPriceValidator(&editor),
            new QRegExpValidator(QRegExp(".+"), &editor) };
        const bool catalog = row.at(0) == "places";
        if (catalog)
            editor.SetCatalog(&places);
        else
            editor.SetValidator(validators[QStringList({ "none", "number", "price", "text" }).indexOf(row.at(0))]);
        QSignalSpy changed(&editor, &QLineEdit::textChanged);
        editor.SetItems(row.at(1).isEmpty() ? QStringList() : row.at(1).split(','));
        QCOMPARE(editor.text(), row.at(2));
        QCOMPARE(editor.IsValid(), row.at(3) == "valid");
        QCOMPARE(editor.property("isError").toBool(), row.at(3) != "valid");
        QCOMPARE(changed.count(), row.at(2).isEmpty() ? 0 : 1); // the row counts each change of the text
        if (!catalog)
            return;
        QCOMPARE(editor.Codes(false), row.at(4).split(',', Qt::SkipEmptyParts));
        QCOMPARE(editor.Codes(true), row.at(5).split(',', Qt::SkipEmptyParts));
        editor.SetCatalog(QCatalog::sports); // codes of one catalog mean nothing in another
        QVERIFY(editor.Items().isEmpty() && editor.text().isEmpty() && !editor.IsValid());
    }
};

QTEST_MAIN(tst_ListEditor)
#include "tst_listeditor.moc"
