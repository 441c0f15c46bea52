#pragma once

#include "HttpTestServer.h"
#include "ProductSite.h"

// Points both product sites at the server (English "/", Russian "/ru") for
// the object's lifetime.
class LocalProductSite
{
public:
    explicit LocalProductSite(const HttpTestServer& server)
    {
        ProductSite::English = server.url();
        ProductSite::Russian = server.url(QStringLiteral("/ru"));
    }
    ~LocalProductSite()
    {
        ProductSite::English = english;
        ProductSite::Russian = russian;
    }

private:
    Q_DISABLE_COPY(LocalProductSite)
    const QString english = ProductSite::English;
    const QString russian = ProductSite::Russian;
};
