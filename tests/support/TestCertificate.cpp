#include "TestCertificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TestCertificate TestCertificate::create(const QString& directory)
{
    TestCertificate result;
    const QDir folder(directory);
    const QString keyPath = folder.filePath(QStringLiteral("key.pem"));
    const QString certificatePath = folder.filePath(QStringLiteral("certificate.pem"));

    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
            QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
            QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
            QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
            QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath });
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        result.error = QStringLiteral("openssl failed: %1 %2")
                           .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
        return result;
    }

    result.certificate = QSslCertificate(ReadFile(certificatePath), QSsl::Pem);
    result.key = QSslKey(ReadFile(keyPath), QSsl::Rsa, QSsl::Pem);
    if (result.certificate.isNull() || result.key.isNull())
        result.error = QStringLiteral("openssl wrote a certificate or key Qt cannot read");
    return result;
}
