#pragma once

// Only for tests that link the program's resources (through tw_common).

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

// The program's translation into a language ("ru_RU"), installed until
// remove() or the end of its scope. An empty language installs nothing.
class ProgramTranslation
{
public:
    explicit ProgramTranslation(const QString& language)
        : wanted(!language.isEmpty())
    {
        if (wanted && translator.load(QStringLiteral(":/Translations/Tarnwickstone_%1.qm").arg(language)))
            QCoreApplication::installTranslator(&translator);
    }

    ~ProgramTranslation() { remove(); }

    // False when a language was asked for and is not among the resources.
    bool isValid() const { return !wanted || !translator.isEmpty(); }

    void remove() { QCoreApplication::removeTranslator(&translator); }

private:
    Q_DISABLE_COPY(ProgramTranslation)

    const bool wanted;
    QTranslator translator;
};
