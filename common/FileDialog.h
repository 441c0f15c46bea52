#pragma once

#include <QString>

#include <functional>

class QWidget;

// The file dialogs through which the program asks the user for a path.
class FileDialog
{
public:
    struct Request
    {
        QWidget* parent = nullptr;
        QString caption;
        QString directory;
        QString filter;
        // The filter shown first; empty for the dialog's own choice.
        QString selectedFilter;
    };

    // For tests only: the responder answers in place of the modal dialog; an
    // empty answer is a cancelled dialog. An empty function restores the dialog.
    using Responder = std::function<QString(const Request& request)>;
    static void SetResponder(Responder responder);

    // QFileDialog::getSaveFileName with the default options, showing
    // selectedFilter first when it is one of filter's; empty when the user
    // cancelled. The filter the user ends on is not reported.
    static QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
        const QString& filter, const QString& selectedFilter = QString());
    // QFileDialog::getOpenFileName likewise.
    static QString GetOpenFileName(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter);
    // QFileDialog::getExistingDirectory, folders only; the request's filter
    // is empty.
    static QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory);

private:
    FileDialog() = delete;
};
