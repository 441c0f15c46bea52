#pragma once

#include "HttpTestServer.h"
#include "QNetwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <limits>

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
        R"({"jsonrpc": "2.0", "id": 1, "error": {"data": {"APINGException": {"errorCode": ")" + code
        + "\"}}}}"));
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
inline void RunModalBox(const std::function<bool()>& over, int patience)
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
