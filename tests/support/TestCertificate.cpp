#include "TestCertificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A new key and a certificate for it; arguments say who signs it and for what.
TestCertificate Make(const QString& directory, const QString& baseName, const QStringList& arguments)
{
    TestCertificate made;
    made.certificatePath = QDir(directory).filePath(baseName + ".pem");
    made.keyPath = QDir(directory).filePath(baseName + "-key.pem");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start("openssl",
        QStringList { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-keyout", made.keyPath,
            "-out", made.certificatePath, "-subj", "/CN=" + baseName }
            + arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        made.error = "openssl: " + openssl.errorString() + ' ' + QString::fromLocal8Bit(openssl.readAll());
        return made;
    }
    made.certificate = QSslCertificate(Contents(made.certificatePath));
    made.key = QSslKey(Contents(made.keyPath), QSsl::Rsa);
    if (made.certificate.isNull() || made.key.isNull())
        made.error = "openssl wrote a certificate or key Qt cannot read";
    return made;
}

} // namespace

TestCertificate TestCertificate::create(const QString& directory)
{
    return Make(directory, "127.0.0.1", { "-addext", "subjectAltName=IP:127.0.0.1" });
}

TestCertificate TestCertificate::createAuthority(const QString& directory)
{
    return Make(directory, "authority",
        { "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
            "keyUsage=critical,keyCertSign,cRLSign" });
}

TestCertificate TestCertificate::createSigned(const QString& directory, const QString& baseName,
    const QString& alternativeNames, const TestCertificate& authority)
{
    if (!authority.isValid())
        return TestCertificate { QSslCertificate(), QSslKey(), {}, {}, "no authority: " + authority.error };
    return Make(directory, baseName,
        { "-addext", "basicConstraints=CA:FALSE", "-addext", "extendedKeyUsage=serverAuth", "-addext",
            "subjectAltName=" + alternativeNames, "-CA", authority.certificatePath, "-CAkey",
            authority.keyPath });
}
