#pragma once

#include "HttpTestServer.h"

#include <QList>
#include <QString>

#include <memory>

// The exchange's order book as bet placing sees it. It answers placeOrders,
// cancelOrders and replaceOrders on both betting endpoints of a test server,
// bet by bet and in the exchange's reply form, and lets a test script what
// goes wrong. Handlers run on the server's thread; every member locks.
class SimulatedExchange
{
public:
    enum class Fault {
        // The instruction fails with the given error code (for a replacement:
        // the old bet is cancelled, the new one refused).
        Refuse,
        // The reply holds no report for the bet; nothing happens to it.
        NoReport,
        // As NoReport, for the first request only.
        NoReportOnce,
        // Placed, but the report does not name the new bet.
        NoBetId,
        // A replacement refused at its cancel part: the old bet stays.
        CancelOnly,
    };

    struct Order
    {
        QString betId;
        QString marketId;
        qint64 selectionId = 0;
        bool back = true;
        QString price;
        qint64 sizeCents = 0;
    };

    SimulatedExchange();

    void install(HttpTestServer& server);

    void addFault(
        const QString& operation, qint64 selectionId, Fault fault, const QString& errorCode = QString());
    // Every request of the operation for the market fails with HTTP 500.
    void failRequests(const QString& operation, const QString& marketId);
    void delayMarket(const QString& marketId, int milliseconds);
    // Reports carry amounts, prices and selection ids as text.
    void reportNumbersAsText();
    // Reports in the reverse order of the instructions.
    void reverseReports();
    // Replies for the market name another one.
    void renameMarket(const QString& from, const QString& to);

    // Bets with an unmatched part on the book.
    QList<Order> liveOrders() const;

private:
    Q_DISABLE_COPY(SimulatedExchange)

    struct State;
    std::shared_ptr<State> state;
};
