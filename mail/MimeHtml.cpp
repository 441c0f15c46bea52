#include "MimeHtml.h"

MimeHtml::MimeHtml(const QString &html)
    : MimeText(html)
{
    m_contentType = QStringLiteral("text/html");
}

void MimeHtml::setHtml(const QString &html)
{
    setText(html);
}

const QString &MimeHtml::html() const
{
    return text();
}

void MimeHtml::buildMime()
{
    MimeText::buildMime();
}
