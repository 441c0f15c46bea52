#include "QSearcher.h"

#include "Cents.h"
#include "QCanceller.h"
#include "QConfirm.h"
#include "QGetFunds.h"
#include "QLog.h"
#include "QMarket.h"
#include "QPriceValidator.h"
#include "QSelection.h"
#include "ResultTexts.h"
#include "TickedSelections.h"

#include <QColor>
#include <QPointer>

#include <algorithm>
#include <cmath>

// Bets placed on the ticked selections, and their unmatched bets cancelled.
// The rows to bet on are copied first: the questions are modal, and a
// refresh or a search run inside one may change or remove the rows.

namespace {

// A ticked runner as the action found it.
struct Ticked
{
    qint64 selectionId = 0;
    QString runner;
    bool withdrawn = false;
};

struct SlipMarket
{
    QString id;
    QString text;
    QList<Ticked> selections;
};

QList<SlipMarket> Copied(const QVector<TickedMarket>& ticked)
{
    QList<SlipMarket> markets;
    for (const TickedMarket& market : ticked) {
        SlipMarket copy { market.market->data(Qt::WhatsThisRole).toString(), market.market->text(), {} };
        for (const QSelection* selection : market.selections) {
            copy.selections.append({ selection->data(Qt::WhatsThisRole).toLongLong(), selection->text(),
                selection->IsWithdrawn() || !selection->isEnabled() });
        }
        markets.append(copy);
    }
    return markets;
}

QString Money(double amount)
{
    return Fixed(amount, 2);
}

QString General(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

void QSearcher::Bet(bool Back, double Price, double Amount, QBetPlacer::AmountType type, int KeepCancelSP)
{
    // Nothing is asked about a bet that cannot be: no amount (less than a
    // cent, negative, not a number, beyond any stake), no price.
    const qint64 amountCents = CentsOf(Amount);
    QString refusal;
    if (std::isnan(Price))
        refusal = tr("No bets placed: the price is not a number.");
    else if (amountCents < 1)
        refusal = tr("No bets placed: the amount must be at least 0.01 and at most %1.").arg(MaximumCents / 100);
    if (!refusal.isEmpty()) {
        ShowError(refusal, QStringLiteral("BET"));
        emit ActionDone();
        return;
    }

    // One price for the text, the stakes, the liabilities and the questions:
    // the ladder price as it is written.
    double ladder = Price;
    short decimals = 2;
    QPriceValidator::RoundPrice(ladder, decimals);
    const QString priceText = Fixed(ladder, decimals);
    const double price = FixedValue(ladder, decimals);
    const qint64 priceHundredths = std::llround(price * 100);
    // In whole cents: as typed for a stake; for a profit or a liability the
    // stake below it, so a bet never asks or risks more than the amount.
    qint64 stakeCents = -1;
    if (type == QBetPlacer::Amount)
        stakeCents = amountCents;
    else if (type == QBetPlacer::ProfitOrLiability)
        stakeCents = std::max<qint64>(1, amountCents * 100 / (priceHundredths - 100));
    const double stake = stakeCents / 100.0;
    const double liability = Back ? stake : std::max(0.01, stakeCents * (priceHundredths - 100) / 10000.0);

    const QString persistence[] = { QStringLiteral("LAPSE"), QStringLiteral("PERSIST"),
        QStringLiteral("MARKET_ON_CLOSE") };
    const QString inPlayWords[] = { tr("cancelled"), tr("kept"), tr("taken SP") };
    const bool known = KeepCancelSP >= 0 && KeepCancelSP < 3;
    const QString persistenceType = known ? persistence[KeepCancelSP] : QString();
    const QString inPlay = known ? inPlayWords[KeepCancelSP] : QString();
    const QString side = Back ? tr("BACK") : tr("LAY");
    const QString colour = QColor(Back ? qRgb(178, 235, 255) : qRgb(255, 204, 220)).name();
    const QString currency = QBetFair::GetCurrency();

    QHash<QString, QList<QBetPlacer::QBet>> slip;
    int accepted = 0;
    double total = 0;
    bool yesToAll = false;
    for (const SlipMarket& market : Copied(TickedSelections(*this))) {
        QList<QBetPlacer::QBet> bets;
        for (const Ticked& selection : market.selections) {
            if (stakeCents < 0)
                break;
            if (selection.withdrawn) {
                QLog::Write(QLog::QLogType::Warning,
                    tr("No bet on '%1' of '%2': the runner is withdrawn.").arg(selection.runner, market.text));
                continue;
            }
            if (!yesToAll) {
                const int answer = AskQuestion(
                    tr("Adding to bet slip <span style='background-color:%1;'>%2</span> bet on<br>'%3'<br>of "
                       "'%4':<br>%5 %6 @ %7. <font color=red>Liability: <b>%8 %9</b>.</font><br>The bet will "
                       "be %10 in-play.<br><br>Correct?")
                        .arg(colour, side, EscapeForBox(selection.runner), EscapeForBox(market.text), Money(stake),
                            EscapeForBox(currency), General(price), Money(liability), EscapeForBox(currency), inPlay),
                    true, QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll,
                    QMessageBox::Yes);
                if (answer == QMessageBox::NoToAll)
                    break;
                if (answer == QMessageBox::YesToAll)
                    yesToAll = true;
                else if (answer != QMessageBox::Yes)
                    continue;
            }
            QLog::Write(QLog::QLogType::Warning,
                tr("Adding to bet slip %1 bet on '%2' of '%3': %4 %5 @ %6, liability: %7 %8. The bet will be %9 "
                   "in-play.")
                    .arg(side, selection.runner, market.text, Money(stake), currency, General(price),
                        Money(liability), currency, inPlay));
            bets.append({ Back, priceText, stake, selection.selectionId,
                QStringLiteral("%1 '%2'").arg(market.text, selection.runner), persistenceType, QString(), 0 });
            ++accepted;
            total += liability;
        }
        slip.insert(market.id, bets);
    }

    betAction = BetAction { betAction.serial + 1, true, 0, 0, 0 };
    if (accepted == 0) {
        BetsDone(tr("Nothing to send"));
        return;
    }
    if (!AskConfirm(tr("Going to send %n bet(s) with maximum liability<br><font color=red>%1 %2</font><br><br>"
                       "Confirm?",
                        nullptr, accepted)
                        .arg(Money(total), EscapeForBox(currency)),
            true, false)) {
        BetsDone(tr("Cancelled by you"));
        return;
    }
    QLog::Write(QLog::QLogType::Warning,
        tr("Going to send %n bet(s) with maximum liability %1 %2", nullptr, accepted).arg(Money(total), currency));
    emit StartBetting();

    betAction.bets = accepted;
    const quint64 action = betAction.serial;
    auto* placer = new QBetPlacer;
    // Not on the view's Cancel(): once sent, the bets run to their end.
    connect(placer, &QBetPlacer::BetResult, this,
        [this, action](const QString& id, const QString& name, bool back, double price, double amount, double matched,
            double matchedPrice, const QString& error) {
            if (action == betAction.serial)
                BetResult(id, name, back, price, amount, matched, matchedPrice, error);
        });
    connect(placer, qOverload<const QString&>(&QActionWorker::Done), this, [this, action](const QString& error) {
        if (action == betAction.serial)
            BetsDone(error);
    });
    Launch(
        placer,
        [placing = QPointer<QBetPlacer>(placer), slip] {
            if (placing)
                placing->Bet(slip);
        },
        false);
}

void QSearcher::BetResult(const QString& id, const QString& name, bool Back, double Price, double Amount,
    double Matched, double MatchedPrice, const QString& Error)
{
    ++betAction.reports;
    const QString side = Back ? tr("BACK") : tr("LAY");
    const QString currency = EscapeForBox(QBetFair::GetCurrency());
    if (!Error.isEmpty()) {
        ++betAction.failures;
        ShowError(tr("ERROR while placing the %1 bet on %2 %3 %4 @ %5:<br><br>%6")
                      .arg(side, EscapeForBox(name), General(Amount), currency, General(Price), EscapeForBox(Error)),
            QStringLiteral("BET"));
        return;
    }
    QString outcome;
    if (std::abs(Amount - Matched) * 100000 <= std::min(std::abs(Amount), std::abs(Matched)))
        outcome = tr("MATCHED in full @ %1").arg(General(MatchedPrice));
    else if (Matched < 0.01)
        outcome = tr("UNMATCHED");
    else
        outcome = tr("PARTIALLY MATCHED @ %2. Unmatched portion: %1").arg(General(Amount - Matched), General(MatchedPrice));
    ShowInfo(tr("The %1 bet on %2 %3 %4 @ %5 was %6 (id: %7)")
                 .arg(side, EscapeForBox(name), General(Amount), currency, General(Price), outcome, EscapeForBox(id)),
        true, false);
}

void QSearcher::BetsDone(const QString& error)
{
    // One end per action, whatever its worker reports.
    if (!betAction.running)
        return;
    betAction.running = false;
    const int failed = betAction.failures + std::max(0, betAction.bets - betAction.reports);
    QStringList problems;
    if (!error.isEmpty())
        problems << tr("BETTING ERROR: %1").arg(EscapeForBox(error));
    if (failed > 0)
        problems << tr("%1 of %n bet(s) failed.", nullptr, betAction.bets).arg(failed);
    if (problems.isEmpty())
        ShowInfo(tr("Bets succesfully placed"), true, false);
    else
        ShowError(problems.join(QStringLiteral("<br>")), QStringLiteral("BET"));
    emit ActionDone();
    RequestFunds();
    UpdatePrices();
}

void QSearcher::RequestFunds()
{
    auto* funds = new QGetFunds;
    connect(funds, &QGetFunds::FundsReceived, this, &QSearcher::FundsReceived);
    Launch(
        funds,
        [asking = QPointer<QGetFunds>(funds)] {
            if (asking)
                asking->GetFunds();
        },
        false);
}

void QSearcher::FundsReceived(const QString& wallet, double funds)
{
    LogInfo(tr("Funds available to bet in %1 wallet: %2 %3").arg(wallet, General(funds), QBetFair::GetCurrency()));
}

void QSearcher::CancelBets(bool back, bool lay)
{
    QHash<QString, QList<qlonglong>> request;
    for (const TickedMarket& ticked : TickedSelections(*this)) {
        const QString marketId = ticked.market->data(Qt::WhatsThisRole).toString();
        for (const QSelection* selection : ticked.selections)
            request[marketId].append(selection->data(Qt::WhatsThisRole).toLongLong());
    }
    if (request.isEmpty()) {
        QLog::Write(QLog::QLogType::Warning, tr("No markets to retreive bets"));
        // The panel comes back; a search's end is told only when none runs.
        if (!IsRunning())
            emit NotifyDone(Count());
        emit ActionDone();
        return;
    }

    betAction = BetAction { betAction.serial + 1, true, 0, 0, 0 };
    const quint64 action = betAction.serial;
    auto* canceller = new QCanceller;
    connect(canceller, qOverload<const QString&>(&QActionWorker::Done), this, [this, action](const QString& result) {
        if (action == betAction.serial)
            CancelBetsDone(result);
    });
    connect(canceller, &QActionWorker::Info, this, &QSearcher::LogInfo);
    LogInfo(tr("Bets cancelling. Retreiving bets for %n market(s)...", nullptr, request.size()));
    // The request overload: the slot without arguments would abort the canceller.
    Launch(
        canceller,
        [cancelling = QPointer<QCanceller>(canceller), request, back, lay] {
            if (cancelling)
                cancelling->Cancel(request, back, lay);
        },
        false);
}

void QSearcher::CancelBetsDone(const QString& result)
{
    if (!betAction.running)
        return;
    betAction.running = false;
    if (result.isEmpty()) {
        ShowInfo(tr("All bets cancelled"), false, false);
        RequestFunds();
    } else {
        ShowWarning(EscapeForBox(result), QStringLiteral("CancelError"));
    }
    emit ActionDone();
    UpdatePrices();
}
