#pragma once

#include <QtGlobal>

// Milliseconds since boot as a signed 32-bit value: it wraps to negative
// after 2^31 ms, as the recorder's arithmetic expects.
class ITickSource {
public:
    virtual ~ITickSource() = default;
    virtual qint32 GetTickCount() const = 0;
};

class SystemTickSource : public ITickSource {
public:
    qint32 GetTickCount() const override;
};

// A clock the tests set and advance by hand.
class FakeTickSource : public ITickSource {
public:
    explicit FakeTickSource(qint32 start = 1000) : m_now(start) {}
    qint32 GetTickCount() const override { return m_now; }
    void set(qint32 now) { m_now = now; }
    // Advances with the same two's-complement wrap as the real counter.
    void advance(qint64 ms) { m_now = static_cast<qint32>(static_cast<quint32>(m_now) + static_cast<quint32>(ms)); }

private:
    qint32 m_now;
};

// Corrects a tick that has wrapped past 2^31 relative to a positive reference
// tick: the result is tick + 2^32 - 1 then. Wide enough for 2^33.
qint64 CompensatedTick(qint32 tick, qint32 reference);

// Milliseconds from `earlier` to `later`, correct across one wrap of the counter.
qint64 TickDifference(qint32 later, qint32 earlier);
