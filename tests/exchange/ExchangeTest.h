#pragma once

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

inline QJsonObject Params(const RecordedRequest& request)
{
    return request.json().value(QLatin1String("params")).toObject();
}

inline QStringList Strings(const QJsonValue& array)
{
    QStringList strings;
    for (const QJsonValue& value : array.toArray())
        strings << value.toString();
    return strings;
}

// The exchange's refusal of a call, with its error code.
inline ScriptedReply Refused(const QByteArray& code)
{
    return ScriptedReply::json(QJsonDocument::fromJson(
        R"({"error": {"data": {"APINGException": {"errorCode": ")" + code + "\"}}}}"));
}

// Answers the betting calls of both jurisdictions.
inline void AnswerBetting(
    HttpTestServer& server, const QStringList& methods, const HttpTestServer::Handler& handler)
{
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const QString& method : methods)
            server.setRpcHandler(LocalExchange::bettingPath(prefix), "SportsAPING/v1.0/" + method, handler);
    }
}

inline int RepliesUnderWay()
{
    const auto replies = QNetwork::Shared()->findChildren<QNetworkReply*>();
    return int(std::count_if(
        replies.cbegin(), replies.cend(), [](const QNetworkReply* r) { return !r->isFinished(); }));
}

// Nothing is held back and every reply under way is in.
inline bool RepliesSettled(const HttpTestServer& server)
{
    return server.heldCount() == 0 && RepliesUnderWay() == 0;
}

// Lets held answers go one at a time, oldest first, each once every other
// reply is in: the replies come in the order their requests arrived.
struct ReleaseInTurn : QTimer
{
    explicit ReleaseInTurn(HttpTestServer& server)
    {
        connect(this, &QTimer::timeout, [this, &server] {
            // Held answers less requests drops once the last release is done.
            const int kept = server.heldCount() - server.requestCount();
            if (kept < lastKept && server.heldCount() > 0 && RepliesUnderWay() == server.heldCount()) {
                lastKept = kept;
                server.release(1);
            }
        });
        start(10);
    }

    int lastKept = std::numeric_limits<int>::max();
};

// Runs a nested event loop, as a modal message box does, until `over` holds
// or `patience` ms have passed. Posted events are delivered explicitly: a
// loop nested in their dispatch (a reply's handler) would not see later ones.
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

// What a request reports: "finishedOrCancelled", then "<result> <error>"
// (e.g. "Success ", "Cancelled Cancelled"), and what came with it.
struct RequestOutcome : QObject
{
    QStringList reports;
    QByteArray body; // a marked request's reply, read as the network reads it
    QJsonObject reply; // an exchange request's result
    QVariant tag;

    void watch(QMarkedRequest* request)
    {
        connect(request, &QMarkedRequest::finishedOrCancelled, this,
            [this] { reports += "finishedOrCancelled"; });
        connect(request, &QMarkedRequest::finished, this,
            [this](int result, const QString& error, QNetworkReply* r) {
                report(result, error);
                body = r ? QNetwork::ReadReply(r) : QByteArray();
            });
    }
    void watch(QBetFairRequest* request)
    {
        connect(request, &QMarkedRequest::finishedOrCancelled, this,
            [this] { reports += "finishedOrCancelled"; });
        connect(request, &QBetFairRequest::finished, this,
            [this](int result, const QString& error, const QJsonObject& object, const QVariant& data) {
                report(result, error);
                reply = object;
                tag = data;
            });
    }
    bool ended() const { return reports.size() > 1; }

private:
    void report(int result, const QString& error)
    {
        reports += QStringList { "Success", "Error", "Cancelled" }.value(result) + ' ' + error;
    }
};

// Every Done text of a worker in order, and whether it is gone.
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

// Every message of Qt's logging while it exists, debug traces included.
class MessageCapture
{
public:
    MessageCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
            QMutexLocker locker(&mutex);
            store.append(message);
        });
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QMutexLocker locker(&mutex);
        store.clear();
    }

    QStringList messages() const
    {
        QMutexLocker locker(&mutex);
        return store;
    }

private:
    Q_DISABLE_COPY(MessageCapture)

    static inline QStringList store;
    static inline QMutex mutex;
    QtMessageHandler previous = nullptr;
};
