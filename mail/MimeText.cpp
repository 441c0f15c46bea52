#include "MimeText.h"

MimeText::MimeText(const QString &text)
    : m_text(text)
{
    m_contentType = QStringLiteral("text/plain");
    m_charset = QStringLiteral("utf-8");
    m_transferEncoding = Encoding8Bit;
}

void MimeText::setText(const QString &text)
{
    m_text = text;
}

const QString &MimeText::text() const
{
    return m_text;
}

void MimeText::buildMime()
{
    m_content = m_text.toUtf8();
    MimePart::buildMime();
}
