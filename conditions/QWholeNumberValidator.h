#pragma once

#include <QIntValidator>

// The validator of conditions on whole numbers (counts of selections, places
// and withdrawn runners, a goal difference). These values are read as whole
// numbers, so "3.7" or "two" must be refused rather than read as 0. Like
// QNumberValidator it follows the C locale in every interface language and
// refuses group separators.
class QWholeNumberValidator : public QIntValidator
{
    Q_OBJECT
    Q_DISABLE_COPY(QWholeNumberValidator)

public:
    explicit QWholeNumberValidator(QObject* parent);
};
