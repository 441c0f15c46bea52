#include "QMarket.h"

#include "JsonIds.h"
#include "QCatalog.h"
#include "QSearcher.h"
#include "QSearcherModel.h"
#include "QSelection.h"
#include "QSportsCatalog.h"
#include "QStatus.h"
#include "ResultTexts.h"
#include "RowCells.h"

#include <QBrush>
#include <QFile>
#include <QIcon>
#include <QJsonArray>

#include <algorithm>

const QStringList QMarket::ExcludedMarketTypes { QStringLiteral("TOTAL_GOALS"), QStringLiteral("ASIAN_HANDICAP"),
    QStringLiteral("EACH_WAY") };

namespace {

constexpr int RightAligned[] = { QSearcher::ColNumSelections, QSearcher::ColTimeRank, QSearcher::ColVolume,
    QSearcher::ColBackPrice, QSearcher::ColLayPrice, QSearcher::ColMatched, QSearcher::ColUnmatched };

QString CatalogName(const QCatalog* catalog, const QString& code)
{
    return catalog ? catalog->Name(code, true) : code;
}

// One icon of a resource for all rows; none for a missing file (a country
// without a flag, a status without an icon).
QVariant SharedIcon(const QString& path)
{
    static QHash<QString, QVariant> icons;
    auto found = icons.find(path);
    if (found == icons.end())
        found = icons.insert(path, QFile::exists(path) ? QVariant(QIcon(path)) : QVariant());
    return found.value();
}

} // namespace

QMarket::QMarket()
{
    setColumnCount(QSearcher::ColSilks);
    setCheckable(true);
    // A click goes between unchecked and checked; partly checked comes only
    // from the selections.
    setAutoTristate(true);
}

QMarket::~QMarket() = default;

QStandardItem* QMarket::Cell(int column) const
{
    if (column == QSearcher::ColName)
        return const_cast<QMarket*>(this);
    return parentItem && column < QSearcher::ColSilks ? parentItem->child(row(), column) : nullptr;
}

QVariant QMarket::CellData(int column, int role) const
{
    const QStandardItem* cell = Cell(column);
    return cell ? cell->data(role) : QVariant();
}

void QMarket::AppendTo(QStandardItem* parent, const QJsonObject& market)
{
    parentItem = parent;
    QStandardItem* cells[QSearcher::ColSilks] = { this };
    for (int column = 1; column < QSearcher::ColSilks; ++column)
        cells[column] = new RowCell;
    Fill(market, cells);
    parent->appendRow(QList<QStandardItem*>(std::begin(cells), std::end(cells)));
}

void QMarket::Set(QStandardItem* parent, const QJsonObject& market)
{
    parentItem = parent;
    QStandardItem* cells[QSearcher::ColSilks] = { this };
    for (int column = 1; column < QSearcher::ColSilks; ++column) {
        cells[column] = parent->child(row(), column);
        if (!cells[column]) {
            cells[column] = new RowCell;
            parent->setChild(row(), column, cells[column]);
        }
    }
    Fill(market, cells);
}

void QMarket::Fill(const QJsonObject& market, QStandardItem* const cells[])
{
    const QJsonObject event = market.value(QLatin1String("event")).toObject();
    setData(market.value(QLatin1String("marketId")).toString(), Qt::WhatsThisRole);
    eventTypeId = market.value(QLatin1String("eventType")).toObject().value(QLatin1String("id")).toString().toInt();
    setData(eventTypeId, QSearcher::EventTypeRole);
    setData(event.value(QLatin1String("id")).toString(), QSearcher::EventRole);
    const QJsonObject description = market.value(QLatin1String("description")).toObject();
    const QString type = description.value(QLatin1String("marketType")).toString();
    setData(type, QSearcher::KindRole);
    showBook = !ExcludedMarketTypes.contains(type);

    const QJsonValue venue = event.value(QLatin1String("venue"));
    const QString place
        = (venue.isUndefined() || venue.isNull() ? event.value(QLatin1String("name")) : venue).toString();
    const QString sport = CatalogName(QCatalog::sports, QString::number(eventTypeId));
    // Kept in parts: a name holding "%1" stays as it is.
    titleHead = sport + QStringLiteral(" \u2192 ") + place + QStringLiteral(" \u2192");
    titleTail = QLatin1Char(' ') + market.value(QLatin1String("marketName")).toString();
    setData(titleHead + QStringLiteral("%1") + titleTail, QSearcher::SortRole);
    ShowTitle();

    const QString country = event.value(QLatin1String("countryCode")).toString();
    setData(SharedIcon(QStringLiteral(":/countries/%1.png").arg(country)), Qt::DecorationRole);
    setData(CatalogName(QCatalog::countries, country), Qt::ToolTipRole);

    const QDateTime start = ReadUtcTime(market.value(QLatin1String("marketStartTime")));
    QStandardItem* time = cells[QSearcher::ColTimeRank];
    time->setData(start, QSearcher::SortRole);
    time->setData(LocalMoment(start, QStringLiteral("HH:mm"), QStringLiteral("d MMM HH:mm")), Qt::DisplayRole);
    turnInPlayEnabled = description.value(QLatin1String("turnInPlayEnabled")).toBool();
    for (const int column : RightAligned)
        cells[column]->setData(int(Qt::AlignRight), Qt::TextAlignmentRole);

    for (const QJsonValue& entry : market.value(QLatin1String("runners")).toArray()) {
        const QJsonObject runner = entry.toObject();
        const qint64 id = JsonId(runner.value(QLatin1String("selectionId")));
        if (!Selection(id))
            AddSelection(runner, id);
    }
}

void QMarket::AddSelection(const QJsonObject& runner, qint64 id)
{
    auto* selection = new QSelection;
    selections.insert(id, selection);
    selection->AppendTo(this, runner);
}

void QMarket::ShowTitle()
{
    const QString places = numberOfWinners >= 2 ? QStringLiteral(" %1").arg(numberOfWinners) : QString();
    setData(titleHead + places + titleTail, Qt::DisplayRole);
}

void QMarket::Update(const QJsonObject& book)
{
    if (!parentItem)
        return;
    const QJsonArray runners = book.value(QLatin1String("runners")).toArray();
    // Rows for runners the catalogue did not list come first: a row
    // insertion must reach the views as it happens.
    for (const QJsonValue& entry : runners) {
        const QJsonObject runner = entry.toObject();
        const qint64 id = JsonId(runner.value(QLatin1String("selectionId")));
        if (!Selection(id))
            AddSelection(runner, id);
    }

    const RowRewrite rewrite(this);
    QString status = book.value(QLatin1String("status")).toString();
    if (book.value(QLatin1String("inplay")).toBool())
        status = QStringLiteral("IN-PLAY");
    else if (status == QLatin1String("OPEN") && turnInPlayEnabled)
        status = QStringLiteral("WILL-IN-PLAY");
    QStandardItem* statusCell = Cell(QSearcher::ColStatus);
    statusCell->setData(SharedIcon(QStringLiteral(":/icons/status_%1.png").arg(status)), Qt::DecorationRole);
    statusCell->setData(status, QSearcher::SortRole);
    statusCell->setData(QStatus::StatusText(status), Qt::DisplayRole);
    statusCell->setData(SharedBrush(QStatus::StatusColor(status)), Qt::ForegroundRole);

    const double total = book.value(QLatin1String("totalMatched")).toDouble();
    QStandardItem* volume = Cell(QSearcher::ColVolume);
    volume->setData(total, QSearcher::SortRole);
    volume->setData(QStringLiteral("%L1").arg(total, 0, 'f', total < 10 ? 2 : total < 100 ? 1 : 0), Qt::DisplayRole);

    int withdrawn = 0;
    bool dropped = false;
    for (const QJsonValue& entry : runners) {
        const QJsonObject runner = entry.toObject();
        QSelection* selection = Selection(JsonId(runner.value(QLatin1String("selectionId"))));
        const bool ticked = selection->checkState() != Qt::Unchecked;
        selection->Update(runner, total);
        dropped |= ticked && selection->checkState() == Qt::Unchecked;
        withdrawn += selection->IsWithdrawn();
    }
    if (dropped) {
        droppedTicks = true;
        // The box follows the selections still running, as after a hand tick.
        setData(int(QSearcherModel::SharedTick(*this)), Qt::CheckStateRole);
    }

    setData(withdrawn, QSearcher::WithdrawnCountRole);
    const int count = selections.size();
    QStandardItem* counted = Cell(QSearcher::ColNumSelections);
    counted->setData(count - withdrawn, Qt::DisplayRole);
    counted->setData(count - withdrawn, QSearcher::SortRole);
    if (withdrawn > 0) {
        counted->setData(tr("%1 total - %2 withdrawn").arg(count).arg(withdrawn), Qt::ToolTipRole);
        counted->setData(SharedBrush(QColor::fromHsl(190, 255, 100, 255)), Qt::ForegroundRole);
    }

    if (numberOfWinners == 0) {
        numberOfWinners = book.value(QLatin1String("numberOfWinners")).toInt();
        ShowTitle();
        setData(numberOfWinners, QSearcher::WinnersRole);
    }
    UpdateRanks();
}

bool QMarket::TakeDroppedTicks()
{
    const bool dropped = droppedTicks;
    droppedTicks = false;
    return dropped;
}

void QMarket::SetPL(const QJsonObject& marketPL)
{
    for (const QJsonValue& entry : marketPL.value(QLatin1String("profitAndLosses")).toArray()) {
        const QJsonObject pl = entry.toObject();
        if (QSelection* selection = Selection(JsonId(pl.value(QLatin1String("selectionId")))))
            selection->SetPL(pl);
    }
}

void QMarket::SetScores(int home, int away, int minute)
{
    QStandardItem* cell = Cell(QSearcher::ColStatus);
    if (!cell)
        return;
    cell->setData(minute, QSearcher::EventRole);
    const QString score = QStringLiteral("[ %1 : %2 ]").arg(home).arg(away);
    cell->setData(minute >= 0 ? score + QStringLiteral(" %1'").arg(minute) : score, Qt::DisplayRole);
}

int QMarket::CheckedCount()
{
    int count = 0;
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* selection = child(row);
        count += selection && selection->checkState() == Qt::Checked;
    }
    ChangeFont(this, [count](QFont& font) { font.setWeight(count > 0 ? QFont::Bold : QFont::Normal); });
    return count;
}

bool QMarket::HasOrders() const
{
    return std::any_of(
        selections.cbegin(), selections.cend(), [](const QSelection* selection) { return selection->HasOrders(); });
}
