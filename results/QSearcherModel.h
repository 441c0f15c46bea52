#pragma once

#include "QSearcher.h"

#include <QColor>
#include <QHash>
#include <QStandardItemModel>

// The results model: column colours behind the cells, the country flag and
// name of column 0 behind the display options, and a market's tick handed
// down to its selections and back up.
class QSearcherModel : public QStandardItemModel
{
    Q_OBJECT
    Q_DISABLE_COPY(QSearcherModel)

public:
    QSearcherModel();

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void setShowCountryFlags(bool val) { showCountryFlags = val; }
    void setShowCountryName(bool val) { showCountryName = val; }
    void setColumnColor(QSearcher::ColumnType column, const QColor& color) { columnColors[column] = color; }

    // A selection row holds a boolean true under KindRole in column 0.
    static bool IsSelectionRow(const QModelIndex& index);

    // A market's box: the state its enabled selections share, partly checked
    // when they differ, unchecked when none is enabled. Withdrawn rows are
    // disabled and never count.
    static Qt::CheckState SharedTick(const QStandardItem& market);

private:
    bool showCountryFlags = true;
    bool showCountryName = true;
    QHash<QSearcher::ColumnType, QColor> columnColors;
};
