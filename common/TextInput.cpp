#include "TextInput.h"

#include <QInputDialog>

namespace {

TextInput::Responder& responder()
{
    static TextInput::Responder installed;
    return installed;
}

} // namespace

void TextInput::SetResponder(Responder responder)
{
    ::responder() = std::move(responder);
}

std::optional<QString> TextInput::GetText(
    QWidget* parent, const QString& title, const QString& label, const QString& text)
{
    if (responder())
        return responder()({ parent, title, label, text });
    bool accepted = false;
    const QString typed = QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &accepted);
    if (!accepted)
        return std::nullopt;
    return typed;
}
