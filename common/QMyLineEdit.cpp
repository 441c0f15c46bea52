#include "QMyLineEdit.h"

#include <QFocusEvent>

QMyLineEdit::QMyLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

// A context menu or completer popup takes the focus only for a moment: the
// user is still editing, so the half-typed text stays and the text to go back
// to is still the one from before the edit began.
void QMyLineEdit::focusInEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason)
        m_remembered = text();
    QLineEdit::focusInEvent(event);
    emit focussed(true);
}

void QMyLineEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason && !hasAcceptableInput())
        setText(m_remembered);
    QLineEdit::focusOutEvent(event);
    emit focussed(false);
}
