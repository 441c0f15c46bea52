#pragma once

#include "QActionWorker.h"
#include "QBetsGetter.h"

#include <QHash>
#include <QList>
#include <QString>

// Cancels the unmatched bets on chosen selections of chosen markets, on the
// back side, the lay side or both. Ends with Done(QString()) once every
// cancel was reported as done, otherwise with the first failure's text.
class QCanceller : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QCanceller)

public:
    // The exchange refuses a cancelOrders request with more instructions.
    static constexpr int InstructionsPerRequest = 60;

    explicit QCanceller(QObject* parent = nullptr);

    using QActionWorker::Cancel;

public slots:
    void CancelBetsFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& Something);
    // The getter's orders; keeps those on a chosen selection and side.
    void CancelBets(const QHash<QString, QList<QBetsGetter::QBet>>& bets);
    // Selection ids by market id; the sides to cancel.
    void Cancel(const QHash<QString, QList<qlonglong>>& _marketsSelections, bool _back, bool _lay);

private slots:
    void GetterFailed(const QString& error);

private:
    bool wanted(const QBetsGetter::QBet& bet) const;
    bool send(const QString& marketId, const QStringList& betIds);

    bool back = false;
    bool lay = false;
    QHash<QString, QList<qlonglong>> marketsSelections;
};
