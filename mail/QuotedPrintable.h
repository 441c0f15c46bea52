#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Quoted-printable text for MIME bodies, and its "Q" variant for encoded
// header words.
class QuotedPrintable : public QObject
{
public:
    // Every byte outside the printable ASCII range, and "=" itself, becomes
    // "=XX". No line breaks are added: folding is the formatter's job.
    static QString encode(const QByteArray &bytes);
    static QByteArray decode(const QString &text);

    // The "Q" form of an encoded header word: only letters, digits and
    // "!*+-/" stand for themselves, a blank becomes "_", everything else
    // "=XX". Those characters are safe inside a display name, and "_", "?"
    // and "=" can never be misread by the decoder.
    static QString encodeWord(const QByteArray &bytes);
};
