#pragma once

#include "QActionWorker.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

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
};
