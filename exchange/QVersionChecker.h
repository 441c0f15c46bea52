#pragma once

#include "QActionWorker.h"

#include <QJsonObject>

// Fetches the product's version file for the update check. It reports
// through its own Done with the file, not the one-argument Done of the base,
// and deletes itself after it like every worker.
class QVersionChecker : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QVersionChecker)

public:
    explicit QVersionChecker(QObject* parent = nullptr);

    // The version file's address for the language in use.
    static QString VersionFileUrl();

signals:
    // The version file with an empty error, or the error with an empty object.
    void Done(const QString& error, const QJsonObject& data);

public slots:
    void CheckFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& something);
    void Check();
};
