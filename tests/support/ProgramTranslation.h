#pragma once

// Only for tests that link the program's resources (through tw_common).

#include <QCoreApplication>
#include <QTranslator>

// The program's translation into language ("ru_RU") for the object's
// lifetime; none for an empty language.
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

    // False when the language asked for is not among the resources.
    bool isValid() const { return !wanted || !translator.isEmpty(); }

private:
    Q_DISABLE_COPY(ProgramTranslation)

    const bool wanted;
    QTranslator translator;
};
