#include "LanguageSetup.h"

#include "DataFolder.h"
#include "QConfirm.h"
#include "SettingsStore.h"

void InitLanguage()
{
    QConfirm::Init();
    if (SettingsStore())
        return;
    OpenSettingsStore(GetConfigDir() + QStringLiteral("settings.ini"));
}
