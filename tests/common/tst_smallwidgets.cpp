#include "QActionButton.h"
#include "QCheckBoxWithColor.h"
#include "QMyComboBox.h"
#include "QMyLineEdit.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QIntValidator>
#include <QToolButton>

static void fillActions(QMyComboBox& box)
{
    for (const char* code : { "Export", "Back", "Lay", "Cancel" })
        box.AddItem(QString(code) + " text", QString(code));
    box.AddItem("[Manual selection]", "Manual", true);
}

static void sendFocus(QWidget& widget, QEvent::Type type, Qt::FocusReason reason)
{
    QFocusEvent event(type, reason);
    QApplication::sendEvent(&widget, &event);
}

static QCheckBox* checkBoxOf(QCheckBoxWithColor& row) { return row.findChild<QCheckBox*>("checkBox"); }

const QColor LayPrice(255, 204, 220), Picked(10, 200, 30, 128);

class tst_SmallWidgets : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> ini;
    QColor offered;
    bool closeRow = false;

private slots:
    // The colour dialog answers Picked.
    void initTestCase()
    {
        QCheckBoxWithColor::SetColorPicker([this](const QColor& current, QWidget* row) {
            offered = current;
            if (closeRow)
                delete row;
            return Picked;
        });
    }
    void init() { ini = std::make_unique<TempSettings>(); }
    void cleanup() { ini.reset(); }

    // Restored by the item's data; at -1 (case differs) the stored code stays. Stored under "group/key";
    // nothing for an item marked not stored, at -1, without a key or a store.
    void comboKeepsTheChosenCode()
    {
        const struct { QString key, stored; int index; } rows[] = { { "Action/Type", QString(), 0 },
            { "Action/Type", "Lay", 2 }, { "Select", "Cancel", 3 }, { "Action/Type", "lay", -1 } };
        for (const auto& row : rows) {
            ini->store()->clear();
            if (!row.stored.isNull())
                ini->store()->setValue(row.key, row.stored);
            QMyComboBox box;
            fillActions(box);
            box.SetSettingsKey(row.key.section('/', -2, -2), row.key.section('/', -1));
            QCOMPARE(box.currentIndex(), row.index);
            ini->reopen();
            QCOMPARE(ini->store()->allKeys(), QStringList { row.key });
            QCOMPARE(ini->store()->value(row.key).toString(), row.stored.isNull() ? "Export" : row.stored);
        }
        ini->store()->clear();
        for (const int kind : { 0, 1, 2, 3, 4 }) { // stored, marked not stored, -1, no key, no store
            {
                QMyComboBox box;
                fillActions(box);
                box.SetSettingsKey("Action", kind == 3 ? "" : "Type");
                if (kind == 4)
                    CloseSettingsStore();
                box.setCurrentIndex(kind == 1 ? 4 : kind == 2 ? -1 : 2);
                box.SaveIndex(2); // as a stale call would: only the current item counts
            }
            ini->reopen();
            QCOMPARE(contentOf(ini->path), kind ? "[Action]\nType=Export\n" : "[Action]\nType=Lay\n");
            ini->store()->setValue("Action/Type", "Export");
        }
    }

    // The user's clicks survive a restart; a stored value that is no colour gives the default. The text is
    // white below lightness 127.
    void colourRowKeepsTheUsersChoice()
    {
        {
            QCheckBoxWithColor row;
            row.SetSettingsKey("Columns", "ShowVolume", false, LayPrice);
            QSignalSpy clicked(&row, &QCheckBoxWithColor::clicked);
            QSignalSpy changed(&row, &QCheckBoxWithColor::colorChanged);
            checkBoxOf(row)->click();
            row.findChild<QToolButton*>("button")->click();
            QCOMPARE(offered, LayPrice);
            QCOMPARE(clicked.count() + changed.count(), 2);
            QCOMPARE(changed[0][0].value<QColor>(), Picked);
        }
        ini->reopen();
        QCOMPARE(ini->store()->allKeys(), QStringList({ "Columns/ShowVolume", "Columns/ShowVolume_color" }));
        ini->store()->setValue("Columns/ShowVolume_color", "not a colour");
        QCheckBoxWithColor restored;
        restored.SetSettingsKey("Columns", "ShowVolume", false, Qt::white);
        QVERIFY(restored.isChecked() && restored.color() == Qt::white);
        for (const int level : { 126, 127 }) {
            restored.setColor(QColor::fromHsl(200, 255, level));
            const QCheckBox* inner = checkBoxOf(restored);
            QCOMPARE(inner->palette().color(QPalette::Inactive, inner->backgroundRole()), restored.color());
            QCOMPARE(inner->palette().color(inner->foregroundRole()), level < 127 ? Qt::white : Qt::black);
        }
        ini->reopen();
        closeRow = true; // the row is destroyed while the dialog runs its loop
        auto* closing = new QCheckBoxWithColor;
        closing->SetSettingsKey("Columns", "ShowFarSP", false, Qt::white);
        closing->callDialog();
        closeRow = false;
    }

    // Unacceptable text goes back at focus-out. Signals once each, after the base class's: a Tab in has
    // selected all, editingFinished sees the result.
    void lineEditTakesBackUnacceptableText()
    {
        const struct { QString typed, after; bool tabbedIn; } rows[] = { { "", "8080", false },
            { "3128", "3128", false }, { "0", "8080", true } };
        for (const auto& row : rows) {
            QMyLineEdit edit;
            edit.setValidator(new QIntValidator(1, 9999, &edit));
            edit.setText("8080");
            QStringList lines;
            connect(&edit, &QLineEdit::editingFinished, &edit, [&] { lines << "finished " + edit.text(); });
            connect(&edit, &QMyLineEdit::focussed, &edit, [&](bool in) {
                lines << QString::number(in) + edit.selectedText();
            });
            sendFocus(edit, QEvent::FocusIn, row.tabbedIn ? Qt::TabFocusReason : Qt::MouseFocusReason);
            edit.selectAll();
            QTest::keyClick(&edit, Qt::Key_Backspace);
            QTest::keyClicks(&edit, row.typed);
            sendFocus(edit, QEvent::FocusOut, Qt::OtherFocusReason);
            QCOMPARE(edit.text(), row.after);
            const QString in = row.tabbedIn ? "18080" : "1";
            QCOMPARE(lines, QStringList({ in, "finished " + row.after, "0" }));
        }
    }

    // Mirrors the action, bound once however often bound; an action gone first leaves it safe.
    void buttonMirrorsItsAction()
    {
        QAction action("Copy"), other("Clear");
        QActionButton button;
        const auto same = [&] {
            return button.text() == action.text() && button.icon().cacheKey() == action.icon().cacheKey()
                && button.isEnabled() == action.isEnabled() && button.isChecked() == action.isChecked();
        };
        action.setCheckable(true);
        for (int binds = 1; binds <= 3; ++binds) {
            button.setAction(&other);
            for (int i = 0; i < binds; ++i)
                button.setAction(&action);
            QSignalSpy triggered(&action, &QAction::triggered), otherTriggered(&other, &QAction::triggered);
            button.click();
            QCOMPARE(triggered.count() * 10 + otherTriggered.count(), 10);
            action.setText(QString("Copy %1").arg(binds));
            action.setIcon(QIcon(QPixmap(binds, binds)));
            action.setEnabled(binds != 3);
            QVERIFY(action.isChecked() == binds % 2 && same());
        }
        auto gone = std::make_unique<QAction>("Gone");
        button.setAction(gone.get());
        gone.reset();
        button.click();
        button.setAction(&action);
        QVERIFY(same());
    }
};

QTEST_MAIN(tst_SmallWidgets)
#include "tst_smallwidgets.moc"
