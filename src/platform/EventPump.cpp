#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
QElapsedTimer& pumpClock()
{
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t;
}
qint64 g_last = -1000;
}

void pumpEvents()
{
    const qint64 now = pumpClock().elapsed();
    if (now - g_last < 15)
        return;
    pumpEventsNow();
}

void pumpEventsNow()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    g_last = pumpClock().elapsed();
}
