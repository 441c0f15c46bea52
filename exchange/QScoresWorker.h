#pragma once

#include "QActionWorker.h"

#include <QJsonArray>
#include <QList>

// Fetches the score and minute of the events in play in the given sports
// from the exchange web site's public in-play service.
class QScoresWorker : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QScoresWorker)

public:
    explicit QScoresWorker(QObject* parent = nullptr);

    using QActionWorker::Done;

signals:
    // The event entries of the reply, unchanged.
    void Done(const QJsonArray& res);

public slots:
    void GetFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& Something);
    void GetScores(const QList<int>& sports);
};
