#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// Certificates made by openssl when the test runs: no key material in the tree.
struct TestCertificate
{
    QSslCertificate certificate;
    QSslKey key;
    QString certificatePath; // PEM files in the given directory
    QString keyPath;
    QString error; // why making it failed; empty on success

    bool isValid() const { return error.isEmpty(); }

    // Self-signed, for 127.0.0.1.
    static TestCertificate create(const QString& directory);
    // A certificate authority of the test's own.
    static TestCertificate createAuthority(const QString& directory);
    // Signed by authority, for alternativeNames in openssl's form
    // ("IP:127.0.0.1,DNS:localhost"); the files are named after baseName.
    static TestCertificate createSigned(const QString& directory, const QString& baseName,
        const QString& alternativeNames, const TestCertificate& authority);
};
