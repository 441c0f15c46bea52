#pragma once

#include "HttpTestServer.h"
#include "QNetwork.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>

#include <limits>

// Once the first `requests` requests are in, lets the held answers go one at
// a time, each when every answer before it has been handled, so replies come
// in the scripted order whatever the load. A reply counts as handled once its
// receivers have returned, so held answers suit replies whose handling does
// not wait in a nested event loop (the throttle).
class HeldInTurn : public QObject
{
public:
    HeldInTurn(HttpTestServer& server, int requests)
        : server(server)
        , requests(requests)
    {
        connect(QNetwork::Shared(), &QNetworkAccessManager::finished, this, [this] { ++handled; });
        connect(&timer, &QTimer::timeout, this, &HeldInTurn::step);
        timer.start(10);
    }

    // Every request so far has been answered and handled.
    bool settled() const { return server.heldCount() == 0 && handled >= server.requestCount(); }

private:
    void step()
    {
        const int held = server.heldCount();
        // A release is queued to the server's thread: wait until it shows.
        if (server.requestCount() < requests || held == 0 || held > waitingFor)
            return;
        if (handled + held < server.requestCount())
            return;
        server.release(1);
        waitingFor = held - 1;
    }

    HttpTestServer& server;
    const int requests;
    int handled = 0;
    int waitingFor = std::numeric_limits<int>::max();
    QTimer timer;
};
