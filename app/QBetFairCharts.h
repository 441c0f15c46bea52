#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <QTimer>

#include <memory>

class FlowLayout;
class QBetFairChart;

namespace Ui {
class QBetFairCharts;
}

// The window of price charts: one tile per chart address, wrapped in rows
// that follow the window's width. Tiles are refreshed by button or timer
// (the timer runs while the window is hidden too), removed singly, by market
// or all at once, and reordered by dropping one onto another. Remembers its
// geometry and refresh choice under "Charts/".
class QBetFairCharts : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(QBetFairCharts)

public:
    explicit QBetFairCharts(QWidget* parent = nullptr);
    ~QBetFairCharts() override;

public slots:
    // add false offers to remove the present tiles first.
    void ShowChart(const QString& marketID, qlonglong selectionID, const QString& title, bool add);
    void DeleteChart(const QString& url);
    void DeleteCharts(const QString& marketID);
    void RefreshCharts();
    void AutoUpdateChecked(bool val);
    void SaveInterval(int val);
    void Clear();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Out of the layout and deaf to its signals at once, deleted later: it
    // may be the tile whose question is open right now.
    void retire(QBetFairChart* tile);
    void tilesChanged();

    QHash<QString, QBetFairChart*> charts;
    FlowLayout* flowLayout = nullptr;
    std::unique_ptr<Ui::QBetFairCharts> ui;
    QTimer refreshTimer;
};
