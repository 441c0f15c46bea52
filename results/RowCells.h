#pragma once

#include <QBrush>
#include <QFont>
#include <QPair>
#include <QStandardItem>
#include <QVarLengthArray>

#include <functional>

// A cell of a result row beside column 0. It keeps its values itself, so
// that while the model's signals are held back (RowRewrite) a value is
// written without the role list and change notice QStandardItem::setData
// makes on every call; otherwise a change reaches the views as it happens.
class RowCell : public QStandardItem
{
public:
    RowCell() = default;

    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant& value, int role = Qt::UserRole + 1) override;
    QStandardItem* clone() const override;

private:
    Q_DISABLE_COPY(RowCell)

    // Most cells hold at most three values: those need no allocation.
    QVarLengthArray<QPair<int, QVariant>, 3> values;
};

// Changes a cell's font, starting from a default font when it holds none.
// A cell holding no font keeps none when the change leaves the default:
// a font per cell is costly on large results.
void ChangeFont(QStandardItem* cell, const std::function<void(QFont&)>& change);

// Stores a text; an empty one removes the role instead (nothing is stored
// for a cell that never held it): one value less per cell on large results.
void PutText(QStandardItem* cell, int role, const QString& text);

// Brushes shared by all cells (a brush made per cell is an allocation each).
const QBrush& SharedBrush(const QColor& color);

// Holds back the model's signals while a market row and its selection rows
// are rewritten, then tells the views once per block of cells: one data
// change for the market row and one for its selection rows. Rows must not
// be added or removed meanwhile.
class RowRewrite
{
public:
    explicit RowRewrite(QStandardItem* market);
    ~RowRewrite();

private:
    Q_DISABLE_COPY(RowRewrite)

    QStandardItem* const market;
    QStandardItemModel* const model;
    const bool wasBlocked;
};
