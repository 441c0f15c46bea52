#include "SMTPThread.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwickstone"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarnwickstone"));
    window.resize(1024, 720);
    window.show();
    const int exitCode = app.exec();
    // Mail still on its way is dropped; the wait covers the one step that
    // cannot be cut short, the TCP connection (5 s).
    SMTPThread::ShutdownAll(6000);
    return exitCode;
}
