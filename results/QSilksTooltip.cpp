#include "QSilksTooltip.h"

#include "MetadataLabels.h"
#include "QBetFair.h"
#include "QCatalog.h"
#include "QLog.h"

#include <QBuffer>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QNetworkReply>
#include <QPixmap>
#include <QUrl>

QSilksTooltip::QSilksTooltip(QWidget* parent, const QString& name, const QJsonObject& metadata)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setStyleSheet(QStringLiteral("QSilksTooltip {background-color: #FFE;}"));

    image = new QLabel(this);
    auto* layout = new QFormLayout;
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    setLayout(layout);

    // Names and values come from the exchange: never read as markup.
    auto* nameLabel = new QLabel(name, this);
    nameLabel->setTextFormat(Qt::PlainText);
    nameLabel->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #900; font-size: 1.5em;}"));
    layout->addRow(nameLabel, image);

    for (auto member = metadata.constBegin(); member != metadata.constEnd(); ++member) {
        const QString label = MetadataName(member.key());
        if (member.value().isNull() || label.isEmpty())
            continue;
        QString text = member.value().toString();
        if (member.key() == QLatin1String("SEX_TYPE") && QCatalog::sexTypes)
            text = QCatalog::sexTypes->Name(text, true);
        auto* value = new QLabel(text, this);
        value->setTextFormat(Qt::PlainText);
        value->setStyleSheet(QStringLiteral("QLabel {font-weight: bold;}"));
        layout->addRow(label, value);
    }
    adjustSize();

    RequestImage(metadata.value(QLatin1String("COLOURS_FILENAME")).toString());
}

void QSilksTooltip::InitMetadataNames()
{
    MetadataLabels::Init();
}

QString QSilksTooltip::MetadataName(const QString& key)
{
    return MetadataLabels::Name(key);
}

QString QSilksTooltip::ImageUrl(const QString& fileName)
{
    if (fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return QString();
    // One path segment whatever the name holds ("/", "?", "#", "%").
    return QBetFair::SilkImageUrl.arg(QString::fromLatin1(QUrl::toPercentEncoding(fileName)));
}

void QSilksTooltip::RequestImage(const QString& fileName)
{
    const QString url = ImageUrl(fileName);
    if (url.isEmpty())
        return;
    auto* request = new QMarkedRequest(url);
    connect(request, &QMarkedRequest::finished, this, &QSilksTooltip::Finished);
    QNetworkReply* reply = QMarkedRequest::Send(request, QByteArray());
    transfer = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > MaxImageBytes && !imageTooLarge) {
            imageTooLarge = true;
            reply->abort();
        }
    });
}

void QSilksTooltip::Finished(QMarkedRequest::QRequestResult result, const QString& error, QNetworkReply* reply)
{
    // Closed, waiting for its deletion: the reply is of no use any more.
    if (closed)
        return;
    // A large reply may have ended before its progress was seen.
    imageTooLarge = imageTooLarge || (reply && reply->bytesAvailable() > MaxImageBytes);
    if (result != QMarkedRequest::Success || !reply || imageTooLarge) {
        const QString reason = imageTooLarge ? tr("the image is larger than %1 KB").arg(MaxImageBytes / 1024) : error;
        QLog::Write(QLog::QLogType::Warning, tr("Silk image load error: %1").arg(reason));
        return;
    }

    QBuffer body;
    body.setData(reply->readAll());
    QImageReader reader(&body);
    // The size comes from the header: a huge picture is never unpacked.
    QImage picture;
    const QSize size = reader.size();
    if (size.isValid() && size.width() <= MaxImageSide && size.height() <= MaxImageSide)
        picture = reader.read();
    image->setPixmap(QPixmap::fromImage(picture));
    image->adjustSize();
    adjustSize();
}

void QSilksTooltip::mousePressEvent(QMouseEvent*)
{
    close();
}

void QSilksTooltip::closeEvent(QCloseEvent* event)
{
    closed = true;
    // Nothing would read the rest, nor bound its size any more.
    if (transfer && transfer->isRunning())
        transfer->abort();
    QWidget::closeEvent(event);
}
