#include "QStatus.h"

#include <map>
#include <memory>

namespace {

// The table owns its entries: they go with it when the program ends.
using StatusTable = std::map<QString, std::unique_ptr<const QStatus>>;

StatusTable& Table()
{
    static StatusTable table;
    return table;
}

const QStatus* Find(const QString& code)
{
    const StatusTable& table = Table();
    const auto found = table.find(code);
    return found == table.end() ? nullptr : found->second.get();
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
    StatusTable& table = Table();
    for (const auto& status : statuses)
        table[QLatin1String(status.code)] = std::make_unique<const QStatus>(tr(status.text), status.color);
}

QString QStatus::StatusText(const QString& code)
{
    const QStatus* status = Find(code);
    return status ? status->text : code;
}

QColor QStatus::StatusColor(const QString& code)
{
    const QStatus* status = Find(code);
    return status ? status->color : QColor(Qt::black);
}
