#include "MimeMultiPart.h"

#include "MimeHeader.h"

#include <algorithm>

namespace {

MimeMultiPart::BoundarySource boundarySource = nullptr;

QString mediaType(MimeMultiPart::MultipartSubtype subtype)
{
    const bool known = subtype >= MimeMultiPart::Mixed && subtype <= MimeMultiPart::Encrypted;
    return MimeMultiPart::MultipartSubtypeNames[known ? subtype : MimeMultiPart::Mixed];
}

} // namespace

const QString MimeMultiPart::MultipartSubtypeNames[7] = {
    QStringLiteral("multipart/mixed"),
    QStringLiteral("multipart/digest"),
    QStringLiteral("multipart/alternative"),
    QStringLiteral("multipart/related"),
    QStringLiteral("multipart/report"),
    QStringLiteral("multipart/signed"),
    QStringLiteral("multipart/encrypted"),
};

MimeMultiPart::MimeMultiPart(MultipartSubtype subtype)
    : m_multipartSubtype(subtype)
{
    m_contentType = mediaType(subtype);
    m_transferEncoding = Encoding8Bit;
    m_boundary = newBoundary();
}

void MimeMultiPart::appendPart(MimePart *part)
{
    m_parts.append(part);
}

const QList<MimePart *> &MimeMultiPart::parts() const
{
    return m_parts;
}

void MimeMultiPart::setMultipartSubtype(MultipartSubtype subtype)
{
    m_multipartSubtype = subtype;
    m_contentType = mediaType(subtype);
}

MimeMultiPart::MultipartSubtype MimeMultiPart::multipartSubtype() const
{
    return m_multipartSubtype;
}

void MimeMultiPart::buildMime()
{
    QStringList texts;
    for (MimePart *part : qAsConst(m_parts)) {
        if (!part)
            continue;
        part->buildMime();
        texts.append(part->toMimeString());
    }
    // A boundary that occurs in a part would end that part early.
    const auto occurs = [&texts](const QString &boundary) {
        return std::any_of(texts.cbegin(), texts.cend(), [&boundary](const QString &text) { return text.contains(boundary); });
    };
    while (occurs(m_boundary))
        m_boundary = newBoundary();

    QString body;
    for (const QString &text : qAsConst(texts))
        body += QLatin1String("--") + m_boundary + QLatin1String("\r\n") + text;
    body += QLatin1String("--") + m_boundary + QLatin1String("--\r\n");
    m_content = body.toUtf8();
    MimePart::buildMime();
}

void MimeMultiPart::setBoundarySource(BoundarySource source)
{
    boundarySource = source;
}

QString MimeMultiPart::newBoundary()
{
    return boundarySource ? boundarySource() : MimeHeader::randomToken();
}
