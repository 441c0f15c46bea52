// The results view's road for a large search, driven through the view's
// worker seam (no network: the throttle's waits would be the wall time, and
// the CPU is the measure): catalogue replies become rows, market books fill
// them, the results are sorted and shown; then a price refresh of the rows,
// collapsed and expanded. Beside it, in the same run, the floor the design
// sets: a bare QStandardItemModel filled with the same tree and sorted once.
// Each measurement runs in a process of its own, so its peak memory is its own.
//
//     bench_results                          every configuration, 1,000 / 5,000 / 10,000 markets
//     bench_results road <markets> [filtered] search road; filtered: conditions that keep about half
//     bench_results refresh <markets> collapsed|expanded
//     bench_results floor <markets>          bare model

#include "MarketData.h"
#include "QActionWorker.h"
#include "QLog.h"
#include "QMarket.h"
#include "QPriceUpdater.h"
#include "QPriceValidator.h"
#include "QSearchWorker.h"
#include "QSearcher.h"
#include "QStatus.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPointer>
#include <QProcess>
#include <QStandardItemModel>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

const int RunnersPerMarket = 15;
// As the workers hand them on: a catalogue window, a batch of best offers.
const int CatalogueBatch = 200;
const int BookBatch = 40;

long CurrentRssKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// CPU and wall time of the measured calls only; the test data is made
// between them.
struct Phase
{
    const char* name;
    double cpu = 0;
    qint64 wallMs = 0;
    // The process's peak when the phase last ended.
    long peakKb = 0;

    template<typename Work>
    void measure(Work work)
    {
        const double cpuBefore = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        work();
        wallMs += wall.elapsed();
        cpu += CpuSeconds() - cpuBefore;
        peakKb = PeakRssKb();
    }
};

// The phases add up to the total; `after` is shown beside it (taking the
// rows down again, which the floor leaves out).
void Report(const QString& title, const QList<Phase>& phases, long rssBeforeKb, const Phase& after = Phase { nullptr })
{
    QTextStream out(stdout);
    out << title << '\n';
    double cpu = 0;
    qint64 wall = 0;
    for (const Phase& phase : phases) {
        out << QStringLiteral("  %1 CPU %2 s   wall %3 ms   peak %4 MiB\n")
                   .arg(QLatin1String(phase.name), -22)
                   .arg(phase.cpu, 6, 'f', 2)
                   .arg(phase.wallMs, 6)
                   .arg(phase.peakKb / 1024, 5);
        cpu += phase.cpu;
        wall += phase.wallMs;
    }
    out << QStringLiteral("  %1 CPU %2 s   wall %3 ms\n").arg(QStringLiteral("total"), -22).arg(cpu, 6, 'f', 2).arg(wall, 6);
    if (after.name) {
        out << QStringLiteral("  %1 CPU %2 s   wall %3 ms\n")
                   .arg(QStringLiteral("(then) ") + QLatin1String(after.name), -22)
                   .arg(after.cpu, 6, 'f', 2)
                   .arg(after.wallMs, 6);
    }
    out << QStringLiteral("  peak memory %1 MiB (%2 MiB before; %3 MiB held at the end)\n")
               .arg(PeakRssKb() / 1024)
               .arg(rssBeforeKb / 1024)
               .arg((CurrentRssKb() - rssBeforeKb) / 1024);
}

QString MarketId(int serial)
{
    return QStringLiteral("1.%1").arg(200000000 + serial);
}

QList<qint64> RunnerIds(int serial)
{
    QList<qint64> ids;
    for (int r = 0; r < RunnersPerMarket; ++r)
        ids << 1000000 + qint64(serial) * RunnersPerMarket + r;
    return ids;
}

QJsonArray CatalogueReply(int first, int count)
{
    static const QDateTime start(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC);
    QJsonArray records;
    for (int serial = first; serial < first + count; ++serial) {
        records.append(CatalogueRecord(serial, QStringLiteral("1"), QStringLiteral("GB"),
            start.addSecs(60 * (serial % 600)).toString(Qt::ISODateWithMs), RunnersPerMarket, false));
    }
    return records;
}

QJsonArray BookReply(int first, int count)
{
    QJsonArray books;
    for (int serial = first; serial < first + count; ++serial)
        books.append(MarketBook(MarketId(serial), false, false, RunnerIds(serial)));
    return books;
}

QJsonObject Unfiltered()
{
    return QJsonObject { { "eventTypeIds", QJsonArray { "7" } } };
}

// A name, an "any" back price, the volume and the back book: together they
// keep about half of the generated markets.
QJsonObject HalfKept()
{
    QJsonObject filter = Unfiltered();
    filter.insert("marketName", QJsonObject { { "text", "race" }, { "contains", true } });
    filter.insert("sel",
        QJsonArray { QJsonObject { { "sel", "any" }, { "backPrice", QJsonObject { { "from", 1.01 }, { "to", 1.15 } } } } });
    filter.insert("volume", QJsonObject { { "from", 150000 }, { "to", 1e15 } });
    filter.insert("backBook", QJsonObject { { "from", 100 }, { "to", 1e15 } });
    return filter;
}

// The view with every worker it makes kept back; the bench plays the replies.
struct Road
{
    QSearcher view;
    QPointer<QActionWorker> worker;
    int doneCount = -1;

    Road()
    {
        QSearcher::SetWorkerHook([this](QActionWorker* made, const QSearcher::WorkerStart&) { worker = made; });
        QObject::connect(&view, &QSearcher::NotifyDone, [this](int count) { doneCount = count; });
        view.setSortingEnabled(true);
        view.setUniformRowHeights(true);
        view.header()->setStretchLastSection(false);
        for (auto column : { QSearcher::ColStatus, QSearcher::ColVolume, QSearcher::ColBackPrice, QSearcher::ColLayPrice })
            view.setShowColumn(column, true);
        view.resize(1200, 800);
        view.show();
    }
    ~Road() { QSearcher::SetWorkerHook({}); }

    void books(int markets, Phase& phase)
    {
        auto* updater = qobject_cast<QPriceUpdater*>(worker.data());
        for (int first = 0; first < markets; first += BookBatch) {
            const QJsonArray reply = BookReply(first, qMin(BookBatch, markets - first));
            phase.measure([&] { emit updater->Done(reply); });
        }
    }

    void search(int markets, Phase& catalogue, Phase& books, Phase& finish, const QJsonObject& filter = Unfiltered())
    {
        catalogue.measure([&] { view.Search(filter); });
        auto* searching = qobject_cast<QSearchWorker*>(worker.data());
        for (int first = 0; first < markets; first += CatalogueBatch) {
            const QJsonArray reply = CatalogueReply(first, qMin(CatalogueBatch, markets - first));
            catalogue.measure([&] { emit searching->FoundMarkets(reply); });
        }
        catalogue.measure([&] { emit searching->Done(QString()); });
        this->books(markets, books);
        auto* updater = qobject_cast<QPriceUpdater*>(worker.data());
        finish.measure([&] {
            emit updater->Done(QString());
            QCoreApplication::processEvents();
        });
    }
};

int RunRoad(int markets, bool filtered)
{
    const long before = CurrentRssKb();
    Road road;
    Phase catalogue { "catalogue to rows" }, books { "books" }, finish { "sort and show" };
    road.search(markets, catalogue, books, finish, filtered ? HalfKept() : Unfiltered());
    const int shown = road.doneCount;
    // The next search starts by clearing these rows.
    Phase clear { "clearing" };
    clear.measure([&] { road.view.Search(Unfiltered()); });
    Report(QStringLiteral("search road, %1 markets x %2 runners%3")
               .arg(markets)
               .arg(RunnersPerMarket)
               .arg(filtered ? QStringLiteral(", filtered: %1 kept").arg(shown) : QString()),
        { catalogue, books, finish }, before, clear);
    std::fflush(stdout);
    // Tearing the rows down again is measured above; the process just ends.
    _exit(shown == markets || (filtered && shown > 0) ? 0 : 1);
}

int RunRefresh(int markets, bool expanded)
{
    Road road;
    Phase unused { "unused" };
    road.search(markets, unused, unused, unused);
    if (expanded)
        road.view.expandAll();
    QCoreApplication::processEvents();
    const long before = CurrentRssKb();
    Phase start { "refresh started" }, books { "books" }, finish { "sort and show" };
    start.measure([&] { road.view.UpdatePrices(); });
    road.books(markets, books);
    auto* updater = qobject_cast<QPriceUpdater*>(road.worker.data());
    finish.measure([&] {
        emit updater->Done(QString());
        QCoreApplication::processEvents();
    });
    Report(QStringLiteral("price refresh, %1 markets, rows %2").arg(markets).arg(expanded ? "expanded" : "collapsed"),
        { start, books, finish }, before);
    std::fflush(stdout);
    _exit(road.doneCount == markets ? 0 : 1);
}

// The same tree in a bare model: market rows of 12 cells, 15 selection
// rows of 13 cells, a text and a sort value in each, sorted once.
int RunFloor(int markets)
{
    const long before = CurrentRssKb();
    QStandardItemModel model;
    model.setSortRole(QSearcher::SortRole);
    Phase fill { "fill" }, sort { "sort" };
    fill.measure([&] {
        for (int m = 0; m < markets; ++m) {
            QList<QStandardItem*> row;
            for (int column = 0; column < QSearcher::ColSilks; ++column) {
                auto* cell = new QStandardItem(QStringLiteral("Market %1 %2").arg(m).arg(column));
                cell->setData(double(m * 13 + column), QSearcher::SortRole);
                row << cell;
            }
            for (int s = 0; s < RunnersPerMarket; ++s) {
                QList<QStandardItem*> selection;
                for (int column = 0; column < QSearcher::ColumnCount; ++column) {
                    auto* cell = new QStandardItem(QString::number(1.01 + s * 0.37 + column, 'f', 2));
                    cell->setData(1.01 + s * 0.37 + column, QSearcher::SortRole);
                    selection << cell;
                }
                row.first()->appendRow(selection);
            }
            model.appendRow(row);
        }
    });
    // Reversed, so the sort moves every row, as a real one does.
    sort.measure([&] { model.sort(QSearcher::ColTimeRank, Qt::DescendingOrder); });
    Phase clear { "clearing" };
    const int filled = model.rowCount();
    clear.measure([&] { model.clear(); });
    Report(QStringLiteral("floor: bare model, %1 markets x %2 runners").arg(markets).arg(RunnersPerMarket),
        { fill, sort }, before, clear);
    std::fflush(stdout);
    _exit(filled == markets ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QPriceValidator::InitPriceLadder();
    QStatus::InitStatuses();
    QLog log; // takes the road's log lines, as the main window's panel does
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int markets = args.value(1).toInt();
    if (args.value(0) == QLatin1String("road") && markets > 0)
        return RunRoad(markets, args.value(2) == QLatin1String("filtered"));
    if (args.value(0) == QLatin1String("refresh") && markets > 0)
        return RunRefresh(markets, args.value(2) == QLatin1String("expanded"));
    if (args.value(0) == QLatin1String("floor") && markets > 0)
        return RunFloor(markets);
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_results [road <markets> [filtered] | floor <markets> | refresh <markets> collapsed|expanded]\n");
        return 2;
    }

    int failures = 0;
    auto run = [&failures](const QStringList& arguments) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        child.waitForFinished(-1);
        failures += child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0;
    };
    for (const char* count : { "1000", "5000", "10000" }) {
        run({ "floor", count });
        run({ "road", count });
        run({ "road", count, "filtered" });
    }
    run({ "refresh", "10000", "collapsed" });
    run({ "refresh", "10000", "expanded" });
    return failures == 0 ? 0 : 1;
}
