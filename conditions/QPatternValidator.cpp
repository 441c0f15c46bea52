#include "QPatternValidator.h"

#include <QRegExp>

QPatternValidator::QPatternValidator(QObject* parent)
    : QValidator(parent)
{
}

QValidator::State QPatternValidator::validate(QString& input, int& /*pos*/) const
{
    if (input.isEmpty() || input.size() > MaxPatternLength)
        return Intermediate;
    return QRegExp(input, Qt::CaseSensitive, QRegExp::RegExp).isValid() ? Acceptable : Intermediate;
}
