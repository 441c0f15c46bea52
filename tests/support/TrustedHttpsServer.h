#pragma once

#include "HttpTestServer.h"
#include "TestCertificate.h"

#include <QSslConfiguration>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A local HTTPS server whose certificate, signed by a test authority of its
// own, the whole process trusts while the object exists: the authority is
// added to Qt's default TLS configuration, which production code uses as it
// stands, and removed again afterwards.
class TrustedHttpsServer
{
public:
    TrustedHttpsServer();
    ~TrustedHttpsServer();

    // Why the certificates could not be made; empty on success.
    QString error() const { return m_error; }
    HttpTestServer& server() { return *m_server; }

private:
    Q_DISABLE_COPY(TrustedHttpsServer)

    QTemporaryDir m_folder;
    QSslConfiguration m_previous;
    QString m_error;
    std::unique_ptr<HttpTestServer> m_server;
};
