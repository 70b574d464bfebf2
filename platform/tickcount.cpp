#include "platform/tickcount.h"

#include <ctime>

qint32 SystemTickSource::GetTickCount() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const quint64 ms = static_cast<quint64>(ts.tv_sec) * 1000u + static_cast<quint64>(ts.tv_nsec) / 1000000u;
    return static_cast<qint32>(static_cast<quint32>(ms));
}

qint64 CompensatedTick(qint32 tick, qint32 reference)
{
    if (reference > 0 && tick < 0)
        return static_cast<qint64>(tick) + 4294967295LL;
    return tick;
}

qint64 TickDifference(qint32 later, qint32 earlier)
{
    return static_cast<qint64>(static_cast<qint32>(static_cast<quint32>(later) - static_cast<quint32>(earlier)));
}
