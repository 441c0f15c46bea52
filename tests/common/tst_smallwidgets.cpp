#include "QActionButton.h"
#include "QCheckBoxWithColor.h"
#include "QMyComboBox.h"
#include "QMyLineEdit.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QIntValidator>
#include <QToolButton>

// Stored under "Action/Type", the last item marked not stored.
static void fillActions(QMyComboBox& box)
{
    for (const char* code : { "Export", "Back", "Lay", "Cancel" })
        box.AddItem(QString(code) + " text", QString(code));
    box.AddItem("[Manual selection]", "Manual", true);
    box.SetSettingsKey("Action", "Type");
}

static void sendFocus(QWidget& widget, QEvent::Type type, Qt::FocusReason reason)
{
    QFocusEvent event(type, reason);
    QApplication::sendEvent(&widget, &event);
}

const QColor LayPrice(255, 204, 220), Picked(10, 200, 30, 128);

class tst_SmallWidgets : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> ini;

private slots:
    void init() { ini = std::make_unique<TempSettings>(); }
    void cleanup() { ini.reset(); }

    // Restored by the item's data exactly. Nothing is stored for an item marked not stored, at -1 (also
    // from a stale index), without a key or without a store.
    void comboKeepsTheChosenCode()
    {
        for (const char* stored : { "Lay", "lay" }) {
            ini->store()->setValue("Action/Type", stored);
            QMyComboBox box;
            fillActions(box);
            QCOMPARE(box.currentIndex(), stored == QString("Lay") ? 2 : -1);
            QCOMPARE(ini->store()->value("Action/Type").toString(), stored);
        }
        for (const int kind : { 0, 1, 2, 3, 4 }) { // stored, marked not stored, -1, no key, no store
            ini->store()->setValue("Action/Type", "Export");
            {
                QMyComboBox box;
                fillActions(box);
                if (kind == 3)
                    box.SetSettingsKey("Action", "");
                if (kind == 4)
                    CloseSettingsStore();
                box.setCurrentIndex(kind == 1 ? 4 : kind == 2 ? -1 : 2);
                box.SaveIndex(2);
            }
            ini->reopen();
            QCOMPARE(contentOf(ini->path), kind ? "[Action]\nType=Export\n" : "[Action]\nType=Lay\n");
        }
    }

    // The user's choices survive a restart; a stored value that is no colour gives the default; the text is
    // white below lightness 127.
    void colourRowKeepsTheUsersChoice()
    {
        QColor offered;
        QCheckBoxWithColor::SetColorPicker([&offered](const QColor& current, QWidget* row) {
            offered = current;
            if (row->objectName() == "closing") // destroyed while the dialog runs
                delete row;
            return Picked;
        });
        {
            QCheckBoxWithColor row;
            row.SetSettingsKey("Columns", "ShowVolume", false, LayPrice);
            row.findChild<QCheckBox*>("checkBox")->click();
            row.findChild<QToolButton*>("button")->click();
            QCOMPARE(offered, LayPrice);
        }
        ini->reopen();
        for (const QColor& expected : { Picked, QColor(Qt::white) }) {
            QCheckBoxWithColor restored;
            restored.SetSettingsKey("Columns", "ShowVolume", false, Qt::white);
            QVERIFY(restored.isChecked() && restored.color() == expected);
            ini->store()->setValue("Columns/ShowVolume_color", "not a colour");
        }
        auto* row = new QCheckBoxWithColor;
        row->setObjectName("closing");
        const QCheckBox* inner = row->findChild<QCheckBox*>("checkBox");
        for (const int level : { 126, 127 }) {
            row->setColor(QColor::fromHsl(200, 255, level));
            QCOMPARE(inner->palette().color(QPalette::Inactive, inner->backgroundRole()), row->color());
            QCOMPARE(inner->palette().color(inner->foregroundRole()), level < 127 ? Qt::white : Qt::black);
        }
        row->callDialog();
        QCheckBoxWithColor::SetColorPicker({});
    }

    // Unacceptable text goes back at focus-out. Signals once each, after the base class's: a Tab in has
    // selected all, editingFinished sees the result.
    void lineEditTakesBackUnacceptableText()
    {
        const struct { QString typed, after; bool tabbedIn; } rows[] = { { "3128", "3128", false },
            { "0", "8080", true } };
        for (const auto& row : rows) {
            QMyLineEdit edit;
            edit.setValidator(new QIntValidator(1, 9999, &edit));
            edit.setText("8080");
            QStringList lines;
            connect(&edit, &QLineEdit::editingFinished, &edit, [&] { lines << "finished " + edit.text(); });
            connect(&edit, &QMyLineEdit::focussed, &edit,
                [&](bool in) { lines << QString::number(in) + edit.selectedText(); });
            sendFocus(edit, QEvent::FocusIn, row.tabbedIn ? Qt::TabFocusReason : Qt::MouseFocusReason);
            edit.selectAll();
            QTest::keyClick(&edit, Qt::Key_Backspace);
            QTest::keyClicks(&edit, row.typed);
            sendFocus(edit, QEvent::FocusOut, Qt::OtherFocusReason);
            QCOMPARE(lines, QStringList({ row.tabbedIn ? "18080" : "1", "finished " + row.after, "0" }));
        }
    }

    // Mirrors the action, bound once however often bound; an action gone first leaves it safe.
    void buttonMirrorsItsAction()
    {
        QAction action("Copy"), other("Clear");
        QActionButton button;
        action.setCheckable(true);
        for (int binds = 1; binds <= 3; ++binds) {
            button.setAction(&other);
            for (int i = 0; i < binds; ++i)
                button.setAction(&action);
            QSignalSpy triggered(&action, &QAction::triggered), otherTriggered(&other, &QAction::triggered);
            button.click();
            QCOMPARE(triggered.count() * 10 + otherTriggered.count(), 10);
            action.setText(QString("Copy %1").arg(binds));
            action.setEnabled(binds != 3);
            QCOMPARE(button.text(), action.text());
            QVERIFY(button.isEnabled() == (binds != 3) && button.isChecked() == bool(binds % 2));
        }
        auto gone = std::make_unique<QAction>("Gone");
        button.setAction(gone.get());
        gone.reset();
        button.click();
        button.setAction(&action);
        QCOMPARE(button.text(), action.text());
    }
};

QTEST_MAIN(tst_SmallWidgets)
#include "tst_smallwidgets.moc"
