#include "ResultsExport.h"

#include "LogExporter.h"
#include "QMarket.h"
#include "QSearcher.h"
#include "WriteAll.h"

#include <QTextCodec>
#include <QTextStream>

namespace ResultsExport {

namespace {

QVariant Sorted(const QStandardItem* item, int column)
{
    return RowValue(item, column, QSearcher::SortRole);
}

double Real(const QStandardItem* item, int column)
{
    return Sorted(item, column).toDouble();
}

QString Name(const QStandardItem* item)
{
    return RowValue(item, QSearcher::ColName, Qt::DisplayRole).toString();
}

QString MarketId(const QStandardItem* market)
{
    return RowValue(market, QSearcher::ColName, Qt::WhatsThisRole).toString();
}

qlonglong SelectionId(const QStandardItem* selection)
{
    return RowValue(selection, QSearcher::ColName, Qt::WhatsThisRole).toLongLong();
}

QString TimeText(const QDateTime& moment)
{
    return moment.toLocalTime().toString(Qt::TextDate);
}

QString MarketTime(const QStandardItem* market)
{
    return TimeText(Sorted(market, QSearcher::ColTimeRank).toDateTime());
}

// The selection's share of the market's matched volume, as an amount.
double SelectionVolume(const QStandardItem* selection, const QStandardItem* market)
{
    return Real(selection, QSearcher::ColVolume) * Real(market, QSearcher::ColVolume);
}

constexpr int SelectionPrices[] = { QSearcher::ColBackPrice, QSearcher::ColLayPrice, QSearcher::ColFarSP,
    QSearcher::ColNearSP, QSearcher::ColActualSP };

// The text in codec. A codec for Unicode leads with its byte-order mark
// (the converter writes it unless told to leave it out); no text, no mark.
bool WriteEncoded(QIODevice& device, const QString& text, QTextCodec* codec)
{
    if (text.isEmpty())
        return true;
    QTextCodec::ConverterState state;
    return WriteAll(device, codec->fromUnicode(text.constData(), text.size(), &state));
}

QString CsvField(const QString& text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\""))
        + QLatin1Char('"');
}

// What XML 1.0 admits of text: control characters other than tab, line
// feed and carriage return, U+FFFE, U+FFFF and lone surrogate halves would
// make the document unreadable, so they are dropped.
QString XmlChars(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++i);
            continue;
        }
        const ushort code = c.unicode();
        const bool control = code < 0x20 && code != 0x9 && code != 0xA && code != 0xD;
        if (!control && !c.isSurrogate() && code != 0xFFFE && code != 0xFFFF)
            kept += c;
    }
    return kept;
}

// A reader turns a tab or a line break written as it is in an attribute
// into a blank; written as references they come back.
QString XmlAttributeText(const QString& text)
{
    return XmlChars(text)
        .replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"))
        .replace(QLatin1Char('\t'), QLatin1String("&#9;"))
        .replace(QLatin1Char('\n'), QLatin1String("&#10;"))
        .replace(QLatin1Char('\r'), QLatin1String("&#13;"));
}

// A "]]>" in the text would end the section early: it is split across two.
// A reader turns a carriage return inside a section into a line feed: it
// stands between two sections as a reference.
QString CData(const QString& text)
{
    return QLatin1String("<![CDATA[")
        + XmlChars(text)
              .replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"))
              .replace(QLatin1Char('\r'), QLatin1String("]]>&#13;<![CDATA["))
        + QLatin1String("]]>");
}

// One attribute: a blank, the name and the value in double quotes.
template<typename Value>
void Attribute(QTextStream& out, const char* name, const Value& value)
{
    out << ' ' << name << "=\"" << value << '"';
}

} // namespace

Format FormatOf(const QString& fileName, Format last)
{
    const std::optional<LogExporter::Format> named = LogExporter::FormatOf(fileName);
    if (!named)
        return last;
    switch (*named) {
    case LogExporter::Format::Text:
        return Text;
    case LogExporter::Format::Csv:
        return Csv;
    case LogExporter::Format::Xml:
        return Xml;
    }
    return last;
}

bool WriteText(QIODevice& device, const QVector<TickedMarket>& markets, bool marketIds)
{
    QString text;
    QTextStream out(&text);
    for (const TickedMarket& ticked : markets) {
        const QString market = marketIds
            ? MarketId(ticked.market).remove(QLatin1String("1.")).remove(QLatin1String("2."))
            : Name(ticked.market);
        for (const QStandardItem* selection : ticked.selections)
            out << '[' << market << "] " << Name(selection) << '\n';
    }
    out.flush();
    return WriteEncoded(device, text, QTextCodec::codecForLocale());
}

bool WriteCsv(QIODevice& device, const QVector<TickedMarket>& markets, bool prices, bool volume)
{
    QString text;
    QTextStream out(&text);
    out << R"("Market name","Market ID","Market Time","Selection ID","Runner Index","Runner Name")";
    if (volume)
        out << R"(,"Volume","Market Volume")";
    if (prices)
        out << R"(,"Back Price","Lay Price","Far SP","Near SP","Actual SP","Back Book","Lay Book")";
    out << '\n';

    for (const TickedMarket& ticked : markets) {
        const QStandardItem* market = ticked.market;
        for (const QStandardItem* selection : ticked.selections) {
            out << CsvField(Name(market)) << ',' << CsvField(MarketId(market)) << ','
                << CsvField(MarketTime(market)) << ",\"" << SelectionId(selection) << "\",\""
                << Sorted(selection, QSearcher::ColName).toInt() << "\"," << CsvField(Name(selection));
            if (volume)
                out << ",\"" << SelectionVolume(selection, market) << "\",\""
                    << Real(market, QSearcher::ColVolume) << '"';
            if (prices) {
                for (const int column : SelectionPrices)
                    out << ",\"" << Real(selection, column) << '"';
                out << ",\"" << Real(market, QSearcher::ColBackPrice) * 100 << "\",\""
                    << Real(market, QSearcher::ColLayPrice) * 100 << '"';
            }
            out << '\n';
        }
    }
    out.flush();
    return WriteEncoded(device, text, QTextCodec::codecForLocale());
}

bool WriteXml(
    QIODevice& device, const QVector<TickedMarket>& markets, bool prices, bool volume, const QDateTime& now)
{
    QString text;
    QTextStream out(&text);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<markets";
    Attribute(out, "timestamp", TimeText(now));
    out << ">\n";

    for (const TickedMarket& ticked : markets) {
        const QMarket* market = ticked.market;
        out << "<market";
        Attribute(out, "id", XmlAttributeText(MarketId(market)));
        Attribute(out, "name", XmlAttributeText(Name(market)));
        Attribute(out, "time", MarketTime(market));
        Attribute(out, "selections", market->rowCount());
        if (prices) {
            Attribute(out, "backBook", Real(market, QSearcher::ColBackPrice) * 100);
            Attribute(out, "layBook", Real(market, QSearcher::ColLayPrice) * 100);
        }
        if (volume)
            Attribute(out, "volume", Real(market, QSearcher::ColVolume));
        out << ">\n";

        for (const QStandardItem* selection : ticked.selections) {
            out << "\t<selection";
            Attribute(out, "id", SelectionId(selection));
            Attribute(out, "index", Sorted(selection, QSearcher::ColName).toInt());
            if (prices) {
                const char* const names[] = { "backPrice", "layPrice", "farSP", "nearSP", "actualSP" };
                for (int i = 0; i < 5; ++i)
                    Attribute(out, names[i], Real(selection, SelectionPrices[i]));
            }
            if (volume)
                Attribute(out, "volume", SelectionVolume(selection, market));
            out << '>' << CData(Name(selection)) << "</selection>\n";
        }
        out << "</market>\n";
    }
    out << "</markets>";
    out.flush();
    return WriteEncoded(device, text, QTextCodec::codecForName("UTF-8"));
}

} // namespace ResultsExport
