#pragma once

#include <QHash>
#include <QString>

// Labels of the exchange's runner-metadata keys ("SEX_TYPE", "TRAINER_NAME"...).
// The source text of each label is the key itself, translated in the context
// "QSilksTooltip", the runner tooltip that shows them beside the condition rows.
class MetadataLabels
{
public:
    MetadataLabels() = delete;

    // Fills the table of known keys; the language set-up calls it once after
    // installing the translators. Calling it again leaves the same table.
    static void Init();

    // The key's label through the translators installed now; a null string for
    // a key that is not in the table (and for every key before Init).
    static QString Name(const QString& key);

    // Key to source text of its label.
    static const QHash<QString, const char*>& Table();
};
