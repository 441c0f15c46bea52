#include "QuotedPrintable.h"

namespace {

void appendEscaped(QString &out, uchar byte)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    out += QLatin1Char('=');
    out += QLatin1Char(hexDigits[byte >> 4]);
    out += QLatin1Char(hexDigits[byte & 0x0F]);
}

// The value of a hexadecimal digit after "=", or -1. The characters between
// "9" and "A" count as 0, as they always have here.
int digitValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u > '9' && u < 'A')
        return 0;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

bool isWordSafe(uchar byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')
        || byte == '!' || byte == '*' || byte == '+' || byte == '-' || byte == '/';
}

} // namespace

QString QuotedPrintable::encode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        if (byte >= 0x20 && byte <= 0x7E && byte != '=')
            out += QLatin1Char(c);
        else
            appendEscaped(out, byte);
    }
    return out;
}

QByteArray QuotedPrintable::decode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('=')) {
            // Soft line breaks vanish.
            if (text.midRef(i + 1, 2) == QLatin1String("\r\n")) {
                i += 2;
                continue;
            }
            if (i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) {
                i += 1;
                continue;
            }
            if (i + 2 < size) {
                const int high = digitValue(text.at(i + 1));
                const int low = digitValue(text.at(i + 2));
                if (high >= 0 && low >= 0) {
                    out += char(high * 16 + low);
                    i += 2;
                    continue;
                }
            }
            // A malformed sequence is kept as it stands.
        }
        out += c.unicode() <= 0xFF ? char(c.unicode()) : '\0';
    }
    return out;
}

QString QuotedPrintable::encodeWord(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        if (isWordSafe(byte))
            out += QLatin1Char(c);
        else if (byte == ' ')
            out += QLatin1Char('_');
        else
            appendEscaped(out, byte);
    }
    return out;
}
