#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

#include <optional>

class QIODevice;

// Turns log records into the clipboard text and the export files. The records
// are written in the order given, each run of one date under a day header.
class LogExporter
{
public:
    enum class Format { Text, Csv, Xml };

    struct Record
    {
        QDateTime moment;
        QString message;
    };

    // The format named by the file name's suffix ("txt", "csv" or "xml",
    // letter case as written), or none for any other suffix.
    static std::optional<Format> FormatOf(const QString& fileName);

    // The whole text of the format; Format::Text is also the clipboard text.
    static QString Render(Format format, const QVector<Record>& records);

    // Writes the file: a UTF-8 byte-order mark, then the rendered text in
    // UTF-8. False when the device took less than all of it (see WriteAll).
    static bool Write(QIODevice& device, Format format, const QVector<Record>& records);

private:
    LogExporter() = delete;
};
