#pragma once

#include <QByteArray>
#include <QJsonObject>

// Python's own mail parser reads the message and says what it found; on
// failure the object holds "error".
QJsonObject referee(const QByteArray& message);
