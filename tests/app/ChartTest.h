#pragma once

#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QBetFairChart.h"
#include "QConfirm.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <functional>

// Generous: the tests run under sanitizers on a shared machine.
constexpr int Patience = 20000;

// Where LocalExchange puts the main exchange's chart site.
const QString ChartPath = "/uk/betting/LoadRunnerInfoChartAction.do";

// An image whose every pixel tells where it lies: red x % 256, green y, blue x / 256.
inline QImage positionImage(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, x >> 8));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline ScriptedReply chartReply(const QSize& size = QSize(300, 200))
{
    return ScriptedReply::text(encoded(positionImage(size)), "image/png");
}

inline QLabel* part(QWidget* tile, const char* name)
{
    return tile->findChild<QLabel*>(name);
}

inline bool showsImage(QWidget* tile)
{
    return !part(tile, "label")->pixmap(Qt::ReturnByValue).isNull();
}

// Answers every question box: the next of answers, yes when none is left.
// While the first box is open, during runs, as a user acting elsewhere would.
struct Questions
{
    QStringList asked;
    QList<bool> answers;
    std::function<void()> during;

    explicit Questions(QList<bool> answers = {})
        : answers(std::move(answers))
    {
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            asked << box->text();
            if (const std::function<void()> act = std::exchange(during, nullptr))
                act();
            const bool yes = this->answers.isEmpty() || this->answers.takeFirst();
            return box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        });
    }
    ~Questions() { QConfirm::SetResponder({}); }
};
