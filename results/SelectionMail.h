#pragma once

#include "TickedSelections.h"

#include <QString>

// The e-mail of the ticked selections: an HTML table, one row a selection
// with a link to its market's page, and the program's signature. Every text
// from the rows is escaped, so a name cannot add markup or links.
namespace SelectionMail {

// The table; rows receives the number of selections in it.
QString Table(const QVector<TickedMarket>& markets, int& rows);

// The whole message body: the table, then the signature naming the product
// site of the user's language.
QString Body(const QString& table);

} // namespace SelectionMail
