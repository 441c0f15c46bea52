#include "ProductSite.h"

QString ProductSite::English = QStringLiteral("https://tarnwickstone.com");
QString ProductSite::Russian = QStringLiteral("https://tarnwickstone.ru");

QString ProductSite::Address(const QString& translated)
{
    QString address;
    address.reserve(translated.size() + English.size());
    for (int i = 0; i < translated.size(); ++i) {
        const QChar next = i + 1 < translated.size() ? translated.at(i + 1) : QChar();
        if (translated.at(i) == QLatin1Char('%') && (next == QLatin1Char('1') || next == QLatin1Char('2'))) {
            address += next == QLatin1Char('1') ? English : Russian;
            ++i;
        } else {
            address += translated.at(i);
        }
    }
    return address;
}
