#pragma once

// Only for tests that link tw_exchange.

#include "HttpTestServer.h"
#include "ProductSite.h"
#include "QBetFair.h"
#include "QCheckConnection.h"
#include "QNetwork.h"

// Points every exchange endpoint at a local test server for its lifetime,
// then restores them and the transfer timeout. Betting, account and identity
// answer at the paths below; scores, login, charts (/uk, /au) and country at
// paths named after them; silk images at silkImagePath(); the product sites
// at / and /ru.
class LocalExchange
{
public:
    explicit LocalExchange(const HttpTestServer& server)
    {
        point(QBetFair::BettingUrl, server.url(bettingPath("%1")));
        point(QBetFair::AccountUrl, server.url(accountPath()));
        point(QBetFair::IdentityUrl, server.url(identityPath("%1")));
        point(QBetFair::ScoresUrl,
            server.url("/inplayservice/v1.0/eventsInPlay?locale=en&regionCode=UK&alt=json&eventTypeIds=%1"));
        point(QBetFair::LoginUrlTemplate,
            server.url("/view/login?product=%1&locale=en_GB&url=") + server.url("/"));
        point(QBetFair::ChartSites, QStringList { server.url("/uk"), server.url("/au") });
        point(QBetFair::SilkImageUrl, server.url(silkImagePath("%1")));
        point(QCheckConnection::CountryUrl, server.url("/country"));
        point(ProductSite::English, server.url());
        point(ProductSite::Russian, server.url("/ru"));
        point(QNetwork::TransferTimeout, QNetwork::TransferTimeout);
    }
    ~LocalExchange()
    {
        for (const auto& restore : qAsConst(restorers))
            restore();
    }

    static QString bettingPath(const QString& prefix = "api")
    {
        return "/" + prefix + "/exchange/betting/json-rpc/v1";
    }
    static QString accountPath() { return "/exchange/account/json-rpc/v1"; }
    static QString identityPath(const QString& operation) { return "/api/" + operation; }
    static QString silkImagePath(const QString& encodedName)
    {
        return "/feeds_images/Horses/SilkColours/" + encodedName;
    }

private:
    Q_DISABLE_COPY(LocalExchange)

    template<typename T>
    void point(T& setting, const T& value)
    {
        restorers.append([&setting, production = setting] { setting = production; });
        setting = value;
    }

    QList<std::function<void()>> restorers;
};
