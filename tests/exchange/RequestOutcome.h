#pragma once

#include "QBetFairRequest.h"
#include "QMarkedRequest.h"
#include "QNetwork.h"

#include <QJsonObject>
#include <QObject>
#include <QRegularExpression>
#include <QStringList>
#include <QVariant>

// Collects what a request reports, for tests: "finishedOrCancelled", then
// "<result> <error>" (e.g. "Success ", "Cancelled Cancelled"), and what came
// with it. It is the receiver of the connections, so nothing reaches it once
// it is gone.
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

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// Verifies that the text matches the regular expression.
#define QVERIFY_MATCHES(pattern, text)                                                                       \
    do {                                                                                                     \
        const QString matched = (text);                                                                      \
        QVERIFY2(QRegularExpression(pattern).match(matched).hasMatch(), qPrintable(matched));                \
    } while (false)
