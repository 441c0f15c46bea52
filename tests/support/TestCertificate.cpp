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

// Runs openssl; the reason it failed, or an empty text.
QString RunOpenssl(const QStringList& arguments)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        return QStringLiteral("openssl failed: %1 %2")
            .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
    }
    return QString();
}

TestCertificate Load(const QString& certificatePath, const QString& keyPath, const QString& error)
{
    TestCertificate result;
    result.certificatePath = certificatePath;
    result.keyPath = keyPath;
    result.error = error;
    if (!error.isEmpty())
        return result;
    result.certificate = QSslCertificate(ReadFile(certificatePath), QSsl::Pem);
    result.key = QSslKey(ReadFile(keyPath), QSsl::Rsa, QSsl::Pem);
    if (result.certificate.isNull() || result.key.isNull())
        result.error = QStringLiteral("openssl wrote a certificate or key Qt cannot read");
    return result;
}

TestCertificate SelfSigned(const QString& directory, const QString& baseName, const QStringList& extra)
{
    const QDir folder(directory);
    const QString keyPath = folder.filePath(baseName + QStringLiteral("-key.pem"));
    const QString certificatePath = folder.filePath(baseName + QStringLiteral(".pem"));
    QStringList arguments { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
        QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
        QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath };
    arguments += extra;
    return Load(certificatePath, keyPath, RunOpenssl(arguments));
}

} // namespace

TestCertificate TestCertificate::create(const QString& directory)
{
    return SelfSigned(directory, QStringLiteral("certificate"),
        { QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
            QStringLiteral("subjectAltName=IP:127.0.0.1") });
}

TestCertificate TestCertificate::createAuthority(const QString& directory)
{
    return SelfSigned(directory, QStringLiteral("authority"),
        { QStringLiteral("-subj"), QStringLiteral("/CN=Tarnwickstone Test Authority"),
            QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
            QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign") });
}

TestCertificate TestCertificate::createSigned(const QString& directory, const QString& baseName,
    const QString& alternativeNames, const TestCertificate& authority)
{
    const QDir folder(directory);
    const QString keyPath = folder.filePath(baseName + QStringLiteral("-key.pem"));
    const QString requestPath = folder.filePath(baseName + QStringLiteral(".csr"));
    const QString extensionsPath = folder.filePath(baseName + QStringLiteral(".ext"));
    const QString certificatePath = folder.filePath(baseName + QStringLiteral(".pem"));
    if (!authority.isValid())
        return Load(certificatePath, keyPath, QStringLiteral("no authority: ") + authority.error);

    QFile extensions(extensionsPath);
    if (!extensions.open(QIODevice::WriteOnly))
        return Load(certificatePath, keyPath, extensions.errorString());
    extensions.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName="
        + alternativeNames.toUtf8() + '\n');
    extensions.close();

    QString error = RunOpenssl({ QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
        QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=") + baseName,
        QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), requestPath });
    if (error.isEmpty()) {
        error = RunOpenssl({ QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
            requestPath, QStringLiteral("-CA"), authority.certificatePath, QStringLiteral("-CAkey"),
            authority.keyPath, QStringLiteral("-set_serial"), QString::number(qHash(baseName) | 1u),
            QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"), extensionsPath,
            QStringLiteral("-out"), certificatePath });
    }
    return Load(certificatePath, keyPath, error);
}
