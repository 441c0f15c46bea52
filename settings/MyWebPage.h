#pragma once

#include <QString>
#include <QWebPage>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;

// The exchange's own login page, shown in the settings tab. Each page has a
// network manager and a cookie jar of its own, so no earlier web session's
// cookies are reused. When the page, once signed in, is about to return to
// the exchange's main site with the session cookie "ssoid" in its jar, the
// navigation is refused and the cookie's value finishes the login through
// a login worker; LoggedIn reports its outcome. A page starts one login at
// most.
class MyWebPage : public QWebPage
{
    Q_OBJECT
    Q_DISABLE_COPY(MyWebPage)

public:
    explicit MyWebPage(QObject* parent = nullptr);
    ~MyWebPage() override;

    // The host the login page returns to after a sign-in: the host of the
    // "url" item of the login page's address.
    static QString MainSiteHost();

    // From the accepted return to the main site until LoggedIn is emitted.
    bool LoginRunning() const { return loginStarted && !loginReported; }

signals:
    void LoggedIn(const QString& error);
    void onError(const QString& mess);

public slots:
    void onFinished(QNetworkReply* reply);
    // Shows the text, as typed, in red in place of the page.
    void showError(const QString& message);

protected:
    bool acceptNavigationRequest(QWebFrame* frame, const QNetworkRequest& request, NavigationType type) override;

private:
    void StartLogin(const QString& session);

    QNetworkAccessManager* manager = nullptr;
    QNetworkCookieJar* cookies = nullptr;
    bool loginStarted = false;
    bool loginReported = false;
};
