#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// One language of the program, from its translation file
// ":/Translations/Tarnwickstone_<code>.qm".
struct LanguageInfo
{
    QString code; // locale code of the file, "en_GB"
    QString name; // the language's own name, "English"
    QString country; // the country part of code, "GB"
};

// The program's languages by two-letter code ("en", "ru"). InitLanguage fills
// it once; nothing changes it afterwards.
extern QHash<QString, LanguageInfo> Languages;

// The keys of Languages in ascending order: a QHash iterates in another
// order in every run, and the language lists must not move about.
QStringList LanguageCodes();

// The flag shown beside a language.
QString LanguageFlag(const LanguageInfo& language);

// Start-up of the message boxes, the settings store and the language, run
// once by main before the main window is built and before anything reads the
// store or a translated text. The language is "Options/Language" or, when
// nothing is stored, the one whose file's locale code is exactly the system
// locale's name, else English; a code without a translation file reads as
// English. The choice is written back, the program's and the toolkit's
// translators are installed for the rest of the process, the default locale
// and the exchange's locale follow it, and the translated tables of market
// statuses and runner-metadata labels are filled. A second call only
// re-checks the message-box singleton.
void InitLanguage();
