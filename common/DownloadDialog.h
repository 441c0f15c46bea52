#pragma once

#include <QDialog>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSaveFile>
#include <QUrl>

class QHBoxLayout;
class QNetworkReply;
class QProgressBar;

// Downloads one file over https into a folder the user picks, with its
// progress in a small modal window. The file appears only once it has
// arrived whole and been committed; anything less shows an error box and
// leaves the folder as it was.
class DownloadDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(DownloadDialog)

public:
    explicit DownloadDialog(const QUrl& url, QWidget* parent = nullptr);
    ~DownloadDialog() override;

    // Accepted once the file has been downloaded and committed.
    int exec() override;
    // The path of the file this dialog saved, while it exists; else empty.
    QString FileName() const;

    // The name the file is saved under: the last path component of the URL's
    // decoded file name; empty when that is empty, "." or "..".
    static QString SaveName(const QUrl& url);

public slots:
    void Finished(QNetworkReply* reply);
    void Progress(qlonglong received, qlonglong total);
    void WriteFile();

private:
    void buildForm();
    // Shows the error box and rejects the dialog; returns Rejected.
    int fail(const QString& text, const QString& topic);

    QHBoxLayout* horizontalLayout = nullptr;
    QProgressBar* progressBar = nullptr;
    QPointer<QNetworkReply> reply;
    QSaveFile saveFile;
    QUrl url;
    QNetworkAccessManager manager;
    bool committed = false;
    bool cancelled = false;
};
