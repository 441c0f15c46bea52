#pragma once

#include "QActionWorker.h"

// Opens and closes the exchange session. Call exactly one of LogIn,
// LogInFinished(token) or Logout on a new worker; Done reports the outcome.
class QLogin : public QActionWorker
{
    Q_OBJECT
    Q_DISABLE_COPY(QLogin)

public:
    explicit QLogin(QObject* parent = nullptr);

public slots:
    void LogIn(const QString& Username, const QString& Password);
    // Takes a session token (from the web login page, or the login reply)
    // and asks for the account currency.
    void LogInFinished(const QString& session);
    void Logout();
    void LogInFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& Something);
    void GetAccountDetails();
    void GetAccountDetailsFinished(QMarkedRequest::QRequestResult result, const QString& error,
        const QJsonObject& data, const QVariant& Something);
    void LogOutFinished(QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data,
        const QVariant& Something);
};
