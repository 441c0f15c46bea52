#include "DataFolder.h"
#include "QActionButton.h"
#include "QCheckBoxWithColor.h"
#include "QLog.h"
#include "QMyComboBox.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QLayout>
#include <QToolButton>
#include <optional>

const QColor Picked(10, 200, 30, 128);

class tst_Settings : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini"), backup = path + ".bak";

private slots:
    void init()
    {
        umask(022); // a file made without care would be readable by all
        QFile::remove(path);
        writeFile(backup, "from an earlier run");
    }
    void cleanup() { CloseSettingsStore(); }

    // Settings of earlier runs not found: names are appended to the folder with no separator.
    void dataFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(GetConfigDir() + "settings.ini", QDir::homePath() + "/.qttest/configsettings.ini");
    }

    // Stored passwords readable by others, at any moment, also in a file from before.
    void ownerOnly()
    {
        for (const QString& file : { dir.filePath("made/settings.ini"), path }) {
            if (file == path)
                writeFile(path, "[Options]\nConfirm=1\n", 0644);
            QSettings* store = OpenSettingsStore(file);
            QCOMPARE(modeOf(file), 0600);
            QCOMPARE(store->value("Options/Confirm").toInt(), int(file == path));
            store->setValue("Options/Confirm", 2);
            CloseSettingsStore();
            QVERIFY(!SettingsStore() && modeOf(file) == 0600);
            QCOMPARE(contentOf(file), QByteArray("[Options]\nConfirm=2\n"));
            QCOMPARE(contentOf(backup), QByteArray("from an earlier run"));
        }
    }

    // A damaged settings file overwritten before a private copy is kept; a failed copy losing the older one.
    void keepsADamagedFile()
    {
        const QByteArray damaged = "[A]\nx=1\n[B]\nBetFairLogin\n";
        for (const bool diskFull : { false, true }) {
            init();
            QLog log;
            writeFile(path, damaged);
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace();
            QSettings* store = OpenSettingsStore(path);
            limit.reset();
            const QByteArray copy = diskFull ? "from an earlier run" : damaged;
            QVERIFY(store && contentOf(path) == damaged);
            QCOMPARE(contentOf(backup), copy);
            QVERIFY(diskFull || modeOf(backup) == 0600);
            QVERIFY(log.topLevelItem(0)->text(1).endsWith(diskFull ? "File too large" : path + ".bak"));
            store->setValue("Options/Confirm", 2);
            CloseSettingsStore();
            QCOMPARE(contentOf(backup), copy);
        }
    }

    // A stored choice overwritten at -1 (also from a stale index); a crash without a store.
    void comboKeepsTheChosenCode()
    {
        TempSettings ini;
        for (const int kind : { 0, 1, 2 }) { // stored, -1, no store
            ini.store()->setValue("Action/Type", "Export");
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
            ini.reopen();
            QCOMPARE(contentOf(ini.path), kind ? "[Action]\nType=Export\n" : "[Action]\nType=Lay\n");
        }
    }

    // Choices lost on restart; an invalid stored colour used; a row destroyed under its dialog touched.
    void colourRowKeepsTheUsersChoice()
    {
        TempSettings ini;
        QCheckBoxWithColor::SetColorPicker([](const QColor&, QWidget* row) {
            if (row->objectName() == "closing")
                delete row;
            return Picked;
        });
        {
            QCheckBoxWithColor row;
            row.SetSettingsKey("Columns", "ShowVolume", false, Qt::white);
            row.findChild<QCheckBox*>("checkBox")->click();
            row.findChild<QToolButton*>("button")->click();
        }
        for (const QColor& expected : { Picked, QColor(Qt::white) }) {
            ini.reopen();
            QCheckBoxWithColor restored;
            restored.SetSettingsKey("Columns", "ShowVolume", false, Qt::white);
            QVERIFY(restored.isChecked() && restored.color() == expected);
            ini.store()->setValue("Columns/ShowVolume_color", "not a colour");
        }
        auto* row = new QCheckBoxWithColor;
        row->setObjectName("closing");
        row->callDialog();
        QCheckBoxWithColor::SetColorPicker({});
    }

    // A colour strip inset in its row or parted from its button; text unreadable on the colour.
    void colourRowLooks()
    {
        QCheckBoxWithColor row;
        row.show();
        const auto* box = row.findChild<QCheckBox*>("checkBox");
        QCOMPARE(row.layout()->contentsRect(), row.rect());
        QCOMPARE(row.findChild<QToolButton*>("button")->x(), box->geometry().right() + 1);
        // A grey's HSL lightness is its level.
        for (const auto& [level, text] : { std::pair(126, Qt::white), std::pair(127, Qt::black) }) {
            row.setColor(QColor(level, level, level));
            QCOMPARE(box->palette().color(box->foregroundRole()), QColor(text));
        }
    }

    // One click triggering twice or the previous action; state not mirrored; an action gone first.
    void buttonMirrorsItsAction()
    {
        QAction action("Copy"), other("Clear");
        QActionButton button;
        action.setCheckable(true);
        button.setAction(&other);
        button.setAction(&action);
        button.setAction(&action);
        QSignalSpy triggered(&action, &QAction::triggered), otherTriggered(&other, &QAction::triggered);
        button.click();
        action.setText("Copy 2");
        action.setEnabled(false);
        QCOMPARE(triggered.count() * 10 + otherTriggered.count(), 10);
        QVERIFY(button.text() == "Copy 2" && !button.isEnabled() && button.isChecked());
        auto gone = std::make_unique<QAction>("Gone");
        button.setAction(gone.get());
        gone.reset();
        button.click();
    }
};

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
