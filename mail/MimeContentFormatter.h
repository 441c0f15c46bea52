#pragma once

#include <QObject>
#include <QString>

// Folds encoded MIME content into lines of at most maxLength characters:
// plain breaks for Base64, soft line breaks ("=" CR LF) for quoted-printable.
class MimeContentFormatter : public QObject
{
public:
    explicit MimeContentFormatter(int maxLength);

    void setMaxLength(int length);
    int maxLength() const;

    QString fold(const QString &text, bool quotedPrintable) const;

private:
    int m_maxLength = 76;
};
