#pragma once

#include <QStyledItemDelegate>

// The delegate of the Volume column: each value as a bar behind its number.
// A selection's share of its market's volume grows from the left, with a
// faint " %" after the number; a market's share of the volume of all markets
// shown (the model's "allMatched") grows from the right. The whole cell is
// painted here: no check box, icon or focus frame.
class QChartedTreeItem : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY(QChartedTreeItem)

public:
    explicit QChartedTreeItem(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
