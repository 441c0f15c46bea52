#include "LogWidgetItem.h"

#include <QBrush>
#include <QLocale>
#include <QTreeWidget>

namespace {
constexpr int TimeColumn = 0;
constexpr int MessageColumn = 1;
}

LogWidgetItem::LogWidgetItem(const QDateTime& moment, const QIcon& icon, const QString& message)
{
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (!icon.isNull())
        setIcon(MessageColumn, icon);
    setText(TimeColumn, moment.time().toString(Qt::TextDate));
    setData(TimeColumn, Qt::UserRole, moment);
    setToolTip(TimeColumn, QLocale().toString(moment.date(), QStringLiteral("d MMM")));
    setForeground(TimeColumn, QColor(Qt::gray));
    setText(MessageColumn, message);
}

LogWidgetItem::~LogWidgetItem() = default;

QDateTime LogWidgetItem::Moment() const
{
    return data(TimeColumn, Qt::UserRole).toDateTime();
}

QString LogWidgetItem::Message() const
{
    return text(MessageColumn);
}

bool LogWidgetItem::operator<(const QTreeWidgetItem& other) const
{
    const QTreeWidget* view = treeWidget();
    const int column = view ? view->sortColumn() : TimeColumn;
    if (column == TimeColumn)
        return Moment() < other.data(TimeColumn, Qt::UserRole).toDateTime();
    return text(column) < other.text(column);
}
