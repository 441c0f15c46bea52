#include "ReadNumber.h"

#include <cmath>

double ReadNumber(const QString& text, bool* ok)
{
    bool read = false;
    double value = text.toDouble(&read);
    // "nan" and "inf" parse, but no price or count can be made of them.
    if (!read || !std::isfinite(value)) {
        read = false;
        value = 0;
    }
    if (ok)
        *ok = read;
    return value;
}
