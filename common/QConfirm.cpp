#include "QConfirm.h"

#include "QLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTextDocumentFragment>

namespace {

QConfirm* singleton = nullptr;
int interactionLevel = QConfirm::All;

QConfirm::Responder& responder()
{
    static QConfirm::Responder installed;
    return installed;
}

// Questions and information boxes below the user's level answer by themselves.
bool isSuppressed(bool critical, bool always)
{
    if (always)
        return false;
    return interactionLevel == QConfirm::None || (interactionLevel != QConfirm::All && !critical);
}

QString toBoxText(const QString& text)
{
    return QString(text).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

void writeToLog(QLog::QLogType type, const QString& text)
{
    QLog::Write(type, QTextDocumentFragment::fromHtml(toBoxText(text)).toPlainText());
}

QMessageBox* makeBox(QMessageBox::Icon icon, const QString& text)
{
    auto* box = new QMessageBox(QApplication::activeWindow());
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(icon);
    box->setTextFormat(Qt::RichText);
    box->setText(toBoxText(text));
    box->setWindowTitle(QCoreApplication::applicationName());
    return box;
}

struct Closing
{
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    bool help = false;
};

// Runs the box and deletes it. A box destroyed while open (its window was
// closed meanwhile) counts as closed without a button.
Closing runBox(QMessageBox* box, const QAbstractButton* helpButton = nullptr)
{
    const QPointer<QMessageBox> guard(box);
    if (responder()) {
        QAbstractButton* pressed = responder()(box);
        if (guard && pressed)
            pressed->click();
    } else {
        box->exec();
    }

    Closing closing;
    if (guard) {
        QAbstractButton* clicked = box->clickedButton();
        closing.button = box->standardButton(clicked);
        closing.help = clicked && clicked == helpButton;
        delete box;
    }
    return closing;
}

bool showMessage(QMessageBox::Icon icon, QLog::QLogType logType, const QString& text, const QString& topic)
{
    writeToLog(logType, text);
    QMessageBox* box = makeBox(icon, text);
    box->setDefaultButton(box->addButton(QMessageBox::Ok));
    QPushButton* helpButton = nullptr;
    if (!topic.isEmpty())
        helpButton = box->addButton(QConfirm::tr("Help"), QMessageBox::HelpRole);

    if (runBox(box, helpButton).help && singleton)
        emit singleton->showHelp(topic);
    return true;
}

} // namespace

QConfirm::QConfirm(QObject* parent)
    : QObject(parent)
{
}

void QConfirm::Init()
{
    if (!singleton)
        singleton = new QConfirm;
}

QConfirm* QConfirm::Instance()
{
    return singleton;
}

void QConfirm::SetResponder(Responder responder)
{
    ::responder() = std::move(responder);
}

int SetInteractiveLevel(int level)
{
    interactionLevel = (level == QConfirm::All || level == QConfirm::Critical) ? level : QConfirm::None;
    return interactionLevel;
}

int InteractionLevel()
{
    return interactionLevel;
}

QString EscapeForBox(const QString& external)
{
    return external.toHtmlEscaped();
}

int AskQuestion(const QString& text, bool critical, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton defaultButton)
{
    if (isSuppressed(critical, false))
        return defaultButton;

    QMessageBox* box = makeBox(QMessageBox::Question, text);
    for (uint bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        const auto standard = static_cast<QMessageBox::StandardButton>(bit);
        if (!buttons.testFlag(standard))
            continue;
        QPushButton* button = box->addButton(standard);
        if (!box->defaultButton() && standard == defaultButton)
            box->setDefaultButton(button);
    }
    return runBox(box).button;
}

bool AskConfirm(const QString& text, bool critical, bool always)
{
    if (isSuppressed(critical, always))
        return true;

    QMessageBox* box = makeBox(QMessageBox::Question, text);
    box->addButton(QMessageBox::Yes);
    box->addButton(QMessageBox::No);
    box->setDefaultButton(QMessageBox::Yes);
    return runBox(box).button == QMessageBox::Yes;
}

bool ShowInfo(const QString& text, bool critical, bool always)
{
    writeToLog(QLog::QLogType::Warning, text);
    if (isSuppressed(critical, always))
        return false;

    QMessageBox* box = makeBox(QMessageBox::Information, text);
    box->setDefaultButton(box->addButton(QMessageBox::Ok));
    runBox(box);
    return true;
}

bool ShowError(const QString& text, const QString& topic)
{
    return showMessage(QMessageBox::Critical, QLog::QLogType::Error, text, topic);
}

bool ShowWarning(const QString& text, const QString& topic)
{
    return showMessage(QMessageBox::Warning, QLog::QLogType::Warning, text, topic);
}
