#include "QWholeNumberValidator.h"

QWholeNumberValidator::QWholeNumberValidator(QObject* parent)
    : QIntValidator(parent)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(c);
}
