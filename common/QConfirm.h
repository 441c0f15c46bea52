#pragma once

#include <QMessageBox>
#include <QObject>

#include <functional>

class QAbstractButton;

// The message-box singleton: carries help requests from the boxes' "Help"
// buttons to the main window.
class QConfirm : public QObject
{
    Q_OBJECT

public:
    // How many boxes the user wants to see (the "Options/Confirm" setting).
    enum QLevel { None = 2, Critical = 1, All = 0 };
    Q_ENUM(QLevel)

    explicit QConfirm(QObject* parent = nullptr);

    // Creates the singleton on the first call; it lives until the process ends.
    static void Init();
    static QConfirm* Instance();

    // For tests only: a shown box is handed to the responder instead of
    // running its modal loop, and the button it returns is clicked (nullptr
    // closes the box without a button). The level gating and the logging run
    // as usual. An empty function restores the modal loop.
    using Responder = std::function<QAbstractButton*(QMessageBox* box)>;
    static void SetResponder(Responder responder);

signals:
    void showHelp(QString url);

private:
    Q_DISABLE_COPY(QConfirm)
};

// Stores 0 or 1 as given and any other value as 2; returns the stored level.
int SetInteractiveLevel(int level);
int InteractionLevel();

// Box texts are rich text: the program's own templates may carry markup, and
// "\n" anywhere becomes a line break. Every piece that comes from outside the
// program (network errors, exchange codes, server replies, file names) must go
// through EscapeForBox() before it is put into a box text, so it is shown as
// typed and never rendered. ShowInfo, ShowError and ShowWarning write the text
// to the program log as the user reads it in the box, as plain text.
QString EscapeForBox(const QString& external);

// Questions: a box not shown at the current level answers at once.
int AskQuestion(const QString& text, bool critical, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton defaultButton);
bool AskConfirm(const QString& text, bool critical = false, bool always = false);

// Messages: logged at every level. ShowInfo logs a warning and returns whether
// its box was shown; error and warning boxes are always shown, and a non-empty
// topic adds a "Help" button that asks the singleton to show that help topic.
bool ShowInfo(const QString& text, bool critical = false, bool always = false);
bool ShowError(const QString& text, const QString& topic = QString());
bool ShowWarning(const QString& text, const QString& topic = QString());
