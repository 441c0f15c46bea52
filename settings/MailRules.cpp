#include "MailRules.h"

#include <QRegularExpression>

namespace {

const QString PlainPort = QStringLiteral("25");
const QString SslPort = QStringLiteral("465");

} // namespace

QString PortForSsl(const QString& port, bool ssl)
{
    if ((port == PlainPort && ssl) || (port == SslPort && !ssl) || port.isEmpty() || port.toInt() <= 0)
        return ssl ? SslPort : PlainPort;
    return port;
}

QString DerivedSender(const QString& server, const QString& user)
{
    static const QRegularExpression serverPrefix(QStringLiteral("^((mail)|(smtp)|(email))\\."));
    static const QRegularExpression domainPart(QStringLiteral("@.+$"));
    return QString(user).remove(domainPart) + QLatin1Char('@') + QString(server).remove(serverPrefix);
}
