#include "QScoresWorker.h"

#include "QBetFairRequest.h"

#include <QStringList>

QScoresWorker::QScoresWorker(QObject* parent)
    : QActionWorker(parent)
{
}

void QScoresWorker::GetScores(const QList<int>& sports)
{
    const Guard guard(this);
    if (IsEnded())
        return;

    QStringList ids;
    for (int sport : sports)
        ids.append(QString::number(sport));
    // A public service: no application key, no session.
    QBetFairRequest* request = CreateRequest(
        ScoresUrl.arg(ids.join(QLatin1Char(','))), QString(), QStringLiteral("application/json"), QVariant());
    if (!request)
        return;
    connect(request, &QBetFairRequest::finished, this, &QScoresWorker::GetFinished);
    request->Send(QByteArray());
}

void QScoresWorker::GetFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    // A top-level array arrives as the object's "result".
    emit Done(data.value(QLatin1String("result")).toArray());
    if (!IsEnded())
        emit Done(QString());
}
