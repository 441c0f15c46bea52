#pragma once

#include <QHostAddress>
#include <QString>
#include <QTcpSocket>

// A port on 127.0.0.1 that refuses every connection while the object lives.
// It is bound but never listens: a port only closed again could be taken by
// another test's server in the meantime.
class ClosedPort
{
public:
    ClosedPort() { holder.bind(QHostAddress(QHostAddress::LocalHost)); }

    quint16 port() const { return holder.localPort(); }
    // "http://127.0.0.1:<port>" followed by pathAndQuery.
    QString url(const QString& pathAndQuery = QString()) const
    {
        return QString("http://127.0.0.1:%1%2").arg(port()).arg(pathAndQuery);
    }

private:
    Q_DISABLE_COPY(ClosedPort)

    QTcpSocket holder;
};
