#pragma once

#include "MimeContentFormatter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// One MIME entity: its header fields and raw content, rendered as MIME text
// (header fields, extra header lines, a blank line, the encoded content).
// Every line of the text ends with CR LF.
class MimePart : public QObject
{
    Q_OBJECT

public:
    enum TransferEncoding : qint32 {
        Encoding7Bit = 0,
        Encoding8Bit = 1,
        EncodingBase64 = 2,
        EncodingQuotedPrintable = 3
    };

    MimePart();

    // Builds the text on first use, then returns the cached text.
    virtual QString toMimeString();
    // Builds the text again, whatever was built before.
    virtual void buildMime();

    void setHeaderLines(const QString &lines);
    void addHeaderLine(const QString &line);
    const QString &headerLines() const;

    void setContent(const QByteArray &content);
    const QByteArray &content() const;

    void setContentId(const QString &id);
    const QString &contentId() const;

    void setContentName(const QString &name);
    const QString &contentName() const;

    void setContentType(const QString &type);
    const QString &contentType() const;

    void setCharset(const QString &charset);
    const QString &charset() const;

    void setTransferEncoding(TransferEncoding encoding);
    TransferEncoding transferEncoding() const;

    MimeContentFormatter &contentFormatter();

protected:
    QString m_headerLines;
    QByteArray m_content;
    QString m_contentId;
    QString m_contentName;
    QString m_contentType;
    QString m_charset;
    QString m_boundary;
    TransferEncoding m_transferEncoding = Encoding7Bit;
    QString m_cachedMime;
    bool m_built = false;
    MimeContentFormatter m_formatter{76};
};
