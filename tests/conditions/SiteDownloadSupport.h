#pragma once

// For the download tests: the product site on a local server, and the
// records the program-wide log receives.

#include "HttpTestServer.h"
#include "ProductSite.h"
#include "QLog.h"

#include <QPair>
#include <QSignalSpy>

// Points both product sites at the server (English "/", Russian "/ru") for
// the object's lifetime.
class LocalProductSite
{
public:
    explicit LocalProductSite(const HttpTestServer& server)
    {
        ProductSite::English = server.url();
        ProductSite::Russian = server.url(QStringLiteral("/ru"));
    }
    ~LocalProductSite()
    {
        ProductSite::English = english;
        ProductSite::Russian = russian;
    }

private:
    Q_DISABLE_COPY(LocalProductSite)
    const QString english = ProductSite::English;
    const QString russian = ProductSite::Russian;
};

using LogRecord = QPair<QLog::QLogType, QString>;

// The records added to a log from construction on.
class LogRecords
{
public:
    explicit LogRecords(QLog* log)
        : spy(log, &QLog::Logged)
    {
    }

    QList<LogRecord> all() const
    {
        QList<LogRecord> records;
        for (const QList<QVariant>& call : spy)
            records.append({ call.at(0).value<QLog::QLogType>(), call.at(1).toString() });
        return records;
    }
    int count() const { return spy.count(); }
    QString last() const { return spy.isEmpty() ? QString() : spy.last().at(1).toString(); }

private:
    Q_DISABLE_COPY(LogRecords)
    QSignalSpy spy;
};
