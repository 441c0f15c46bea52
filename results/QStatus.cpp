#include "QStatus.h"

#include <QHash>

namespace {

QHash<QString, QStatus*>& Table()
{
    // Kept for the life of the program.
    static QHash<QString, QStatus*> table;
    return table;
}

} // namespace

QStatus::QStatus(const QString& text, const QColor& color)
    : text(text)
    , color(color)
{
}

void QStatus::InitStatuses()
{
    const struct
    {
        const char* code;
        const char* text;
        QColor color;
    } statuses[] = {
        { "OPEN", QT_TR_NOOP("Open"), Qt::black },
        { "WILL-IN-PLAY", QT_TR_NOOP("Will go in-play"), QColor::fromHsl(120, 100, 20, 255) },
        { "SUSPENDED", QT_TR_NOOP("Suspended"), QColor::fromHsl(0, 80, 40, 255) },
        { "IN-PLAY", QT_TR_NOOP("In-play"), QColor::fromHsl(120, 100, 80, 255) },
        { "CLOSED", QT_TR_NOOP("Closed"), Qt::gray },
    };
    QHash<QString, QStatus*>& table = Table();
    for (const auto& status : statuses) {
        QStatus*& entry = table[QLatin1String(status.code)];
        delete entry;
        entry = new QStatus(tr(status.text), status.color);
    }
}

QString QStatus::StatusText(const QString& code)
{
    const QStatus* status = Table().value(code);
    return status ? status->text : code;
}

QColor QStatus::StatusColor(const QString& code)
{
    const QStatus* status = Table().value(code);
    return status ? status->color : QColor(Qt::black);
}
