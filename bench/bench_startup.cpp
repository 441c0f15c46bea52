// Cold start to the shown main window: the time from starting a process to
// its main window being shown, offscreen and without network, the way the
// program starts (language set-up, main window with every panel, options
// loaded, ten templates in the folder). Each run is a fresh process on a
// fresh data folder; the median of the runs is printed.
//
//     bench_startup          10 runs
//     bench_startup N        N runs

#include "LanguageSetup.h"
#include "MainWindow.h"
#include "ProductSite.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

const char ChildMode[] = "--child";

// What main does, up to the shown window; then says so and ends.
int StartOnce(int argc, char* argv[])
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.network.ssl.warning=false"));
    // Nothing answers here: any page the start asks for fails at once.
    ProductSite::English = ProductSite::Russian = QStringLiteral("http://127.0.0.1:9");
    int count = 1; // the child's own flag is not a template path
    QApplication app(count, argv);
    Q_UNUSED(argc)
    QApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwickstone"));
    InitLanguage();
    MainWindow window;
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}

// A data folder as after some use: the terms accepted, no update check due,
// ten templates of a few conditions each.
void Prepare(const QString& config)
{
    QDir().mkpath(config + QStringLiteral("templates"));
    QSettings settings(config + QStringLiteral("settings.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("TermsAccepted"), true);
    settings.setValue(QStringLiteral("Options/CheckForUpdates"), false);
    settings.setValue(QStringLiteral("Window/curTemplate"), QStringLiteral("Template 5"));
    for (int i = 0; i < 10; ++i) {
        QFile file(config + QStringLiteral("templates/Template %1.twt").arg(i));
        file.open(QIODevice::WriteOnly);
        file.write(R"({"conditions": [
            {"A": "Market", "B": "Volume", "C": "GE", "V1": 1000},
            {"A": "Fav", "B": "Back", "C": "Btw", "V1": 1.5, "V2": 2.5},
            {"A": "Market", "B": "NumSel", "C": "LE", "V1": 12}]})");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], ChildMode) == 0)
        return StartOnce(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
    QList<qint64> times;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("config"));
        Prepare(config);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(ChildMode) });
        while (child.state() != QProcess::NotRunning && !child.canReadLine())
            child.waitForReadyRead(60000);
        const qint64 elapsed = clock.elapsed();
        const bool shown = child.readLine().trimmed() == "shown";
        child.waitForFinished(60000);
        if (!shown) {
            std::fprintf(stderr, "run %d: the window was never shown\n", run + 1);
            return 1;
        }
        times << elapsed;
        std::printf("run %2d: %lld ms\n", run + 1, static_cast<long long>(elapsed));
    }
    std::sort(times.begin(), times.end());
    const qint64 median = times.size() % 2
        ? times.at(times.size() / 2)
        : (times.at(times.size() / 2 - 1) + times.at(times.size() / 2)) / 2;
    std::printf("cold start to the shown window, median of %d: %lld ms (min %lld, max %lld)\n", runs,
        static_cast<long long>(median), static_cast<long long>(times.first()),
        static_cast<long long>(times.last()));
    return 0;
}
