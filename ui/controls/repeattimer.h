#pragma once

#include <QTimer>
#include <functional>

// A one-shot timer the spinner's auto-repeat runs on. Tests replace it with a
// clock of their own so that the repeat pattern can be checked exactly.
class IRepeatTimer {
public:
    virtual ~IRepeatTimer() = default;
    // Calls `onTimeout` once, `ms` milliseconds from now, replacing a call
    // that is still pending.
    virtual void StartOnce(int ms, std::function<void()> onTimeout) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// The real one, on a precise single-shot QTimer.
class QtRepeatTimer : public IRepeatTimer {
public:
    QtRepeatTimer();
    void StartOnce(int ms, std::function<void()> onTimeout) override;
    void Stop() override;
    bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_onTimeout;
};
