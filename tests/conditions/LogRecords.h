#pragma once

#include "QLog.h"

#include <QPair>
#include <QSignalSpy>

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
