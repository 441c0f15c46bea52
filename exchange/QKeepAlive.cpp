#include "QKeepAlive.h"

namespace {
const int KeepAliveIntervalMs = 15 * 60 * 1000;
}

QKeepAlive::QKeepAlive()
    : QBetFair(nullptr)
{
    timer.setSingleShot(false);
    timer.setInterval(KeepAliveIntervalMs);
}

bool QKeepAlive::isActive() const
{
    return timer.isActive();
}

void QKeepAlive::start()
{
    timer.start();
}

void QKeepAlive::stop()
{
    timer.stop();
}
