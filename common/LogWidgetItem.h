#pragma once

#include <QDateTime>
#include <QIcon>
#include <QTreeWidgetItem>

// One record of the program log: column 0 holds the moment (time of day as
// text, the full date-time as Qt::UserRole data, the day as tool tip),
// column 1 the message exactly as given, with the record type's icon.
class LogWidgetItem : public QTreeWidgetItem
{
public:
    LogWidgetItem(const QDateTime& moment, const QIcon& icon, const QString& message);
    ~LogWidgetItem() override;

    QDateTime Moment() const;
    QString Message() const;

    // Ordered by the full moment in the time column, so records of different
    // days keep their order; other columns compare their texts.
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    Q_DISABLE_COPY(LogWidgetItem)
};
