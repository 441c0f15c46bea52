#pragma once

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "MainWindowTest.h"
#include "QBetFairChart.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// Where LocalExchange puts the main exchange's chart site.
const QString ChartPath = "/uk/betting/LoadRunnerInfoChartAction.do";

inline ScriptedReply pngReply(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return ScriptedReply::text(bytes, "image/png");
}

// A PNG whose every pixel tells where it lies: red x % 256, green y, blue x / 256.
inline ScriptedReply chartReply(const QSize& size = QSize(300, 200))
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, x >> 8));
    return pngReply(image);
}

inline QLabel* part(QWidget* tile, const char* name)
{
    return tile->findChild<QLabel*>(name);
}

inline bool showsImage(QWidget* tile)
{
    return !part(tile, "label")->pixmap(Qt::ReturnByValue).isNull();
}
