#pragma once

#include "QLog.h"

#include <QStringList>

// The log as the user reads it: "I text", "W text", "E text". The panel
// becomes the process-wide log while no other one is registered.
struct LogLines : QStringList
{
    QLog panel;
    LogLines()
    {
        QObject::connect(&panel, &QLog::Logged, [this](QLog::QLogType type, const QString& text) {
            append(QString("IWE").at(int(type)) + QLatin1Char(' ') + text);
        });
    }
};
