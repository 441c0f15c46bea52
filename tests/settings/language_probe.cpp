// Starts the program's language set-up as main does and prints what it chose,
// one JSON object on standard output, for tst_languagesetup.

#include "LanguageSetup.h"
#include "MetadataLabels.h"
#include "QBetFair.h"
#include "QConfirm.h"
#include "QStatus.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSettings>

#include <cstdio>

namespace {

QJsonObject Snapshot()
{
    QJsonArray languages;
    for (const QString& key : LanguageCodes()) {
        const LanguageInfo& language = Languages.value(key);
        languages.append(QJsonObject { { "key", key }, { "code", language.code }, { "name", language.name },
            { "country", language.country }, { "flag", LanguageFlag(language) } });
    }
    return QJsonObject {
        { "languages", languages },
        { "exchangeLocale", QBetFair::Locale },
        { "locale", QLocale().name() },
        { "status", QStatus::StatusText("OPEN") },
        { "metadata", MetadataLabels::Name("SEX_TYPE") },
        { "toolkit", QCoreApplication::translate("QPlatformTheme", "Cancel") },
        { "settingsFile", SettingsStore() ? SettingsStore()->fileName() : QString() },
    };
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwickstone"));

    InitLanguage();
    QJsonObject first = Snapshot();
    const QConfirm* confirm = QConfirm::Instance();
    const QSettings* store = SettingsStore();

    InitLanguage();
    first.insert("secondCallChangesNothing",
        Snapshot() == first && QConfirm::Instance() == confirm && SettingsStore() == store);

    CloseSettingsStore();
    std::fputs(QJsonDocument(first).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
