#pragma once

#include <QJsonValue>
#include <QtGlobal>

// A selection, event or similar id sent as a JSON number, in full 64 bits:
// whole numbers exactly, fractions truncated toward zero. Anything that is
// not a number, or lies outside 64 bits, reads as 0.
qint64 JsonId(const QJsonValue& value);
