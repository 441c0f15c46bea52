#pragma once

#include "FileDialog.h"
#include "LanguageSetup.h"
#include "MainWindow.h"
#include "MyAction.h"
#include "MyTemplates.h"
#include "QConfirm.h"
#include "QMyComboBox.h"
#include "QSearcher.h"
#include "Row.h"
#include "Settings.h"
#include "TextInput.h"

#include "common/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

// The program's command line as the window reads it (QCoreApplication::arguments). The
// application object is made on these, so a test changes them between starts; the test
// runner keeps the real ones.
namespace ProgramArguments {

inline int count = 1;
inline char* values[8] = { const_cast<char*>("tarnwickstone") };

inline void Set(const QStringList& arguments)
{
    static QList<QByteArray> kept;
    kept.clear();
    count = 1;
    for (const QString& argument : arguments) {
        kept << QFile::encodeName(argument);
        values[count++] = kept.last().data();
    }
    values[count] = nullptr;
}

} // namespace ProgramArguments

#define TW_WINDOW_TEST_MAIN(TestObject)                                                                      \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        QApplication app(ProgramArguments::count, ProgramArguments::values);                                 \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

using Buttons = QList<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(Buttons)

// The message boxes and the translated tables as the language set-up leaves them, but no
// store: each test opens one of its own.
inline void InitProgramTables()
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("c")));
    InitLanguage();
    CloseSettingsStore();
}

// The user at every box, name prompt and file dialog. A question is answered with the next
// of answers, else otherwise; other boxes with Help when offered and help is set, else OK.
// during runs once while the next box is open, as the user acting elsewhere meanwhile.
// A name prompt gets the next of names, or is cancelled; a file dialog gets file.
struct Answering
{
    QStringList boxes; // "<icon>: <text>"
    QStringList topics;
    Buttons answers;
    QMessageBox::StandardButton otherwise;
    std::function<void()> during;
    QStringList names;
    int prompts = 0;
    bool help = true;
    QString file;
    QObject context;

    explicit Answering(Buttons given = {}, QMessageBox::StandardButton fallback = QMessageBox::Cancel)
        : answers(std::move(given))
        , otherwise(fallback)
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            boxes << QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()) + QString(": ")
                    + box->text();
            if (const std::function<void()> act = std::exchange(during, nullptr))
                act();
            if (box->icon() == QMessageBox::Question)
                return box->button(answers.isEmpty() ? otherwise : answers.takeFirst());
            for (QAbstractButton* button : box->buttons())
                if (help && box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            return box->button(QMessageBox::Ok);
        });
        FileDialog::SetResponder([this](const FileDialog::Request&) { return file; });
        TextInput::SetResponder([this](const TextInput::Request&) -> std::optional<QString> {
            ++prompts;
            if (names.isEmpty())
                return std::nullopt;
            return names.takeFirst();
        });
        QObject::connect(QConfirm::Instance(), &QConfirm::showHelp, &context,
            [this](const QString& topic) { topics << topic; });
    }
    ~Answering() { QConfirm::SetResponder({}), TextInput::SetResponder({}), FileDialog::SetResponder({}); }
};

// A template of one valid row: market volume at least volume.
inline QByteArray VolumeTemplate(int volume, const QByteArray& extra = QByteArray())
{
    return R"({)" + extra + R"("conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": )"
        + QByteArray::number(volume) + "}]}";
}

// A start in a data folder of its own, its store open as the language set-up leaves it, the keys stored
// (with demo, a template "Demo" to open), the user at the boxes; the window's parts by their object names.
struct Started
{
    QTemporaryDir dir;
    const QString config = dir.filePath("config");
    const QString folder = config + "templates"; // the templates
    Answering user;
    std::unique_ptr<MainWindow> window;

    explicit Started(const QVariantMap& keys = {}, const QByteArray& demo = QByteArray(), bool now = true)
    {
        QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        QDir().mkpath(folder);
        ProgramArguments::Set({});
        SetInteractiveLevel(QConfirm::All);
        open();
        if (!demo.isEmpty()) {
            write("Demo", demo);
            SettingsStore()->setValue("Window/curTemplate", "Demo");
        }
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            SettingsStore()->setValue(it.key(), it.value());
        if (now)
            start();
    }
    ~Started()
    {
        window.reset();
        CloseSettingsStore();
        chmod(QFile::encodeName(folder).constData(), 0755);
    }
    void open()
    {
        OpenSettingsStore(config + "settings.ini");
        // Nothing at start reaches the network or waits for the user (a store that was
        // damaged and set aside lost the terms with everything else).
        SettingsStore()->setValue("Options/CheckForUpdates", false);
        SettingsStore()->setValue("TermsAccepted", true);
    }
    // Ends the window, as main does after the event loop, and starts again.
    void start()
    {
        window.reset();
        if (!SettingsStore())
            open();
        window = std::make_unique<MainWindow>();
    }
    QString pathOf(const QString& name) const { return folder + "/" + name + ".twt"; }
    void write(const QString& name, const QByteArray& content) const { writeFile(pathOf(name), content); }
    template<typename T = QWidget>
    T* get(const char* name) const
    {
        T* widget = window->findChild<T*>(name);
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    // A widget of the window's own, not one of the settings tab that shares its name.
    QWidget* part(const char* name) const
    {
        for (QWidget* widget : window->findChildren<QWidget*>(name))
            if (!settings()->isAncestorOf(widget))
                return widget;
        qFatal("no %s", name);
    }
    bool enabled(const char* name) const { return part(name)->isEnabled(); }
    void click(const char* name) const
    {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(part(name)), Qt::LeftButton);
    }
    QTabWidget* tabs() const { return get<QTabWidget>("Tabs"); }
    int tab() const { return tabs()->currentIndex(); }
    MyTemplates* templates() const { return get<MyTemplates>("Templates"); }
    QSearcher* results() const { return get<QSearcher>("ResultsTable"); }
    MyAction* actions() const { return get<MyAction>("ActionRow"); }
    QMyComboBox* select() const { return get<QMyComboBox>("Select"); }
    QString rule() const { return select()->currentData().toString(); }
    Settings* settings() const { return get<Settings>("SettingsForm"); }
    QString title() const { return window->windowTitle(); }
};

// Pictures compared pixel by pixel. A pixmap keeps its picture premultiplied, and
// taking alpha back out rounds differently from one instruction set to another; so
// the file goes through a pixmap too, and both sides through the same conversions.
inline bool SamePicture(const QImage& image, const QString& path)
{
    const QImage expected(path);
    return !expected.isNull()
        && image.convertToFormat(QImage::Format_ARGB32)
        == QPixmap::fromImage(expected).toImage().convertToFormat(QImage::Format_ARGB32);
}
