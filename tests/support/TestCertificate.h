#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// Certificates made by the openssl command when the test runs, so no key
// material lives in the source tree.
struct TestCertificate
{
    QSslCertificate certificate;
    QSslKey key;
    // The PEM files, for servers that read them (in the given directory).
    QString certificatePath;
    QString keyPath;
    // Why making it failed; empty on success.
    QString error;

    bool isValid() const { return error.isEmpty(); }

    // A self-signed certificate for 127.0.0.1.
    static TestCertificate create(const QString& directory);
    // A certificate authority of the test's own.
    static TestCertificate createAuthority(const QString& directory);
    // A server certificate signed by authority for the subject alternative
    // names in openssl's form ("IP:127.0.0.1,DNS:localhost"); the files are
    // named after baseName.
    static TestCertificate createSigned(const QString& directory, const QString& baseName,
        const QString& alternativeNames, const TestCertificate& authority);
};
