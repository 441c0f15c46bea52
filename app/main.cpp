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
    return app.exec();
}
