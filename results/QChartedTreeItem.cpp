#include "QChartedTreeItem.h"

QChartedTreeItem::QChartedTreeItem(QObject* parent)
    : QStyledItemDelegate(parent)
{
}
