#include "QBetFairCharts.h"

#include "FlowLayout.h"
#include "QBetFair.h"
#include "QBetFairChart.h"
#include "QConfirm.h"
#include "StoredValue.h"
#include "ui_QBetFairCharts.h"

#include <QCloseEvent>
#include <QMimeData>
#include <QSettings>

namespace {

const QString IntervalKey = QStringLiteral("Charts/Interval");
const QString AutoKey = QStringLiteral("Charts/Auto");
const QString SizeKey = QStringLiteral("Charts/size");
const QString PosKey = QStringLiteral("Charts/pos");
const QString MaximizedKey = QStringLiteral("Charts/maximized");

} // namespace

QBetFairCharts::QBetFairCharts(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::QBetFairCharts>())
{
    ui->setupUi(this);
    flowLayout = new FlowLayout(ui->viewport, 0, 2, 2);
    setAcceptDrops(true);
    // Named and parented like the form's widgets, so it can be found as they are.
    refreshTimer.setParent(this);
    refreshTimer.setObjectName(QStringLiteral("refreshTimer"));

    connect(ui->refresh, &QToolButton::clicked, this, &QBetFairCharts::RefreshCharts);
    connect(&refreshTimer, &QTimer::timeout, this, &QBetFairCharts::RefreshCharts);

    // Restored before the change signals are connected, so nothing is written back.
    ui->updateInterval->setValue(Stored(IntervalKey).toInt());
    ui->autoupdate->setChecked(Stored(AutoKey, false).toBool());
    if (ui->autoupdate->isChecked()) {
        refreshTimer.setInterval(ui->updateInterval->value() * 1000);
        refreshTimer.start();
    }

    const QSize size = Stored(SizeKey).toSize();
    resize(size.isValid() ? size : minimumSize());
    move(Stored(PosKey, QPoint(0, 0)).toPoint());
    setWindowState(Stored(MaximizedKey, false).toBool() ? Qt::WindowMaximized : Qt::WindowNoState);
    ui->updateInterval->setEnabled(ui->autoupdate->isChecked());

    connect(ui->autoupdate, &QCheckBox::toggled, this, &QBetFairCharts::AutoUpdateChecked);
    connect(ui->updateInterval, qOverload<int>(&QSpinBox::valueChanged), this, &QBetFairCharts::SaveInterval);
    connect(ui->clear, &QPushButton::clicked, this, &QBetFairCharts::Clear);

    ui->clear->setEnabled(false);
    ui->refresh->setEnabled(false);
}

QBetFairCharts::~QBetFairCharts()
{
    qDeleteAll(charts);
    charts.clear();
}

void QBetFairCharts::ShowChart(const QString& marketID, qlonglong selectionID, const QString& title, bool add)
{
    if (!add) {
        if (charts.size() == 1)
            Clear();
        else if (charts.size() > 1 && AskConfirm(tr("There are some charts. Delete all?"), false, false))
            Clear();
    }

    const QString address = QBetFair::ChartUrl(marketID, selectionID);
    if (!charts.contains(address)) {
        auto* tile = new QBetFairChart(this, marketID);
        charts.insert(address, tile);
        flowLayout->addWidget(tile);
        connect(tile, &QBetFairChart::DeleteMe, this, &QBetFairCharts::DeleteChart);
        connect(tile, &QBetFairChart::DeleteMarket, this, &QBetFairCharts::DeleteCharts);
        tile->ShowChart(address, title);
        if (!add)
            resize(minimumSize());
        ui->clear->setEnabled(true);
        ui->refresh->setEnabled(true);
    }
    show();
    raise();
}

void QBetFairCharts::DeleteChart(const QString& url)
{
    QBetFairChart* tile = charts.take(url);
    if (!tile)
        return;
    retire(tile);
    tilesChanged();
}

void QBetFairCharts::DeleteCharts(const QString& marketID)
{
    bool removed = false;
    for (auto it = charts.begin(); it != charts.end();) {
        if (it.value()->MarketID() == marketID) {
            retire(it.value());
            it = charts.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    if (removed)
        tilesChanged();
}

void QBetFairCharts::RefreshCharts()
{
    for (QBetFairChart* tile : qAsConst(charts))
        tile->Update();
}

void QBetFairCharts::AutoUpdateChecked(bool val)
{
    ui->updateInterval->setEnabled(val);
    Store(AutoKey, val);
    if (val) {
        refreshTimer.setInterval(ui->updateInterval->value() * 1000);
        refreshTimer.start();
    } else {
        refreshTimer.stop();
    }
}

void QBetFairCharts::SaveInterval(int val)
{
    Store(IntervalKey, val);
    refreshTimer.setInterval(val * 1000);
}

void QBetFairCharts::Clear()
{
    if (!AskConfirm(tr("Delete all charts?"), false, false))
        return;
    for (QBetFairChart* tile : qAsConst(charts))
        retire(tile);
    charts.clear();
    ui->clear->setEnabled(false);
    ui->refresh->setEnabled(false);
    close();
}

void QBetFairCharts::closeEvent(QCloseEvent* event)
{
    Store(SizeKey, size());
    Store(PosKey, pos());
    Store(MaximizedKey, windowState().testFlag(Qt::WindowMaximized));
    QDialog::closeEvent(event);
    event->accept();
}

void QBetFairCharts::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

void QBetFairCharts::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasText()) {
        event->ignore();
        return;
    }
    QWidget* target = childAt(event->pos());
    const QString dragged = mime->text();
    // Only a tile of this window is moved; a text dragged in from elsewhere
    // is refused, so its source keeps it.
    if (!target || !charts.contains(dragged)) {
        event->ignore();
        return;
    }
    if (target->objectName() == QLatin1String("label") || target->objectName() == QLatin1String("title"))
        target = target->parentWidget();
    const QString onto = target->property("url").toString();
    if (onto == dragged) {
        event->ignore();
        return;
    }
    flowLayout->moveItem(dragged, onto);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void QBetFairCharts::retire(QBetFairChart* tile)
{
    disconnect(tile, nullptr, this, nullptr);
    flowLayout->removeWidget(tile);
    tile->hide();
    tile->deleteLater();
}

void QBetFairCharts::tilesChanged()
{
    const bool any = !charts.isEmpty();
    ui->clear->setEnabled(any);
    ui->refresh->setEnabled(any);
    if (!any)
        close();
}
