#pragma once

#include <QColor>
#include <QObject>
#include <QString>

// The translated text and colour of a market status code, in one
// process-wide table that the language set-up fills once at start and that
// owns its entries until the program ends.
class QStatus : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(QStatus)

public:
    QStatus(const QString& text, const QColor& color);

    // Fills the table in the language installed now; entries already there
    // are replaced.
    static void InitStatuses();

    // A code the table does not hold (a book may carry one) shows as itself,
    // in black.
    static QString StatusText(const QString& code);
    static QColor StatusColor(const QString& code);

    const QString text;
    const QColor color;
};
