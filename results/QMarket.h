#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QJsonObject>
#include <QStandardItem>
#include <QStringList>

class QSelection;

// Column 0 of a market row: one exchange market. It owns the other cells of
// its row, keeps its selections by id, and turns the catalogue record, each
// market book, the profit and loss and the in-play score into cells.
class QMarket : public QStandardItem
{
    Q_DECLARE_TR_FUNCTIONS(QMarket)

public:
    QMarket();
    ~QMarket() override;

    // Market types whose books say nothing useful.
    static const QStringList ExcludedMarketTypes;

    // Appends this item with its eleven cells and its selection rows, filled
    // from a catalogue record, as the last row under parent: one insertion.
    void AppendTo(QStandardItem* parent, const QJsonObject& market);
    // Fills the row from a catalogue record once the item sits in it under
    // parent; missing cells are made.
    void Set(QStandardItem* parent, const QJsonObject& market);
    // Status, volume, selections, places and ranks from a market book.
    void Update(const QJsonObject& book);
    void SetPL(const QJsonObject& marketPL);
    void SetScores(int home, int away, int minute);
    // Ticked selections; the market's text turns bold while there are any.
    int CheckedCount();
    QVariant CellData(int column, int role) const;

    int EventTypeId() const { return eventTypeId; }
    int BackRankedCount() const { return backRanked; }
    int VolumeRankedCount() const { return volumeRanked; }
    bool HasOrders() const;
    QSelection* Selection(qint64 selectionId) const { return selections.value(selectionId); }
    void UpdateRanks();

    // Selections that met the selection conditions at the last book test.
    int MatchingCount() const { return matchingCount; }
    void SetMatchingCount(int count) { matchingCount = count; }

    // Whether a market book has passed the book tests for this row.
    bool IsTested() const { return tested; }
    void SetTested() { tested = true; }
    // Whether the last book failed them: the row goes when the price step ends.
    bool IsFailed() const { return failed; }
    void SetFailed() { failed = true; }

    // True once after a book took a withdrawn runner's tick away.
    bool TakeDroppedTicks();

private:
    Q_DISABLE_COPY(QMarket)

    QStandardItem* Cell(int column) const;
    void Fill(const QJsonObject& market, QStandardItem* const cells[]);
    void AddSelection(const QJsonObject& runner, qint64 id);
    void ShowTitle();
    void ShowBook(int column, double book, bool valueAbove);

    int matchingCount = 0;
    bool turnInPlayEnabled = false;
    bool tested = false;
    bool failed = false;
    bool droppedTicks = false;
    bool showBook = true;
    // The title around the places placeholder: "sport → place →" and " market name".
    QString titleHead;
    QString titleTail;
    int numberOfWinners = 0;
    int eventTypeId = 0;
    int backRanked = 0;
    int volumeRanked = 0;
    QStandardItem* parentItem = nullptr;
    QHash<qint64, QSelection*> selections;
};
