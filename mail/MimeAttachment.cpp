#include "MimeAttachment.h"

MimeAttachment::MimeAttachment(QFile *file)
    : MimeFile(file)
{
}

MimeAttachment::MimeAttachment(const QByteArray &stream, const QString &fileName)
    : MimeFile(stream, fileName)
{
}

void MimeAttachment::buildMime()
{
    addHeaderLineOnce(QStringLiteral("Content-disposition: attachment"));
    MimeFile::buildMime();
}
