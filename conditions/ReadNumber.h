#pragma once

#include <QString>

// Reads a value typed in a condition or price edit the way every reader of
// those texts does: '.' as the decimal point whatever the interface language,
// no group separators, surrounding spaces and an exponent allowed. Text that is
// not a finite number reads as 0 with *ok false.
double ReadNumber(const QString& text, bool* ok = nullptr);
