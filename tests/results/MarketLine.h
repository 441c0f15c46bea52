#pragma once

// Markets for the tests of the results road, written in a line each.

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

// A market of a test, written "n key=value ...": id "1.n", event 900 + n
// unless "event=", a football "MATCH_ODDS" unless "sport=7" or "type=",
// runners n·10 + 1, 2, … (sort priorities 1, 2, …) with back prices 2, 3 and 6
// unless "backs=…" (0: no offer; nothing: no runner), "out=…" the withdrawn
// runners, "winners=", "volume=" (300), "active=", "bookonly" (no catalogue
// record); "rK.key=value" sets runner K's lay, last, matched, unmatched, share
// of the volume, or a runner-metadata key (upper case).
struct MarketLine
{
    int n = 0;
    QString sport = "1";
    QString type = "MATCH_ODDS";
    QString event;
    QList<double> backs { 2, 3, 6 };
    QList<int> out;
    int winners = 1;
    double volume = 300;
    int active = -1;
    bool bookOnly = false;
    QHash<int, QHash<QString, QString>> runner;

    explicit MarketLine(const QString& text)
    {
        const QStringList words = text.simplified().split(' ');
        n = words.at(0).toInt();
        event = QString::number(900 + n);
        for (const QString& word : words.mid(1)) {
            const QString key = word.section('=', 0, 0);
            const QString value = word.section('=', 1);
            QList<double> numbers;
            for (const QString& part : value.split(',', Qt::SkipEmptyParts))
                numbers << part.toDouble();
            if (key == "sport")
                sport = value;
            else if (key == "type")
                type = value;
            else if (key == "event")
                event = value;
            else if (key == "backs")
                backs = numbers;
            else if (key == "out")
                for (double r : numbers)
                    out << int(r);
            else if (key == "winners")
                winners = value.toInt();
            else if (key == "volume")
                volume = value.toDouble();
            else if (key == "active")
                active = value.toInt();
            else if (key == "bookonly")
                bookOnly = true;
            else if (key.startsWith('r'))
                runner[key.mid(1, 1).toInt()][key.mid(3)] = value;
            else
                qFatal("unknown fixture key %s", qPrintable(key));
        }
    }

    QString id() const { return QString("1.%1").arg(n); }

    QJsonObject catalogue() const
    {
        QJsonArray runners;
        for (int r = 1; r <= backs.size(); ++r) {
            QJsonObject metadata { { "runnerId", QString::number(n * 10 + r) } };
            for (auto it = runner[r].cbegin(); it != runner[r].cend(); ++it) {
                if (it.key() == it.key().toUpper())
                    metadata.insert(it.key(), it.value());
            }
            runners.append(QJsonObject { { "selectionId", n * 10 + r }, { "runnerName", QString("Runner %1").arg(r) },
                { "sortPriority", r }, { "metadata", metadata } });
        }
        return QJsonObject { { "marketId", id() }, { "marketName", "Match Odds" },
            { "marketStartTime", QDateTime(QDate(2030, 1, 1), QTime(10, 0), Qt::UTC).addSecs(60 * n).toString(Qt::ISODate) },
            { "description", QJsonObject { { "marketType", type } } },
            { "event", QJsonObject { { "id", event }, { "name", QString("Event %1").arg(n) } } },
            { "eventType", QJsonObject { { "id", sport } } }, { "runners", runners } };
    }

    QJsonObject book() const
    {
        QJsonArray runners;
        for (int r = 1; r <= backs.size(); ++r) {
            const auto value = [this, r](const char* key) { return runner[r].value(key).toDouble(); };
            const auto offer = [](double price) {
                return price > 0 ? QJsonArray { QJsonObject { { "price", price }, { "size", 10 } } } : QJsonArray();
            };
            QJsonArray orders;
            if (value("matched") > 0)
                orders.append(QJsonObject { { "status", "EXECUTION_COMPLETE" }, { "side", "BACK" }, { "sizeMatched", value("matched") } });
            if (value("unmatched") > 0)
                orders.append(QJsonObject { { "status", "EXECUTABLE" }, { "side", "BACK" }, { "sizeMatched", 0 },
                    { "sizeRemaining", value("unmatched") } });
            const double share = runner[r].contains("share") ? value("share") : 1.0 / backs.size();
            runners.append(QJsonObject { { "selectionId", n * 10 + r }, { "status", out.contains(r) ? "REMOVED" : "ACTIVE" },
                { "totalMatched", share * volume }, { "lastPriceTraded", value("last") },
                { "ex", QJsonObject { { "availableToBack", offer(backs.at(r - 1)) }, { "availableToLay", offer(value("lay")) } } },
                { "sp", QJsonObject { { "nearPrice", value("near") }, { "farPrice", value("far") }, { "actualSP", value("actual") } } },
                { "orders", orders } });
        }
        return QJsonObject { { "marketId", id() }, { "status", "OPEN" }, { "numberOfWinners", winners },
            { "totalMatched", volume }, { "numberOfRunners", backs.size() },
            { "numberOfActiveRunners", active >= 0 ? active : backs.size() - out.size() }, { "runners", runners } };
    }
};

// The catalogue records and the books of markets written "…; …".
inline QJsonArray Catalogue(const QString& markets)
{
    QJsonArray records;
    for (const QString& text : markets.split(';')) {
        const MarketLine line(text);
        if (!line.bookOnly)
            records.append(line.catalogue());
    }
    return records;
}

inline QJsonArray Books(const QString& markets)
{
    QJsonArray books;
    for (const QString& text : markets.split(';'))
        books.append(MarketLine(text).book());
    return books;
}

// The in-play service's entries, written "event:home-away'minute ..." (the
// minute may be left out).
inline QJsonArray InPlay(const QString& text)
{
    QJsonArray events;
    for (const QString& entry : text.split(' ', Qt::SkipEmptyParts)) {
        const QString score = entry.section(':', 1).section('\'', 0, 0);
        QJsonObject state { { "eventId", entry.section(':', 0, 0).toLongLong() },
            { "score", QJsonObject { { "home", QJsonObject { { "score", score.section('-', 0, 0) } } },
                           { "away", QJsonObject { { "score", score.section('-', 1) } } } } } };
        if (entry.contains('\''))
            state.insert("elapsedRegularTime", entry.section('\'', 1).toInt());
        events.append(QJsonObject { { "state", state } });
    }
    return events;
}
