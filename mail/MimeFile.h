#pragma once

#include "MimePart.h"

#include <QPointer>

class QFile;

// A file part, "application/octet-stream" in Base64, made from a file (read
// when the part is built) or from bytes in memory.
class MimeFile : public MimePart
{
    Q_OBJECT

public:
    // The part takes the file over and deletes it with itself.
    explicit MimeFile(QFile *file);
    MimeFile(const QByteArray &stream, const QString &fileName);

    void buildMime() override;

protected:
    // Every build of a multipart builds its parts again; a disposition line
    // must still appear once.
    void addHeaderLineOnce(const QString &line);

    QPointer<QFile> m_sourceFile;
};
