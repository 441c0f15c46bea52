#include "DownloadDialog.h"

#include "FileDialog.h"
#include "QConfirm.h"
#include "SiteDownload.h"
#include "WriteAll.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QStandardPaths>

#include <algorithm>

DownloadDialog::DownloadDialog(const QUrl& url, QWidget* parent)
    : QDialog(parent)
    , url(url)
{
    buildForm();
}

DownloadDialog::~DownloadDialog()
{
    // The manager goes before the dialog's base: nothing it sends on its way
    // out may reach the slots.
    manager.disconnect(this);
    if (reply)
        reply->disconnect(this);
}

void DownloadDialog::buildForm()
{
    setObjectName(QStringLiteral("DownloadDialog"));
    resize(400, 39);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setWindowTitle(tr("Downloading..."));

    horizontalLayout = new QHBoxLayout(this);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    horizontalLayout->addWidget(progressBar);
}

QString DownloadDialog::SaveName(const QUrl& url)
{
    // Both separators count: a decoded name must not lead out of the folder
    // on any system.
    const QString decoded = url.fileName(QUrl::FullyDecoded);
    const int separator
        = std::max(decoded.lastIndexOf(QLatin1Char('/')), decoded.lastIndexOf(QLatin1Char('\\')));
    const QString name = decoded.mid(separator + 1);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    return name;
}

int DownloadDialog::exec()
{
    // The set-up program that is about to run comes from here: only TLS
    // vouches for where it came from.
    if (!SiteDownload::IsSecure(url))
        return fail(tr("The file is not offered over a secure connection: %1")
                        .arg(EscapeForBox(url.toDisplayString())),
            QStringLiteral("NetworkError"));
    const QString name = SaveName(url);
    if (name.isEmpty())
        return fail(tr("The address names no file to save: %1").arg(EscapeForBox(url.toDisplayString())),
            QStringLiteral("SaveFile"));

    const QString folder = FileDialog::GetExistingDirectory(this, tr("Where to save the file to?"),
        QStandardPaths::standardLocations(QStandardPaths::DownloadLocation).value(0));
    if (folder.isEmpty()) {
        reject();
        return QDialog::Rejected;
    }

    saveFile.setFileName(QStringLiteral("%1/%2").arg(folder, name));
    if (!saveFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(tr("Unable to save file. %1").arg(EscapeForBox(saveFile.errorString())),
            QStringLiteral("SaveFile"));

    connect(&manager, &QNetworkAccessManager::finished, this, &DownloadDialog::Finished);
    reply = manager.get(SiteDownload::Request(url));
    connect(reply, &QNetworkReply::readyRead, this, &DownloadDialog::WriteFile);
    connect(reply, &QNetworkReply::downloadProgress, this, &DownloadDialog::Progress);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    connect(this, &QDialog::rejected, this, [this] {
        cancelled = true;
        if (reply)
            reply->abort();
    });
    return QDialog::exec();
}

QString DownloadDialog::FileName() const
{
    return committed && QFileInfo::exists(saveFile.fileName()) ? saveFile.fileName() : QString();
}

void DownloadDialog::WriteFile()
{
    // An aborted reply is closed and has nothing more to give. A failed
    // write makes the commit fail, which Finished reports.
    if (reply && reply->isOpen())
        WriteAll(saveFile, reply->readAll());
}

void DownloadDialog::Progress(qlonglong received, qlonglong total)
{
    if (total <= 0)
        return;
    // A server may send more than it announced.
    progressBar->setValue(static_cast<int>(qBound<qlonglong>(0, received, total) * 100 / total));
    setWindowTitle(tr("Downloading (%1%)").arg(progressBar->value()));
}

void DownloadDialog::Finished(QNetworkReply* finished)
{
    // The user's own cancel aborts the reply, which finishes inside abort().
    if (finished != reply || committed || cancelled)
        return;
    // The last bytes may still wait in the reply.
    WriteFile();
    const QString failure = SiteDownload::Failure(finished);
    if (!failure.isEmpty()) {
        fail(EscapeForBox(failure), QStringLiteral("NetworkError"));
        return;
    }
    if (!saveFile.commit()) {
        fail(tr("Unable to save file. %1").arg(EscapeForBox(saveFile.errorString())),
            QStringLiteral("SaveFile"));
        return;
    }
    committed = true;
    accept();
}

int DownloadDialog::fail(const QString& text, const QString& topic)
{
    ShowError(text, topic);
    reject();
    return QDialog::Rejected;
}
