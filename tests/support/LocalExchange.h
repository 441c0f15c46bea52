#pragma once

// Only for tests that link tw_exchange.

#include "HttpTestServer.h"
#include "ProductSite.h"
#include "QBetFair.h"
#include "QCheckConnection.h"
#include "QNetwork.h"

// Points every exchange endpoint at a local test server for its lifetime and
// restores the production values afterwards. Paths on the server:
//   betting   /<prefix>/exchange/betting/json-rpc/v1  (prefix "api" or "api-au")
//   account   /exchange/account/json-rpc/v1
//   identity  /api/<operation>
//   scores    /inplayservice/v1.0/eventsInPlay?...
//   login     /view/login?...
//   charts    /uk/betting/..., /au/betting/...
//   country   /country
//   product   / (English site), /ru (Russian site)
class LocalExchange
{
public:
    explicit LocalExchange(const HttpTestServer& server)
    {
        QBetFair::BettingUrl = server.url(QStringLiteral("/%1/exchange/betting/json-rpc/v1"));
        QBetFair::AccountUrl = server.url(QStringLiteral("/exchange/account/json-rpc/v1"));
        QBetFair::IdentityUrl = server.url(QStringLiteral("/api/%1"));
        QBetFair::ScoresUrl = server.url(QStringLiteral(
            "/inplayservice/v1.0/eventsInPlay?locale=en&regionCode=UK&alt=json&eventTypeIds=%1"));
        QBetFair::LoginUrlTemplate = server.url(QStringLiteral("/view/login?product=%1&locale=en_GB&url="))
            + server.url(QStringLiteral("/"));
        QBetFair::ChartSites
            = QStringList { server.url(QStringLiteral("/uk")), server.url(QStringLiteral("/au")) };
        QCheckConnection::CountryUrl = server.url(QStringLiteral("/country"));
        ProductSite::English = server.url();
        ProductSite::Russian = server.url(QStringLiteral("/ru"));
    }

    ~LocalExchange()
    {
        QBetFair::BettingUrl = betting;
        QBetFair::AccountUrl = account;
        QBetFair::IdentityUrl = identity;
        QBetFair::ScoresUrl = scores;
        QBetFair::LoginUrlTemplate = login;
        QBetFair::ChartSites = charts;
        QCheckConnection::CountryUrl = country;
        ProductSite::English = english;
        ProductSite::Russian = russian;
        QNetwork::TransferTimeout = transferTimeout;
    }

    static QString bettingPath(const QString& prefix = QStringLiteral("api"))
    {
        return QStringLiteral("/%1/exchange/betting/json-rpc/v1").arg(prefix);
    }
    static QString accountPath() { return QStringLiteral("/exchange/account/json-rpc/v1"); }
    static QString identityPath(const QString& operation) { return QStringLiteral("/api/") + operation; }

private:
    Q_DISABLE_COPY(LocalExchange)

    const QString betting = QBetFair::BettingUrl;
    const QString account = QBetFair::AccountUrl;
    const QString identity = QBetFair::IdentityUrl;
    const QString scores = QBetFair::ScoresUrl;
    const QString login = QBetFair::LoginUrlTemplate;
    const QStringList charts = QBetFair::ChartSites;
    const QString country = QCheckConnection::CountryUrl;
    const QString english = ProductSite::English;
    const QString russian = ProductSite::Russian;
    const int transferTimeout = QNetwork::TransferTimeout;
};
