#include "UpdateCheck.h"

bool IsUpdateDue(const QDateTime& lastChecked, int period, const QDateTime& now)
{
    if (!lastChecked.isValid())
        return true;
    QDateTime due = lastChecked;
    switch (period) {
    case 0:
        due = lastChecked.addDays(1);
        break;
    case 1:
        due = lastChecked.addDays(7);
        break;
    case 2:
        due = lastChecked.addMonths(1);
        break;
    default:
        break;
    }
    return due < now;
}
