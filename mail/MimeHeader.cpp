#include "MimeHeader.h"

#include "QuotedPrintable.h"

#include <QRandomGenerator>
#include <QUrl>

namespace {

// Lines are folded beyond this length where the field allows it.
constexpr int FoldColumn = 78;
// A piece that cannot be folded must stay well inside the 998-octet limit.
constexpr int MaxPieceLength = 900;
// Encoded words are at most 75 characters: "=?utf-8?B?" and "?=" leave 63.
constexpr int MaxBase64Bytes = 45;
constexpr int MaxQEncodedLength = 63;
constexpr int MaxParameterSegment = 60;

bool isPrintableAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// RFC 5322 atext.
bool isAtomChar(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
        || QByteArrayLiteral("!#$%&'*+-/=?^_`{|}~").contains(char(u));
}

// Words of atoms separated by single blanks, which a reader takes back as
// they are.
bool isAtomSequence(const QString &text)
{
    const QStringList words = text.split(QLatin1Char(' '));
    for (const QString &word : words) {
        if (word.isEmpty())
            return false;
        for (const QChar c : word) {
            if (!isAtomChar(c))
                return false;
        }
    }
    return true;
}

QString quotedString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

// The UTF-8 bytes of each character, surrogate pairs kept together, so that
// no encoded word splits a character.
QList<QByteArray> characterBytes(const QString &text)
{
    QList<QByteArray> out;
    for (int i = 0; i < text.size();) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        out.append(text.mid(i, length).toUtf8());
        i += length;
    }
    return out;
}

// Encoded words, each with the blank before it.
QStringList encodedWords(const QString &text, bool base64)
{
    QStringList words;
    QByteArray bytes;
    QString qText;
    const auto flush = [&]() {
        if (base64 && !bytes.isEmpty())
            words.append(QLatin1String(" =?utf-8?B?") + QString::fromLatin1(bytes.toBase64()) + QLatin1String("?="));
        else if (!base64 && !qText.isEmpty())
            words.append(QLatin1String(" =?utf-8?Q?") + qText + QLatin1String("?="));
        bytes.clear();
        qText.clear();
    };
    const QList<QByteArray> characters = characterBytes(text);
    for (const QByteArray &character : characters) {
        if (base64) {
            if (bytes.size() + character.size() > MaxBase64Bytes)
                flush();
            bytes += character;
        } else {
            const QString encoded = QuotedPrintable::encodeWord(character);
            if (qText.size() + encoded.size() > MaxQEncodedLength)
                flush();
            qText += encoded;
        }
    }
    flush();
    return words;
}

bool asksForEncodedWords(MimePart::TransferEncoding encoding)
{
    return encoding == MimePart::EncodingBase64 || encoding == MimePart::EncodingQuotedPrintable;
}

// Text that a reader could take for an encoded word is encoded itself, so
// that it reads back as it was written.
bool mayStandAsIs(const QString &text)
{
    return isPrintableAscii(text) && !text.contains(QLatin1String("=?"));
}

bool isParameterChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
        || QByteArrayLiteral("!#$&+-.^_`|~").contains(c);
}

} // namespace

namespace MimeHeader {

QString singleLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return out;
}

QStringList phrase(const QString &name, MimePart::TransferEncoding encoding)
{
    if (name.isEmpty())
        return {};
    const QString text = singleLine(name);
    if (!asksForEncodedWords(encoding) && mayStandAsIs(text)) {
        if (isAtomSequence(text) && text.size() <= MaxPieceLength) {
            QStringList pieces;
            const QStringList words = text.split(QLatin1Char(' '));
            for (const QString &word : words)
                pieces.append(QLatin1Char(' ') + word);
            return pieces;
        }
        const QString quoted = quotedString(text);
        if (quoted.size() <= MaxPieceLength)
            return {QLatin1Char(' ') + quoted};
    }
    return encodedWords(text, encoding != MimePart::EncodingQuotedPrintable);
}

QStringList unstructured(const QString &text, MimePart::TransferEncoding encoding)
{
    const QString line = singleLine(text);
    if (line.isEmpty())
        return {QStringLiteral(" ")};
    if (!asksForEncodedWords(encoding) && mayStandAsIs(line)) {
        QStringList pieces;
        const QStringList words = line.split(QLatin1Char(' '));
        for (const QString &word : words)
            pieces.append(QLatin1Char(' ') + word);
        const bool fits = std::all_of(pieces.cbegin(), pieces.cend(),
                                      [](const QString &piece) { return piece.size() <= MaxPieceLength; });
        if (fits)
            return pieces;
    }
    return encodedWords(line, encoding != MimePart::EncodingQuotedPrintable);
}

QString field(const QString &name, const QStringList &pieces)
{
    QString out = name + QLatin1Char(':');
    int column = out.size();
    bool first = true;
    for (const QString &piece : pieces) {
        // A folded line must hold more than blanks.
        const bool foldable = !first && !piece.trimmed().isEmpty();
        if (foldable && column + piece.size() > FoldColumn) {
            out += QLatin1String("\r\n");
            column = 0;
        }
        out += piece;
        column += piece.size();
        first = false;
    }
    return out + QLatin1String("\r\n");
}

QString parameter(const QString &attribute, const QString &value)
{
    const QString text = singleLine(value);
    if (mayStandAsIs(text) && text.size() <= MaxParameterSegment * 3)
        return QLatin1String("; ") + attribute + QLatin1Char('=') + quotedString(text);

    QStringList segments;
    QString segment = QStringLiteral("utf-8''");
    const QByteArray bytes = text.toUtf8();
    for (const char c : bytes) {
        const QString piece = isParameterChar(c) ? QString(QLatin1Char(c))
                                                 : QLatin1Char('%') + QString::number(uchar(c), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        if (segment.size() + piece.size() > MaxParameterSegment) {
            segments.append(segment);
            segment.clear();
        }
        segment += piece;
    }
    segments.append(segment);
    if (segments.size() == 1)
        return QLatin1String("; ") + attribute + QLatin1String("*=") + segment;
    QString out;
    for (int i = 0; i < segments.size(); ++i)
        out += QLatin1String(";\r\n ") + attribute + QLatin1Char('*') + QString::number(i) + QLatin1String("*=") + segments.at(i);
    return out;
}

QString date(const QDateTime &when)
{
    static const char *const dayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const monthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!when.isValid())
        return date(QDateTime::currentDateTimeUtc());
    const QDate day = when.date();
    const int offset = when.offsetFromUtc();
    const int offsetMinutes = qAbs(offset) / 60;
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(dayNames[day.dayOfWeek() - 1]))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(monthNames[day.month() - 1]))
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(when.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(offsetMinutes / 60, 2, 10, QLatin1Char('0'))
        .arg(offsetMinutes % 60, 2, 10, QLatin1Char('0'));
}

QString messageId(const QString &senderAddress)
{
    const int at = senderAddress.lastIndexOf(QLatin1Char('@'));
    QString domain = at < 0 ? QString() : QString::fromLatin1(QUrl::toAce(senderAddress.mid(at + 1)));
    const bool usable = !domain.isEmpty() && std::all_of(domain.cbegin(), domain.cend(), [](QChar c) {
        return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('-') || c == QLatin1Char('.');
    });
    if (!usable)
        domain = QStringLiteral("localhost");
    return QLatin1Char('<') + randomToken() + QLatin1Char('@') + domain + QLatin1Char('>');
}

QString randomToken()
{
    quint32 bits[4];
    QRandomGenerator::global()->fillRange(bits);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bits), sizeof bits).toHex());
}

} // namespace MimeHeader
