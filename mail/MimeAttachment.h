#pragma once

#include "MimeFile.h"

// A file part shown as an attachment.
class MimeAttachment : public MimeFile
{
    Q_OBJECT

public:
    explicit MimeAttachment(QFile *file);
    MimeAttachment(const QByteArray &stream, const QString &fileName);

    void buildMime() override;
};
