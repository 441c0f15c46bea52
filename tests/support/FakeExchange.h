#pragma once

// Only for tests and benchmarks that link tw_exchange.

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "OrderBook.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>

// A local exchange with markets of its own, behind every endpoint that
// LocalExchange points the client at: listTimeRanges counts the markets per
// minute (of the sports and events the market filter names, when it names
// them), listMarketCatalogue lists those starting inside the asked window
// (both ends included, so a market on a window's boundary minute comes back
// twice), listMarketBook and listMarketProfitAndLoss answer for exactly the
// ids asked that it has an entry for (a book's traded volumes and starting
// prices only when asked for), the in-play service lists its events
// in play, an order book takes bets (placeOrders, cancelOrders,
// replaceOrders, listCurrentOrders) and getAccountFunds tells both wallets'
// funds. Markets with ids "1." belong to the "api" endpoint, the
// others to "api-au". Its data may be changed between passes; the server's
// thread reads a snapshot of it.
class FakeExchange
{
public:
    // A market book for an id; the two flags say whether traded volumes and
    // starting prices were asked for.
    using BookSource = std::function<QJsonObject(const QString& marketId, bool traded, bool sp)>;

    explicit FakeExchange(HttpTestServer& server);
    ~FakeExchange();

    // Catalogue records as the exchange sends them. A record may carry
    // "rangeCount": how many markets listTimeRanges counts for it (1 when
    // absent); it is not sent with the record.
    void setMarkets(const QJsonArray& catalogue);
    // Market books by their "marketId"; they replace the earlier ones.
    void setBooks(const QJsonArray& books);
    // Books made on demand, in place of the books set.
    void setBookSource(BookSource source);
    // From now on every listMarketBook fails with this exchange error code;
    // an empty code answers again.
    void setBookError(const QString& errorCode);
    // Profit and loss of markets, by their "marketId".
    void setProfitAndLoss(const QJsonArray& markets);
    // The in-play service's event entries, as it sends them.
    void setScores(const QJsonArray& events);
    // The funds available to bet in each wallet.
    void setFunds(double funds);
    // The order book: its bets, the requests it answered (wire) and the
    // faults a test scripts.
    OrderBook& orders() const;
    // Every answer leaves this long after its request came.
    void setLatency(int ms);

    HttpTestServer& server() const { return httpServer; }

private:
    Q_DISABLE_COPY(FakeExchange)

    class Shared;

    HttpTestServer& httpServer;
    LocalExchange local;
    // Also held by the server's handlers, which may outlive this object.
    std::shared_ptr<Shared> shared;
};
