#pragma once

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

// Fetching one file from the product's download site in the background,
// reporting to the program log. A download counts only when it came over
// https, following redirects to https alone, and the server answered with
// HTTP status 200: anything else (an error page, a redirect that was not
// followed) is not the file.
class SiteDownload
{
    Q_DECLARE_TR_FUNCTIONS(SiteDownload)

public:
    // A translated address as ProductSite reads it (%1 or %2 for the site),
    // with %3, %4 and %5 for this version's major, minor and release numbers
    // and %6 for name.
    static QUrl Address(const QString& translated, const QString& name = QString());

    static bool IsSecure(const QUrl& url);
    // The request for url: redirects are followed, never from https to http.
    static QNetworkRequest Request(const QUrl& url);
    // Empty when the finished reply brought the file; otherwise why it did not.
    static QString Failure(const QNetworkReply* reply);

    // Sends the GET through an access manager made for it alone, which goes
    // once the reply goes, and hands the finished reply to the receiver's
    // slot. False, with the refusal logged, for an address that is not https.
    template <typename Receiver>
    static bool Start(const QUrl& url, Receiver* receiver, void (Receiver::*finished)(QNetworkReply*))
    {
        QNetworkAccessManager* manager = Get(url);
        if (manager)
            QObject::connect(manager, &QNetworkAccessManager::finished, receiver, finished);
        return manager;
    }

    // Releases the finished reply and gives its body; false, with the
    // failure logged, when it did not bring the file.
    static bool Received(QNetworkReply* reply, QByteArray* body);

private:
    static QNetworkAccessManager* Get(const QUrl& url);
};
