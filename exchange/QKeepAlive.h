#pragma once

#include "QActionWorker.h"

#include <QTimer>

// Keeps the exchange session open while a session token is held. The one
// instance is made by QBetFair::SetSessionToken and lives for the whole run:
// its Done only reports a failed keepAlive.
class QKeepAlive : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QKeepAlive)

public:
    QKeepAlive();

    bool isActive() const;

    // The interval applied by start(); tests shorten it.
    static int IntervalMs;

public slots:
    // Starts the interval, anew when it is already running.
    void start();
    void stop();
    void KeepAliveFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& Something);
    void onTimer();

private:
    QTimer timer;
};
