#include "QCheckConnection.h"

#include "ProductSite.h"
#include "QNetwork.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

QString QCheckConnection::CountryUrl = QStringLiteral("https://ipinfo.io/country");

namespace {

// The text before the first zero byte, as UTF-8.
QString TextBeforeZero(const QByteArray& body)
{
    const int zero = body.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? body : body.left(zero));
}

} // namespace

QCheckConnection::QCheckConnection(QObject* parent)
    : QActionWorker(parent)
{
}

QString QCheckConnection::CountryCode(const QByteArray& body)
{
    static const QRegularExpression code(QStringLiteral("^[A-Za-z]{1,3}$"));
    const QString text = TextBeforeZero(body).trimmed();
    return code.match(text).hasMatch() ? text.toUpper() : QString();
}

void QCheckConnection::CheckConnection(QNetworkProxy& proxy)
{
    const Guard guard(this);
    if (IsEnded() || manager)
        return;
    // Not the shared manager: the test must go through the proxy it was given.
    manager = new QNetwork(nullptr);
    manager->setProxy(proxy);
    connect(manager, &QNetworkAccessManager::finished, this, &QCheckConnection::CheckConnectionFinished);
    connect(this, &QActionWorker::Done, manager, &QObject::deleteLater);
    get(LoginPageUrl());
}

void QCheckConnection::CheckConnectionFinished(QNetworkReply* reply)
{
    const Guard guard(this);
    if (!succeeded(reply))
        return;
    if (TextBeforeZero(reply->readAll()).contains(AppKey)) {
        emit Done(QString());
        return;
    }

    // The page came, but not the exchange's: it may be blocked where the
    // user is.
    firstError = reply->errorString();
    disconnect(manager, &QNetworkAccessManager::finished, this, &QCheckConnection::CheckConnectionFinished);
    connect(manager, &QNetworkAccessManager::finished, this, &QCheckConnection::GetCountryFinished);
    get(QUrl(CountryUrl, QUrl::TolerantMode));
}

void QCheckConnection::GetCountryFinished(QNetworkReply* reply)
{
    const Guard guard(this);
    if (!succeeded(reply))
        return;
    country = CountryCode(reply->readAll());
    emit Done(tr("Network error: %1. %2 %3")
                  .arg(firstError, tr("Your current location is detected as %1.").arg(country), advice()));
}

void QCheckConnection::get(const QUrl& url)
{
    QNetworkReply* reply = manager->get(QNetworkRequest(url));
    connect(this, &QActionWorker::DoCancel, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    // A proxy or server that stops answering must not hold the test open.
    QNetwork::LimitTransfer(reply);
}

bool QCheckConnection::succeeded(QNetworkReply* reply)
{
    if (IsEnded()
        || (reply->error() == QNetworkReply::OperationCanceledError
            && QNetwork::AbortReason(reply).isEmpty()))
        return false;
    if (reply->error() != QNetworkReply::NoError) {
        emit Done(tr("Network error: %1. %2").arg(QNetwork::ErrorText(reply), advice()));
        return false;
    }
    return true;
}

QString QCheckConnection::advice() const
{
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    const QString helpPage = ProductSite::Address(tr("%1/help/proxy/"));
    return tr("If you think your provider might block BetFair try %1 ").arg(helpPage);
}
