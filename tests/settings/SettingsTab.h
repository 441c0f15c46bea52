#pragma once

#include "LanguageSetup.h"
#include "QConfirm.h"
#include "QLog.h"
#include "QSearcher.h"
#include "Settings.h"

#include "common/TestFiles.h"

#include <QAbstractButton>
#include <QAnimationDriver>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include <functional>

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// The table of languages as at start-up, with no store left open: each test opens one of its own.
inline void LoadLanguageTable()
{
    InitLanguage();
    CloseSettingsStore();
}

// Every record of the log, in order.
struct LogRecords
{
    QLog log;
    QStringList texts;
    QList<int> types;
    LogRecords()
    {
        QObject::connect(&log, &QLog::Logged, &log, [this](QLog::QLogType type, const QString& text) {
            types << int(type);
            texts << text;
        });
    }
    void clear() { texts.clear(), types.clear(); }
};

// Drives the animations on a clock of its own, which moves only in Finish().
// A line edit's clear button fades whenever its text starts or stops being
// empty (loading the tab fills the fields), and the fade frees itself only at
// its end: one still running when its button is deleted is never freed.
class AnimationClock : public QAnimationDriver
{
public:
    AnimationClock() { install(); }
    ~AnimationClock() override { uninstall(); }
    qint64 elapsed() const override { return now; }

    // Runs every animation to its end, and frees those that delete themselves.
    void Finish()
    {
        // A fade is 160 ms; the steps are bounded, should one ever loop.
        for (int step = 0; step < 100; ++step) {
            // An animation starts, and the driver stops, through queued calls.
            QCoreApplication::sendPostedEvents();
            if (!isRunning())
                break;
            now += 1000;
            advance();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    qint64 now = 0;
};

// The settings tab with its columns wired to a real results view as the main
// window wires them, and every option signal written down in order. The terms
// count as accepted unless told otherwise, so loading does not stop at them.
struct SettingsTab
{
    enum Start { Built, Loaded, TermsUnanswered };

    // First, so it outlives the widgets.
    AnimationClock animations;
    QSearcher results;
    Settings tab;
    QStringList sent;

    explicit SettingsTab(Start start = Built)
    {
        if (start != TermsUnanswered && SettingsStore() && !SettingsStore()->contains("TermsAccepted"))
            SettingsStore()->setValue("TermsAccepted", true);
        const std::pair<void (Settings::*)(bool), const char*> options[] = { { &Settings::setExpand, "setExpand" },
            { &Settings::setShowCharts, "setShowCharts" }, { &Settings::setSaveOnSearch, "setSaveOnSearch" },
            { &Settings::setShowCountryFlags, "setShowCountryFlags" },
            { &Settings::setShowCountryNames, "setShowCountryNames" },
            { &Settings::setIncludeWithdrawns, "setIncludeWithdrawns" } };
        for (const auto& [signal, name] : options) {
            QObject::connect(&tab, signal, &tab,
                [this, name = QString(name)](bool on) { sent << name + (on ? "(true)" : "(false)"); });
        }
        QObject::connect(&tab, &Settings::setShowColumn, &results, &QSearcher::setShowColumn);
        QObject::connect(&tab, &Settings::setColumnColor, &results, &QSearcher::setColumnColor);
        QObject::connect(&tab, &Settings::setShowColumn, &tab, [this](QSearcher::ColumnType column, bool show) {
            sent << QString("setShowColumn(%1,%2)").arg(column).arg(show ? "true" : "false");
        });
        QObject::connect(&tab, &Settings::setColumnColor, &tab, [this](QSearcher::ColumnType column, QColor color) {
            sent << QString("setColumnColor(%1,%2)").arg(column).arg(color.name());
        });
        if (start == Loaded)
            tab.Load();
    }
    ~SettingsTab() { animations.Finish(); }

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
    QPushButton* button(const char* name) { return find<QPushButton>(name); }

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
        QTest::mouseClick(box, Qt::LeftButton, {},
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center());
    }
    void click(QPushButton* button)
    {
        showPageOf(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Types into the field, and leaves it with Return as a user ends an edit.
    void type(QLineEdit* edit, const QString& text, bool end = true)
    {
        showPageOf(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        if (end)
            QTest::keyClick(edit, Qt::Key_Return);
    }
    void step(QComboBox* combo, Qt::Key key = Qt::Key_Down)
    {
        showPageOf(combo);
        QTest::keyClick(combo, key);
    }
};

// Stores each option as the tab would, under "Options/<name>".
inline void StoreOptions(const QVariantMap& options)
{
    for (auto it = options.cbegin(); it != options.cend(); ++it)
        SettingsStore()->setValue("Options/" + it.key(), it.value());
}

// A store of its own holding the given options, and the tab on it.
struct StoreHolder
{
    TempSettings settings;
    explicit StoreHolder(const QVariantMap& options) { StoreOptions(options); }
};
struct TabOnStore : StoreHolder, SettingsTab
{
    explicit TabOnStore(const QVariantMap& options = {}, Start start = Loaded)
        : StoreHolder(options)
        , SettingsTab(start)
    {
    }
};

// Every key of the store with its value, to see exactly what an action wrote.
inline QMap<QString, QVariant> StoreContents()
{
    QMap<QString, QVariant> contents;
    for (const QString& key : SettingsStore()->allKeys())
        contents.insert(key, SettingsStore()->value(key));
    return contents;
}

// Answers every message box: Help when it offers one (the topic is written
// down), else the chosen answer when the box has it, else OK. Needs QConfirm::Init().
struct Boxes
{
    QMessageBox::StandardButton answer;
    QStringList shown; // "<icon>: <text>"
    QString topics; // comma-separated
    std::function<void()> onShow; // runs while the box is up
    QObject context;

    explicit Boxes(QMessageBox::StandardButton answer = QMessageBox::Yes)
        : answer(answer)
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            shown << QString(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())) + ": " + box->text();
            if (onShow)
                onShow();
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            }
            QAbstractButton* chosen = box->button(this->answer);
            return chosen ? chosen : box->button(QMessageBox::Ok);
        });
        QObject::connect(QConfirm::Instance(), &QConfirm::showHelp, &context,
            [this](const QString& topic) { topics += (topics.isEmpty() ? "" : ",") + topic; });
    }
    ~Boxes() { QConfirm::SetResponder({}); }
};

// Whether a text matches a pattern with * wildcards.
inline bool Matches(const QString& text, const QString& pattern)
{
    return QRegExp(pattern, Qt::CaseSensitive, QRegExp::Wildcard).exactMatch(text);
}
