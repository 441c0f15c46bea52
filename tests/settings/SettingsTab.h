#pragma once

#include "QSearcher.h"
#include "QSearcherModel.h"
#include "LanguageSetup.h"
#include "Settings.h"

#include "common/TestFiles.h"

#include "QConfirm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include <functional>

// The table of languages as at start-up, with no store left open: each test
// opens one of its own.
inline void LoadLanguageTable()
{
    InitLanguage();
    CloseSettingsStore();
}

// Screenshot tests run in both languages and keep their pictures only when
// TW_SHOT_DIR names a folder.
inline void AddShotLanguages()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QString();
    QTest::newRow("Russian") << QString("ru_RU");
}

inline QString ShotPath(const QString& name, const QString& language)
{
    return QString("%1/%2_%3.png")
        .arg(qEnvironmentVariable("TW_SHOT_DIR"), name, language.isEmpty() ? QString("en") : language);
}

#define SKIP_WITHOUT_SHOT_FOLDER()                                                                           \
    if (qEnvironmentVariableIsEmpty("TW_SHOT_DIR"))                                                          \
    QSKIP("TW_SHOT_DIR is not set")

// Marks the terms as accepted in the open store unless told otherwise, so
// that loading does not stop at the terms dialog.
struct TermsGate
{
    explicit TermsGate(bool accepted)
    {
        if (accepted && SettingsStore() && !SettingsStore()->contains("TermsAccepted"))
            SettingsStore()->setValue("TermsAccepted", true);
    }
};

// The settings tab wired to a real results view as the main window wires
// them, with every option signal also written down in order.
struct SettingsTab
{
    TermsGate terms;
    QSearcher results;
    Settings tab;
    QStringList sent;

    explicit SettingsTab(bool termsAccepted = true)
        : terms(termsAccepted)
    {
        QObject::connect(&tab, &Settings::setExpand, &results, &QSearcher::setExpand);
        QObject::connect(&tab, &Settings::setShowCharts, &results, &QSearcher::setShowCharts);
        QObject::connect(&tab, &Settings::setSaveOnSearch, &results, &QSearcher::setSaveOnSearch);
        QObject::connect(&tab, &Settings::setShowCountryFlags, &results, &QSearcher::setShowCountryFlags);
        QObject::connect(&tab, &Settings::setShowCountryNames, &results, &QSearcher::setShowCountryName);
        QObject::connect(&tab, &Settings::setIncludeWithdrawns, &results, &QSearcher::setIncludeWithdrawns);
        QObject::connect(&tab, &Settings::setShowColumn, &results, &QSearcher::setShowColumn);
        QObject::connect(&tab, &Settings::setColumnColor, &results, &QSearcher::setColumnColor);

        record(&Settings::setExpand, "setExpand");
        record(&Settings::setShowCharts, "setShowCharts");
        record(&Settings::setSaveOnSearch, "setSaveOnSearch");
        record(&Settings::setShowCountryFlags, "setShowCountryFlags");
        record(&Settings::setShowCountryNames, "setShowCountryNames");
        record(&Settings::setIncludeWithdrawns, "setIncludeWithdrawns");
        QObject::connect(&tab, &Settings::setShowColumn, &tab, [this](QSearcher::ColumnType column, bool show) {
            sent << QString("setShowColumn(%1,%2)").arg(column).arg(show ? "true" : "false");
        });
        QObject::connect(&tab, &Settings::setColumnColor, &tab, [this](QSearcher::ColumnType column, QColor color) {
            sent << QString("setColumnColor(%1,%2)").arg(column).arg(color.name());
        });
    }

    template<typename T>
    T* find(const char* name)
    {
        T* widget = tab.findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QCheckBox* box(const char* name) { return find<QCheckBox>(name); }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }

    // Makes the widget's page current and the tab visible, as a user sees it.
    void showPageOf(QWidget* widget)
    {
        for (int page = 0; page < tab.count(); ++page) {
            if (tab.widget(page)->isAncestorOf(widget))
                tab.setCurrentIndex(page);
        }
        tab.show();
    }

    // Clicks the box's indicator (a wide box without text is not hit elsewhere).
    void click(QCheckBox* box)
    {
        showPageOf(box);
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
    }
    // Types into the field and leaves it with Return, as a user ends an edit.
    void type(QLineEdit* edit, const QString& text)
    {
        showPageOf(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Moves the combo one row down with the keyboard.
    void stepDown(QComboBox* combo)
    {
        showPageOf(combo);
        QTest::keyClick(combo, Qt::Key_Down);
    }

private:
    void record(void (Settings::*signal)(bool), const QString& name)
    {
        QObject::connect(&tab, signal, &tab,
            [this, name](bool value) { sent << QString("%1(%2)").arg(name, value ? "true" : "false"); });
    }
};

// Every key of the store with its value, to see exactly what an action wrote.
inline QMap<QString, QVariant> StoreContents()
{
    QMap<QString, QVariant> contents;
    QSettings* store = SettingsStore();
    for (const QString& key : store->allKeys())
        contents.insert(key, store->value(key));
    return contents;
}

// The keys whose values differ between two snapshots (added, changed or removed).
inline QStringList ChangedKeys(const QMap<QString, QVariant>& before, const QMap<QString, QVariant>& after)
{
    QStringList keys;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()) || before.value(it.key()) != it.value())
            keys << it.key();
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            keys << it.key();
    }
    return keys;
}

// Answers every message box: Help when it offers one (the topic is written
// down), else the chosen answer when the box has it, else OK. Needs QConfirm::Init().
struct Boxes
{
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList shown; // "<icon>: <text>"
    QString topics; // comma-separated
    std::function<void()> onShow; // runs while the box is up
    QObject context;

    Boxes()
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            shown << QString(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())) + ": " + box->text();
            if (onShow)
                onShow();
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            }
            if (QAbstractButton* chosen = box->button(answer))
                return chosen;
            return box->button(QMessageBox::Ok);
        });
        QObject::connect(QConfirm::Instance(), &QConfirm::showHelp, &context,
            [this](const QString& topic) { topics += (topics.isEmpty() ? "" : ",") + topic; });
    }
    ~Boxes() { QConfirm::SetResponder({}); }
};
