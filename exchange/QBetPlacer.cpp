#include "QBetPlacer.h"

#include "Cents.h"
#include "QBetFairRequest.h"

#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString PlaceOrders = QStringLiteral("placeOrders");
const QString CancelOrders = QStringLiteral("cancelOrders");
const QString ReplaceOrders = QStringLiteral("replaceOrders");
const QString NoReport = QStringLiteral("NO_REPORT");

// Where a bet at the minimum stake waits unmatched until it is reduced.
QString NonMatchingPrice(bool back)
{
    return back ? QStringLiteral("1000") : QStringLiteral("1.01");
}

// The betting endpoint prefix named by the market id's leading digit, counting
// from 1; empty when no exchange has that digit.
QString PrefixOf(const QString& marketId)
{
    if (marketId.isEmpty() || marketId.at(0) < QLatin1Char('1') || marketId.at(0) > QLatin1Char('9'))
        return QString();
    return QBetFair::EndpointPrefixes.value(marketId.at(0).unicode() - '1');
}

QJsonObject Member(const QJsonObject& object, const char* name)
{
    return object.value(QLatin1String(name)).toObject();
}

// Reports carry amounts as numbers or as their text; anything else is 0.
double ReportNumber(const QJsonValue& value)
{
    if (!value.isString())
        return value.toDouble(0);
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0;
}

qint64 ReportSelection(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().trimmed().toLongLong();
    const double number = value.toDouble();
    return std::isfinite(number) && std::fabs(number) < 9.0e15 ? static_cast<qint64>(number) : 0;
}

QString IdText(const QJsonValue& value)
{
    return value.isDouble() ? QString::number(ReportSelection(value)) : value.toString();
}

// The report's own "betId", else the one of the instruction it echoes.
QString ReportedBetId(const QJsonObject& report)
{
    const QLatin1String betId("betId");
    return IdText(report.contains(betId) ? report.value(betId) : Member(report, "instruction").value(betId));
}

bool IsSuccess(const QJsonObject& report)
{
    return report.value(QLatin1String("status")).toString() == QLatin1String("SUCCESS");
}

// The text of a failed report; never empty, so it never reads as success.
QString FailureText(const QJsonObject& report)
{
    const QString code = report.value(QLatin1String("errorCode")).toString();
    if (!code.isEmpty())
        return code;
    const QString status = report.value(QLatin1String("status")).toString();
    return status.isEmpty() || status == QLatin1String("SUCCESS") ? QStringLiteral("FAILURE") : status;
}

// What one instruction report says about one bet.
struct Report
{
    // Status, error code and what was matched.
    QJsonObject body;
    // The instruction as the exchange echoes it.
    QJsonObject instruction;
    QString betId;
    // A replacement whose cancel part is all the reply holds: no new bet.
    bool notReplaced = false;
};

// The report, when it speaks for the bet in a request of this operation.
std::optional<Report> MatchReport(
    const QString& operation, const QBetPlacer::QBet& bet, const QJsonObject& report)
{
    if (operation == PlaceOrders) {
        // The bet has no id yet: the selection tells.
        if (ReportSelection(Member(report, "instruction").value(QLatin1String("selectionId")))
            != bet.selectionId)
            return std::nullopt;
        return Report { report, Member(report, "instruction"), ReportedBetId(report) };
    }
    if (bet.betId.isEmpty())
        return std::nullopt;
    if (operation == ReplaceOrders && report.contains(QLatin1String("cancelInstructionReport"))) {
        const QJsonObject cancelled = Member(report, "cancelInstructionReport");
        if (ReportedBetId(cancelled) != bet.betId)
            return std::nullopt;
        if (report.contains(QLatin1String("placeInstructionReport"))) {
            const QJsonObject placed = Member(report, "placeInstructionReport");
            return Report { placed, Member(placed, "instruction"), ReportedBetId(placed) };
        }
        QJsonObject body = report;
        if (body.value(QLatin1String("errorCode")).toString().isEmpty())
            body.insert(QStringLiteral("errorCode"), cancelled.value(QLatin1String("errorCode")));
        return Report { body, Member(cancelled, "instruction"), bet.betId, true };
    }
    if (ReportedBetId(report) != bet.betId)
        return std::nullopt;
    return Report { report, Member(report, "instruction"), ReportedBetId(report) };
}

} // namespace

QBetPlacer::QBetPlacer()
    : QActionWorker(nullptr)
    , minimumStakeCents(qint64(MinimumStake()) * 100)
{
}

void QBetPlacer::Bet(const QHash<QString, QList<QBet>>& bets)
{
    const Guard guard(this);
    if (IsEnded() || started)
        return;
    started = true;
    for (auto market = bets.cbegin(); market != bets.cend(); ++market) {
        QList<Order>& orders = markets[market.key()];
        for (const QBet& bet : market.value())
            orders.append(Order { bet, CentsOf(bet.stake) });
    }
    advance();
}

void QBetPlacer::BetNext()
{
    const Guard guard(this);
    if (started && !IsEnded())
        advance();
}

void QBetPlacer::BetFinished(QMarkedRequest::QRequestResult result, const QString& error,
    const QJsonObject& data, const QVariant& Something)
{
    const Guard guard(this);
    if (IsEnded())
        return;
    const auto found = inFlight.find(Something.toInt());
    if (found == inFlight.end())
        return;
    const Sent sent = found.value();
    inFlight.erase(found);

    ++nesting;
    QList<Outcome> outcomes;
    const QString replyMarket = data.value(QLatin1String("marketId")).toString();
    if (result != QMarkedRequest::Success || (!replyMarket.isEmpty() && replyMarket != sent.marketId)) {
        // Whatever the exchange did with these bets is unknown: each is
        // reported with what it may have left there.
        const QString reason = result != QMarkedRequest::Success ? error : tr("LOGICAL ERROR");
        noteError(reason);
        if (result != QMarkedRequest::Success)
            stopping = true;
        QList<Order>& orders = markets[sent.marketId];
        for (const int index : sent.bets) {
            orders[index].awaitingReply = false;
            failBet(orders[index], reason, outcomes);
        }
    } else {
        handleReports(sent, data, outcomes);
    }
    const bool failed = std::any_of(
        outcomes.cbegin(), outcomes.cend(), [](const Outcome& outcome) { return !outcome.error.isEmpty(); });
    if (failed && StopOnError) {
        noteError(tr("Betting was stopped due to errors"));
        stopping = true;
    }
    emitOutcomes(outcomes);
    --nesting;
    advance();
}

void QBetPlacer::advance()
{
    // A reply handled inside a receiver's box or the throttle's wait leaves
    // the next pass to the outermost handler, once it has stored its own.
    while (nesting == 0 && !IsEnded() && IsIdle()) {
        if (stopping) {
            finish();
            return;
        }
        ++nesting;
        const bool progressed = runPass();
        --nesting;
        if (!progressed) {
            // Nothing was sent or failed: the job is through.
            if (!IsEnded() && IsIdle())
                finish();
            return;
        }
    }
}

bool QBetPlacer::runPass()
{
    QList<Outcome> outcomes;
    const QList<Outgoing> requests = dueRequests(outcomes);
    bool progressed = !outcomes.isEmpty();
    for (const Outgoing& outgoing : requests) {
        if (!send(outgoing))
            break;
        progressed = true;
    }
    emitOutcomes(outcomes);
    return progressed;
}

QList<QBetPlacer::Outgoing> QBetPlacer::dueRequests(QList<Outcome>& outcomes)
{
    // Bets that can take no step fail first, so that a stop on error sends
    // nothing after them.
    for (auto market = markets.begin(); market != markets.end(); ++market) {
        const bool knownExchange = !PrefixOf(market.key()).isEmpty();
        for (Order& order : market.value()) {
            const int state = order.bet.state;
            if (order.awaitingReply || state == Finished || state == Failed)
                continue;
            // A step without its bet, or a placement this job did not send.
            const bool logical = state < ToPlace || state > Failed
                || (state != ToPlace
                    && (state == PlaceSent || order.bet.betId.isEmpty() || !belowMinimum(order)));
            QString error;
            if (logical) {
                error = tr("LOGICAL ERROR");
                noteError(error);
            } else if (!knownExchange) {
                error = tr("No exchange serves market id \"%1\"").arg(market.key());
            } else if (state == ToPlace && order.stakeCents < 1) {
                error = tr("Invalid stake: %1").arg(order.bet.stake);
            } else {
                continue;
            }
            failBet(order, error, outcomes);
        }
    }
    if (!outcomes.isEmpty() && StopOnError) {
        noteError(tr("Betting was stopped due to errors"));
        stopping = true;
    }
    if (stopping)
        return {};

    QList<Outgoing> due;
    for (auto market = markets.cbegin(); market != markets.cend(); ++market) {
        Outgoing place { { market.key(), PlaceOrders, {} }, {} };
        Outgoing reduce { { market.key(), CancelOrders, {} }, {} };
        Outgoing replace { { market.key(), ReplaceOrders, {} }, {} };
        const QList<Order>& orders = market.value();
        for (int index = 0; index < orders.size(); ++index) {
            const Order& order = orders.at(index);
            if (order.awaitingReply)
                continue;
            const QJsonValue betId = order.bet.betId;
            if (order.bet.state == ToPlace) {
                place.instructions.append(placeInstruction(order));
                place.sent.bets.append(index);
            } else if (order.bet.state == ReductionDue) {
                reduce.instructions.append(QJsonObject { { QStringLiteral("betId"), betId },
                    { QStringLiteral("sizeReduction"), CentsText(minimumStakeCents - order.stakeCents) } });
                reduce.sent.bets.append(index);
            } else if (order.bet.state == ReplacementDue) {
                replace.instructions.append(QJsonObject {
                    { QStringLiteral("betId"), betId }, { QStringLiteral("newPrice"), order.bet.price } });
                replace.sent.bets.append(index);
            }
        }
        for (const Outgoing* outgoing : { &place, &reduce, &replace }) {
            if (!outgoing->instructions.isEmpty())
                due.append(*outgoing);
        }
    }
    return due;
}

bool QBetPlacer::send(const Outgoing& outgoing)
{
    const QString& marketId = outgoing.sent.marketId;
    const int tag = ++nextRequestTag;
    QBetFairRequest* request = CreateJsonRequest(BettingUrl.arg(PrefixOf(marketId)), tag);
    if (!request)
        return false;
    if (stopping) {
        // A reply handled during the throttle's wait stopped the job: this
        // step never goes out, and its slot is given back.
        decRequests();
        delete request;
        return false;
    }
    QList<Order>& orders = markets[marketId];
    for (const int index : outgoing.sent.bets) {
        Order& order = orders[index];
        order.awaitingReply = true;
        if (order.bet.state == ToPlace)
            order.bet.state = PlaceSent;
    }
    inFlight.insert(tag, outgoing.sent);
    connect(request, &QBetFairRequest::finished, this, &QBetPlacer::BetFinished);
    request->Call(outgoing.sent.operation,
        QJsonObject { { QStringLiteral("marketId"), marketId },
            { QStringLiteral("instructions"), outgoing.instructions } });
    return true;
}

void QBetPlacer::handleReports(const Sent& sent, const QJsonObject& data, QList<Outcome>& outcomes)
{
    const QJsonArray reports = data.value(QLatin1String("instructionReports")).toArray();
    // A request refused as a whole carries its reason at the top and no
    // reports: the bets fail with it instead of being sent again.
    const QString refusal = reports.isEmpty() && data.contains(QLatin1String("status")) && !IsSuccess(data)
        ? FailureText(data)
        : QString();
    QVector<bool> used(reports.size(), false);
    QList<Order>& orders = markets[sent.marketId];
    for (const int index : sent.bets) {
        Order& order = orders[index];
        order.awaitingReply = false;

        std::optional<Report> report;
        for (int k = 0; k < reports.size() && !report; ++k) {
            if (!used.at(k)) {
                report = MatchReport(sent.operation, order.bet, reports.at(k).toObject());
                used[k] = report.has_value();
            }
        }
        if (!report && !refusal.isEmpty()) {
            failBet(order, refusal, outcomes);
            continue;
        }
        if (!report) {
            // A placement is never sent twice: the first may stand on the
            // exchange. A later step is sent once more, then given up.
            if (order.bet.state == PlaceSent || order.resent)
                failBet(order, NoReport, outcomes);
            else
                order.resent = true;
            continue;
        }

        const bool success = !report->notReplaced && IsSuccess(report->body);
        if (order.bet.state == PlaceSent && success) {
            order.bet.betId = report->betId;
            order.resent = false;
            if (belowMinimum(order)) {
                order.bet.state = ReductionDue;
                continue;
            }
        } else if (order.bet.state == ReductionDue && success) {
            order.bet.state = ReplacementDue;
            order.resent = false;
            continue;
        } else if (order.bet.state == ReplacementDue && !report->notReplaced) {
            order.bet.betId = report->betId;
        }
        order.bet.state = success ? Finished : Failed;

        const QJsonObject limitOrder = Member(report->instruction, "limitOrder");
        Outcome outcome;
        outcome.id = order.bet.betId;
        outcome.name = order.bet.name;
        outcome.back = report->instruction.value(QLatin1String("side")).toString() == QLatin1String("BACK");
        outcome.price = ReportNumber(limitOrder.value(QLatin1String("price")));
        outcome.amount = ReportNumber(limitOrder.value(QLatin1String("size")));
        outcome.matched = ReportNumber(report->body.value(QLatin1String("sizeMatched")));
        outcome.matchedPrice = ReportNumber(report->body.value(QLatin1String("averagePriceMatched")));
        if (!success)
            outcome.error = FailureText(report->body);
        outcomes.append(outcome);
    }
}

void QBetPlacer::failBet(Order& order, const QString& error, QList<Outcome>& outcomes)
{
    outcomes.append(standing(order, error));
    order.bet.state = Failed;
}

void QBetPlacer::finish()
{
    // Only a stopped job has bets left: each is reported with where it stands.
    ++nesting;
    QList<Outcome> outcomes;
    for (QList<Order>& orders : markets) {
        for (Order& order : orders) {
            if (order.bet.state == ToPlace) {
                failBet(order, tr("Not placed: betting was stopped"), outcomes);
            } else if (order.bet.state == ReductionDue || order.bet.state == ReplacementDue) {
                const qint64 size = order.bet.state == ReductionDue ? minimumStakeCents : order.stakeCents;
                failBet(order,
                    tr("Stopped: left unmatched on the exchange at %1 for %2")
                        .arg(NonMatchingPrice(order.bet.back), CentsText(size)),
                    outcomes);
            }
        }
    }
    if (emitOutcomes(outcomes))
        emit Done(firstError);
    --nesting;
}

bool QBetPlacer::emitOutcomes(const QList<Outcome>& outcomes)
{
    for (const Outcome& outcome : outcomes) {
        if (IsEnded())
            return false;
        emit BetResult(outcome.id, outcome.name, outcome.back, outcome.price, outcome.amount, outcome.matched,
            outcome.matchedPrice, outcome.error);
    }
    return !IsEnded();
}

void QBetPlacer::noteError(const QString& error)
{
    if (firstError.isEmpty())
        firstError = error;
}

QJsonObject QBetPlacer::placeInstruction(const Order& order) const
{
    const QBet& bet = order.bet;
    const QJsonObject limitOrder {
        { QStringLiteral("size"), CentsText(std::max(order.stakeCents, minimumStakeCents)) },
        { QStringLiteral("price"), belowMinimum(order) ? NonMatchingPrice(bet.back) : bet.price },
        { QStringLiteral("persistenceType"), bet.persistenceType },
    };
    return QJsonObject {
        { QStringLiteral("orderType"), QStringLiteral("LIMIT") },
        { QStringLiteral("selectionId"), bet.selectionId },
        { QStringLiteral("side"), bet.back ? QStringLiteral("BACK") : QStringLiteral("LAY") },
        { QStringLiteral("limitOrder"), limitOrder },
    };
}

QBetPlacer::Outcome QBetPlacer::standing(const Order& order, const QString& error) const
{
    // As far as the job knows: the bet as wanted, as its placement was sent,
    // or as it waits at the price that cannot match.
    Outcome outcome;
    outcome.id = order.bet.betId;
    outcome.name = order.bet.name;
    outcome.back = order.bet.back;
    outcome.error = error;
    QString price = order.bet.price;
    qint64 size = order.stakeCents;
    if (order.bet.state == PlaceSent) {
        if (belowMinimum(order))
            price = NonMatchingPrice(order.bet.back);
        size = std::max(size, minimumStakeCents);
    } else if (order.bet.state == ReductionDue || order.bet.state == ReplacementDue) {
        price = NonMatchingPrice(order.bet.back);
        if (order.bet.state == ReductionDue)
            size = minimumStakeCents;
    }
    outcome.price = ReportNumber(price);
    outcome.amount = size >= 0 ? size / 100.0 : order.bet.stake;
    return outcome;
}

bool QBetPlacer::belowMinimum(const Order& order) const
{
    return order.stakeCents < minimumStakeCents;
}
