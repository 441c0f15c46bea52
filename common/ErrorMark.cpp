#include "ErrorMark.h"

#include <QStyle>
#include <QVariant>
#include <QWidget>

void SetErrorMark(QWidget* widget, bool on)
{
    widget->setProperty("isError", on);
    // Style sheets read properties only when a widget is polished.
    QStyle* style = widget->style();
    style->unpolish(widget);
    style->polish(widget);
    widget->update();
}
