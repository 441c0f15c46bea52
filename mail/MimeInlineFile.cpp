#include "MimeInlineFile.h"

MimeInlineFile::MimeInlineFile(QFile *file)
    : MimeFile(file)
{
}

void MimeInlineFile::buildMime()
{
    addHeaderLineOnce(QStringLiteral("Content-Disposition: inline"));
    MimeFile::buildMime();
}
