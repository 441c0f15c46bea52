#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QStandardItem>

// Column 0 of a selection row: one runner of a market. The item fills its
// thirteen cells from the market catalogue (Set), from each market book
// (Update), from the profit and loss (SetPL) and from the market's ranking
// (ShowRank, SetVolumeRank). Ticking it turns the row bold and tells the
// view through the model's itemChanged with a null item.
class QSelection : public QStandardItem
{
    Q_DECLARE_TR_FUNCTIONS(QSelection)

public:
    QSelection();
    ~QSelection() override;

    // Appends this item with its twelve cells, already filled from runner,
    // as the last row under market: one row insertion for the whole row.
    void AppendTo(QStandardItem* market, const QJsonObject& runner);
    // Fills the row from a catalogue runner once the item sits in it;
    // missing cells are made.
    void Set(const QJsonObject& runner);
    // Fills the row from the runner of a market book.
    void Update(const QJsonObject& runner, double marketMatched);

    void setData(const QVariant& value, int role = Qt::UserRole + 1) override;

    void SetPL(const QJsonObject& pl);
    void ShowRank(int rank);
    QVariant CellData(int column, int role) const;

    int Rank() const;
    void SetVolumeRank(int rank) { volumeRank = rank; }
    int VolumeRank() const { return volumeRank; }
    void SetMatchState(int state) { matchState = state; }
    int MatchState() const { return matchState; }
    bool IsWithdrawn() const { return withdrawn; }
    bool HasOrders() const { return hasOrders; }

    // The account currency, written by the main window at each login.
    static QString Currency;

private:
    Q_DISABLE_COPY(QSelection)

    QStandardItem* Cell(int column) const;
    void Fill(const QJsonObject& runner, QStandardItem* const cells[]);
    void ApplyWeight(int weight);
    void Withdraw(const QJsonObject& runner);
    // A best price in its cell; returns whether it was shown.
    bool ShowPrice(QStandardItem* cell, const QJsonObject& offer, double lastTraded, short& decimals);
    void ShowStartingPrices(const QJsonObject& sp, short decimals);
    void ShowVolume(const QJsonObject& runner, double marketMatched);
    void ShowOrders(const QJsonObject& runner);

    bool withdrawn = false;
    int matchState = 0;
    int volumeRank = 9999;
    bool hasOrders = false;
};
