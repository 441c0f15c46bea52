#include "FileDialog.h"

#include <QFileDialog>

namespace {

FileDialog::Responder& responder()
{
    static FileDialog::Responder installed;
    return installed;
}

} // namespace

void FileDialog::SetResponder(Responder responder)
{
    ::responder() = std::move(responder);
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
    const QString& filter, const QString& selectedFilter)
{
    if (responder())
        return responder()({ parent, caption, directory, filter, selectedFilter });
    QString shownFirst = selectedFilter;
    return QFileDialog::getSaveFileName(
        parent, caption, directory, filter, shownFirst.isEmpty() ? nullptr : &shownFirst);
}

QString FileDialog::GetOpenFileName(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
{
    if (responder())
        return responder()({ parent, caption, directory, filter, QString() });
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString FileDialog::GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory)
{
    if (responder())
        return responder()({ parent, caption, directory, QString(), QString() });
    return QFileDialog::getExistingDirectory(parent, caption, directory, QFileDialog::ShowDirsOnly);
}
