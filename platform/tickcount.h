#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

// A timer that fires once, a given time after it is started, on the clock
// it was made by. Starting it again moves its time; stopping it (or
// destroying it) means it does not fire.
class ISingleShot {
public:
    virtual ~ISingleShot() = default;
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

// Milliseconds since boot as a signed 32-bit value: it wraps to negative
// after 2^31 ms, as the recorder's arithmetic expects.
class ITickSource {
public:
    virtual ~ITickSource() = default;
    virtual qint32 GetTickCount() const = 0;
    // A timer on this clock calling `onTimeout` from the event loop; by
    // default a precise system timer.
    virtual std::unique_ptr<ISingleShot> MakeSingleShot(std::function<void()> onTimeout);
};

class SystemTickSource : public ITickSource {
public:
    qint32 GetTickCount() const override;
};

// A clock the tests set and advance by hand. Its timers fire when the clock
// is moved to or past their time, earliest first, inside set() or advance().
class FakeTickSource : public ITickSource {
public:
    explicit FakeTickSource(qint32 start = 1000);
    ~FakeTickSource() override;
    qint32 GetTickCount() const override { return m_now; }
    std::unique_ptr<ISingleShot> MakeSingleShot(std::function<void()> onTimeout) override;
    void set(qint32 now);
    // Advances with the same two's-complement wrap as the real counter.
    void advance(qint64 ms) { set(static_cast<qint32>(static_cast<quint32>(m_now) + static_cast<quint32>(ms))); }
    // The timers of this clock that wait to fire.
    int activeTimers() const;

    struct Timers;

private:
    qint32 m_now;
    std::shared_ptr<Timers> m_timers;
};

// Corrects a tick that has wrapped past 2^31 relative to a positive reference
// tick: the result is tick + 2^32 - 1 then. Wide enough for 2^33.
qint64 CompensatedTick(qint32 tick, qint32 reference);

// Milliseconds from `earlier` to `later`, correct across one wrap of the counter.
qint64 TickDifference(qint32 later, qint32 earlier);
