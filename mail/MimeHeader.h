#pragma once

#include "MimePart.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Writing header fields that any mail reader accepts: nothing a caller hands
// in can end a line, texts outside ASCII travel as encoded words, and long
// fields are folded so that no line comes near the 998-octet limit.
namespace MimeHeader {

// Control characters, CR and LF among them, become blanks.
QString singleLine(const QString &text);

// The pieces of a display name, each starting with the blank before it:
// an atom sequence as it stands, a quoted string when the name holds
// specials, encoded words when it holds anything beyond ASCII or when an
// encoding is asked for (Base64 or quoted-printable). Empty for no name.
QStringList phrase(const QString &name, MimePart::TransferEncoding encoding);

// The pieces of an unstructured value such as the subject, each starting
// with a blank.
QStringList unstructured(const QString &text, MimePart::TransferEncoding encoding);

// "Name:" followed by the pieces and CR LF, folded before a piece whenever
// the line would grow beyond 78 characters.
QString field(const QString &name, const QStringList &pieces);

// A "; attribute=value" parameter of a MIME field; values beyond ASCII or
// very long ones use the RFC 2231 form.
QString parameter(const QString &attribute, const QString &value);

// The RFC 5322 date, always with English day and month names.
QString date(const QDateTime &when);

// A fresh message id "<random@domain>", the domain taken from the sender.
QString messageId(const QString &senderAddress);

// 128 random bits as 32 lower-case hexadecimal digits.
QString randomToken();

} // namespace MimeHeader
