#pragma once

// What the tests of the results road share: the workers the view makes,
// kept back through its seam, and the log as the user reads it.

#include "QActionWorker.h"
#include "QLog.h"
#include "ProgramTranslation.h"
#include "QSearcher.h"
#include "ResultsView.h"

#include "common/TestFiles.h"

#include <QMap>
#include <QPointer>
#include <QStandardItem>
#include <QStringList>

#include <algorithm>
#include <functional>

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// Every worker the view makes, kept back from its request unless `release`.
struct Workers
{
    QList<QPointer<QActionWorker>> made;
    QList<QSearcher::WorkerStart> starts;
    std::function<void(QActionWorker*)> inside; // runs inside the view's slot that made the worker
    bool release = false;

    Workers()
    {
        QSearcher::SetWorkerHook([this](QActionWorker* worker, const QSearcher::WorkerStart& start) {
            made << worker;
            starts << start;
            if (inside)
                inside(worker);
            if (release)
                start();
        });
    }
    ~Workers()
    {
        QSearcher::SetWorkerHook({});
        for (const auto& worker : qAsConst(made))
            delete worker.data();
    }
    Q_DISABLE_COPY(Workers)

    template<class T>
    T* last() const
    {
        for (auto worker = made.crbegin(); worker != made.crend(); ++worker) {
            if (auto* found = qobject_cast<T*>(worker->data()))
                return found;
        }
        return nullptr;
    }
    template<class T>
    int count() const
    {
        return int(std::count_if(made.cbegin(), made.cend(), [](const auto& w) { return qobject_cast<T*>(w.data()); }));
    }
};

// The log as the user reads it: "I text", "W text", "E text".
struct LogLines : QStringList
{
    QLog panel;
    LogLines()
    {
        QObject::connect(&panel, &QLog::Logged, [this](QLog::QLogType type, const QString& text) {
            append(QString("IWE").at(int(type)) + QLatin1Char(' ') + text);
        });
    }
};

// The market ids of the rows, in row order.
inline QStringList RowIds(const QSearcher& view)
{
    QStringList ids;
    for (int row = 0; row < view.Count(); ++row)
        ids << view.MarketRow(row)->data(Qt::WhatsThisRole).toString();
    return ids;
}

// A view whose kept state a test reads.
struct OpenView : QSearcher
{
    using QSearcher::eventScores;
    using QSearcher::exportFilters;
    using QSearcher::searchData;
};

// Each market row as "<market's text>:<each selection's text>", the
// selections in id order, the markets joined by blanks.
template<typename MarketText, typename SelectionText>
QString EachRow(const QSearcher& view, MarketText marketText, SelectionText selectionText)
{
    QStringList markets;
    for (int row = 0; row < view.Count(); ++row) {
        const QStandardItem* market = view.MarketRow(row);
        QMap<qint64, QString> selections;
        for (int child = 0; child < market->rowCount(); ++child) {
            const QStandardItem* selection = market->child(child);
            selections.insert(selection->data(Qt::WhatsThisRole).toLongLong(),
                selectionText(*selection, view.isRowHidden(child, market->index())));
        }
        markets << marketText(*market) + QLatin1Char(':') + selections.values().join(QString());
    }
    return markets.join(QLatin1Char(' '));
}

// A view as the program has it, driven through the seam: English plural
// forms, a settings store of its own, the log as the user reads it, every
// worker kept back.
template<typename View = QSearcher>
struct SeamView
{
    const ProgramTranslation english { "en_GB" };
    TempSettings settings;
    LogLines log;
    Workers workers;
    BasicResultsView<View> results;
    View& view = results.view;
};
