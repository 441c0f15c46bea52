#pragma once

#include "QActionWorker.h"
#include "RequestOutcome.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTest>

#include <functional>

// Records how a worker ends, for tests: every Done text in order, and
// whether the worker is gone. It is the receiver of the connection, so
// nothing reaches it once it is gone itself.
struct WorkerWatch : QObject
{
    QStringList done;
    QPointer<QActionWorker> worker;

    explicit WorkerWatch(QActionWorker* watched)
        : worker(watched)
    {
        connect(watched, &QActionWorker::Done, this, [this](const QString& error) { done.append(error); });
    }

    bool deleted() const { return worker.isNull(); }
    // Exactly one Done, whose text matches the pattern.
    bool endedWith(const QString& pattern) const
    {
        return done.size() == 1 && QRegularExpression(pattern).match(done.first()).hasMatch();
    }

    // Starts the worker and waits until it is gone; its Done texts.
    static QStringList run(QActionWorker* worker, const std::function<void()>& start)
    {
        const WorkerWatch watch(worker);
        start();
        if (!QTest::qWaitFor([&] { return watch.deleted(); }, Patience))
            return { "still running" };
        return watch.done;
    }
};
