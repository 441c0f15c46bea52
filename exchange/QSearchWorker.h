#pragma once

#include "QActionWorker.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// Finds the exchange markets of one search. It asks each chosen
// jurisdiction how many matching markets start in each minute, cuts the
// minutes into windows no larger than one catalogue request may return,
// and asks the catalogue once per window. Every catalogue reply is handed
// on as it arrives; Done ends the search.
//
// Only the keys of the search data the exchange can apply are sent, each in
// its expected form; the caller applies every other condition to what is
// found.
class QSearchWorker : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QSearchWorker)

public:
    explicit QSearchWorker(const QJsonObject& searchData);

signals:
    // The markets of one catalogue reply, unchanged.
    void FoundMarkets(const QJsonArray& data);

public slots:
    // The reply of one jurisdiction's time ranges; something holds its prefix.
    void TimeRangesFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& something);
    void ListMarketsCatalog();
    void ListMarketsCatalogFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& something);
    void Search();

private:
    // A minute holding more markets than one catalogue request returns.
    struct CutOff
    {
        QString from;
        int lost = 0;
    };

    bool SilksAsked() const;
    int WindowLimit() const;
    void AddTimeWindows(const QString& prefix, const QJsonArray& ranges);
    void ReportCutOffs();

    QJsonObject searchData;
    int foundCount = 0;
    QHash<QString, QJsonArray> timeWindows;
    QList<CutOff> cutOffs;
};
