#include "platform/sleeper.h"

#include <QThread>

void ThreadSleeper::Sleep(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}
