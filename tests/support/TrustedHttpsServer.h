#pragma once

#include "HttpTestServer.h"
#include "TestCertificate.h"

#include <QSslConfiguration>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A local HTTPS server whose certificate, signed by a test authority of its
// own, the whole process trusts while the object exists: the authority joins
// Qt's default TLS configuration, which production code uses as it stands.
class TrustedHttpsServer
{
public:
    TrustedHttpsServer()
    {
        const TestCertificate authority = TestCertificate::createAuthority(m_folder.path());
        const TestCertificate identity
            = TestCertificate::createSigned(m_folder.path(), "server", "IP:127.0.0.1", authority);
        m_error = identity.error;
        QSslConfiguration trusting = m_previous;
        trusting.addCaCertificate(authority.certificate);
        QSslConfiguration::setDefaultConfiguration(trusting);
        // Plain HTTP when the certificates could not be made.
        m_server = std::make_unique<HttpTestServer>(identity.certificate, identity.key);
    }

    ~TrustedHttpsServer()
    {
        m_server.reset();
        QSslConfiguration::setDefaultConfiguration(m_previous);
    }

    // Why the certificates could not be made; empty on success.
    QString error() const { return m_error; }
    HttpTestServer& server() { return *m_server; }

private:
    Q_DISABLE_COPY(TrustedHttpsServer)

    QTemporaryDir m_folder;
    const QSslConfiguration m_previous = QSslConfiguration::defaultConfiguration();
    QString m_error;
    std::unique_ptr<HttpTestServer> m_server;
};
