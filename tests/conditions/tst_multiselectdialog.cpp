#include "FileDialog.h"
#include "LineFileReader.h"
#include "QConfirm.h"
#include "QMultiSelectDialog.h"
#include "SettingsStore.h"

#include "conditions/InterfaceLanguage.h"

#include <QAction>
#include <QGraphicsColorizeEffect>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QtTest>

namespace {

// Digits are acceptable; blanks around them are repaired; anything else is not.
class DigitsValidator : public QValidator
{
public:
    State validate(QString& text, int&) const override
    {
        if (QRegularExpression(QStringLiteral("^[0-9]+$")).match(text).hasMatch())
            return Acceptable;
        return text.trimmed() != text ? Intermediate : Invalid;
    }
    void fixup(QString& text) const override { text = text.trimmed(); }
};

// Favourites A and C, the others not.
QJsonArray entries(
    const char* json = R"([{"code": "A", "en": "Alpha", "fav": true}, {"code": "B", "en": "Beta"},
    {"code": "C", "en": "Gamma", "fav": true}, {"code": "D", "en": "Delta", "fav": false}])")
{
    return QJsonDocument::fromJson(json).array();
}

struct Form
{
    explicit Form(QMultiSelectDialog& dialog)
        : list(dialog.findChild<QListWidget*>(QStringLiteral("List")))
        , count(dialog.findChild<QLabel*>(QStringLiteral("CountLabel")))
        , showMore(dialog.findChild<QToolButton*>(QStringLiteral("ShowMore")))
        , add(dialog.findChild<QToolButton*>(QStringLiteral("AddBut")))
        , file(dialog.findChild<QToolButton*>(QStringLiteral("FileBut")))
        , del(dialog.findChild<QToolButton*>(QStringLiteral("DelBut")))
        , ok(dialog.findChild<QPushButton*>(QStringLiteral("OkBut")))
        , reader(dialog.findChild<LineFileReader*>())
    {
    }

    QStringList texts(bool shownOnly = false) const
    {
        QStringList result;
        for (int row = 0; row < list->count(); ++row) {
            if (!shownOnly || !list->item(row)->isHidden())
                result << list->item(row)->text();
        }
        return result;
    }

    void trigger(const QString& actionText) const
    {
        for (QAction* action : list->actions()) {
            if (action->text() == actionText)
                action->trigger();
        }
    }

    QListWidget* list;
    QLabel* count;
    QToolButton* showMore;
    QToolButton* add;
    QToolButton* file;
    QToolButton* del;
    QPushButton* ok;
    LineFileReader* reader;
};

// Answers the open-file question with a path, and closes every message box,
// noting what was asked and shown.
struct FakeUser
{
    explicit FakeUser(const QString& path)
    {
        FileDialog::SetResponder([this, path](const FileDialog::Request& request) {
            asked << request.caption << request.filter;
            return path;
        });
        QConfirm::SetResponder([this](QMessageBox* box) {
            boxes << box->text();
            for (QAbstractButton* button : box->buttons())
                helpOffered = helpOffered || box->buttonRole(button) == QMessageBox::HelpRole;
            return box->button(QMessageBox::Ok);
        });
    }
    ~FakeUser()
    {
        FileDialog::SetResponder({});
        QConfirm::SetResponder({});
    }
    Q_DISABLE_COPY(FakeUser)
    QStringList asked;
    QStringList boxes;
    bool helpOffered = false;
};

bool waitForImport(const Form& form)
{
    QSignalSpy finished(form.reader, &LineFileReader::Finished);
    return !form.reader->IsReading() || finished.wait(60000);
}

int showMoreSeen()
{
    return SettingsStore()->value(QStringLiteral("ShowMoreSeen")).toInt();
}

} // namespace

class tst_MultiSelectDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    QString writeFile(const QString& name, const QByteArray& contents)
    {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(contents);
        return file.fileName();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QVERIFY(OpenSettingsStore(folder.filePath(QStringLiteral("settings.ini"))));
    }

    void cleanupTestCase() { CloseSettingsStore(); }

    void init() { SettingsStore()->remove(QStringLiteral("ShowMoreSeen")); }

    void modes()
    {
        QMultiSelectDialog dialog;
        Form form(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QVERIFY(form.showMore->isVisibleTo(&dialog) && form.showMore->isChecked());
        QVERIFY(!form.add->isVisibleTo(&dialog) && !form.del->isVisibleTo(&dialog)
            && !form.file->isVisibleTo(&dialog));
        QCOMPARE(form.list->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(form.list->selectionMode(), QAbstractItemView::MultiSelection);
        QVERIFY(form.count->text().isEmpty());

        dialog.SetEditable(true);
        QVERIFY(!form.showMore->isVisibleTo(&dialog));
        QVERIFY(form.add->isVisibleTo(&dialog) && form.del->isVisibleTo(&dialog)
            && form.file->isVisibleTo(&dialog));
        QCOMPARE(
            form.list->editTriggers(), QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
        QCOMPARE(form.list->selectionMode(), QAbstractItemView::ExtendedSelection);
        dialog.SetValues({});
        QCOMPARE(form.count->text(), QStringLiteral("Selected: 0"));
        QVERIFY(!form.ok->isEnabled() && !form.del->isEnabled());
        dialog.SetValues({ QStringLiteral("x"), QStringLiteral("y") });
        QCOMPARE(form.count->text(), QStringLiteral("Selected: 2"));
        QVERIFY(form.ok->isEnabled() && form.del->isEnabled());
    }

    void opening_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("expanded");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("count");
        const QStringList favourites { "Alpha", "Gamma" };
        // clang-format off
        QTest::newRow("nothing checked") << QStringList{} << false << favourites << 0;
        QTest::newRow("favourites checked") << QStringList{"C", "A"} << false << favourites << 2;
        QTest::newRow("a non-favourite checked") << QStringList{"A", "B"} << true << QStringList{"Alpha", "Beta", "Gamma", "Delta"} << 2;
        QTest::newRow("codes compared exactly") << QStringList{"b", "a"} << false << favourites << 0;
        // clang-format on
    }

    void opening()
    {
        QFETCH(QStringList, selected);
        QFETCH(bool, expanded);
        QFETCH(QStringList, shown);
        QFETCH(int, count);
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetTitle(QStringLiteral("Please select %1:"), QStringLiteral("sports"));
        dialog.SetItems(entries(), selected);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Please select sports:"));
        QCOMPARE(form.showMore->isChecked(), expanded);
        QCOMPARE(form.texts(true), shown);
        QCOMPARE(form.count->text(), QStringLiteral("Selected: %1").arg(count));
        QCOMPARE(form.ok->isEnabled(), count > 0);
        const QString key = expanded ? QStringLiteral("Ctrl+Up") : QStringLiteral("Ctrl+Down");
        QCOMPARE(form.showMore->text(),
            (expanded ? QStringLiteral("Show less %1") : QStringLiteral("Show more %1")).arg("sports"));
        QCOMPARE(form.showMore->toolTip(),
            (expanded ? QStringLiteral("Show less (%1)") : QStringLiteral("Show all (%1)")).arg(key));
        QCOMPARE(form.showMore->shortcut(), QKeySequence(key));
    }

    void switchingTheView()
    {
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetItems(entries(R"([{"code": "1"}, {"code": "2"}])"), {});
        QVERIFY(form.texts(true).isEmpty()); // no favourites, nothing checked
        form.showMore->click();
        QCOMPARE(form.texts(true).size(), 2);
        form.list->item(1)->setCheckState(Qt::Checked);
        QVERIFY(form.ok->isEnabled());
        form.showMore->click();
        QVERIFY(form.list->item(0)->isHidden() && !form.list->item(1)->isHidden());
        // Unticked in the collapsed view, the entry stays until the next switch.
        form.list->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(!form.list->item(1)->isHidden());
        QVERIFY(!form.ok->isEnabled());
        QCOMPARE(showMoreSeen(), 2);
    }

    void selectingShownEntries()
    {
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetItems(entries(), {});
        form.list->item(3)->setCheckState(Qt::Checked); // Delta, hidden
        form.trigger(QStringLiteral("Select All"));
        QCOMPARE(dialog.GetSelected(), (QStringList { "A", "C", "D" }));
        QCOMPARE(form.count->text(), QStringLiteral("Selected: 3"));
        form.trigger(QStringLiteral("Select None"));
        QCOMPARE(dialog.GetSelected(), QStringList { "D" });
        QCOMPARE(form.count->text(), QStringLiteral("Selected: 1"));

        // The result follows the sorted list, not the catalog.
        dialog.setSorting(true);
        dialog.SetItems(
            entries(
                R"([{"code": "z", "en": "Zeta"}, {"code": "a", "en": "Alpha"}, {"code": "m", "en": "Mu"}])"),
            { QStringLiteral("z"), QStringLiteral("a") });
        QCOMPARE(form.texts(), (QStringList { "Alpha", "Mu", "Zeta" }));
        QCOMPARE(dialog.GetSelected(), (QStringList { "a", "z" }));
    }

    void entryLabels()
    {
        const InterfaceLanguage russian(QStringLiteral("ru_RU"));
        QVERIFY(russian.IsLoadedOrNone());
        QMultiSelectDialog dialog;
        Form form(dialog);
        // The second entry is malformed: empty code, empty label, no favourite.
        dialog.SetItems(entries(R"([{"code": "c", "en": "Colt", "ru": "Жеребец", "fav": true},
                                    {"code": 5, "en": "Five", "ru": 6, "fav": "yes"}])"),
            { QString() });
        QCOMPARE(form.texts(), (QStringList { "Жеребец", QString() }));
        QCOMPARE(dialog.GetSelected(), QStringList { QString() });
        QVERIFY(form.showMore->isChecked());
    }

    void validation_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("marked");
        QTest::newRow("acceptable") << "12"
                                    << "12" << false;
        QTest::newRow("repaired") << " 12 "
                                  << "12" << false;
        QTest::newRow("repaired but still wrong") << " x "
                                                  << "x" << true;
        QTest::newRow("invalid") << "x"
                                 << "x" << true;
    }

    void validation()
    {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QFETCH(bool, marked);
        QMultiSelectDialog dialog;
        Form form(dialog);
        DigitsValidator validator;
        dialog.SetEditable(true);
        dialog.setValidator(&validator);
        dialog.SetValues({ QStringLiteral("1"), value });
        QCOMPARE(dialog.GetSelected(), (QStringList { QStringLiteral("1"), stored }));
        QVERIFY(form.list->item(0)->icon().isNull());
        QCOMPARE(!form.list->item(1)->icon().isNull(), marked);
        QVERIFY(form.ok->isEnabled()); // marked values do not block the result
    }

    void addingAndDeleting()
    {
        QMultiSelectDialog dialog;
        Form form(dialog);
        DigitsValidator validator;
        dialog.SetEditable(true);
        dialog.setValidator(&validator);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        form.add->click();
        QVERIFY(!form.add->isEnabled());
        QCOMPARE(form.count->text(), QStringLiteral("Selected: 1"));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("EDIT ME"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(form.add->isEnabled());
        QCOMPARE(dialog.GetSelected(), QStringList { QStringLiteral("EDIT ME") });
        QVERIFY(!form.list->item(0)->icon().isNull());

        form.add->click();
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("42"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(form.add->isEnabled());
        QVERIFY(dialog.isVisible()); // Return ends the edit, not the dialog
        QCOMPARE(dialog.GetSelected(), (QStringList { QStringLiteral("EDIT ME"), QStringLiteral("42") }));
        QVERIFY(form.list->item(1)->icon().isNull());

        form.list->clearSelection();
        form.list->item(0)->setSelected(true);
        form.del->click();
        QCOMPARE(dialog.GetSelected(), QStringList { QStringLiteral("42") });
        form.list->selectAll();
        form.del->click();
        QVERIFY(dialog.GetSelected().isEmpty());
        QVERIFY(!form.ok->isEnabled() && !form.del->isEnabled());
    }

    // Going while an edit is open commits the edit into a dialog half destroyed.
    void destroyedWhileEditing()
    {
        auto* dialog = new QMultiSelectDialog;
        dialog->SetEditable(true);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        Form(*dialog).add->click();
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("7"));
        delete dialog;
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("values");
        QByteArray utf16("\xFF\xFE", 2);
        for (const ushort unit : { ushort(0x0416), ushort('\n'), ushort('b'), ushort('\n') })
            utf16.append(char(unit & 0xFF)).append(char(unit >> 8));
        // clang-format off
        QTest::newRow("final line end") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("no final line end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("blank line inside") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("nothing trimmed or split") << QByteArray(" a ,b;c \n") << QStringList{" a ,b;c "};
        QTest::newRow("local encoding") << QByteArray("Жеребец\n") << QStringList{"Жеребец"};
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFx\n") << QStringList{"x"};
        QTest::newRow("UTF-16 mark") << utf16 << QStringList{"Ж", "b"};
        QTest::newRow("empty file") << QByteArray("") << QStringList{};
        // clang-format on
    }

    void import()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, values);
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetEditable(true);
        dialog.SetValues({ QStringLiteral("old"), QStringLiteral("older") });
        form.list->item(1)->setSelected(true);
        FakeUser user(writeFile(QStringLiteral("list.txt"), contents));
        form.file->click();
        QCOMPARE(user.asked, (QStringList { "Open text file", "Text Files (*.txt *.csv)" }));
        QVERIFY(waitForImport(form));
        QCOMPARE(dialog.GetSelected(), values);
        QCOMPARE(form.count->text(), QStringLiteral("Selected: %1").arg(values.size()));
        QCOMPARE(form.ok->isEnabled(), !values.isEmpty());
        QVERIFY(form.add->isEnabled() && form.file->isEnabled());
    }

    void importRefused_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("errorShown");
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("missing file") << "missing<b>.txt" << true;
        QTest::newRow("a folder") << "." << true;
    }

    void importRefused()
    {
        QFETCH(QString, answer);
        QFETCH(bool, errorShown);
        const QString path = answer.isEmpty() ? answer : folder.filePath(answer);
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetEditable(true);
        dialog.SetValues({ QStringLiteral("kept") });
        FakeUser user(path);
        form.file->click();
        QCOMPARE(dialog.GetSelected(), QStringList { QStringLiteral("kept") });
        QVERIFY(form.ok->isEnabled() && !form.reader->IsReading());
        QCOMPARE(user.boxes.size(), errorShown ? 1 : 0);
        if (errorShown) {
            QCOMPARE(
                user.boxes.first(), QStringLiteral("Unable to open file '%1'").arg(path.toHtmlEscaped()));
            QVERIFY(user.helpOffered);
        }
    }

    // A large file arrives in slices with the event loop turning in between;
    // the dialog offers no result until the whole file is in.
    void largeImport()
    {
        const int lines = 200000;
        QByteArray contents;
        for (int line = 0; line < lines; ++line)
            contents += QByteArray::number(line) + '\n';
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetEditable(true);
        FakeUser user(writeFile(QStringLiteral("large.txt"), contents));

        int turns = 0;
        QTimer ticker;
        ticker.setInterval(0);
        connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        bool offeredEarly = false;
        connect(form.reader, &LineFileReader::LinesRead, [&] {
            offeredEarly
                = offeredEarly || form.ok->isEnabled() || form.add->isEnabled() || form.file->isEnabled();
        });
        ticker.start();
        form.file->click();
        QVERIFY(waitForImport(form));
        QVERIFY(turns > 1);
        QVERIFY(!offeredEarly);
        const QStringList values = dialog.GetSelected();
        QCOMPARE(values.size(), lines);
        QCOMPARE(values.last(), QString::number(lines - 1));
        QVERIFY(form.ok->isEnabled());

        // Closing the dialog, or new values, end a running import.
        form.file->click();
        QTRY_VERIFY(form.list->count() > 0);
        dialog.reject();
        const int loaded = form.list->count();
        QTest::qWait(50);
        QCOMPARE(form.list->count(), loaded);
        form.file->click();
        dialog.SetValues({ QStringLiteral("x") });
        QVERIFY(!form.reader->IsReading());
        QVERIFY(form.file->isEnabled() && form.ok->isEnabled());
    }

    void flashingHint_data()
    {
        QTest::addColumn<QVariant>("seen");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("flashes");
        QTest::newRow("never clicked") << QVariant() << false << true;
        QTest::newRow("clicked 4 times") << QVariant(4) << false << true;
        QTest::newRow("clicked 5 times") << QVariant(5) << false << false;
        QTest::newRow("editable") << QVariant() << true << false;
    }

    void flashingHint()
    {
        QFETCH(QVariant, seen);
        QFETCH(bool, editable);
        QFETCH(bool, flashes);
        if (seen.isValid())
            SettingsStore()->setValue(QStringLiteral("ShowMoreSeen"), seen);
        QMultiSelectDialog dialog;
        Form form(dialog);
        dialog.SetEditable(editable);
        dialog.show();
        auto* effect = qobject_cast<QGraphicsColorizeEffect*>(form.showMore->graphicsEffect());
        QCOMPARE(effect != nullptr, flashes);
        if (!flashes)
            return;
        QCOMPARE(effect->color(), QColor(Qt::white));
        auto* animation = effect->findChild<QPropertyAnimation*>();
        QVERIFY(animation && animation->state() == QAbstractAnimation::Running);
        QCOMPARE(animation->keyValueAt(0.45).toDouble(), 0.9);
        // A click counts, and lets the flashing run to its end.
        form.showMore->click();
        QCOMPARE(showMoreSeen(), seen.toInt() + 1);
        QCOMPARE(animation->state(), QAbstractAnimation::Running);
    }
};

QTEST_MAIN(tst_MultiSelectDialog)
#include "tst_multiselectdialog.moc"
