#pragma once

#include "ui/controls/repeattimer.h"

#include <QVector>
#include <memory>

// A repeat timer on a clock the test moves by hand.
struct FakeClock {
    qint64 now = 0;
    qint64 due = -1; // -1: nothing pending
    std::function<void()> onTimeout;
    QVector<int> intervals; // every StartOnce, in order

    // Moves the clock to `t`, firing what falls due on the way.
    void advanceTo(qint64 t)
    {
        for (int guard = 0; guard < 10000 && due >= 0 && due <= t; ++guard) {
            now = due;
            due = -1;
            auto call = onTimeout;
            call();
        }
        now = t;
    }
};

class FakeRepeatTimer : public IRepeatTimer {
public:
    explicit FakeRepeatTimer(std::shared_ptr<FakeClock> clock) : m_clock(std::move(clock)) {}
    void StartOnce(int ms, std::function<void()> onTimeout) override
    {
        m_clock->due = m_clock->now + ms;
        m_clock->onTimeout = std::move(onTimeout);
        m_clock->intervals.append(ms);
    }
    void Stop() override { m_clock->due = -1; }
    bool IsActive() const override { return m_clock->due >= 0; }

private:
    std::shared_ptr<FakeClock> m_clock;
};
