#include "SelectionMail.h"

#include "ProductSite.h"
#include "QBetFair.h"
#include "QCatalog.h"
#include "QMarket.h"
#include "QSearcher.h"
#include "QSportsCatalog.h"

#include <QCoreApplication>
#include <QUrl>

namespace SelectionMail {

namespace {

// The link stands in single quotes, which toHtmlEscaped leaves alone.
QString AttributeText(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

QString MarketLink(const QStandardItem* market)
{
    const QString sportId = QString::number(market->data(QSearcher::EventTypeRole).toInt());
    const QString sport = QCatalog::sports ? QCatalog::sports->Name(sportId, false) : sportId;
    return QBetFair::MarketUrl(market->data(Qt::WhatsThisRole).toString(), sport);
}

} // namespace

QString Table(const QVector<TickedMarket>& markets, int& rows)
{
    QString table = QLatin1String("<html><table><tr><th>")
        + QCoreApplication::translate("QSearcher", "Market") + QLatin1String("</th><th>")
        + QCoreApplication::translate("QSearcher", "Selection") + QLatin1String("</th></tr>");
    rows = 0;
    for (const TickedMarket& ticked : markets) {
        const QString link = AttributeText(MarketLink(ticked.market));
        const QString market = ticked.market->text().toHtmlEscaped();
        for (const QStandardItem* selection : ticked.selections) {
            table += QLatin1String("<tr><td><a href='") + link + QLatin1String("'>") + market
                + QLatin1String("</a></td><td>") + selection->text().toHtmlEscaped()
                + QLatin1String("</td></tr>\n");
            ++rows;
        }
    }
    return table + QLatin1String("</table></html>");
}

QString Body(const QString& table)
{
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    const QString host = QUrl(ProductSite::Address(QCoreApplication::translate("QSearcher", "%1/"))).host();
    // One pass: a "%" in the table is never read as a marker.
    return QCoreApplication::translate(
        "QSearcher", "%3<br>\n<br>\n-- <br>\nYours faithfully,<br>\n %1<br>\nhttp://%2/")
        .arg(QStringLiteral("Tarnwickstone"), host, table);
}

} // namespace SelectionMail
