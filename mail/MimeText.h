#pragma once

#include "MimePart.h"

// A text part: "text/plain" in UTF-8, sent 8bit.
class MimeText : public MimePart
{
    Q_OBJECT

public:
    explicit MimeText(const QString &text = QString());

    void setText(const QString &text);
    const QString &text() const;

    void buildMime() override;

protected:
    QString m_text;
};
