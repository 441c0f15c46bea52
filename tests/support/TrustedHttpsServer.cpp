#include "TrustedHttpsServer.h"

TrustedHttpsServer::TrustedHttpsServer()
    : m_previous(QSslConfiguration::defaultConfiguration())
{
    const TestCertificate authority = TestCertificate::createAuthority(m_folder.path());
    const TestCertificate identity = authority.isValid() ? TestCertificate::createSigned(m_folder.path(),
                                         QStringLiteral("server"), QStringLiteral("IP:127.0.0.1"), authority)
                                                         : authority;
    if (!identity.isValid()) {
        m_error = identity.error;
        m_server = std::make_unique<HttpTestServer>();
        return;
    }
    QSslConfiguration trusting = m_previous;
    trusting.addCaCertificate(authority.certificate);
    QSslConfiguration::setDefaultConfiguration(trusting);
    m_server = std::make_unique<HttpTestServer>(identity.certificate, identity.key);
}

TrustedHttpsServer::~TrustedHttpsServer()
{
    m_server.reset();
    QSslConfiguration::setDefaultConfiguration(m_previous);
}
