#include "LanguageSetup.h"

#include "DataFolder.h"
#include "QBetFair.h"
#include "QConfirm.h"
#include "QSilksTooltip.h"
#include "QStatus.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include <algorithm>

QHash<QString, LanguageInfo> Languages;

namespace {

const QString TranslationFolder = QStringLiteral(":/Translations/");
const QString FilePrefix = QStringLiteral("Tarnwickstone_");
const QString LanguageKey = QStringLiteral("Options/Language");
const QString DefaultLanguage = QStringLiteral("en");

// Installed once and kept for the whole process.
QTranslator* programTranslator = nullptr;
QTranslator* toolkitTranslator = nullptr;

// Each translation file names its own language under this key.
const char* const LanguageNameKey = QT_TRANSLATE_NOOP("Settings", "LanguageName");

// "Tarnwickstone_" + five-character locale code + ".qm"
bool IsTranslationFile(const QString& fileName)
{
    return fileName.size() == FilePrefix.size() + 5 + 3 && fileName.startsWith(FilePrefix)
        && fileName.endsWith(QLatin1String(".qm")) && fileName.at(FilePrefix.size() + 2) == QLatin1Char('_');
}

// Fills Languages from the resources; returns the language of the file whose
// locale code is the system locale's name, else English.
QString ReadLanguages()
{
    QString systemLanguage = DefaultLanguage;
    const QString systemLocale = QLocale::system().name();
    const QStringList files = QDir(TranslationFolder).entryList();
    for (const QString& fileName : files) {
        if (!IsTranslationFile(fileName))
            continue;
        const QString code = fileName.mid(FilePrefix.size(), 5);
        const QString language = code.left(2);
        QTranslator file;
        file.load(fileName, TranslationFolder);
        if (code == systemLocale)
            systemLanguage = language;
        Languages.insert(language, { code, file.translate("Settings", LanguageNameKey), code.right(2) });
    }
    return systemLanguage;
}

} // namespace

QStringList LanguageCodes()
{
    QStringList codes = Languages.keys();
    std::sort(codes.begin(), codes.end());
    return codes;
}

QString LanguageFlag(const LanguageInfo& language)
{
    return QStringLiteral(":/countries/%1.png").arg(language.country);
}

void InitLanguage()
{
    QConfirm::Init();
    if (SettingsStore())
        return;

    const QString defaultLanguage = ReadLanguages();
    QSettings* store = OpenSettingsStore(GetConfigDir() + QStringLiteral("settings.ini"));

    QString language = store->value(LanguageKey, defaultLanguage).toString();
    if (!Languages.contains(language))
        language = DefaultLanguage;
    const LanguageInfo& chosen = Languages[language];

    // The language is fixed for the run: nothing replaces these.
    programTranslator = new QTranslator();
    programTranslator->load(FilePrefix + chosen.code, TranslationFolder);
    toolkitTranslator = new QTranslator();
    toolkitTranslator->load(
        QStringLiteral("qt_") + language, QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    QBetFair::SetLocale(language);
    QCoreApplication::installTranslator(programTranslator);
    QCoreApplication::installTranslator(toolkitTranslator);
    QLocale::setDefault(QLocale(chosen.code));

    QStatus::InitStatuses();
    QSilksTooltip::InitMetadataNames();

    // Also when nothing changed: the key then always names a language that
    // has a translation file.
    store->setValue(LanguageKey, language);
}
