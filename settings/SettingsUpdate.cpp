#include "Settings.h"

#include "ui_SettingsForm.h"

#include "UpdateCheck.h"

bool Settings::UpdateDue() const
{
    if (!Option(QStringLiteral("CheckForUpdates"), true).toBool())
        return false;
    return IsUpdateDue(Option(QStringLiteral("LastChecked"), QVariant()).toDateTime(),
        Option(QStringLiteral("UpdatesPeriod"), 0).toInt(), QDateTime::currentDateTime());
}

bool Settings::TermsAccepted()
{
    return true;
}

void Settings::CheckVersion()
{
}

void Settings::CheckVersionFinished(const QString&, const QJsonObject&)
{
}
