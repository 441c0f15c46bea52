#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class QBetFairRequest;
class QEventLoop;
class QKeepAlive;

// The exchange client: the program-wide session state and endpoints (static),
// and, per object, the making of requests with at most three in flight.
class QBetFair : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetFair)

public:
    explicit QBetFair(QObject* parent = nullptr);

    static QString SessionToken;
    static QString Currency;
    static QString Locale;
    static bool StopOnError;
    static QKeepAlive* KeepAliveWorker;
    static QString AppKey;
    static QStringList EndpointPrefixes;

    // Endpoint templates; production never changes them, tests point them at
    // a local server.
    static QString BettingUrl;
    static QString AccountUrl;
    static QString IdentityUrl;
    static QString ScoresUrl;
    static QString LoginUrlTemplate;
    // Runner chart sites: the main exchange's, then the Australian one's.
    static QStringList ChartSites;
    // A runner's silk image; %1 is the file name, already percent-encoded.
    static QString SilkImageUrl;

    static void SetLocale(const QString& locale);
    static void SetStopOnError(bool stop);
    static QString GetCurrency();
    static void SetSessionToken(const QString& token);
    static bool HasSession();
    static bool IsSessionValid();
    static int MinimumStake();
    static QUrl LoginPageUrl();
    static QString ChartUrl(const QString& marketId, qlonglong selectionId);
    static QString MarketUrl(const QString& marketId, const QString& sport);

    // The error text of a reply object; empty when the reply is a success.
    static QString ParseError(const QJsonObject& reply);

    // Waits, pumping events, while three requests of this object are in
    // flight; the caller connects the request and sends it. Null, with the
    // counts left as they were, when the sender has ended before or during
    // the wait.
    QBetFairRequest* CreateRequest(
        const QString& url, const QString& key, const QString& contentType, const QVariant& something);
    // True when no request made by this object is outstanding.
    bool IsIdle() const;
    // A sender that has ended gets no further request.
    virtual bool IsEnded() const;

public slots:
    void decRequests();

protected:
    // Ends a wait in the throttle at once (the sender has ended).
    void WakeThrottle();

private:
    bool incRequests();

    int pendingRequests = 0;
    int activeRequests = 0;
    // The throttle's waits under way, innermost last.
    QList<QEventLoop*> waits;
};
