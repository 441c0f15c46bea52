#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// The one-line text question through which the program asks the user for a
// name.
class TextInput
{
public:
    struct Request
    {
        QWidget* parent = nullptr;
        QString title;
        QString label;
        QString text;
    };

    // For tests only: the responder answers in place of the modal dialog;
    // no value is a cancelled dialog. An empty function restores the dialog.
    using Responder = std::function<std::optional<QString>(const Request& request)>;
    static void SetResponder(Responder responder);

    // QInputDialog::getText with a normal line edit starting with text; no
    // value when the user cancelled.
    static std::optional<QString> GetText(
        QWidget* parent, const QString& title, const QString& label, const QString& text);

private:
    TextInput() = delete;
};
