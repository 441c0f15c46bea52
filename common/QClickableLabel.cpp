#include "QClickableLabel.h"

#include <QMouseEvent>

QClickableLabel::QClickableLabel(QWidget* parent)
    : QLabel(parent, Qt::WindowFlags())
{
    setCursor(Qt::PointingHandCursor);
}

void QClickableLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit clicked();
}
