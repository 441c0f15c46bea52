#include "QBetFair.h"

#include "QBetFairRequest.h"
#include "QKeepAlive.h"

#include <QCoreApplication>
#include <QJsonValue>
#include <QRegularExpression>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

QString QBetFair::SessionToken;
QString QBetFair::Currency = QStringLiteral("???");
QString QBetFair::Locale = QStringLiteral("en");
bool QBetFair::StopOnError = false;
QKeepAlive* QBetFair::KeepAliveWorker = nullptr;
QString QBetFair::AppKey = QStringLiteral("Wq4NzT8rYb2LmKc6");
QStringList QBetFair::EndpointPrefixes = { QStringLiteral("api"), QStringLiteral("api-au") };

QString QBetFair::BettingUrl = QStringLiteral("https://%1.betfair.com/exchange/betting/json-rpc/v1");
QString QBetFair::AccountUrl = QStringLiteral("https://api.betfair.com/exchange/account/json-rpc/v1");
QString QBetFair::IdentityUrl = QStringLiteral("https://identitysso.betfair.com/api/%1");
QString QBetFair::ScoresUrl = QStringLiteral("http://www.betfair.com/inplayservice/v1.0/eventsInPlay"
                                             "?locale=en&regionCode=UK&alt=json&eventTypeIds=%1");
QString QBetFair::LoginUrlTemplate = QStringLiteral("https://identitysso.betfair.com/view/login"
                                                    "?product=%1&locale=en_GB&url=https://www.betfair.com/");
QStringList QBetFair::ChartSites = { QStringLiteral("http://uk.site.sports.betfair.com"),
    QStringLiteral("http://au.site.sports.betfair.com") };
QString QBetFair::SilkImageUrl
    = QStringLiteral("http://content-cache.betfair.com/feeds_images/Horses/SilkColours/%1");

namespace {

const int ActiveRequestLimit = 3;
const int ThrottleSleepMs = 100;

QString ExceptionCode(const QJsonObject& data, const char* name)
{
    return data.value(QLatin1String(name)).toObject().value(QLatin1String("errorCode")).toString();
}

// A JSON number as a whole number; anything else, or one out of range, is 0.
qint64 WholeNumber(const QJsonValue& value)
{
    const double number = value.toDouble();
    return std::isfinite(number) && std::fabs(number) < 9.0e15 ? static_cast<qint64>(number) : 0;
}

QString CodeText(const QJsonValue& code)
{
    return QStringLiteral("ERROR_CODE: %1").arg(WholeNumber(code));
}

} // namespace

QBetFair::QBetFair(QObject* parent)
    : QObject(parent)
{
}

void QBetFair::SetLocale(const QString& locale)
{
    Locale = locale;
}

void QBetFair::SetStopOnError(bool stop)
{
    StopOnError = stop;
}

QString QBetFair::GetCurrency()
{
    return Currency;
}

void QBetFair::SetSessionToken(const QString& token)
{
    SessionToken = token;
    if (!KeepAliveWorker)
        KeepAliveWorker = new QKeepAlive();
    if (SessionToken.isEmpty())
        KeepAliveWorker->stop();
    else
        KeepAliveWorker->start();
}

bool QBetFair::HasSession()
{
    return !SessionToken.isEmpty();
}

bool QBetFair::IsSessionValid()
{
    return !SessionToken.isEmpty() && Currency != QLatin1String("???");
}

int QBetFair::MinimumStake()
{
    static const struct
    {
        const char* currency;
        int stake;
    } stakes[] = { { "USD", 4 }, { "GBP", 2 }, { "EUR", 2 }, { "SEK", 30 }, { "AUD", 5 }, { "CAD", 6 },
        { "DKK", 30 }, { "HKD", 25 }, { "SGD", 6 }, { "NOK", 30 } };
    for (const auto& entry : stakes) {
        if (Currency == QLatin1String(entry.currency))
            return entry.stake;
    }
    return 4;
}

QUrl QBetFair::LoginPageUrl()
{
    return QUrl(LoginUrlTemplate.arg(AppKey), QUrl::TolerantMode);
}

QString QBetFair::ChartUrl(const QString& marketId, qlonglong selectionId)
{
    static const QRegularExpression exchangePrefix(QStringLiteral("^(1|2)\\."));
    const bool australian = marketId.startsWith(QLatin1String("2."));
    const QString stripped = QString(marketId).remove(exchangePrefix);
    return QStringLiteral("%1/betting/LoadRunnerInfoChartAction.do?marketId=%2&selectionId=%3")
        .arg(ChartSites.value(australian ? 1 : 0), stripped, QString::number(selectionId));
}

QString QBetFair::MarketUrl(const QString& marketId, const QString& sport)
{
    const QString path = sport.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
    return QStringLiteral("http://www.betfair.com/exchange/%1/market?id=%2").arg(path, marketId);
}

QString QBetFair::ParseError(const QJsonObject& reply)
{
    const auto found = reply.constFind(QLatin1String("error"));
    if (found == reply.constEnd())
        return QString();
    const QJsonValue error = found.value();

    QString text;
    if (!error.isObject()) {
        text = error.toString();
    } else {
        const QJsonObject object = error.toObject();
        const QJsonValue data = object.value(QLatin1String("data"));
        if (data.isObject()) {
            const QJsonObject dataObject = data.toObject();
            if (dataObject.value(QLatin1String("APINGException")).isObject())
                text = ExceptionCode(dataObject, "APINGException");
            else if (dataObject.value(QLatin1String("AccountAPINGException")).isObject())
                text = ExceptionCode(dataObject, "AccountAPINGException");
        } else if (object.contains(QLatin1String("code"))) {
            text = CodeText(object.value(QLatin1String("code")));
        }
    }
    if (!text.isEmpty() || error.isNull() || error == QJsonValue(QString()))
        return text;

    // An error the rules above cannot name is still an error.
    const QJsonObject object = error.toObject();
    const QJsonValue code = object.value(QLatin1String("code"));
    if (code.isDouble())
        return CodeText(code);
    const QString message = object.value(QLatin1String("message")).toString();
    if (!message.isEmpty())
        return message;
    return QBetFairRequest::tr("Server response error");
}

QBetFairRequest* QBetFair::CreateRequest(
    const QString& url, const QString& key, const QString& contentType, const QVariant& something)
{
    if (!incRequests())
        return nullptr;
    auto* request = new QBetFairRequest(url, key, contentType, something);
    connect(request, &QMarkedRequest::finishedOrCancelled, this, &QBetFair::decRequests);
    return request;
}

bool QBetFair::IsIdle() const
{
    return pendingRequests == 0;
}

bool QBetFair::IsEnded() const
{
    return false;
}

void QBetFair::decRequests()
{
    --activeRequests;
    --pendingRequests;
    WakeThrottle();
}

void QBetFair::WakeThrottle()
{
    for (QEventLoop* wait : qAsConst(waits))
        wait->quit();
}

bool QBetFair::incRequests()
{
    if (IsEnded())
        return false;
    ++pendingRequests;
    // Events are handled while three requests are in flight; the wait ends
    // when a reply frees a place or the sender ends, after ThrottleSleepMs at
    // the latest.
    while (activeRequests >= ActiveRequestLimit) {
        QEventLoop wait;
        QTimer::singleShot(ThrottleSleepMs, &wait, &QEventLoop::quit);
        waits.append(&wait);
        wait.exec();
        waits.removeOne(&wait);
        if (IsEnded()) {
            --pendingRequests;
            return false;
        }
    }
    ++activeRequests;
    return true;
}
