#include "Settings.h"

#include "ui_SettingsForm.h"

#include "MailRules.h"
#include "QConfirm.h"
#include "SMTPThread.h"

#include <QUrl>

namespace {

const QString ProductName = QStringLiteral("Tarnwickstone");

} // namespace

void Settings::SetSMTPServer(const QString&)
{
    ui->SMTPport->setText(QStringLiteral("465"));
    ui->SMTPssl->setChecked(true);
    // Set here, not by the user: stored here, so the e-mail of the results
    // uses what the page shows.
    if (!loading) {
        StoreOption(QStringLiteral("SMTPport"), ui->SMTPport->text());
        StoreOption(QStringLiteral("SMTPssl"), true);
    }
}

void Settings::ChangePort(bool ssl)
{
    // The stored port is shown as it was stored.
    if (loading)
        return;
    const QString port = PortForSsl(ui->SMTPport->text(), ssl);
    if (port == ui->SMTPport->text())
        return;
    ui->SMTPport->setText(port);
    StoreOption(QStringLiteral("SMTPport"), port);
}

void Settings::UpdateSMTPTestBut()
{
    const QString server = ui->SMTPserver->currentText();
    // Only into an empty field, and never while the user types in it.
    if (!loading && sender() != ui->SMTPfrom && ui->SMTPfrom->text().isEmpty() && !server.isEmpty()
        && ui->SMTPusername->hasAcceptableInput()) {
        ui->SMTPfrom->setText(DerivedSender(server, ui->SMTPusername->text()));
        if (ui->SMTPfrom->hasAcceptableInput())
            StoreOption(QStringLiteral("SMTPfrom"), ui->SMTPfrom->text());
    }
    ui->SMTPtest->setEnabled(!server.isEmpty() && ui->SMTPto->hasAcceptableInput()
        && ui->SMTPfrom->hasAcceptableInput() && ui->SMTPport->text().toInt() > 0);
}

void Settings::SMTPTest()
{
    if (!AskConfirm(tr("I'm going to send a test e-mail message using the credentials you provided on this "
                       "page.\nAre you sure?"),
            true, true))
        return;
    setEnabled(false);
    const QString site = QUrl(ProductSiteAddress()).host();
    const QString body = tr("Hello,<br><br>This is a test message you (or somebody else) sent from <a "
                            "href=http://%2/>%1</a>.<br>If you see it then everything works fine.<br><br>Thank "
                            "you for using our software.<br><br>-- <br>Yours faithfully,<br> %1")
                             .arg(ProductName, site);
    auto* thread = new SMTPThread(ui->SMTPserver->currentText(), ui->SMTPport->text().toInt(),
        ui->SMTPssl->checkState() == Qt::Checked, ui->SMTPfrom->text(), ProductName, ui->SMTPto->text(), QString(),
        tr("Test message"), body, ui->SMTPusername->text(), ui->SMTPpassword->text(), QStringList());
    connect(thread, &SMTPThread::resultReady, this, &Settings::SMTPtestDone);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::InheritPriority);
}

void Settings::SMTPtestDone(const QString& error)
{
    if (error == QLatin1String("OK"))
        ShowInfo(tr("Message succesfully sent"));
    else
        ShowError(EscapeForBox(error), QStringLiteral("SMTP"));
    setEnabled(true);
}

void Settings::NeedEmail()
{
    setCurrentIndex(MailPage);
    ShowWarning(tr("Please fill e-mail settings"), QStringLiteral("settings_email"));
}
