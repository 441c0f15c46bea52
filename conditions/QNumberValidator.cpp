#include "QNumberValidator.h"

QNumberValidator::QNumberValidator(QObject* parent)
    : QDoubleValidator(parent)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(c);
}
