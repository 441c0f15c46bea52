#pragma once

#include "QBetFairRequest.h"
#include "QMarkedRequest.h"

#include <QJsonObject>
#include <QObject>
#include <QVariant>

class QNetworkReply;

// Collects what a request reports, for tests. It is the receiver of the
// connections, so nothing reaches it once it is gone.
struct RequestOutcome : QObject
{
    int calls = 0;
    int finishedOrCancelledCalls = 0;
    bool cancelledSignalFirst = false;
    QMarkedRequest::QRequestResult result = QMarkedRequest::Success;
    QString error;
    QJsonObject reply;
    QVariant tag;

    void watch(QBetFairRequest* request)
    {
        connect(request, &QMarkedRequest::finishedOrCancelled, this, [this] { ++finishedOrCancelledCalls; });
        connect(request, &QBetFairRequest::finished, this,
            [this](
                QMarkedRequest::QRequestResult r, const QString& e, const QJsonObject& o, const QVariant& t) {
                cancelledSignalFirst = finishedOrCancelledCalls == calls + 1;
                ++calls;
                result = r;
                error = e;
                reply = o;
                tag = t;
            });
    }
};

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;
