#pragma once

#include "BettingRpc.h"
#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QActionWorker.h"
#include "QBetFairRequest.h"
#include "QNetwork.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QMutex>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <limits>

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

#define QVERIFY_MATCHES(pattern, text)                                                                       \
    do {                                                                                                     \
        const QString matched = (text);                                                                      \
        QVERIFY2(QRegularExpression(pattern).match(matched).hasMatch(), qPrintable(matched));                \
    } while (false)

inline QStringList Strings(const QJsonValue& array)
{
    return array.toVariant().toStringList();
}

inline int RepliesUnderWay()
{
    const auto replies = QNetwork::Shared()->findChildren<QNetworkReply*>();
    return int(std::count_if(replies.cbegin(), replies.cend(), [](auto* r) { return !r->isFinished(); }));
}

inline bool RepliesSettled(const HttpTestServer& server)
{
    return server.heldCount() == 0 && RepliesUnderWay() == 0;
}

// Lets held answers go one at a time, oldest first, once every other reply is in.
struct ReleaseInTurn : QTimer
{
    explicit ReleaseInTurn(HttpTestServer& server)
    {
        connect(this, &QTimer::timeout, [this, &server] {
            const int kept = server.heldCount() - server.requestCount(); // drops once a release is done
            if (kept < lastKept && server.heldCount() > 0 && RepliesUnderWay() == server.heldCount()) {
                lastKept = kept;
                server.release(1);
            }
        });
        start(10);
    }

    int lastKept = std::numeric_limits<int>::max();
};

// A modal box's nested loop until `over` holds; it delivers posted events itself.
inline void RunModalBox(const std::function<bool()>& over, int patience = Patience)
{
    QEventLoop box;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        QCoreApplication::sendPostedEvents();
        if (over())
            box.quit();
    });
    poll.start(5);
    QTimer::singleShot(patience, &box, &QEventLoop::quit);
    box.exec();
}

// Every Done text of a worker, and whether it is gone.
struct WorkerWatch : QObject
{
    QStringList done;
    QPointer<QActionWorker> worker;

    explicit WorkerWatch(QActionWorker* watched)
        : worker(watched)
    {
        connect(watched, &QActionWorker::Done, this, [this](const QString& error) { done.append(error); });
    }

    // Starts the worker and waits until it is gone; its Done texts.
    static QStringList run(QActionWorker* worker, const std::function<void()>& start)
    {
        const WorkerWatch watch(worker);
        start();
        return QTest::qWaitFor([&] { return watch.worker.isNull(); }, Patience) ? watch.done
                                                                                : QStringList { "running" };
    }
};

// Every message of Qt's logging while it exists, debug traces included.
struct MessageCapture
{
    MessageCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
            const QMutexLocker locker(&mutex);
            store.append(message);
        });
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        store.clear();
    }
    Q_DISABLE_COPY(MessageCapture)

    // The messages, and the extra texts, that hold one of the secrets.
    QStringList leaks(const QStringList& secrets, const QStringList& extra = {}) const
    {
        const QMutexLocker locker(&mutex);
        QStringList found;
        for (const QString& secret : secrets)
            found += (store + extra).filter(secret);
        return found;
    }

    static inline QStringList store;
    static inline QMutex mutex;
    QtMessageHandler previous = nullptr;
};
