#pragma once

#include <QString>
#include <QtGlobal>

// Money is compared and sent in whole cents (hundredths of the currency
// unit), so that what is compared is exactly what goes on the wire.

// The largest amount taken, in cents: far above any stake, far below the
// range where whole cents stop being exact in a double.
constexpr qint64 MaximumCents = qint64(1000000000) * 100;

// The amount rounded half up to whole cents, as its shortest decimal form
// reads (the form it was typed in): 1.995 gives 200, 1.994 gives 199.
// -1 when it is not a finite amount from 0 to MaximumCents.
qint64 CentsOf(double amount);

// "12.05" for 1205: the amount with exactly two decimals, as the exchange
// takes sizes.
QString CentsText(qint64 cents);
