#pragma once

#include "QMarkedRequest.h"

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QNetworkReply;

// A runner's silk image, name and metadata in a small popup. It loads the
// image while it is already shown, closes at the next mouse click (inside
// or outside it) and deletes itself when it closes.
class QSilksTooltip : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(QSilksTooltip)

public:
    QSilksTooltip(QWidget* parent, const QString& name, const QJsonObject& metadata);

    // The metadata labels, kept in conditions/ so the condition rows can use
    // them without this view.
    static void InitMetadataNames();
    static QString MetadataName(const QString& key);

    // The address of a silk image file; empty when the name could only
    // mean a path of its own ("." or "..").
    static QString ImageUrl(const QString& fileName);

    // A silk image is a few kilobytes; a larger reply is not read.
    static constexpr qint64 MaxImageBytes = 512 * 1024;
    static constexpr int MaxImageSide = 1024;

public slots:
    void Finished(QMarkedRequest::QRequestResult result, const QString& error, QNetworkReply* reply);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void RequestImage(const QString& fileName);

    QLabel* image = nullptr;
    // The image transfer while it runs; stopped when the tooltip closes.
    QPointer<QNetworkReply> transfer;
    bool imageTooLarge = false;
    bool closed = false;
};
