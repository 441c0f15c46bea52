// Loads the settings as the program does at its first start, answers the
// terms dialog as told ("decline" or "escape"), runs the event loop and
// prints what happened, one JSON object on standard output, for tst_update.

#include "LanguageSetup.h"
#include "ProductSite.h"
#include "QBetFair.h"
#include "QLog.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "Terms.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
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
    const QString how = argc > 1 ? QString::fromLatin1(argv[1]) : QString();

    // Nothing may leave the machine, whatever happens.
    ProductSite::English = ProductSite::Russian = QStringLiteral("https://127.0.0.1:9");
    QBetFair::LoginUrlTemplate = QStringLiteral("http://127.0.0.1:9/login?product=%1&url=http://127.0.0.1:9/");

    InitLanguage();
    QLog log;
    QStringList records;
    QObject::connect(&log, &QLog::Logged, [&](QLog::QLogType, const QString& text) { records << text; });

    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* terms = qobject_cast<Terms*>(QApplication::activeModalWidget());
        if (!terms)
            return;
        answered = true;
        if (how == QLatin1String("escape")) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(terms, &escape);
            return;
        }
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
        QTimer tooLong;
        tooLong.setSingleShot(true);
        QObject::connect(&tooLong, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        tooLong.start(20000);
        exitCode = QApplication::exec();
    }

    const QJsonObject report { { "answered", answered },
        { "termsAccepted", SettingsStore()->value(QStringLiteral("TermsAccepted"), false).toBool() },
        { "checked", records.contains(QStringLiteral("Checking program version...")) } };
    CloseSettingsStore();
    std::fputs(QJsonDocument(report).toJson(QJsonDocument::Compact).constData(), stdout);
    return exitCode;
}
