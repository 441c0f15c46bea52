#include "MimeContentFormatter.h"

MimeContentFormatter::MimeContentFormatter(int maxLength)
    : m_maxLength(maxLength)
{
}

void MimeContentFormatter::setMaxLength(int length)
{
    m_maxLength = length;
}

int MimeContentFormatter::maxLength() const
{
    return m_maxLength;
}

QString MimeContentFormatter::fold(const QString &text, bool quotedPrintable) const
{
    QString out;
    out.reserve(text.size() + text.size() / qMax(1, m_maxLength) * 3 + 3);
    int column = 0;
    for (const QChar c : text) {
        ++column;
        if (!quotedPrintable) {
            if (column > m_maxLength) {
                out += QLatin1String("\r\n");
                column = 1;
            }
        } else {
            if (c == QLatin1Char('\n')) {
                out += c;
                column = 0;
                continue;
            }
            // An escape sequence never straddles a break: an "=" that would
            // not leave room for its two digits moves to the next line.
            if (column >= m_maxLength || (c == QLatin1Char('=') && column >= m_maxLength - 2)) {
                out += QLatin1String("=\r\n");
                column = 1;
            }
        }
        out += c;
    }
    return out;
}
