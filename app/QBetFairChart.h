#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class QBetFairChart;
}

// One selection's price chart from the exchange: a title, the downloaded
// image and a close mark. A left press starts the drag that reorders tiles
// (its text is the chart address); a right press offers to remove the whole
// market. The address is also the widget's "url" property.
class QBetFairChart : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetFairChart)

public:
    QBetFairChart(QWidget* parent, const QString& marketID);
    ~QBetFairChart() override;

    const QString& MarketID() const { return marketID; }

    // Bounds for what a chart site may send.
    static const qint64 MaxChartBytes = 4 * 1024 * 1024;
    static const int MaxChartSide = 4096;

signals:
    void DeleteMe(QString url);
    void DeleteMarket(QString marketID);

public slots:
    void requestFinished(QNetworkReply* reply);
    void Close();
    void deleteMarket();
    void ShowChart(const QString& _url, const QString& _title);
    // Downloads the image again; skipped while the previous download runs.
    void Update();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void enterEvent(QEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void showText(const QString& text);

    QNetworkAccessManager manager;
    std::unique_ptr<Ui::QBetFairChart> ui;
    QString marketID;
    QString url;
    QPointer<QNetworkReply> pending;
};
