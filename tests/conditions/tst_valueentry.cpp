#include "LineFileReader.h"
#include "Prompt.h"
#include "QLog.h"
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
#include <QGraphicsEffect>
#include <QIntValidator>
#include <QLineEdit>
#include <QListWidget>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QRegExpValidator>
#include <QToolButton>

namespace {

// The dialog with its widgets, by the names its form gives them.
struct Dialog : QMultiSelectDialog
{
    QListWidget* list = findChild<QListWidget*>("List");
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

} // namespace

class tst_ValueEntry : public QObject
{
    Q_OBJECT

    TempSettings settings;
    QCatalog places;
    QTemporaryDir folder; // of the catalogs' own tests
    QLog log; // the program-wide log

    void write(const QString& name, const QByteArray& contents) { writeFile(folder.filePath(name + ".json"), contents); }

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        qRegisterMetaType<QLog::QLogType>();
        writeFile(settings.dir.filePath("places.json"), R"({"data": [{"code": "GB", "en": "Britain", "fav": true},
            {"code": "IE", "en": "Ireland", "fav": true}, {"code": "FR", "en": "France"}]})");
        QCatalog::Init(settings.dir.path());
        places.Load("places", false);
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

    // The file chosen (none: cancelled), its lines replace the values; an unreadable file keeps them, with a box.
    void import_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // null: no such file
        QTest::addColumn<QStringList>("values");
        QTest::newRow("CR LF, no final line end") << "list.txt" << QByteArray("a\r\nb") << QStringList { "a", "b" };
        QTest::newRow("empty file") << "list.txt" << QByteArray("") << QStringList {};
        QTest::newRow("cancelled") << "" << QByteArray() << QStringList { "kept" };
        QTest::newRow("cannot be read") << "missing<b>.txt" << QByteArray() << QStringList { "kept" };
        QTest::newRow("too large") << "huge.txt" << QByteArray(LineFileReader::MaxFileSize + 1, 'x') << QStringList { "kept" };
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
        QVERIFY(dialog.ok->isEnabled() == !values.isEmpty() && dialog.add->isEnabled() && dialog.file->isEnabled());
        const bool unreadable = !path.isEmpty() && (contents.isNull() || contents.size() > LineFileReader::MaxFileSize);
        QCOMPARE(user.boxes.join(""), unreadable ? "Critical: Unable to open file '" + path.toHtmlEscaped() + "'" : "");
    }

    // A large file read in slices offers no result until all is in; closing or new values stop the reading.
    void largeImport()
    {
        QByteArray contents;
        for (int line = 0; line < 200000; ++line)
            contents += QByteArray::number(line) + '\n';
        writeFile(settings.dir.filePath("large.txt"), contents);
        Dialog dialog;
        dialog.SetEditable(true);
        FakeUser user(settings.dir.filePath("large.txt"));
        bool offered = false;
        connect(dialog.reader, &LineFileReader::LinesRead, this,
            [&] { offered = offered || dialog.ok->isEnabled() || dialog.add->isEnabled() || dialog.file->isEnabled(); });
        dialog.file->click();
        QVERIFY(dialog.imported());
        QVERIFY(!offered);
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

    // Catalog or validator, items, text, valid, chosen codes, the others: codes gone are dropped, none left is invalid.
    void values_data()
    {
        textRows({ "places | IE,GB | Britain,Ireland | valid | GB,IE | FR", "places | XX,FR | France | valid | FR | GB,IE",
            "places | XX | - | invalid | - | GB,IE,FR", "none | - | - | invalid", "number | 1.5,abc | 1.5,abc | invalid",
            "price | 2.02,2.01 | 2.02,2.01 | invalid", "price | 2.02,1000 | 2.02,1000 | valid" });
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
        editor.SetItems(row.at(1).isEmpty() ? QStringList() : row.at(1).split(','));
        QCOMPARE(editor.text(), row.at(2));
        QCOMPARE(editor.IsValid(), row.at(3) == "valid");
        if (!catalog)
            return;
        QCOMPARE(editor.Codes(false), row.at(4).split(',', Qt::SkipEmptyParts));
        QCOMPARE(editor.Codes(true), row.at(5).split(',', Qt::SkipEmptyParts));
        editor.SetCatalog(QCatalog::sports); // codes of one catalog mean nothing in another
        QVERIFY(editor.Items().isEmpty() && editor.text().isEmpty() && !editor.IsValid());
    }

    // Catalog or price validator, items, what the user does in the dialog the click opens, the items after ("open":
    // OK could not be pressed). Select All ticks only the entries shown: the favourites and the ticked ones until
    // "more" shows the rest. Cancel keeps the items; free values come back repaired onto the ladder.
    void choosing_data()
    {
        textRows({ "places | GB | all OK | GB,IE", "places | GB | more all OK | GB,IE,FR", "places | GB | more France OK | GB,FR",
            "places | GB | more France Cancel | GB", "places | GB | none OK | GB open", "price | 2.01,3 | OK | 2.00,3",
            "price | 3 | Cancel | 3" });
    }
    void choosing()
    {
        const QStringList row = fields(" | ");
        QListEditor editor;
        if (row.at(0) == "places")
            editor.SetCatalog(&places);
        else
            editor.SetValidator(new QPriceValidator(&editor));
        editor.SetItems(row.at(1).split(','));
        bool open = false;
        QTimer::singleShot(0, this, [&] {
            QMultiSelectDialog* dialog = nullptr;
            for (QWidget* window : QApplication::topLevelWidgets())
                dialog = dialog ? dialog : qobject_cast<QMultiSelectDialog*>(window);
            QVERIFY(dialog && dialog->isModal());
            auto* list = dialog->findChild<QListWidget*>("List");
            for (const QString& step : row.at(2).split(' ')) {
                if (step == "OK" || step == "Cancel")
                    QTest::mouseClick(dialog->findChild<QPushButton*>(step == "OK" ? "OkBut" : "CancelBut"), Qt::LeftButton);
                else if (step == "more")
                    dialog->findChild<QToolButton*>("ShowMore")->click();
                for (QAction* action : list->actions())
                    if (action->text() == (step == "all" ? "Select All" : "Select None") && (step == "all" || step == "none"))
                        action->trigger();
                for (QListWidgetItem* item : list->findItems(step, Qt::MatchExactly))
                    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            }
            if ((open = dialog->isVisible()))
                dialog->reject();
        });
        QTest::mouseClick(&editor, Qt::LeftButton);
        QCOMPARE(editor.Items().join(',') + (open ? " open" : ""), row.at(3));
    }

    // Clicks on the show-more switch so far ("-": none stored), mode, the hint: it flashes until the fifth click,
    // never for free values.
    void flashingHint_data() { textRows({ "4 catalog flashes", "5 catalog still", "- catalog flashes", "0 values still" }); }
    void flashingHint()
    {
        const QStringList row = fields();
        row.at(0).isEmpty() ? settings.store()->remove("ShowMoreSeen") : settings.store()->setValue("ShowMoreSeen", row.at(0));
        Dialog dialog;
        dialog.SetEditable(row.at(1) == "values");
        dialog.show();
        const QGraphicsEffect* effect = dialog.findChild<QToolButton*>("ShowMore")->graphicsEffect();
        QCOMPARE(effect ? "flashes" : "still", row.at(2));
        if (!effect)
            return;
        const auto* animation = effect->findChild<QPropertyAnimation*>();
        QString keys;
        for (const QVariantAnimation::KeyValue& key : animation->keyValues())
            keys += QString("%1:%2 ").arg(key.first).arg(key.second.toDouble());
        QCOMPARE(keys, "0:0 0.1:1 0.2:0 0.3:1 0.4:0 0.45:0.9 0.5:0 0.55:0.9 0.6:0 0.65:0.8 0.7:0 0.75:0.7 0.8:0 0.9:0.5 1:0 ");
        QCOMPARE(animation->duration(), 5000);
    }

    // Validator, initial value, keys typed ("<": erase), OK enabled, key, outcome: Return needs a valid value.
    void keyboard_data()
    {
        textRows({ "stake ten - no Return open", "stake - 42 yes Return accepted", "stake 5 < no Enter open",
            "none x < yes Return accepted", "stake ten - no Escape rejected" });
    }
    void keyboard()
    {
        const QStringList row = fields();
        QIntValidator stake(1, 100);
        Prompt prompt("Stake", row.at(0) == "stake" ? &stake : nullptr, row.at(1));
        auto* edit = prompt.findChild<QLineEdit*>("ValueEdit");
        QCOMPARE(prompt.value(), row.at(1));
        QCOMPARE(prompt.windowTitle(), "Stake");
        QSignalSpy finished(&prompt, &QDialog::finished);
        prompt.show();
        QApplication::setActiveWindow(&prompt);
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        edit->end(false);
        QTest::keyClicks(edit, QString(row.at(2)).replace('<', '\b'));
        QCOMPARE(prompt.findChild<QPushButton*>("ButOK")->isEnabled(), row.at(3) == "yes");
        QTest::keyClick(edit, Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable("Key_" + row.at(4)))));
        if (row.at(5) == "open") {
            QVERIFY(prompt.isVisible() && finished.isEmpty());
            return;
        }
        // The Cancel button's shortcut clicks it a moment later.
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toInt(), row.at(5) == "accepted" ? QDialog::Accepted : QDialog::Rejected);
    }

    // The countries file ("none": missing), the first code: a file that is no catalog gives the built-in one.
    void loading_data()
    {
        textRows({ R"({"data": [{"code": "ZZ"}]} | ZZ)", "none | AD", "<html>502 Bad Gateway</html> | AD", R"({"data": []} | AD)",
            R"({"data": [1, {"code": 1}, {}, {"code": "ZY"}]} | ZY)", R"({"data": [{"code": ""}, {"en": "X"}]} | AD)" });
    }
    void loading()
    {
        const QStringList row = fields(" | ");
        QFile::remove(folder.filePath("countries.json"));
        if (row.at(0) != "none")
            write("countries", row.at(0).toUtf8());
        QSignalSpy logged(&log, &QLog::Logged);
        QCatalog::Init(folder.path());
        QCOMPARE(QCatalog::countries->Data().first()["code"].toString(), row.at(1));
        QCOMPARE(logged.count(), row.at(0) != "none" && row.at(1) == "AD" ? 1 : 0); // a warning for an unusable file
    }

    // Only a boolean true marks a team sport; Init again keeps the catalogs and forgets the last file's flags.
    void teamSports()
    {
        QSportsCatalog* const sports = QCatalog::sports;
        write("sports", R"({"data": [{"code": "2", "team": 1}, {"code": "7", "team": true}]})");
        QCatalog::Init(folder.path());
        QVERIFY(QCatalog::sports == sports && sports->IsTeamSport(7) && !sports->IsTeamSport(2));
        QVERIFY(QFile::remove(folder.filePath("sports.json")));
        QCatalog::Init(folder.path());
        QVERIFY(!sports->IsTeamSport(7) && sports->IsTeamSport(1)); // horse racing, soccer
    }
};

QTEST_MAIN(tst_ValueEntry)
#include "tst_valueentry.moc"
