#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// A self-signed certificate for 127.0.0.1, made by the openssl command when
// the test runs, so no key material lives in the source tree.
struct TestCertificate
{
    QSslCertificate certificate;
    QSslKey key;
    // Why making it failed; empty on success.
    QString error;

    bool isValid() const { return error.isEmpty(); }

    // Writes the key and certificate files into directory (a QTemporaryDir's path).
    static TestCertificate create(const QString& directory);
};
