#include "QLogin.h"

#include "QBetFairRequest.h"

#include <QUrl>

namespace {

const QString TokenError = QStringLiteral("TOKEN_ERROR");

// application/x-www-form-urlencoded with everything but the unreserved
// characters escaped, so that "+", "&", "=" and "%" in a password arrive
// as typed.
QByteArray FormBody(const QList<QPair<QString, QString>>& fields)
{
    QByteArray body;
    for (const auto& field : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(field.first) + '=' + QUrl::toPercentEncoding(field.second);
    }
    return body;
}

} // namespace

QLogin::QLogin(QObject* parent)
    : QActionWorker(parent)
{
}

void QLogin::LogIn(const QString& Username, const QString& Password)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    QBetFairRequest* request = CreateRequest(IdentityUrl.arg(QStringLiteral("login")), AppKey,
        QStringLiteral("application/x-www-form-urlencoded"), QVariant());
    if (!request)
        return;
    connect(request, &QBetFairRequest::finished, this,
        QOverload<QMarkedRequest::QRequestResult, const QString&, const QJsonObject&, const QVariant&>::of(
            &QLogin::LogInFinished));
    request->Send(
        FormBody({ { QStringLiteral("username"), Username }, { QStringLiteral("password"), Password } }));
}

void QLogin::LogInFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    if (data.value(QLatin1String("status")).toString() != QLatin1String("SUCCESS")) {
        emit Done(TokenError);
        return;
    }
    LogInFinished(data.value(QLatin1String("token")).toString());
}

void QLogin::LogInFinished(const QString& session)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    // An empty token would silently close the session held so far.
    if (session.isEmpty()) {
        emit Done(TokenError);
        return;
    }
    // Until this account's details arrive, an earlier account's currency
    // must not make the session count as valid with its minimum stake.
    Currency = QStringLiteral("???");
    SetSessionToken(session);
    GetAccountDetails();
}

void QLogin::GetAccountDetails()
{
    const Guard guard(this);
    if (IsEnded())
        return;
    QBetFairRequest* request = CreateJsonRequest(AccountUrl);
    if (!request)
        return;
    connect(request, &QBetFairRequest::finished, this, &QLogin::GetAccountDetailsFinished);
    request->Call(QStringLiteral("getAccountDetails"), QJsonObject());
}

void QLogin::GetAccountDetailsFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    Currency = data.value(QLatin1String("currencyCode")).toString();
    emit Done(QString());
}

void QLogin::Logout()
{
    const Guard guard(this);
    if (IsEnded())
        return;
    if (!IsSessionValid()) {
        // A token whose account never answered is forgotten all the same.
        if (HasSession())
            SetSessionToken(QString());
        emit Done(QString());
        return;
    }
    QBetFairRequest* request = CreateRequest(
        IdentityUrl.arg(QStringLiteral("logout")), QString(), QStringLiteral("application/json"), QVariant());
    if (!request)
        return;
    request->AddSessionToken();
    connect(request, &QBetFairRequest::finished, this, &QLogin::LogOutFinished);
    request->Send(QByteArrayLiteral("{}"));
}

void QLogin::LogOutFinished(
    QMarkedRequest::QRequestResult, const QString&, const QJsonObject&, const QVariant&)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    SetSessionToken(QString());
    emit Done(QString());
}
