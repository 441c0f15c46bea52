#include "SimulatedExchange.h"

#include "LocalExchange.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

const QString Success = QStringLiteral("SUCCESS");
const QString Failure = QStringLiteral("FAILURE");

qint64 Cents(const QJsonValue& amount)
{
    const double value = amount.isString() ? amount.toString().toDouble() : amount.toDouble();
    return qRound64(value * 100);
}

QJsonObject Failed(const QString& errorCode, const QJsonObject& instruction)
{
    return { { "status", Failure }, { "errorCode", errorCode }, { "instruction", instruction } };
}

} // namespace

struct SimulatedExchange::State
{
    mutable QMutex mutex;
    QMap<QString, Order> book;
    QHash<QString, QPair<Fault, QString>> faults; // "<operation> <selection>"
    QSet<QString> failingRequests; // "<operation> <market>"
    QHash<QString, int> delays;
    QHash<QString, QString> renamed;
    bool asText = false;
    bool reversed = false;
    int nextBetId = 1001;

    QJsonValue number(double value) const
    {
        return asText ? QJsonValue(QString::number(value, 'f', 2)) : QJsonValue(value);
    }
    QJsonValue amount(qint64 cents) const { return number(cents / 100.0); }
    QJsonValue price(const QString& text) const
    {
        return asText ? QJsonValue(text) : QJsonValue(text.toDouble());
    }
    QJsonValue selection(qint64 id) const
    {
        return asText ? QJsonValue(QString::number(id)) : QJsonValue(id);
    }

    // The fault scripted for the bet, used up when it happens once only.
    std::optional<QPair<Fault, QString>> takeFault(const QString& operation, qint64 selectionId)
    {
        const QString key = QStringLiteral("%1 %2").arg(operation).arg(selectionId);
        const auto found = faults.find(key);
        if (found == faults.end())
            return std::nullopt;
        const QPair<Fault, QString> fault = found.value();
        if (fault.first == Fault::NoReportOnce)
            faults.erase(found);
        return fault;
    }

    QJsonObject placeEcho(const Order& order, const QString& persistence) const
    {
        return { { "orderType", "LIMIT" }, { "selectionId", selection(order.selectionId) },
            { "side", order.back ? "BACK" : "LAY" },
            { "limitOrder",
                QJsonObject { { "size", amount(order.sizeCents) }, { "price", price(order.price) },
                    { "persistenceType", persistence } } } };
    }

    QString newBet(Order order)
    {
        order.betId = QString::number(nextBetId++);
        book.insert(order.betId, order);
        return order.betId;
    }

    QJsonObject place(const QString& marketId, const QJsonObject& instruction)
    {
        const QJsonObject limitOrder = instruction.value("limitOrder").toObject();
        Order order;
        order.marketId = marketId;
        order.selectionId = qint64(instruction.value("selectionId").toDouble());
        order.back = instruction.value("side").toString() == QLatin1String("BACK");
        order.price = limitOrder.value("price").toString();
        order.sizeCents = Cents(limitOrder.value("size"));
        const QJsonObject echo = placeEcho(order, limitOrder.value("persistenceType").toString());

        const auto fault = takeFault(QStringLiteral("placeOrders"), order.selectionId);
        if (fault && (fault->first == Fault::NoReport || fault->first == Fault::NoReportOnce))
            return {};
        if (fault && fault->first == Fault::Refuse)
            return Failed(fault->second, echo);
        QJsonObject report { { "status", Success }, { "instruction", echo }, { "sizeMatched", number(0) },
            { "averagePriceMatched", number(0) }, { "placedDate", "2024-05-01T12:00:00.000Z" } };
        const QString betId = newBet(order);
        if (!fault || fault->first != Fault::NoBetId)
            report.insert("betId", betId);
        return report;
    }

    QJsonObject cancel(const QJsonObject& instruction)
    {
        const QString betId = instruction.value("betId").toString();
        const qint64 reduction = Cents(instruction.value("sizeReduction"));
        const QJsonObject echo { { "betId", betId }, { "sizeReduction", amount(reduction) } };
        const auto order = book.find(betId);
        const auto fault
            = takeFault(QStringLiteral("cancelOrders"), order == book.end() ? 0 : order->selectionId);
        if (fault && (fault->first == Fault::NoReport || fault->first == Fault::NoReportOnce))
            return {};
        if (fault && fault->first == Fault::Refuse)
            return Failed(fault->second, echo);
        if (order == book.end() || reduction <= 0)
            return Failed(QStringLiteral("BET_TAKEN_OR_LAPSED"), echo);
        const qint64 cancelled = std::min(reduction, order->sizeCents);
        order->sizeCents -= cancelled;
        if (order->sizeCents == 0)
            book.erase(order);
        return { { "status", Success }, { "instruction", echo }, { "sizeCancelled", amount(cancelled) },
            { "cancelledDate", "2024-05-01T12:00:01.000Z" } };
    }

    QJsonObject replace(const QJsonObject& instruction)
    {
        const QString betId = instruction.value("betId").toString();
        const QJsonObject cancelEcho { { "betId", betId } };
        const auto found = book.find(betId);
        const auto fault
            = takeFault(QStringLiteral("replaceOrders"), found == book.end() ? 0 : found->selectionId);
        if (fault && (fault->first == Fault::NoReport || fault->first == Fault::NoReportOnce))
            return {};
        if (found == book.end() || (fault && fault->first == Fault::CancelOnly)) {
            const QString code = found == book.end() ? QStringLiteral("BET_TAKEN_OR_LAPSED") : fault->second;
            return { { "status", Failure }, { "errorCode", code },
                { "cancelInstructionReport", Failed(code, cancelEcho) } };
        }

        Order order = found.value();
        book.erase(found);
        const QJsonObject cancelled { { "status", Success }, { "instruction", cancelEcho },
            { "sizeCancelled", amount(order.sizeCents) } };
        order.price = instruction.value("newPrice").toString();
        const QJsonObject echo = placeEcho(order, QStringLiteral("LAPSE"));
        if (fault && fault->first == Fault::Refuse) {
            return { { "status", Failure }, { "errorCode", fault->second },
                { "cancelInstructionReport", cancelled },
                { "placeInstructionReport", Failed(fault->second, echo) } };
        }
        const QJsonObject placed { { "status", Success }, { "betId", newBet(order) }, { "instruction", echo },
            { "sizeMatched", number(0) }, { "averagePriceMatched", number(0) } };
        return { { "status", Success }, { "cancelInstructionReport", cancelled },
            { "placeInstructionReport", placed } };
    }

    ScriptedReply answer(const QJsonObject& call)
    {
        QMutexLocker locker(&mutex);
        const QString operation = call.value("method").toString().section('/', -1);
        const QJsonObject params = call.value("params").toObject();
        const QString marketId = params.value("marketId").toString();
        const int delay = delays.value(marketId);
        if (failingRequests.contains(operation + ' ' + marketId))
            return ScriptedReply::error(500).delayed(delay);

        QJsonArray reports;
        bool allDone = true;
        for (const QJsonValue& value : params.value("instructions").toArray()) {
            const QJsonObject instruction = value.toObject();
            const QJsonObject report = operation == QLatin1String("placeOrders")
                ? place(marketId, instruction)
                : operation == QLatin1String("cancelOrders") ? cancel(instruction)
                                                             : replace(instruction);
            if (report.isEmpty())
                continue;
            allDone = allDone && report.value("status") == Success;
            if (reversed)
                reports.prepend(report);
            else
                reports.append(report);
        }
        QJsonObject result { { "marketId", renamed.value(marketId, marketId) },
            { "status", allDone ? Success : Failure }, { "instructionReports", reports } };
        if (!allDone)
            result.insert("errorCode", "PROCESSED_WITH_ERRORS");
        return ScriptedReply::rpcResult(result).delayed(delay);
    }
};

SimulatedExchange::SimulatedExchange()
    : state(std::make_shared<State>())
{
}

void SimulatedExchange::install(HttpTestServer& server)
{
    const std::shared_ptr<State> shared = state;
    for (const QString& prefix : QBetFair::EndpointPrefixes) {
        for (const char* operation : { "placeOrders", "cancelOrders", "replaceOrders" }) {
            server.setRpcHandler(LocalExchange::bettingPath(prefix),
                QStringLiteral("SportsAPING/v1.0/") + QLatin1String(operation),
                [shared](const RecordedRequest& request) { return shared->answer(request.json()); });
        }
    }
}

void SimulatedExchange::addFault(
    const QString& operation, qint64 selectionId, Fault fault, const QString& errorCode)
{
    QMutexLocker locker(&state->mutex);
    state->faults.insert(QStringLiteral("%1 %2").arg(operation).arg(selectionId), { fault, errorCode });
}

void SimulatedExchange::failRequests(const QString& operation, const QString& marketId)
{
    QMutexLocker locker(&state->mutex);
    state->failingRequests.insert(operation + ' ' + marketId);
}

void SimulatedExchange::delayMarket(const QString& marketId, int milliseconds)
{
    QMutexLocker locker(&state->mutex);
    state->delays.insert(marketId, milliseconds);
}

void SimulatedExchange::reportNumbersAsText()
{
    QMutexLocker locker(&state->mutex);
    state->asText = true;
}

void SimulatedExchange::reverseReports()
{
    QMutexLocker locker(&state->mutex);
    state->reversed = true;
}

void SimulatedExchange::renameMarket(const QString& from, const QString& to)
{
    QMutexLocker locker(&state->mutex);
    state->renamed.insert(from, to);
}

QList<SimulatedExchange::Order> SimulatedExchange::liveOrders() const
{
    QMutexLocker locker(&state->mutex);
    return state->book.values();
}
