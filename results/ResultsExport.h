#pragma once

#include "TickedSelections.h"

#include <QDateTime>
#include <QString>

class QIODevice;

// The export files of the ticked selections, one writer per format. Each
// writes the whole file and returns false when the device took less than
// all of it (see WriteAll). Other programs read these files: their bytes
// stay as they are.
//
// Text and CSV are in the platform's text encoding, led by a byte-order mark
// only where that is a Unicode one; XML is UTF-8 with a byte-order mark.
// Numbers are written as a text stream writes them (1.5, 1.23457e+07),
// times in local time in Qt's text form.
namespace ResultsExport {

// The numbers the settings store keeps.
enum Format { Text = 1, Csv = 2, Xml = 3 };

// The format the file name's suffix names ("txt", "csv" or "xml", letter
// case as written); last for any other suffix or none.
Format FormatOf(const QString& fileName, Format last);

// One "[market name] runner name" line per selection; with marketIds the
// market's id without its "1." and "2." in place of the name.
bool WriteText(QIODevice& device, const QVector<TickedMarket>& markets, bool marketIds);
// Every field quoted, a quote inside one doubled.
bool WriteCsv(QIODevice& device, const QVector<TickedMarket>& markets, bool prices, bool volume);
// A markets document stamped with now; runner names in CDATA sections.
bool WriteXml(
    QIODevice& device, const QVector<TickedMarket>& markets, bool prices, bool volume, const QDateTime& now);

} // namespace ResultsExport
