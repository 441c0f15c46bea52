#include "Settings.h"

#include "ui_SettingsForm.h"

void Settings::SetSMTPServer(const QString&)
{
}

void Settings::ChangePort(bool)
{
}

void Settings::UpdateSMTPTestBut()
{
}

void Settings::SMTPTest()
{
}

void Settings::SMTPtestDone(const QString&)
{
}

void Settings::NeedEmail()
{
}
