#include "Settings.h"

#include "ui_SettingsForm.h"

#include "DownloadDialog.h"
#include "QCatalog.h"
#include "QConfirm.h"
#include "QLog.h"
#include "QSportsCatalog.h"
#include "QVersionChecker.h"
#include "SettingsStore.h"
#include "SetupProgram.h"
#include "Terms.h"
#include "UpdateCheck.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QTimer>

namespace {

// How long a declined terms dialog waits before the program ends: the end
// comes from the main event loop, once it runs.
constexpr int ByeDelayMs = 10;

} // namespace

QString Settings::LastCheckedText(const QDateTime& moment)
{
    return tr("Last checked %1").arg(QLocale().toString(moment, QLocale::LongFormat));
}

bool Settings::UpdateDue() const
{
    if (!Option(QStringLiteral("CheckForUpdates"), true).toBool())
        return false;
    return IsUpdateDue(Option(QStringLiteral("LastChecked"), QVariant()).toDateTime(),
        Option(QStringLiteral("UpdatesPeriod"), 0).toInt(), QDateTime::currentDateTime());
}

bool Settings::TermsAccepted()
{
    QSettings* store = SettingsStore();
    if (store && store->value(QStringLiteral("TermsAccepted"), false).toBool())
        return true;
    auto* terms = new Terms(nullptr);
    if (terms->exec()) {
        if ((store = SettingsStore()))
            store->setValue(QStringLiteral("TermsAccepted"), true);
        terms->deleteLater();
        return true;
    }
    QTimer::singleShot(ByeDelayMs, terms, &Terms::bye);
    return false;
}

void Settings::CheckVersion()
{
    ui->CheckNow->setEnabled(false);
    QLog::Write(QLog::QLogType::Info, tr("Checking program version..."));
    auto* checker = new QVersionChecker();
    checker->EndWith(this);
    connect(checker, &QVersionChecker::Done, this, &Settings::CheckVersionFinished);
    checker->Check();
}

void Settings::CheckVersionFinished(const QString& error, const QJsonObject& o)
{
    ui->CheckNow->setEnabled(true);
    if (!error.isEmpty()) {
        Report(true, error, QStringLiteral("NetworkError"));
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    StoreOption(QStringLiteral("LastChecked"), now);
    ui->LastChecked->setText(LastCheckedText(now));
    ui->LastChecked->show();

    if (!OffersNewerVersion(o)) {
        Report(false, tr("You are using the latest version. Thank you for checking."), QString());
    } else if (AskConfirm(tr("A newer version has been discovered.<hr><h4>What's new:</h4>%1<hr>Would you like "
                             "to update?")
                              .arg(o.value(QLatin1String("description")).toString()),
                   false, true)) {
        const QString address = o.value(QLatin1String("URL")).toObject().value(QLatin1String("win")).toString();
        DownloadDialog download(QUrl(address, QUrl::TolerantMode));
        if (download.exec() == QDialog::Accepted) {
            const QString setup = download.FileName();
            if (setup.isEmpty() || !SetupProgram::Start(setup)) {
                ShowError(tr("Unable to start setup executable"), QStringLiteral("StartSetup"));
            } else {
                // The set-up replaces this program: nothing more is fetched.
                QCoreApplication::quit();
                return;
            }
        }
    }

    for (QCatalog* catalog : { QCatalog::countries, static_cast<QCatalog*>(QCatalog::sports), QCatalog::marketTypes }) {
        if (catalog)
            catalog->UpdateFromInternet();
    }
    if (Option(QStringLiteral("UpdateTemplates"), true).toBool())
        emit requireUpdateFromInternet();
}
