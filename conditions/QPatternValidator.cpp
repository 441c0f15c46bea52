#include "QPatternValidator.h"

#include <QRegExp>

QPatternValidator::QPatternValidator(QObject* parent)
    : QValidator(parent)
{
}

namespace {
// QRegExp parses nested groups by recursion: a long enough text of brackets
// overflows the stack. Form patterns are short.
constexpr int MaxPatternLength = 256;
} // namespace

QValidator::State QPatternValidator::validate(QString& input, int& /*pos*/) const
{
    if (input.isEmpty() || input.size() > MaxPatternLength)
        return Intermediate;
    return QRegExp(input, Qt::CaseSensitive, QRegExp::RegExp).isValid() ? Acceptable : Intermediate;
}
