#include "MailReferee.h"

#include <QJsonDocument>
#include <QProcess>

QJsonObject referee(const QByteArray& message)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral(MAIL_REFEREE_SCRIPT) });
    python.write(message);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return { { "error", python.errorString() + QString::fromUtf8(python.readAllStandardError()) } };
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
