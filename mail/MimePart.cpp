#include "MimePart.h"

#include "MimeHeader.h"
#include "QuotedPrintable.h"

#include <QTextCodec>

namespace {

// SMTP's limit for one line, without its CR LF.
constexpr int MaxLineOctets = 998;

// Bare CR and bare LF become CR LF: servers reject bare line feeds, and a
// bare one is the stuff SMTP smuggling is made of.
QByteArray withCrLfLineEnds(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    const int size = bytes.size();
    for (int i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Whether CR LF-ended bytes can travel as they are in a 7bit or 8bit body.
bool fitsPlainTransport(const QByteArray &bytes, bool sevenBit)
{
    int lineLength = 0;
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        if (byte == 0 || (sevenBit && byte > 0x7F))
            return false;
        if (c == '\n') {
            lineLength = 0;
            continue;
        }
        if (c != '\r' && ++lineLength > MaxLineOctets)
            return false;
    }
    return sevenBit || isValidUtf8(bytes);
}

QString encodingName(MimePart::TransferEncoding encoding)
{
    switch (encoding) {
    case MimePart::Encoding7Bit:
        return QStringLiteral("7bit");
    case MimePart::EncodingBase64:
        return QStringLiteral("base64");
    case MimePart::EncodingQuotedPrintable:
        return QStringLiteral("quoted-printable");
    case MimePart::Encoding8Bit:
        break;
    }
    return QStringLiteral("8bit");
}

} // namespace

MimePart::MimePart() = default;

QString MimePart::toMimeString()
{
    if (!m_built)
        buildMime();
    return m_cachedMime;
}

void MimePart::buildMime()
{
    TransferEncoding encoding = m_transferEncoding;
    if (encoding != EncodingBase64 && encoding != EncodingQuotedPrintable)
        encoding = encoding == Encoding7Bit ? Encoding7Bit : Encoding8Bit;

    QString body;
    if (encoding == Encoding7Bit || encoding == Encoding8Bit) {
        const QByteArray plain = withCrLfLineEnds(m_content);
        // Content that plain transport would cut or mangle (NUL bytes, long
        // lines, bytes 7bit cannot hold) goes quoted-printable instead; a
        // multipart's own body is made of lines that always fit.
        if (m_boundary.isEmpty() && !fitsPlainTransport(plain, encoding == Encoding7Bit))
            encoding = EncodingQuotedPrintable;
        else
            body = encoding == Encoding7Bit ? QString::fromLatin1(plain) : QString::fromUtf8(plain);
    }
    if (encoding == EncodingBase64) {
        body = m_formatter.fold(QString::fromLatin1(m_content.toBase64()), false);
    } else if (encoding == EncodingQuotedPrintable) {
        QString encoded = QuotedPrintable::encode(m_content);
        // Decoders strip trailing blanks from a line.
        if (encoded.endsWith(QLatin1Char(' '))) {
            encoded.chop(1);
            encoded += QLatin1String("=20");
        }
        body = m_formatter.fold(encoded, true);
    }

    QString mime = QLatin1String("Content-Type: ") + MimeHeader::singleLine(m_contentType);
    if (!m_contentName.isEmpty())
        mime += MimeHeader::parameter(QStringLiteral("name"), m_contentName);
    if (!m_charset.isEmpty())
        mime += QLatin1String("; charset=") + MimeHeader::singleLine(m_charset);
    if (!m_boundary.isEmpty())
        mime += QLatin1String("; boundary=") + m_boundary;
    mime += QLatin1String("\r\n");
    mime += QLatin1String("Content-Transfer-Encoding: ") + encodingName(encoding) + QLatin1String("\r\n");
    if (!m_contentId.isEmpty())
        mime += QLatin1String("Content-ID: <") + MimeHeader::singleLine(m_contentId) + QLatin1String(">\r\n");
    if (!m_headerLines.isEmpty()) {
        mime += QString::fromUtf8(withCrLfLineEnds(m_headerLines.toUtf8()));
        // Without its line end the last extra line would swallow the blank line.
        if (!mime.endsWith(QLatin1String("\r\n")))
            mime += QLatin1String("\r\n");
    }
    mime += QLatin1String("\r\n");
    mime += body;
    mime += QLatin1String("\r\n");

    m_cachedMime = mime;
    m_built = true;
}

void MimePart::setHeaderLines(const QString &lines)
{
    m_headerLines = lines;
}

void MimePart::addHeaderLine(const QString &line)
{
    m_headerLines += line + QLatin1String("\r\n");
}

const QString &MimePart::headerLines() const
{
    return m_headerLines;
}

void MimePart::setContent(const QByteArray &content)
{
    m_content = content;
}

const QByteArray &MimePart::content() const
{
    return m_content;
}

void MimePart::setContentId(const QString &id)
{
    m_contentId = id;
}

const QString &MimePart::contentId() const
{
    return m_contentId;
}

void MimePart::setContentName(const QString &name)
{
    m_contentName = name;
}

const QString &MimePart::contentName() const
{
    return m_contentName;
}

void MimePart::setContentType(const QString &type)
{
    m_contentType = type;
}

const QString &MimePart::contentType() const
{
    return m_contentType;
}

void MimePart::setCharset(const QString &charset)
{
    m_charset = charset;
}

const QString &MimePart::charset() const
{
    return m_charset;
}

void MimePart::setTransferEncoding(TransferEncoding encoding)
{
    m_transferEncoding = encoding;
}

MimePart::TransferEncoding MimePart::transferEncoding() const
{
    return m_transferEncoding;
}

MimeContentFormatter &MimePart::contentFormatter()
{
    return m_formatter;
}
