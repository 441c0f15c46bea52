#include "LogExporter.h"

#include "WriteAll.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>

namespace {

QString timeText(const QDateTime& moment)
{
    return moment.time().toString(Qt::TextDate);
}

QString dateText(const QDate& date)
{
    return date.toString(Qt::TextDate);
}

// The texts belong to the log panel, which offers the copy and the export.
QString textDayHeader(const QString& date)
{
    return QCoreApplication::translate("QLog", "Current date is %1").arg(date);
}

QString csvDayHeader(const QString& date)
{
    return QCoreApplication::translate("QLog", "Current date is%1").arg(date);
}

void appendDayHeader(QString& out, LogExporter::Format format, const QDateTime& moment, bool dayOpen)
{
    const QString date = dateText(moment.date());
    switch (format) {
    case LogExporter::Format::Text:
        out += timeText(moment) + QLatin1String(": ") + textDayHeader(date) + QLatin1Char('\n');
        break;
    case LogExporter::Format::Csv:
        out += timeText(moment) + QLatin1String(",\"") + csvDayHeader(date) + QLatin1String("\"\n");
        break;
    case LogExporter::Format::Xml:
        if (dayOpen)
            out += QLatin1String("</day>\n");
        out += QLatin1String("<day date=\"") + date + QLatin1String("\">\n");
        break;
    }
}

void appendRecord(QString& out, LogExporter::Format format, const LogExporter::Record& record)
{
    const QString time = timeText(record.moment);
    switch (format) {
    case LogExporter::Format::Text:
        out += time + QLatin1String(": ") + record.message + QLatin1Char('\n');
        break;
    case LogExporter::Format::Csv:
        out += time + QLatin1String(",\"")
            + QString(record.message).replace(QLatin1Char('"'), QLatin1Char('\'')) + QLatin1String("\"\n");
        break;
    case LogExporter::Format::Xml:
        // Escaped inside the CDATA section too, so a message holding "]]>"
        // cannot close the section early.
        out += QLatin1String("<record time=\"") + time + QLatin1String("\"><![CDATA[")
            + record.message.toHtmlEscaped() + QLatin1String("]]></record>\n");
        break;
    }
}

} // namespace

std::optional<LogExporter::Format> LogExporter::FormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix == QLatin1String("txt"))
        return Format::Text;
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("xml"))
        return Format::Xml;
    return std::nullopt;
}

QString LogExporter::Render(Format format, const QVector<Record>& records)
{
    QString out;
    if (format == Format::Xml)
        out += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n");

    std::optional<QDate> currentDay;
    for (const Record& record : records) {
        const QDate day = record.moment.date();
        if (!currentDay || *currentDay != day) {
            appendDayHeader(out, format, record.moment, currentDay.has_value());
            currentDay = day;
        }
        appendRecord(out, format, record);
    }

    if (format == Format::Xml) {
        if (currentDay)
            out += QLatin1String("</day>\n");
        out += QLatin1String("</records>");
    }
    return out;
}

bool LogExporter::Write(QIODevice& device, Format format, const QVector<Record>& records)
{
    return WriteAll(device, QByteArrayLiteral("\xEF\xBB\xBF") + Render(format, records).toUtf8());
}
