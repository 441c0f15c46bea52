#include "Settings.h"

#include "ui_SettingsForm.h"

void Settings::UpdateLoginState(bool)
{
}

void Settings::NeedLogin()
{
}

void Settings::UpdateLoginBut()
{
}

void Settings::SetLoginType(int)
{
}

void Settings::DoLogin()
{
}

void Settings::LoggedIn(const QString&)
{
}

void Settings::DoLogOut()
{
}

void Settings::LoggedOut(const QString&)
{
}

void Settings::LogOutAtExit()
{
}
