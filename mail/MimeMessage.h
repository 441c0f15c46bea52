#pragma once

#include "MimePart.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class EmailAddress;

// One e-mail: sender, recipients, subject and one content part, by default
// a "multipart/related" container made by the message for the caller's
// parts. The message owns only that container; addresses and parts belong
// to the caller, who keeps them alive until the message has been sent.
class MimeMessage : public QObject
{
public:
    enum RecipientType : qint32 { To = 0, Cc = 1, Bcc = 2 };

    explicit MimeMessage(bool createMultipart = true);
    ~MimeMessage() override;

    void setSender(EmailAddress *sender);
    EmailAddress *sender() const;

    void addRecipient(EmailAddress *rcpt, RecipientType type);
    void addTo(EmailAddress *rcpt);
    void addCc(EmailAddress *rcpt);
    void addBcc(EmailAddress *rcpt);
    const QList<EmailAddress *> &recipients(RecipientType type) const;

    void setSubject(const QString &subject);
    const QString &subject() const;

    void setContent(MimePart *content);
    MimePart *content() const;

    // Only a plain MimeMultiPart content takes parts.
    void addPart(MimePart *part);
    QList<MimePart *> parts() const;

    void setHeaderEncoding(MimePart::TransferEncoding encoding);

    // Why the message cannot be sent as it stands (no sender, no content, an
    // unusable address), or an empty text when it can. Whoever sends the
    // message asks this first and reports the text as its error.
    QString validationError() const;

    // The whole message text; empty while validationError() has a reason,
    // so that an unusable address never reaches the wire.
    virtual QString toMimeString();

private:
    QStringList addressPieces(const QList<EmailAddress *> &addresses) const;

    EmailAddress *m_sender = nullptr;
    QList<EmailAddress *> m_toRecipients;
    QList<EmailAddress *> m_ccRecipients;
    QList<EmailAddress *> m_bccRecipients;
    QString m_subject;
    MimePart *m_content = nullptr;
    bool m_ownsContent = false;
    MimePart::TransferEncoding m_headerEncoding = MimePart::Encoding8Bit;
};
