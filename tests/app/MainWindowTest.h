#pragma once

#include "FileDialog.h"
#include "LanguageSetup.h"
#include "MainWindow.h"
#include "MyAction.h"
#include "MyTemplates.h"
#include "QConfirm.h"
#include "QMyComboBox.h"
#include "QSearcher.h"
#include "Settings.h"
#include "TextInput.h"

#include "common/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

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
// of answers (Cancel when none is left); other boxes with Help when offered and help is set,
// else OK. A name prompt gets the next of names, or is cancelled; a file dialog gets file.
struct Answering
{
    QStringList boxes; // "<icon>: <text>"
    QStringList topics;
    QList<QMessageBox::StandardButton> answers;
    QStringList names;
    int prompts = 0;
    bool help = true;
    QString file;
    QObject context;

    Answering()
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            boxes << QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()) + QString(": ")
                    + box->text();
            if (box->icon() == QMessageBox::Question)
                return box->button(answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst());
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

// A data folder of its own with the settings store open on it, as the language set-up
// leaves it; the window closes the store when it goes, open() opens it again.
struct DataFolder
{
    QTemporaryDir dir;
    const QString config = dir.filePath("config");
    const QString templates = config + "templates";

    DataFolder()
    {
        QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        QDir().mkpath(templates);
        open();
        ProgramArguments::Set({});
        SetInteractiveLevel(QConfirm::All);
    }
    ~DataFolder()
    {
        CloseSettingsStore();
        chmod(QFile::encodeName(templates).constData(), 0755);
    }
    void open()
    {
        OpenSettingsStore(config + "settings.ini");
        // Nothing at start reaches the network or waits for the user (a store that was
        // damaged and set aside lost the terms with everything else).
        SettingsStore()->setValue("Options/CheckForUpdates", false);
        SettingsStore()->setValue("TermsAccepted", true);
    }
    QSettings* store()
    {
        if (!SettingsStore())
            open();
        return SettingsStore();
    }
    QString pathOf(const QString& name) const { return templates + "/" + name + ".twt"; }
    void write(const QString& name, const QByteArray& content = R"({"conditions": []})") const
    {
        writeFile(pathOf(name), content);
    }
    // The template the next start opens.
    void startWith(const QString& name, const QByteArray& content)
    {
        write(name, content);
        store()->setValue("Window/curTemplate", name);
    }
};

// A template of one valid row: market volume at least volume.
inline QByteArray VolumeTemplate(int volume, const QByteArray& extra = QByteArray())
{
    return R"({)" + extra + R"("conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": )"
        + QByteArray::number(volume) + "}]}";
}

// The window and its parts by their object names.
struct Window
{
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();

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
    QTabWidget* tabs() const { return get<QTabWidget>("Tabs"); }
    MyTemplates* templates() const { return get<MyTemplates>("Templates"); }
    QSearcher* results() const { return get<QSearcher>("ResultsTable"); }
    MyAction* actions() const { return get<MyAction>("ActionRow"); }
    QMyComboBox* select() const { return get<QMyComboBox>("Select"); }
    Settings* settings() const { return get<Settings>("SettingsForm"); }
    QLabel* statusText() const { return get<QLabel>("StatusMessage"); }
    QLabel* statusIcon() const { return get<QLabel>("StatusIcon"); }
    QString title() const { return window->windowTitle(); }

    // Makes the window go, as main does after the event loop.
    void destroy() { window.reset(); }
};

// Screenshots, taken only where TW_SHOT_DIR names a folder: one row per language.
inline void ScreenshotLanguages()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "";
    QTest::newRow("Russian") << "ru_RU";
}

inline QString ShotPath(const QString& name, const QString& language)
{
    return QString("%1/%2_%3.png")
        .arg(qEnvironmentVariable("TW_SHOT_DIR"), name, language.isEmpty() ? "en" : language);
}

// Icons compared by their pictures.
inline bool SameIcon(const QIcon& icon, const QString& path)
{
    return !QImage(path).isNull()
        && icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32)
        == QImage(path).convertToFormat(QImage::Format_ARGB32);
}

inline bool SamePicture(const QPixmap& pixmap, const QString& path)
{
    return !QImage(path).isNull()
        && pixmap.toImage().convertToFormat(QImage::Format_ARGB32)
        == QImage(path).convertToFormat(QImage::Format_ARGB32);
}
