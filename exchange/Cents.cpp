#include "Cents.h"

#include <charconv>
#include <cmath>

qint64 CentsOf(double amount)
{
    if (!std::isfinite(amount) || amount < 0 || amount > double(MaximumCents) / 100)
        return -1;
    // -0 included; a tenth of a cent and less is no cent, and the digits of
    // tinier amounts would not fit.
    if (amount < 0.001)
        return 0;

    // The double's shortest round-trip form is the decimal it stands for;
    // rounding its digits avoids the binary error of amount * 100
    // (0.005 * 100 is just below 0.5).
    char digits[128];
    const auto written = std::to_chars(digits, digits + sizeof digits, amount, std::chars_format::fixed);
    if (written.ec != std::errc())
        return -1;

    qint64 cents = 0;
    int decimals = -1; // -1 while in the whole part
    bool roundUp = false;
    for (const char* c = digits; c != written.ptr; ++c) {
        if (*c == '.') {
            decimals = 0;
            continue;
        }
        const int digit = *c - '0';
        if (decimals < 0) {
            cents = cents * 10 + digit;
        } else if (decimals < 2) {
            cents = cents * 10 + digit;
            ++decimals;
        } else {
            roundUp = digit >= 5;
            break;
        }
    }
    for (int missing = decimals < 0 ? 2 : 2 - decimals; missing > 0; --missing)
        cents *= 10;
    return cents + (roundUp ? 1 : 0);
}

QString CentsText(qint64 cents)
{
    Q_ASSERT(cents >= 0);
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}
