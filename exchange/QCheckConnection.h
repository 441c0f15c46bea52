#pragma once

#include "QActionWorker.h"

#include <QByteArray>
#include <QString>

class QNetwork;
class QNetworkProxy;
class QNetworkReply;

// Tests, for the settings tab, whether the exchange can be reached through a
// given proxy: the exchange's login page must load and name the program's
// application key. When it does not, the user's country is looked up and
// reported with advice on proxies. Done(QString()) means the connection is
// good.
class QCheckConnection : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QCheckConnection)

public:
    explicit QCheckConnection(QObject* parent = nullptr);

    // The country-lookup service; it answers a GET with the country code as
    // plain text. Production never changes it; tests point it at a local server.
    static QString CountryUrl;

    // The country code in a lookup reply: the trimmed text before any zero
    // byte when it is one to three ASCII letters (upper-cased), else empty,
    // so nothing else from the service reaches a message.
    static QString CountryCode(const QByteArray& body);

public slots:
    void CheckConnection(QNetworkProxy& proxy);
    void CheckConnectionFinished(QNetworkReply* reply);
    void GetCountryFinished(QNetworkReply* reply);

private:
    // Sends a plain GET through the test's manager; Cancel aborts it.
    void get(const QUrl& url);
    // False when the slot has nothing more to do: the worker has ended, the
    // reply was aborted by Cancel (which then reports by itself), or the
    // reply failed, stalled or grew past the transfer limits and the worker has
    // ended with its error.
    bool succeeded(QNetworkReply* reply);
    QString advice() const;

    QString country = QStringLiteral("World");
    QString firstError;
    QNetwork* manager = nullptr;
};
