#pragma once

// Only for tests that link the program's resources (through tw_common).

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

// The program's translation into a language ("ru_RU") for the object's
// lifetime. An empty language installs nothing.
class ProgramTranslation
{
public:
    explicit ProgramTranslation(const QString& language)
        : wanted(!language.isEmpty())
    {
        if (wanted && translator.load(":/Translations/Tarnwickstone_" + language + ".qm"))
            QCoreApplication::installTranslator(&translator);
    }
    ~ProgramTranslation() { QCoreApplication::removeTranslator(&translator); }

    // False when a language was asked for and is not among the resources.
    bool isValid() const { return !wanted || !translator.isEmpty(); }

private:
    Q_DISABLE_COPY(ProgramTranslation)

    const bool wanted;
    QTranslator translator;
};
