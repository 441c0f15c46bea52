#pragma once

class QByteArray;
class QIODevice;
class QString;

// Writes all of bytes, going on after short writes. False when the device
// refuses the rest; its errorString() then tells why.
//
// Open a QSaveFile with QIODevice::Unbuffered before writing to it this way.
// A buffered one leaves the actual writing to commit(), and Qt 5 reports a
// commit whose final flush fell short (disk full) as a success, putting a
// truncated file in place of the old one.
bool WriteAll(QIODevice& device, const QByteArray& bytes);

// Puts bytes in place of the file at path as a whole, or leaves the file as
// it was and gives the reason in error.
bool SaveWholeFile(const QString& path, const QByteArray& bytes, QString& error);
