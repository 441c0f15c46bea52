#include "MetadataLabels.h"

#include <QCoreApplication>

namespace {

constexpr char kContext[] = "QSilksTooltip";

const char* const kKeys[] = {
    QT_TRANSLATE_NOOP("QSilksTooltip", "SEX_TYPE"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "TRAINER_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "OWNER_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "JOCKEY_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "AGE"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "COLOUR_TYPE"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "OFFICIAL_RATING"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "ADJUSTED_RATING"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAYS_SINCE_LAST_RUN"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "WEARING"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "JOCKEY_CLAIM"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "STALL_DRAW"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "WEIGHT_VALUE"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "CLOTH_NUMBER"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "SIRE_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "SIRE_YEAR_BORN"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_YEAR_BORN"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_SIRE_NAME"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_SIRE_YEAR_BORN"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "FORECASTPRICE_NUMERATOR"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "FORECASTPRICE_DENOMINATOR"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "FORM"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "BRED"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "SIRE_BRED"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_BRED"),
    QT_TRANSLATE_NOOP("QSilksTooltip", "DAM_SIRE_BRED"),
};

QHash<QString, const char*>& table()
{
    static QHash<QString, const char*> names;
    return names;
}

} // namespace

void MetadataLabels::Init()
{
    QHash<QString, const char*>& names = table();
    for (const char* key : kKeys)
        names.insert(QString::fromLatin1(key), key);
}

QString MetadataLabels::Name(const QString& key)
{
    const QHash<QString, const char*>& names = table();
    const auto found = names.constFind(key);
    if (found == names.constEnd())
        return QString();
    return QCoreApplication::translate(kContext, found.value());
}

const QHash<QString, const char*>& MetadataLabels::Table()
{
    return table();
}
