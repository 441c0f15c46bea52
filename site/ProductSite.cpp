#include "ProductSite.h"

QString ProductSite::English = QStringLiteral("https://tarnwickstone.com");
QString ProductSite::Russian = QStringLiteral("https://tarnwickstone.ru");

QString ProductSite::Address(const QString& translated, const QStringList& values)
{
    QString address;
    address.reserve(translated.size() + English.size());
    for (int i = 0; i < translated.size(); ++i) {
        const int marker = i + 1 < translated.size() && translated.at(i) == QLatin1Char('%')
            ? translated.at(i + 1).digitValue()
            : -1;
        if (marker == 1 || marker == 2) {
            address += marker == 1 ? English : Russian;
            ++i;
        } else if (marker >= 3 && marker - 3 < values.size()) {
            address += values.at(marker - 3);
            ++i;
        } else {
            address += translated.at(i);
        }
    }
    return address;
}
