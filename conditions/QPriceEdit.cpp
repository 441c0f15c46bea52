#include "QPriceEdit.h"

#include "ErrorMark.h"
#include "QPriceValidator.h"
#include "ReadNumber.h"

#include <QKeyEvent>

QPriceEdit::QPriceEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &QPriceEdit::myTextChanged);
}

void QPriceEdit::SetPair(QPriceEdit* other, bool lower)
{
    pair = other;
    lowerBound = lower;
    if (other && other->pair != this)
        other->SetPair(this, !lower);
}

QPriceEdit* QPriceEdit::Pair() const
{
    return pair;
}

void QPriceEdit::setError(bool on)
{
    SetErrorMark(this, on);
}

void QPriceEdit::myTextChanged(const QString& text)
{
    if (!pair)
        return;
    const float own = float(ReadNumber(text));
    const float other = float(ReadNumber(pair->text()));
    const bool reversed = lowerBound ? own > other : other > own;
    setError(!hasAcceptableInput());
    pair->setError(reversed || !pair->hasAcceptableInput());
}

bool QPriceEdit::hasPriceValidator() const
{
    const QValidator* current = validator();
    return current && current->objectName() == QLatin1String("PriceValidator");
}

void QPriceEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool up = key == Qt::Key_Up || key == Qt::Key_PageUp;
    const bool down = key == Qt::Key_Down || key == Qt::Key_PageDown;
    if (!(up || down) || !hasPriceValidator()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int ticks = key == Qt::Key_PageUp || key == Qt::Key_PageDown ? 10 : 1;
    float price = float(ReadNumber(text()));
    short decimals = 2;
    QPriceValidator::Step(price, up, decimals, ticks);
    // Set by the program: textChanged runs the range check, textEdited stays silent.
    setText(QString::number(double(price), 'f', decimals));
    event->accept();
}
