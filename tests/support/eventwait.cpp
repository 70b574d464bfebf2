#include "tests/support/eventwait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

void RunEventsFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

void RunPendingEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        QObject marker;  // a late timer dies with it
        bool reached = false;
        QTimer::singleShot(0, &marker, [&reached] { reached = true; });
        WaitUntil([&reached] { return reached; }, 60000);
    }
}

namespace {

// Counts the timer events that reach QTimers of one interval.
class TimerTickCounter : public QObject {
public:
    explicit TimerTickCounter(int intervalMs) : m_intervalMs(intervalMs) { qApp->installEventFilter(this); }
    ~TimerTickCounter() override { qApp->removeEventFilter(this); }
    int ticks() const { return m_ticks; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer) {
            const auto* timer = qobject_cast<QTimer*>(watched);
            if (timer && timer->interval() == m_intervalMs)
                ++m_ticks;
        }
        return false;
    }

private:
    int m_intervalMs;
    int m_ticks = 0;
};

}  // namespace

bool WaitForTimerTicks(int intervalMs, int ticks, int timeoutMs)
{
    TimerTickCounter counter(intervalMs);
    const bool seen = WaitUntil([&] { return counter.ticks() >= ticks; }, timeoutMs);
    RunPendingEvents(1);  // what the last tick queued
    return seen;
}

TempFolder::TempFolder() = default;

QString TempFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TempFolder::file(const QString& name) const
{
    return path() + name;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}
