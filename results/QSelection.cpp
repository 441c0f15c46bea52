#include "QSelection.h"

#include "JsonIds.h"
#include "QBetFair.h"
#include "QPriceValidator.h"
#include "QSearcher.h"
#include "ResultTexts.h"
#include "RowCells.h"

#include <QBrush>
#include <QFont>
#include <QIcon>
#include <QJsonArray>
#include <QStandardItemModel>

QString QSelection::Currency;

namespace {

constexpr int RightAligned[] = { QSearcher::ColBackPrice, QSearcher::ColLayPrice, QSearcher::ColNearSP,
    QSearcher::ColFarSP, QSearcher::ColActualSP, QSearcher::ColMatched, QSearcher::ColUnmatched,
    QSearcher::ColStatus };

const QIcon& SilksIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/card_green.png"));
    return icon;
}

// A price on the exchange's ladder as it is shown: the text and the number
// it reads as, so that what is shown, sorted and tested is one number.
double OnLadder(double& price, short& decimals)
{
    QPriceValidator::RoundPrice(price, decimals);
    price = FixedValue(price, decimals);
    return price;
}

QString SideAmounts(double back, double lay)
{
    const QString currency = QBetFair::GetCurrency();
    QString text;
    if (back > 0)
        text += QSelection::tr("BACK: %1 %2").arg(QString::number(back, 'g', 6), currency);
    if (back > 0 && lay > 0)
        text += QLatin1Char('\n');
    if (lay > 0)
        text += QSelection::tr("LAY: %1 %2").arg(QString::number(lay, 'g', 6), currency);
    return text;
}

} // namespace

QSelection::QSelection()
{
    setColumnCount(QSearcher::ColumnCount);
}

QSelection::~QSelection() = default;

QStandardItem* QSelection::Cell(int column) const
{
    if (column == QSearcher::ColName)
        return const_cast<QSelection*>(this);
    const QStandardItem* market = parent();
    return market ? market->child(row(), column) : nullptr;
}

QVariant QSelection::CellData(int column, int role) const
{
    const QStandardItem* cell = Cell(column);
    return cell ? cell->data(role) : QVariant();
}

int QSelection::Rank() const
{
    return CellData(QSearcher::ColTimeRank, QSearcher::SortRole).toInt();
}

void QSelection::AppendTo(QStandardItem* market, const QJsonObject& runner)
{
    QStandardItem* cells[QSearcher::ColumnCount] = { this };
    for (int column = 1; column < QSearcher::ColumnCount; ++column)
        cells[column] = new RowCell;
    Fill(runner, cells);
    market->appendRow(QList<QStandardItem*>(std::begin(cells), std::end(cells)));
}

void QSelection::Set(const QJsonObject& runner)
{
    QStandardItem* market = parent();
    if (!market)
        return;
    QStandardItem* cells[QSearcher::ColumnCount] = { this };
    for (int column = 1; column < QSearcher::ColumnCount; ++column) {
        cells[column] = market->child(row(), column);
        if (!cells[column]) {
            cells[column] = new RowCell;
            market->setChild(row(), column, cells[column]);
        }
    }
    Fill(runner, cells);
}

void QSelection::Fill(const QJsonObject& runner, QStandardItem* const cells[])
{
    QStandardItem::setData(runner.value(QLatin1String("runnerName")).toString(), Qt::DisplayRole);
    QStandardItem::setData(runner.value(QLatin1String("sortPriority")).toInt(), QSearcher::SortRole);
    QStandardItem::setData(true, QSearcher::KindRole);
    QStandardItem::setData(JsonId(runner.value(QLatin1String("selectionId"))), Qt::WhatsThisRole);
    setCheckable(true);

    QStandardItem* rank = cells[QSearcher::ColTimeRank];
    rank->setData(SharedBrush(Qt::gray), Qt::ForegroundRole);
    // Read by the value bar: this volume cell is a selection's share.
    cells[QSearcher::ColVolume]->setData(true, QSearcher::KindRole);
    rank->setData(9999, QSearcher::SortRole);
    for (const int column : RightAligned)
        cells[column]->setData(int(Qt::AlignRight), Qt::TextAlignmentRole);

    // Silks need two keys at least: one alone is no description.
    QStandardItem* silks = cells[QSearcher::ColSilks];
    const QJsonValue metadata = runner.value(QLatin1String("metadata"));
    if (metadata.isObject() && metadata.toObject().size() > 1) {
        silks->setData(metadata.toObject(), QSearcher::KindRole);
        silks->setData(SilksIcon(), Qt::DecorationRole);
        silks->setData(tr("Click to view silks data"), Qt::ToolTipRole);
    } else {
        silks->setData(QJsonObject(), QSearcher::KindRole);
    }
}

void QSelection::setData(const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole) {
        QStandardItem::setData(value, role);
        return;
    }
    const QVariant present = data(Qt::CheckStateRole);
    ApplyWeight(value.toInt() == Qt::Checked ? QFont::Bold : QFont::Normal);
    QStandardItem::setData(value, role);
    // Only a change of a state already held is news: the unchecked state
    // that making the item checkable stores is none.
    QStandardItemModel* owner = model();
    if (owner && present.isValid() && present != value)
        emit owner->itemChanged(nullptr);
}

void QSelection::ApplyWeight(int weight)
{
    for (int column = 0; column < QSearcher::ColumnCount; ++column) {
        if (QStandardItem* cell = Cell(column))
            ChangeFont(cell, [weight](QFont& font) { font.setWeight(weight); });
    }
}

void QSelection::SetPL(const QJsonObject& pl)
{
    QStandardItem* cell = Cell(QSearcher::ColStatus);
    if (withdrawn || !cell)
        return;
    const double ifWin = pl.value(QLatin1String("ifWin")).toDouble();
    cell->setData(ifWin, QSearcher::SortRole);
    cell->setData(ifWin == 0 ? QString() : QString::asprintf("%+0.2f", ifWin), Qt::DisplayRole);
    cell->setData(QColor::fromHsl(ifWin < 0 ? 0 : 127, 255, 70, 255), Qt::ForegroundRole);
    const double ifLose = pl.value(QLatin1String("ifLose")).toDouble();
    if (ifLose != 0)
        cell->setData(QString::asprintf("%+0.2f", ifLose), Qt::ToolTipRole);
}

void QSelection::ShowRank(int rank)
{
    QStandardItem* cell = Cell(QSearcher::ColTimeRank);
    if (!cell)
        return;
    if (!withdrawn) {
        cell->setData(rank, QSearcher::SortRole);
        cell->setData(rank, Qt::DisplayRole);
        return;
    }
    cell->setData(0, QSearcher::SortRole);
    cell->setData(tr("withdrawn"), Qt::DisplayRole);
    cell->setData(SharedBrush(Qt::lightGray), Qt::ForegroundRole);
}

void QSelection::Update(const QJsonObject& runner, double marketMatched)
{
    if (!parent())
        return;
    const QJsonObject ex = runner.value(QLatin1String("ex")).toObject();
    const QString status = runner.value(QLatin1String("status")).toString();
    withdrawn = status == QLatin1String("REMOVED") || status == QLatin1String("REMOVED_VACANT");
    if (withdrawn)
        Withdraw(runner);

    const double lastTraded = runner.value(QLatin1String("lastPriceTraded")).toDouble();
    short decimals = 2;
    QStandardItem* back = Cell(QSearcher::ColBackPrice);
    ShowPrice(back, ex.value(QLatin1String("availableToBack")).toArray().at(0).toObject(), lastTraded, decimals);
    back->setData(lastTraded, QSearcher::LastTradedRole);
    ShowPrice(Cell(QSearcher::ColLayPrice), ex.value(QLatin1String("availableToLay")).toArray().at(0).toObject(),
        lastTraded, decimals);

    const QJsonValue sp = runner.value(QLatin1String("sp"));
    if (!withdrawn && sp.isObject())
        ShowStartingPrices(sp.toObject(), decimals);
    ShowVolume(runner, marketMatched);
    ShowOrders(runner);
}

void QSelection::Withdraw(const QJsonObject& runner)
{
    QStandardItem::setData(SharedBrush(Qt::lightGray), Qt::ForegroundRole);
    setEnabled(false);
    // A disabled row cannot be unticked by hand, and no action may use it:
    // the tick goes, without the hand-tick notice.
    if (data(Qt::CheckStateRole).toInt() != Qt::Unchecked) {
        ApplyWeight(QFont::Normal);
        QStandardItem::setData(int(Qt::Unchecked), Qt::CheckStateRole);
    }
    const QString moment = LocalMoment(ReadUtcTime(runner.value(QLatin1String("removalDate"))),
        tr("'at' HH:mm"), tr("d MMM 'at' HH:mm"));
    const QString reduction = Fixed(runner.value(QLatin1String("adjustmentFactor")).toDouble(), 2);
    QStandardItem::setData(tr("Withdrawn %1, reduction factor: %2").arg(moment, reduction), Qt::ToolTipRole);

    QStandardItem* status = Cell(QSearcher::ColStatus);
    status->setData(SharedBrush(Qt::lightGray), Qt::ForegroundRole);
    status->setData(tr("Withdrawn"), Qt::DisplayRole);
    status->setData(int(Qt::AlignLeft), Qt::TextAlignmentRole);
}

bool QSelection::ShowPrice(QStandardItem* cell, const QJsonObject& offer, double lastTraded, short& decimals)
{
    double price = offer.value(QLatin1String("price")).toDouble();
    const bool shown = !withdrawn && price > 1.0;
    if (shown) {
        OnLadder(price, decimals);
        cell->setData(Fixed(price, decimals), Qt::DisplayRole);
        cell->setData(
            QStringLiteral("%1 %2").arg(Fixed(offer.value(QLatin1String("size")).toDouble(), 2), Currency),
            Qt::ToolTipRole);
        const bool traded = qFuzzyCompare(price, lastTraded);
        // A cell without a font of its own is not underlined already.
        if (traded || cell->data(Qt::FontRole).isValid())
            ChangeFont(cell, [traded](QFont& font) { font.setUnderline(traded); });
    } else {
        PutText(cell, Qt::DisplayRole, QString());
        PutText(cell, Qt::ToolTipRole, QString());
    }
    cell->setData(price, QSearcher::SortRole);
    return shown;
}

void QSelection::ShowStartingPrices(const QJsonObject& sp, short decimals)
{
    const struct
    {
        int column;
        const char* key;
    } guides[] = { { QSearcher::ColNearSP, "nearPrice" }, { QSearcher::ColFarSP, "farPrice" } };
    for (const auto& guide : guides) {
        QStandardItem* cell = Cell(guide.column);
        const double value = sp.value(QLatin1String(guide.key)).toDouble();
        PutText(cell, Qt::DisplayRole, value > 0 ? Fixed(value, decimals) : QString());
        cell->setData(value, QSearcher::SortRole);
    }
    QStandardItem* actual = Cell(QSearcher::ColActualSP);
    double value = sp.value(QLatin1String("actualSP")).toDouble();
    if (value > 1.0) {
        OnLadder(value, decimals);
        actual->setData(Fixed(value, decimals), Qt::DisplayRole);
    } else {
        PutText(actual, Qt::DisplayRole, QString());
    }
    actual->setData(value, QSearcher::SortRole);
}

void QSelection::ShowVolume(const QJsonObject& runner, double marketMatched)
{
    QStandardItem* cell = Cell(QSearcher::ColVolume);
    if (withdrawn) {
        cell->setData(0, QSearcher::SortRole);
        PutText(cell, Qt::DisplayRole, QString());
        return;
    }
    const double matched = runner.value(QLatin1String("totalMatched")).toDouble();
    const double share = marketMatched > 0 ? matched / marketMatched : 0;
    cell->setData(Fixed(matched, 1) + QBetFair::GetCurrency(), Qt::ToolTipRole);
    cell->setData(share, QSearcher::SortRole);
    cell->setData(Fixed(share * 100, share <= 0.01 ? 2 : 0), Qt::DisplayRole);
}

void QSelection::ShowOrders(const QJsonObject& runner)
{
    hasOrders = false;
    double matched = 0, unmatched = 0, backMatched = 0, backUnmatched = 0, layMatched = 0, layUnmatched = 0;
    for (const QJsonValue& entry : runner.value(QLatin1String("orders")).toArray()) {
        hasOrders = true;
        const QJsonObject order = entry.toObject();
        const QString status = order.value(QLatin1String("status")).toString();
        const bool back = order.value(QLatin1String("side")).toString() == QLatin1String("BACK");
        const double sizeMatched = order.value(QLatin1String("sizeMatched")).toDouble();
        if (status == QLatin1String("EXECUTABLE")) {
            const double remaining = order.value(QLatin1String("sizeRemaining")).toDouble();
            unmatched += remaining;
            matched += sizeMatched;
            (back ? backUnmatched : layUnmatched) += remaining;
            (back ? backMatched : layMatched) += sizeMatched;
        } else if (status == QLatin1String("EXECUTION_COMPLETE")) {
            matched += sizeMatched;
            (back ? backMatched : layMatched) += sizeMatched;
        }
    }
    const struct
    {
        int column;
        double total;
        double back;
        double lay;
    } amounts[] = { { QSearcher::ColMatched, matched, backMatched, layMatched },
        { QSearcher::ColUnmatched, unmatched, backUnmatched, layUnmatched } };
    for (const auto& amount : amounts) {
        QStandardItem* cell = Cell(amount.column);
        const double total = amount.total;
        cell->setData(total, QSearcher::SortRole);
        PutText(cell, Qt::DisplayRole, total > 0 ? Fixed(total, 2) : QString());
        PutText(cell, Qt::ToolTipRole, total > 0 ? SideAmounts(amount.back, amount.lay) : QString());
    }
}
