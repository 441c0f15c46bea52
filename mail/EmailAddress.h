#pragma once

#include <QObject>
#include <QString>

// A mailbox with an optional display name.
class EmailAddress : public QObject
{
    Q_OBJECT

public:
    explicit EmailAddress(const QString &address = QString(), const QString &name = QString());

    void setName(const QString &name);
    const QString &name() const;

    void setAddress(const QString &address);
    const QString &address() const;

    // Why the address cannot be written into a message or an SMTP command,
    // or an empty text when it can. Line breaks, blanks, control characters
    // and angle brackets would let the address add header fields or SMTP
    // commands of its own, so they are refused rather than written.
    QString validationError() const;

private:
    QString m_name;
    QString m_address;
};
