#include "MyWebPage.h"

#include "QBetFair.h"
#include "QLogin.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QUrlQuery>
#include <QWebFrame>

#include <algorithm>

MyWebPage::MyWebPage(QObject* parent)
    : QWebPage(parent)
    , manager(new QNetworkAccessManager(this))
    , cookies(new QNetworkCookieJar(this))
{
    mainFrame()->setZoomFactor(0.85);
    setNetworkAccessManager(manager);
    manager->setCookieJar(cookies);
    // The jar stays the page's: a manager would otherwise take it over.
    cookies->setParent(this);
    connect(manager, &QNetworkAccessManager::finished, this, &MyWebPage::onFinished);
    connect(this, &MyWebPage::onError, this, &MyWebPage::showError);
    mainFrame()->setHtml(tr("<html><head></head><body style='padding:0;margin:0;'><div style='text-align:center;"
                            "width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;'>Loading, "
                            "please wait...</div></body></html>"),
        QUrl());
}

// The base aborts the page's replies: their ends must not reach this part
// of the object, which is already gone.
MyWebPage::~MyWebPage()
{
    manager->disconnect(this);
}

QString MyWebPage::MainSiteHost()
{
    const QUrlQuery query(QBetFair::LoginPageUrl());
    return QUrl(query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded)).host(QUrl::FullyDecoded);
}

bool MyWebPage::acceptNavigationRequest(QWebFrame*, const QNetworkRequest& request, NavigationType)
{
    if (request.url().host(QUrl::FullyDecoded) != MainSiteHost())
        return true;
    // Signed in already: the login under way decides, and the page stays.
    if (loginStarted)
        return false;

    const QList<QNetworkCookie> sent = cookies->cookiesForUrl(request.url());
    const auto session = std::find_if(sent.cbegin(), sent.cend(),
        [](const QNetworkCookie& cookie) { return cookie.name() == QByteArrayLiteral("ssoid"); });
    if (session == sent.cend())
        return true;

    QByteArray token = session->value();
    const int zero = token.indexOf('\0');
    if (zero >= 0)
        token.truncate(zero);
    loginStarted = true;
    // Not in here: QtWebKit calls in from its own frames, and the leak check
    // cannot look past those at what is allocated under them.
    QMetaObject::invokeMethod(
        this, [this, session = QString::fromUtf8(token)] { StartLogin(session); }, Qt::QueuedConnection);
    return false;
}

void MyWebPage::StartLogin(const QString& session)
{
    auto* login = new QLogin();
    login->EndWith(this);
    connect(login, &QActionWorker::Done, this, [this](const QString& error) {
        loginReported = true;
        emit LoggedIn(error);
    });
    login->LogInFinished(session);
}

void MyWebPage::onFinished(QNetworkReply* reply)
{
    if (reply->error() == QNetworkReply::NoError)
        return;
    // Only the login page itself: a missing picture leaves the page as it is.
    if (reply->request().url() == QBetFair::LoginPageUrl())
        emit onError(QStringLiteral("Network error: %1").arg(reply->errorString()));
}

void MyWebPage::showError(const QString& message)
{
    mainFrame()->setHtml(tr("<html><head></head><body style='padding:0;margin:0;'><div style='text-align:center;"
                            "width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;color: red;'>"
                            "%1</div></body></html>")
                             .arg(message.toHtmlEscaped()),
        QUrl());
}
