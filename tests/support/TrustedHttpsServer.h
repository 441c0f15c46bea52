#pragma once

#include "HttpTestServer.h"
#include "TestCertificate.h"

#include <QSslConfiguration>
#include <QTemporaryDir>

// A local HTTPS server that the whole process trusts while the object exists:
// its authority joins Qt's default TLS configuration, which production code
// uses as it stands. Plain HTTP, with error() set, when openssl failed.
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
        m_server = std::make_unique<HttpTestServer>(identity.certificate, identity.key);
    }
    ~TrustedHttpsServer()
    {
        m_server.reset();
        QSslConfiguration::setDefaultConfiguration(m_previous);
    }

    QString error() const { return m_error; }
    HttpTestServer& server() { return *m_server; }

private:
    Q_DISABLE_COPY(TrustedHttpsServer)

    QTemporaryDir m_folder;
    const QSslConfiguration m_previous = QSslConfiguration::defaultConfiguration();
    QString m_error;
    std::unique_ptr<HttpTestServer> m_server;
};
