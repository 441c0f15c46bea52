#include "LanguageSetup.h"
#include "MainWindow.h"
#include "SMTPThread.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char* argv[])
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.network.ssl.warning=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwickstone.com"));

    InitLanguage();

    int exitCode = 0;
    {
        // Its destruction closes the settings store before the panels go.
        MainWindow window;
        window.show();
        exitCode = app.exec();
    }
    // Mail still on its way is dropped; the wait covers the one step that
    // cannot be cut short, the TCP connection (5 s).
    SMTPThread::ShutdownAll(6000);
    return exitCode;
}
