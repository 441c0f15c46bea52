#include "MimeMessage.h"

#include "EmailAddress.h"
#include "MimeHeader.h"
#include "MimeMultiPart.h"

#include <QCoreApplication>
#include <typeinfo>

MimeMessage::MimeMessage(bool createMultipart)
    : m_content(createMultipart ? new MimeMultiPart(MimeMultiPart::Related) : nullptr)
    , m_ownsContent(createMultipart)
{
}

MimeMessage::~MimeMessage()
{
    if (m_ownsContent)
        delete m_content;
}

void MimeMessage::setSender(EmailAddress *sender)
{
    m_sender = sender;
}

EmailAddress *MimeMessage::sender() const
{
    return m_sender;
}

void MimeMessage::addRecipient(EmailAddress *rcpt, RecipientType type)
{
    switch (type) {
    case To:
        m_toRecipients.append(rcpt);
        break;
    case Cc:
        m_ccRecipients.append(rcpt);
        break;
    case Bcc:
        m_bccRecipients.append(rcpt);
        break;
    }
}

void MimeMessage::addTo(EmailAddress *rcpt)
{
    m_toRecipients.append(rcpt);
}

void MimeMessage::addCc(EmailAddress *rcpt)
{
    m_ccRecipients.append(rcpt);
}

void MimeMessage::addBcc(EmailAddress *rcpt)
{
    m_bccRecipients.append(rcpt);
}

const QList<EmailAddress *> &MimeMessage::recipients(RecipientType type) const
{
    if (type == Cc)
        return m_ccRecipients;
    if (type == Bcc)
        return m_bccRecipients;
    return m_toRecipients;
}

void MimeMessage::setSubject(const QString &subject)
{
    m_subject = subject;
}

const QString &MimeMessage::subject() const
{
    return m_subject;
}

void MimeMessage::setContent(MimePart *content)
{
    if (content == m_content)
        return;
    if (m_ownsContent) {
        m_ownsContent = false;
        delete m_content;
    }
    m_content = content;
}

MimePart *MimeMessage::content() const
{
    return m_content;
}

namespace {

// A subclass of MimeMultiPart may have rules of its own for its parts.
bool isPlainMultipart(const MimePart *part)
{
    return part && typeid(*part) == typeid(MimeMultiPart);
}

} // namespace

void MimeMessage::addPart(MimePart *part)
{
    if (isPlainMultipart(m_content))
        static_cast<MimeMultiPart *>(m_content)->appendPart(part);
}

QList<MimePart *> MimeMessage::parts() const
{
    if (isPlainMultipart(m_content))
        return static_cast<MimeMultiPart *>(m_content)->parts();
    if (m_content)
        return {m_content};
    return {};
}

void MimeMessage::setHeaderEncoding(MimePart::TransferEncoding encoding)
{
    m_headerEncoding = encoding;
}

QString MimeMessage::validationError() const
{
    if (!m_sender)
        return QCoreApplication::translate("MimeMessage", "The message has no sender.");
    const QList<EmailAddress *> addresses = QList<EmailAddress *>{m_sender} + m_toRecipients + m_ccRecipients + m_bccRecipients;
    for (const EmailAddress *address : addresses) {
        const QString error = address ? address->validationError() : QString();
        if (!error.isEmpty())
            return error;
    }
    if (!m_content)
        return QCoreApplication::translate("MimeMessage", "The message has no content.");
    return QString();
}

QStringList MimeMessage::addressPieces(const QList<EmailAddress *> &addresses) const
{
    QStringList pieces;
    for (const EmailAddress *address : addresses) {
        if (!address)
            continue;
        if (!pieces.isEmpty())
            pieces.last() += QLatin1Char(',');
        pieces += MimeHeader::phrase(address->name(), m_headerEncoding);
        pieces += QLatin1String(" <") + address->address() + QLatin1Char('>');
    }
    return pieces;
}

QString MimeMessage::toMimeString()
{
    if (!validationError().isEmpty())
        return QString();
    QString mime = MimeHeader::field(QStringLiteral("From"), addressPieces({m_sender}));
    mime += MimeHeader::field(QStringLiteral("To"), addressPieces(m_toRecipients));
    const QStringList cc = addressPieces(m_ccRecipients);
    if (!cc.isEmpty())
        mime += MimeHeader::field(QStringLiteral("Cc"), cc);
    mime += MimeHeader::field(QStringLiteral("Subject"), MimeHeader::unstructured(m_subject, m_headerEncoding));
    mime += MimeHeader::field(QStringLiteral("Date"), {QLatin1Char(' ') + MimeHeader::date(QDateTime::currentDateTime())});
    mime += MimeHeader::field(QStringLiteral("Message-ID"), {QLatin1Char(' ') + MimeHeader::messageId(m_sender->address())});
    mime += QLatin1String("MIME-Version: 1.0\r\n");
    mime += m_content->toMimeString();
    return mime;
}
