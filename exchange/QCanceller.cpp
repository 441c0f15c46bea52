#include "QCanceller.h"

#include "MarketBatches.h"
#include "QBetFairRequest.h"

#include <QJsonArray>
#include <QSet>

QCanceller::QCanceller(QObject* parent)
    : QActionWorker(parent)
{
}

void QCanceller::Cancel(const QHash<QString, QList<qlonglong>>& _marketsSelections, bool _back, bool _lay)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    marketsSelections = _marketsSelections;
    back = _back;
    lay = _lay;

    auto* getter = new QBetsGetter;
    getter->EndWith(this);
    connect(getter, QOverload<const QHash<QString, QList<QBetsGetter::QBet>>&>::of(&QBetsGetter::Done), this,
        &QCanceller::CancelBets);
    // Not signal to signal: a canceller that has ended must not report twice.
    connect(getter, QOverload<const QString&>::of(&QBetsGetter::Done), this, &QCanceller::GetterFailed);
    getter->GetBets(marketsSelections.keys(), false, true);
}

void QCanceller::GetterFailed(const QString& error)
{
    const Guard guard(this);
    if (!IsEnded())
        emit Done(error);
}

bool QCanceller::wanted(const QBetsGetter::QBet& bet) const
{
    // A fully matched bet has nothing left to cancel; sending it would only
    // make the exchange refuse the whole request.
    if (bet.matched)
        return false;
    if (!marketsSelections.value(bet.marketId).contains(bet.selectionId))
        return false;
    return bet.back ? back : lay;
}

void QCanceller::CancelBets(const QHash<QString, QList<QBetsGetter::QBet>>& bets)
{
    const Guard guard(this);
    if (IsEnded())
        return;

    QHash<QString, QStringList> toCancel;
    QSet<QString> kept;
    for (const QList<QBetsGetter::QBet>& market : bets) {
        for (const QBetsGetter::QBet& bet : market) {
            // A bet listed twice (orders shifting between pages) is cancelled once.
            if (!wanted(bet) || kept.contains(bet.betId))
                continue;
            kept.insert(bet.betId);
            toCancel[bet.marketId].append(bet.betId);
        }
    }
    if (kept.isEmpty()) {
        emit Done(tr("No bets to cancel"));
        return;
    }

    for (auto market = toCancel.cbegin(); market != toCancel.cend(); ++market) {
        const QStringList& betIds = market.value();
        for (int from = 0; from < betIds.size(); from += InstructionsPerRequest) {
            if (!send(market.key(), betIds.mid(from, InstructionsPerRequest)))
                return;
        }
    }
}

bool QCanceller::send(const QString& marketId, const QStringList& betIds)
{
    QJsonArray instructions;
    for (const QString& betId : betIds)
        instructions.append(QJsonObject { { QStringLiteral("betId"), betId } });
    QBetFairRequest* request = CreateJsonRequest(BettingUrl.arg(JurisdictionOf(marketId)));
    if (!request)
        return false;
    connect(request, &QBetFairRequest::finished, this, &QCanceller::CancelBetsFinished);
    request->Call(QStringLiteral("cancelOrders"),
        QJsonObject { { QStringLiteral("marketId"), marketId }, { QStringLiteral("instructions"), instructions } });
    return true;
}

void QCanceller::CancelBetsFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    // The first failure ends the worker, so no later report can turn it
    // into a success.
    if (!AcceptReply(result, error))
        return;
    const QString status = data.value(QLatin1String("status")).toString();
    if (status != QLatin1String("SUCCESS")) {
        QString code = data.value(QLatin1String("errorCode")).toString();
        // A report without a code still names what went wrong.
        if (code.isEmpty())
            code = status;
        emit Done(tr("Error in cancelling on market: %1").arg(code.replace(QLatin1Char('_'), QLatin1Char(' '))));
        return;
    }
    if (IsIdle())
        emit Done(QString());
}
