#pragma once

#include <QDoubleValidator>

// The validator of number conditions. It accepts only what ReadNumber reads
// back as the same number, so it follows the C locale in every interface
// language: in Russian a plain QDoubleValidator would accept "1,5", which
// everything downstream reads as 0.
class QNumberValidator : public QDoubleValidator
{
    Q_OBJECT
    Q_DISABLE_COPY(QNumberValidator)

public:
    explicit QNumberValidator(QObject* parent);
};
