#include "ui/controls/repeattimer.h"

QtRepeatTimer::QtRepeatTimer()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // The callback may start the timer again, which replaces m_onTimeout.
        auto call = m_onTimeout;
        if (call)
            call();
    });
}

void QtRepeatTimer::StartOnce(int ms, std::function<void()> onTimeout)
{
    m_onTimeout = std::move(onTimeout);
    m_timer.start(ms);
}

void QtRepeatTimer::Stop()
{
    m_timer.stop();
    m_onTimeout = nullptr;
}
