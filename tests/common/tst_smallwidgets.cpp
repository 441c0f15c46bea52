#include "QActionButton.h"
#include "QCheckBoxWithColor.h"
#include "QMyComboBox.h"
#include "QMyLineEdit.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QIntValidator>
#include <QToolButton>

const QColor LayPrice(255, 204, 220), Picked(10, 200, 30, 128);

class tst_SmallWidgets : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> ini;

private slots:
    void init() { ini = std::make_unique<TempSettings>(); }
    void cleanup() { ini.reset(); }

    // Restored by the item's data. Nothing is stored at -1 (also from a stale index) or without a store.
    void comboKeepsTheChosenCode()
    {
        for (const int kind : { 0, 1, 2 }) { // stored, -1, no store
            ini->store()->setValue("Action/Type", "Export");
            {
                QMyComboBox box;
                for (const char* code : { "Back", "Export", "Lay" })
                    box.AddItem(QString(code) + " text", QString(code));
                box.SetSettingsKey("Action", "Type");
                QCOMPARE(box.currentIndex(), 1);
                if (kind == 2)
                    CloseSettingsStore();
                box.setCurrentIndex(kind == 1 ? -1 : 2);
                box.SaveIndex(2);
            }
            ini->reopen();
            QCOMPARE(contentOf(ini->path), kind ? "[Action]\nType=Export\n" : "[Action]\nType=Lay\n");
        }
    }

    // The user's choices survive a restart; a stored value that is no colour gives the default; a row
    // destroyed while its dialog runs is not touched.
    void colourRowKeepsTheUsersChoice()
    {
        QColor offered;
        QCheckBoxWithColor::SetColorPicker([&offered](const QColor& current, QWidget* row) {
            offered = current;
            if (row->objectName() == "closing")
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
        row->callDialog();
        QCheckBoxWithColor::SetColorPicker({});
    }

    // Unacceptable text goes back at focus-out. Signals once each, after the base class's: a Tab in has
    // selected all, editingFinished sees the result.
    void lineEditTakesBackUnacceptableText()
    {
        QMyLineEdit edit;
        edit.setValidator(new QIntValidator(1, 9999, &edit));
        edit.setText("8080");
        QStringList lines;
        connect(&edit, &QLineEdit::editingFinished, &edit, [&] { lines << "finished " + edit.text(); });
        connect(&edit, &QMyLineEdit::focussed, &edit,
            [&](bool in) { lines << QString::number(in) + edit.selectedText(); });
        QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason), out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(&edit, &tabIn);
        QTest::keyClicks(&edit, "0");
        QApplication::sendEvent(&edit, &out);
        QCOMPARE(lines, QStringList({ "18080", "finished 8080", "0" }));
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
