#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "MyTemplates.h"
#include "ProductSite.h"
#include "QConfirm.h"
#include "Settings.h"
#include "StoredValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QShortcut>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

namespace {

const QString ProgramName = QStringLiteral("Tarnwickstone");

// A text as a script string literal: JSON's quoting, plus the two line
// separators that older script engines end a literal at.
QString ScriptString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2))
        .replace(QChar(0x2028), QLatin1String("\\u2028"))
        .replace(QChar(0x2029), QLatin1String("\\u2029"));
}

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

void MainWindow::LoadHelp()
{
    //: The help pages; %1 is the English web site, %2 the Russian one.
    const QUrl address(ProductSite::Address(tr("%1/help/")), QUrl::TolerantMode);
    connect(ui->helpView, &QWebView::loadFinished, this, [this, address](bool loaded) {
        if (loaded)
            return;
        // Nothing of the help is kept here: say where it lives instead of a blank
        // page. The page is loaded once a run, so a later visit finds this again.
        ui->helpView->setHtml(
            QStringLiteral("<html><body style=\"font-family: sans-serif\"><h3>%1</h3><p>%2</p></body></html>")
                .arg(tr("The help is not available").toHtmlEscaped(),
                    tr("The help pages could not be loaded from %1. Please check your internet "
                       "connection; the help is loaded again at the next start.")
                        .toHtmlEscaped()
                        .arg(address.toDisplayString().toHtmlEscaped())));
    });
    ui->helpView->load(address);
}

void MainWindow::onGetHelp(const QString& anchor)
{
    ui->Tabs->setCurrentIndex(HelpTab);
    ui->helpView->page()->mainFrame()->evaluateJavaScript(
        QStringLiteral("showHelp(%1);").arg(ScriptString(QLatin1Char('#') + anchor)));
}

void MainWindow::NeedEmail()
{
    ui->Tabs->setCurrentIndex(SettingsTab);
    ui->SettingsForm->NeedEmail();
}

void MainWindow::CountryForbidden()
{
    ShowError(tr("It looks like BetFair is forbidden from your current location.\n\nTry to set a proxy from "
                 "Settings - Connection - Proxy"),
        QStringLiteral("CountryForbidden"));
}

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
