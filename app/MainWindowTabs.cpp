#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "MyTemplates.h"
#include "StoredValue.h"

#include <QShortcut>

namespace {

const QString ProgramName = QStringLiteral("Tarnwickstone");

} // namespace

void MainWindow::onTabsCurrentChanged(int index)
{
    if (index != LogTab)
        return;
    ui->Log->setProperty("errors", 0);
    ui->Log->setProperty("warnings", 0);
    ui->Tabs->setTabIcon(LogTab, QIcon(QStringLiteral(":/icons/report.png")));
}

void MainWindow::OnTabShortCut()
{
    if (const QObject* shortcut = sender())
        ui->Tabs->setCurrentIndex(shortcut->property("tab").toInt());
}

void MainWindow::FocusLog()
{
    ui->Tabs->setCurrentIndex(LogTab);
}

void MainWindow::ShowSettingsTab()
{
    ui->Tabs->setCurrentIndex(SettingsTab);
}

void MainWindow::ShowHelpTab()
{
    ui->Tabs->setCurrentIndex(HelpTab);
}

void MainWindow::onGetHelp(const QString&) { }

void MainWindow::NeedEmail() { }

void MainWindow::CountryForbidden() { }

void MainWindow::OnLog(QLog::QLogType t, const QString& message)
{
    // Texts from servers and files must never be read as markup.
    const QString text = message.toHtmlEscaped();
    switch (t) {
    case QLog::QLogType::Info:
        statusIcon.setPixmap(QPixmap(QStringLiteral(":/icons/blank.png")));
        statusMessage.setText(text);
        break;
    case QLog::QLogType::Warning:
        ui->Tabs->setTabIcon(LogTab, QIcon(QStringLiteral(":/icons/report_warning.png")));
        statusIcon.setPixmap(QPixmap(QStringLiteral(":/icons/exclamation.png")));
        statusMessage.setText(QStringLiteral("<span style='color:#960'>%1</span>").arg(text));
        break;
    case QLog::QLogType::Error:
        ui->Tabs->setTabIcon(LogTab, QIcon(QStringLiteral(":/icons/report_error.png")));
        statusIcon.setPixmap(QPixmap(QStringLiteral(":/icons/error.png")));
        statusMessage.setText(QStringLiteral("<span style='color:#900'>%1</span>").arg(text));
        break;
    }
}

QString MainWindow::Title(const QString& name, bool changed) const
{
    if (name.isEmpty() && !changed)
        return ProgramName;
    // One pass: a name holding "%2" stays as it is.
    return QStringLiteral("%1%3 - %2").arg(name, ProgramName, changed ? QStringLiteral("*") : QString());
}

void MainWindow::onTemplateLoaded(const QString& name)
{
    setWindowTitle(Title(name));
    if (!name.isEmpty())
        QLog::Write(QLog::QLogType::Info, tr("Loaded template '%1'").arg(name));
    // The file's base name: a display name from the file's own "name" would
    // not open it again.
    Store(QStringLiteral("Window/curTemplate"), ui->Templates->CurrentBaseName());
}

void MainWindow::onTemplateChanged(bool val)
{
    setWindowTitle(Title(ui->Templates->CurrentTemplate(), val));
}

void MainWindow::ShowCharts()
{
    charts.show();
}

void MainWindow::HideCharts()
{
    charts.hide();
}
