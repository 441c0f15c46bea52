#pragma once

// Only for tests that link tw_exchange.

#include "BettingRpc.h"
#include "QBetPlacer.h"

#include <QHash>
#include <QJsonArray>
#include <QMap>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

#include <atomic>

// A script's lines, separated by ";".
inline QStringList Split(const QString& s)
{
    return s.split(QRegularExpression(" *; *"), Qt::SkipEmptyParts);
}

// Bets by market id, in the order of a test's script.
using Bets = QList<QPair<QString, QBetPlacer::QBet>>;

// The exchange's book, answering placeOrders, cancelOrders and replaceOrders bet by bet,
// and listing its unmatched orders as listCurrentOrders does.
struct OrderBook
{
    struct Order
    {
        qint64 selection = 0, cents = 0;
        bool back = true, named = true; // named: a report gave its bet id
        QString price;
        QString market;
    };

    QMutex mutex;
    QMap<QString, Order> book; // by bet id
    // "<place|cancel|replace> <selection>": refuse [code], noreport[once], nobetid or cancelonly code
    QHash<QString, QStringList> faults;
    QStringList failing; // "<operation> <market>": HTTP 500
    QHash<QString, QString> refusedWhole; // "<operation> <market>": the request's own error code
    QStringList held; // markets answered once the job's first result is out
    std::atomic<bool> released { false };
    bool reversed = false; // reports in the reverse order of the instructions
    int nextBetId = 1001;
    QStringList wire; // "<prefix> <operation> <instruction>, ..." per request

    static qint64 Cents(const QJsonValue& amount) { return qRound64(amount.toString().toDouble() * 100); }

    // "<operation> <bet> <fault> [<code>]", "http <operation> <market>", "whole <operation> <market> <code>",
    // "hold <market>" or "reversed".
    void script(const QString& text, const Bets& bets)
    {
        for (const QString& line : Split(text)) {
            const QStringList f = line.split(' ');
            reversed = reversed || f.at(0) == "reversed";
            if (f.at(0) == "http")
                failing << f.at(1) + ' ' + f.at(2);
            if (f.at(0) == "hold")
                held << f.at(1);
            if (f.at(0) == "whole")
                refusedWhole.insert(f.at(1) + ' ' + f.at(2), f.value(3));
            for (const auto& bet : bets) {
                if (bet.second.name == f.value(1))
                    faults.insert(f.at(0) + ' ' + QString::number(bet.second.selectionId), f.mid(2));
            }
        }
    }

    static QString Describe(const QString& operation, const QJsonObject& in)
    {
        const QJsonObject limit = in.value("limitOrder").toObject();
        if (operation == "place")
            return QStringLiteral("%1 %2 %3@%4 %5")
                .arg(in.value("orderType").toString(), in.value("side").toString(),
                    limit.value("size").toString(), limit.value("price").toString(),
                    limit.value("persistenceType").toString());
        return in.value("betId").toString() + (operation == "cancel" ? " -" : " >")
            + in.value("sizeReduction").toString() + in.value("newPrice").toString();
    }

    // The report on one instruction; empty when the exchange gives none.
    QJsonObject report(const QString& operation, const QString& market, const QJsonObject& in)
    {
        const QJsonObject limit = in.value("limitOrder").toObject();
        const QString betId = in.value("betId").toString();
        Order order = operation != "place"
            ? book.value(betId)
            : Order { qint64(in.value("selectionId").toDouble()), Cents(limit.value("size")),
                  in.value("side") == "BACK", true, limit.value("price").toString(), market };
        const QString key = operation + ' ' + QString::number(order.selection);
        const QString fault = faults.value(key).value(0);
        const QJsonObject cancelled { { "status", "SUCCESS" },
            { "instruction", QJsonObject { { "betId", betId } } } };
        QJsonObject refused = cancelled;
        refused.insert("status", "FAILURE");
        refused.insert("errorCode", faults.value(key).value(1));
        if (fault == "noreportonce")
            faults.remove(key);
        if (fault.startsWith("noreport"))
            return {};
        if (operation == "cancel") {
            book[betId].cents -= fault.isEmpty() ? Cents(in.value("sizeReduction")) : 0;
            return fault.isEmpty() ? cancelled : refused;
        }
        if (fault == "cancelonly")
            return { { "status", "FAILURE" }, { "errorCode", refused.value("errorCode") },
                { "cancelInstructionReport", refused } };
        if (operation == "replace") {
            book.remove(betId);
            order.price = in.value("newPrice").toString();
        }
        QJsonObject placed = fault == "refuse" ? refused : cancelled;
        placed.insert("instruction",
            QJsonObject { { "selectionId", order.selection }, { "side", order.back ? "BACK" : "LAY" },
                { "limitOrder",
                    QJsonObject { { "size", order.cents / 100.0 }, { "price", order.price.toDouble() } } } });
        if (fault != "refuse") {
            const QString id = QString::number(nextBetId++);
            order.named = fault != "nobetid";
            book.insert(id, order);
            if (order.named)
                placed.insert("betId", id);
        }
        if (operation == "place")
            return placed;
        return { { "status", placed.value("status") }, { "cancelInstructionReport", cancelled },
            { "placeInstructionReport", placed } };
    }

    ScriptedReply answer(const RecordedRequest& request)
    {
        QMutexLocker locker(&mutex);
        const QString operation = request.rpcMethod().section('/', -1).chopped(6);
        const QJsonObject params = Params(request);
        const QString market = params.value("marketId").toString();
        const bool fails = failing.contains(operation + ' ' + market);
        const QString refused = refusedWhole.value(operation + ' ' + market);
        QStringList instructions;
        QJsonArray reports;
        for (const QJsonValue& instruction : params.value("instructions").toArray()) {
            instructions << Describe(operation, instruction.toObject());
            const QJsonObject one
                = fails || !refused.isEmpty() ? QJsonObject() : report(operation, market, instruction.toObject());
            if (!one.isEmpty())
                reversed ? reports.prepend(one) : reports.append(one);
        }
        wire << request.path().section('/', 1, 1) + ' ' + operation + ' ' + instructions.join(", ");
        QJsonObject result { { "marketId", market }, { "instructionReports", reports } };
        if (!refused.isEmpty())
            result.insert("status", "FAILURE"), result.insert("errorCode", refused);
        const ScriptedReply reply = fails ? ScriptedReply::error(500) : ScriptedReply::rpcResult(result);
        return held.contains(market) && !released ? reply.held() : reply;
    }

    // The unmatched orders of the markets asked for, all on one page.
    ScriptedReply currentOrders(const RecordedRequest& request)
    {
        QMutexLocker locker(&mutex);
        const QJsonArray markets = Params(request).value("marketIds").toArray();
        QJsonArray orders;
        for (auto order = book.cbegin(); order != book.cend(); ++order) {
            if (order->cents > 0 && markets.contains(QJsonValue(order->market))) {
                orders.append(QJsonObject { { "betId", order.key() }, { "marketId", order->market },
                    { "selectionId", order->selection }, { "side", order->back ? "BACK" : "LAY" },
                    { "status", "EXECUTABLE" }, { "sizeRemaining", order->cents / 100.0 } });
            }
        }
        return ScriptedReply::rpcResult(QJsonObject { { "currentOrders", orders }, { "moreAvailable", false } });
    }
};

