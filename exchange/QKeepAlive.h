#pragma once

#include "QBetFair.h"

#include <QTimer>

// Keeps the exchange session open while a session token is held. The one
// instance is made by QBetFair::SetSessionToken and lives for the whole run.
class QKeepAlive : public QBetFair
{
    Q_OBJECT
    Q_DISABLE_COPY(QKeepAlive)

public:
    QKeepAlive();

    bool isActive() const;

public slots:
    // Starts the 15-minute interval, anew when it is already running.
    void start();
    void stop();

private:
    QTimer timer;
};
