// Loads the settings as the program does at its first start, answers the
// terms dialog as told ("decline" or "escape"), runs the event loop and
// prints what happened, for tst_update.

#include "LanguageSetup.h"
#include "ProductSite.h"
#include "QBetFair.h"
#include "QLog.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "Terms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwickstone"));
    const bool escape = argc > 1 && QLatin1String(argv[1]) == QLatin1String("escape");

    // Nothing may leave the machine, whatever happens.
    ProductSite::English = ProductSite::Russian = QStringLiteral("https://127.0.0.1:9");
    QBetFair::LoginUrlTemplate = QStringLiteral("http://127.0.0.1:9/login?product=%1&url=http://127.0.0.1:9/");

    InitLanguage();
    QLog log;
    bool checked = false;
    QObject::connect(&log, &QLog::Logged,
        [&](QLog::QLogType, const QString& text) { checked |= text == QLatin1String("Checking program version..."); });

    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* terms = qobject_cast<Terms*>(QApplication::activeModalWidget());
        if (!terms)
            return;
        answered = true;
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        if (escape)
            return void(QCoreApplication::sendEvent(terms, &key));
        for (QPushButton* button : terms->findChildren<QPushButton*>()) {
            if (button->text() == QLatin1String("Decline"))
                button->click();
        }
    });

    int exitCode = 0;
    {
        Settings tab;
        tab.Load();
        tab.show();
        QTimer::singleShot(20000, [] { QCoreApplication::exit(7); });
        exitCode = QApplication::exec();
    }
    const bool accepted = SettingsStore()->value(QStringLiteral("TermsAccepted"), false).toBool();
    CloseSettingsStore();
    std::printf("%s, terms %s, %s", answered ? "answered" : "not answered", accepted ? "accepted" : "not accepted",
        checked ? "checked" : "not checked");
    return exitCode;
}
