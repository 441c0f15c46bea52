#include "MimeFile.h"

#include <QFile>
#include <QFileInfo>

MimeFile::MimeFile(QFile *file)
    : m_sourceFile(file)
{
    m_contentType = QStringLiteral("application/octet-stream");
    m_transferEncoding = EncodingBase64;
    if (file) {
        m_contentName = QFileInfo(file->fileName()).fileName();
        file->setParent(this);
    }
}

MimeFile::MimeFile(const QByteArray &stream, const QString &fileName)
{
    m_content = stream;
    m_contentName = fileName;
    m_contentType = QStringLiteral("application/octet-stream");
    m_transferEncoding = EncodingBase64;
}

void MimeFile::buildMime()
{
    if (m_sourceFile) {
        m_content.clear();
        if (m_sourceFile->open(QIODevice::ReadOnly)) {
            m_content = m_sourceFile->readAll();
            m_sourceFile->close();
        }
    }
    MimePart::buildMime();
}

void MimeFile::addHeaderLineOnce(const QString &line)
{
    const QString withEnd = line + QLatin1String("\r\n");
    if (!m_headerLines.contains(withEnd))
        m_headerLines += withEnd;
}
