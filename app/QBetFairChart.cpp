#include "QBetFairChart.h"

#include "QConfirm.h"
#include "QNetwork.h"
#include "ui_QBetFairChart.h"

#include <QBuffer>
#include <QDrag>
#include <QImageReader>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QNetworkReply>

namespace {

const char* const TooLarge = "tooLarge";

// The chart site frames its images; these bands are cut off every edge.
const QMargins ImageCrop(-24, -25, -26, -14);
// A text (an error with a long address in it) wraps at about a chart's width
// instead of stretching the tile, and with it every row of the window.
const int TextWidth = 250;

// The image in body, or a null image when it is none or exceeds the bounds.
// The declared size is checked before decoding, so a small file cannot make
// the decoder allocate a huge image.
QImage readImage(QByteArray body)
{
    QBuffer buffer(&body);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > QBetFairChart::MaxChartSide || size.height() > QBetFairChart::MaxChartSide)
        return QImage();
    return reader.read();
}

} // namespace

QBetFairChart::QBetFairChart(QWidget* parent, const QString& marketID)
    : QWidget(parent)
    , ui(std::make_unique<Ui::QBetFairChart>())
    , marketID(marketID)
{
    ui->setupUi(this);
    setPalette(QPalette(Qt::white));
    ui->verticalLayout->setAlignment(ui->label, Qt::AlignHCenter);
    // Otherwise the negative margins of the crop are read as none at all.
    ui->label->setAttribute(Qt::WA_ContentsMarginsRespectsSafeArea, false);
    connect(&manager, &QNetworkAccessManager::finished, this, &QBetFairChart::requestFinished);
}

QBetFairChart::~QBetFairChart()
{
    // Replies still running are aborted with the manager; they must not reach
    // a tile half destroyed.
    disconnect(&manager, nullptr, this, nullptr);
}

void QBetFairChart::ShowChart(const QString& _url, const QString& _title)
{
    url = _url;
    setProperty("url", url);
    ui->title->setText(_title);
    showText(tr("Loading..."));
    Update();
}

void QBetFairChart::Update()
{
    // A slow site must not collect a queue of downloads of the same image.
    if (pending && pending->isRunning())
        return;
    QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(url, QUrl::TolerantMode)));
    pending = reply;
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxChartBytes) {
            reply->setProperty(TooLarge, true);
            reply->abort();
        }
    });
    QNetwork::LimitTransfer(reply);
}

void QBetFairChart::requestFinished(QNetworkReply* reply)
{
    if (reply->property(TooLarge).toBool() || reply->bytesAvailable() > MaxChartBytes) {
        showText(tr("The chart was too large and was not loaded."));
        return;
    }
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        showText(tr("The chart site did not answer in time."));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        showText(reply->errorString());
        return;
    }
    const QImage image = readImage(reply->readAll());
    if (image.isNull()) {
        showText(tr("The chart could not be read."));
        return;
    }
    ui->label->setWordWrap(false);
    ui->label->setPixmap(QPixmap::fromImage(image));
    ui->label->setContentsMargins(ImageCrop);
    // The crop holds only at the image's own size: a label stretched to a
    // wider title would centre the image and show the bands again.
    ui->label->setFixedSize(ui->label->sizeHint());
    adjustSize();
}

void QBetFairChart::showText(const QString& text)
{
    // The crop is meant for the image; it would cut into a text.
    ui->label->setContentsMargins(QMargins());
    ui->label->setWordWrap(true);
    ui->label->setMinimumSize(0, 0);
    ui->label->setMaximumSize(TextWidth, QWIDGETSIZE_MAX);
    ui->label->setText(text);
    ui->label->adjustSize();
    adjustSize();
}

void QBetFairChart::Close()
{
    emit DeleteMe(url);
}

void QBetFairChart::deleteMarket()
{
    // The question runs an event loop of its own, in which the charts window
    // may be cleared and this tile deleted.
    const QPointer<QBetFairChart> alive(this);
    const bool confirmed = AskConfirm(tr("Delete all charts of this market?"), false, false);
    if (alive && confirmed)
        emit DeleteMarket(marketID);
}

void QBetFairChart::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        if (childAt(e->pos()) == ui->close) {
            emit DeleteMe(url);
            return;
        }
        auto* mime = new QMimeData;
        mime->setText(url);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->setPixmap(grab());
        drag->setHotSpot(e->pos());
        drag->exec(Qt::MoveAction);
    } else if (e->button() == Qt::RightButton) {
        // Without a parent: the tile may be gone when the menu returns.
        QMenu menu;
        connect(menu.addAction(tr("Delete all charts of this market")), &QAction::triggered, this,
            &QBetFairChart::deleteMarket);
        menu.exec(e->globalPos());
    }
}

void QBetFairChart::enterEvent(QEvent* e)
{
    ui->close->setPixmap(QPixmap(QStringLiteral(":/icons/status_CLOSED.png")));
    QWidget::enterEvent(e);
}

void QBetFairChart::leaveEvent(QEvent* e)
{
    ui->close->setPixmap(QPixmap());
    QWidget::leaveEvent(e);
}
