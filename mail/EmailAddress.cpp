#include "EmailAddress.h"

#include "MimeHeader.h"

namespace {

// The longest path SMTP carries, less its angle brackets.
constexpr int MaxAddressLength = 254;

bool isForbidden(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace() || c == QLatin1Char('<') || c == QLatin1Char('>');
}

} // namespace

EmailAddress::EmailAddress(const QString &address, const QString &name)
    : m_name(name)
    , m_address(address)
{
}

void EmailAddress::setName(const QString &name)
{
    m_name = name;
}

const QString &EmailAddress::name() const
{
    return m_name;
}

void EmailAddress::setAddress(const QString &address)
{
    m_address = address;
}

const QString &EmailAddress::address() const
{
    return m_address;
}

QString EmailAddress::validationError() const
{
    if (m_address.isEmpty())
        return tr("The e-mail address is empty.");
    if (std::any_of(m_address.cbegin(), m_address.cend(), isForbidden))
        return tr("The e-mail address \"%1\" contains a line break, a blank, a control character or an angle bracket.")
            .arg(MimeHeader::singleLine(m_address));
    if (m_address.size() > MaxAddressLength)
        return tr("The e-mail address \"%1...\" is longer than %2 characters.")
            .arg(m_address.left(40), QString::number(MaxAddressLength));
    return QString();
}
