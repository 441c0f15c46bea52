#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "MyAction.h"
#include "MyTemplates.h"
#include "QBetFair.h"
#include "QConfirm.h"
#include "QGetFunds.h"
#include "QSearcher.h"
#include "QSelection.h"
#include "Settings.h"

#include <QDateTime>
#include <QLocale>

void MainWindow::DoSearch(bool update)
{
    // The results view may be refreshing by itself (after bets or cancels).
    if (busy || ui->ResultsTable->IsRunning())
        return;
    // A repeat runs the filter of the last search, whatever the rows hold now.
    if (!update && !ui->Templates->IsValid()) {
        ShowWarning(tr("Please fix all errors market red to perform this search"), QStringLiteral("search"));
        return;
    }
    if (!SessionOpen())
        return;
    SetBusy(true, update);
    // "[Manual selection]" lasts until the next search.
    ui->Select->LoadIndex();
    if (update)
        ui->ResultsTable->Update(true);
    else
        ui->ResultsTable->Search(ui->Templates->GetFilter());
}

bool MainWindow::SessionOpen()
{
    if (QBetFair::IsSessionValid())
        return true;
    // The next login runs a full search.
    ui->Tabs->setCurrentIndex(SettingsTab);
    pendingSearch = true;
    ui->SettingsForm->NeedLogin();
    return false;
}

void MainWindow::LoggedIn()
{
    QSelection::Currency = QBetFair::GetCurrency();
    auto* funds = new QGetFunds;
    funds->EndWith(this);
    connect(funds, &QGetFunds::FundsReceived, ui->ResultsTable, &QSearcher::FundsReceived);
    funds->GetFunds();
    if (pendingSearch) {
        pendingSearch = false;
        ui->Tabs->setCurrentIndex(ConditionsTab);
        DoSearch(false);
    }
}

void MainWindow::SearchButClicked()
{
    DoSearch(false);
}

void MainWindow::CancelButClicked()
{
    ui->SearchBut->setEnabled(false);
    emit ui->ResultsTable->Cancel();
}

void MainWindow::Update()
{
    DoSearch(true);
}

void MainWindow::UpdatePrices()
{
    if (busy || ui->ResultsTable->IsRunning())
        return;
    if (!SessionOpen())
        return;
    // With no market shown the view refreshes nothing and reports nothing.
    if (ui->ResultsTable->Count() == 0)
        return;
    SetBusy(true, true);
    ui->ResultsTable->UpdatePrices();
}

void MainWindow::SearchDone(int count)
{
    ui->Nothing->setVisible(count == 0);
    ui->ResultsTable->setVisible(count > 0);
    SetBusy(false, false);
    ui->Reload->setEnabled(true);
}

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
