#include "Settings.h"

#include "ui_SettingsForm.h"

#include "QBetFair.h"

#include <QNetworkProxy>

bool Settings::GetProxy(QNetworkProxy&)
{
    return false;
}

void Settings::ProxyTypeChanged(int)
{
}

void Settings::EnableApplyConnectionSettings()
{
}

void Settings::ApplyConnectionSettings()
{
}

bool Settings::ApplyProxy()
{
    UpdateLoginState(QBetFair::IsSessionValid());
    return true;
}

void Settings::TestInternet()
{
}

void Settings::TestInternetFinished(const QString&)
{
}

void Settings::CancelTest()
{
}

void Settings::ProxyImportSystemSettings()
{
}
