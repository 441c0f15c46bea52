#pragma once

#include "QActionWorker.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QString>

// Places the bets prepared by the results view, one request per market and
// operation. A stake below the exchange's minimum goes in three steps: placed
// at the minimum at a price that cannot match, reduced to the stake, then
// moved to the wanted price. Every bet gets exactly one BetResult; the job
// ends with one Done carrying its first error (empty on success).
class QBetPlacer : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetPlacer)

public:
    // How the results view reads the amount the user typed; the placer
    // itself receives stakes.
    enum AmountType {
        Amount = 0,
        ProfitOrLiability = 1,
    };
    Q_ENUM(AmountType)

    // One bet as the results view prepares it.
    struct QBet
    {
        bool back = true;
        // On the exchange's price ladder, with the decimals of its band; sent as it is.
        QString price;
        // In the account currency.
        double stake = 0;
        qint64 selectionId = 0;
        QString name;
        // "LAPSE", "PERSIST" or "MARKET_ON_CLOSE"; sent as it is.
        QString persistenceType;
        // The exchange's id once placed; the new bet's after a price replacement.
        QString betId;
        // Progress (see Order below); the results view sets 0.
        int state = 0;
    };

    QBetPlacer();

signals:
    // One per bet. id is empty for a bet the exchange has not taken; Error is
    // empty on success.
    void BetResult(const QString& id, const QString& name, bool Back, double Price, double Amount,
        double Matched, double MatchedPrice, const QString& Error);

public slots:
    void BetFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& Something);
    // Starts the next pass when nothing is in flight and no reply is being
    // handled; otherwise the last reply starts it.
    void BetNext();
    // Takes the job: the bets by market id. A placer takes one job.
    void Bet(const QHash<QString, QList<QBet>>& markets);

private:
    enum State {
        ToPlace = 0,
        PlaceSent = 1,
        ReductionDue = 2,
        ReplacementDue = 3,
        Finished = 4,
        Failed = 5,
    };

    struct Order
    {
        QBet bet;
        // The stake rounded once; everything compared or sent uses it.
        qint64 stakeCents = 0;
        // The bet's step is in a request whose reply has not been handled.
        bool awaitingReply = false;
        // Its current step got no report once and has been sent again.
        bool resent = false;
    };

    struct Outcome
    {
        QString id;
        QString name;
        bool back = false;
        double price = 0;
        double amount = 0;
        double matched = 0;
        double matchedPrice = 0;
        QString error;
    };

    // A request in flight: its market, its operation and the bets it carries.
    struct Sent
    {
        QString marketId;
        QString operation;
        QList<int> bets;
    };

    struct Outgoing
    {
        Sent sent;
        QJsonArray instructions;
    };

    void advance();
    bool runPass();
    QList<Outgoing> dueRequests(QList<Outcome>& outcomes);
    bool send(const Outgoing& outgoing);
    void handleReports(const Sent& sent, const QJsonObject& data, QList<Outcome>& outcomes);
    void failBet(Order& order, const QString& error, QList<Outcome>& outcomes);
    void finish();
    // Emits in order, each after the state it reports is stored; false once
    // the worker has ended meanwhile.
    bool emitOutcomes(const QList<Outcome>& outcomes);
    void noteError(const QString& error);

    QJsonObject placeInstruction(const Order& order) const;
    Outcome standing(const Order& order, const QString& error) const;
    bool belowMinimum(const Order& order) const;

    QHash<QString, QList<Order>> markets;
    QHash<int, Sent> inFlight;
    qint64 minimumStakeCents = 0;
    int nextRequestTag = 0;
    // Own handlers on the stack; a pass starts only from the outermost.
    int nesting = 0;
    bool started = false;
    // No new step is sent; the job ends once the replies in flight are in.
    bool stopping = false;
    QString firstError;
};
