#pragma once

#include <QCoreApplication>
#include <QTranslator>

// Installs the program's translation for a language ("en_GB", "ru_RU") for
// the lifetime of the object; an empty language installs nothing.
class InterfaceLanguage
{
public:
    explicit InterfaceLanguage(const QString& language)
    {
        if (language.isEmpty())
            return;
        loaded = translator.load(QStringLiteral(":/Translations/Tarnwickstone_%1.qm").arg(language));
        if (loaded)
            QCoreApplication::installTranslator(&translator);
    }
    ~InterfaceLanguage() { QCoreApplication::removeTranslator(&translator); }

    bool IsLoadedOrNone() const { return loaded; }

private:
    Q_DISABLE_COPY(InterfaceLanguage)
    QTranslator translator;
    bool loaded = true;
};
