#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "MyAction.h"
#include "QSearcher.h"

#include <QDateTime>
#include <QLocale>

void MainWindow::DoSearch(bool) { }

void MainWindow::LoggedIn() { }

void MainWindow::SearchButClicked() { }

void MainWindow::CancelButClicked() { }

void MainWindow::Update() { }

void MainWindow::UpdatePrices() { }

void MainWindow::SearchDone(int) { }

void MainWindow::SetBusy(bool on, bool update)
{
    if (on) {
        for (QWidget* widget : qAsConst(busyWidgets))
            widget->setEnabled(widget->property("reverseEnabled").toBool());
        ui->ActionRow->SetHeld(true);
        ui->Tabs->setTabText(ResultsTab, update ? tr("Updating...") : tr("Searching..."));
        // Before the events run: a click or a login among them must find the
        // window busy and start nothing.
        busy = true;
        QCoreApplication::processEvents();
        return;
    }
    for (QWidget* widget : qAsConst(busyWidgets))
        widget->setEnabled(!widget->property("reverseEnabled").toBool());
    // Perform follows the panel's own rule again (count, price, amount).
    ui->ActionRow->SetHeld(false);
    Select(ui->Select->currentIndex());
    ui->Tabs->setTabText(ResultsTab, tr("Search results"));
    const bool shown = ui->ResultsTable->Count() > 0;
    for (QWidget* widget : { static_cast<QWidget*>(ui->Expand), static_cast<QWidget*>(ui->Collapse),
             static_cast<QWidget*>(ui->UpdatePrices), static_cast<QWidget*>(ui->ShowCharts) })
        widget->setEnabled(shown);
    if (shown)
        ui->Tabs->setCurrentIndex(ResultsTab);
    ui->Reload->setEnabled(false);
    busy = false;
}

void MainWindow::Select(int)
{
    ui->ResultsTable->Select(ui->Select->currentData().toString());
}

void MainWindow::SetSelectManualy()
{
    ui->Select->setCurrentIndex(ui->Select->findData(QStringLiteral("Manual")));
}

void MainWindow::UpdateFoundCount(int count)
{
    const int matched = ui->Select->findData(QStringLiteral("Matched"));
    if (matched >= 0)
        ui->Select->setItemText(matched, tr("Matched the conditions [%1]").arg(count));
    ui->TimestampLabel->setText(QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}
