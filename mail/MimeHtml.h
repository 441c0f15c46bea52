#pragma once

#include "MimeText.h"

// An HTML part: "text/html" in UTF-8; the HTML is held as the part's text.
class MimeHtml : public MimeText
{
    Q_OBJECT

public:
    explicit MimeHtml(const QString &html = QString());

    void setHtml(const QString &html);
    const QString &html() const;

    void buildMime() override;
};
