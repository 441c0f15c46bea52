#pragma once

#include "MimeFile.h"

// A file part shown inline, in the body.
class MimeInlineFile : public MimeFile
{
    Q_OBJECT

public:
    explicit MimeInlineFile(QFile *file);

    void buildMime() override;
};
