#pragma once

#include <QStyledItemDelegate>

// The delegate of the Volume column. It paints cells as the default delegate
// does until the value bars are drawn here.
class QChartedTreeItem : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY(QChartedTreeItem)

public:
    explicit QChartedTreeItem(QObject* parent = nullptr);
};
