#include "platform/tickcount.h"

#include <QTimer>

#include <algorithm>
#include <ctime>

namespace {
class SystemSingleShot : public ISingleShot {
public:
    explicit SystemSingleShot(std::function<void()> onTimeout)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTimeout));
    }
    void Start(int milliseconds) override { m_timer.start(std::max(0, milliseconds)); }
    void Stop() override { m_timer.stop(); }
    bool Active() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};
}  // namespace

std::unique_ptr<ISingleShot> ITickSource::MakeSingleShot(std::function<void()> onTimeout)
{
    return std::make_unique<SystemSingleShot>(std::move(onTimeout));
}

struct FakeTickSource::Timers {
    struct Entry {
        int id;
        bool active = false;
        qint32 due = 0;
        quint64 order = 0;  // when started: timers due at one tick fire in the order they were started
        std::function<void()> onTimeout;
    };
    std::vector<Entry> entries;
    int nextId = 0;
    quint64 started = 0;
    qint32 now = 0;
    Entry* find(int id)
    {
        const auto it = std::find_if(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; });
        return it == entries.end() ? nullptr : &*it;
    }
};

namespace {
class FakeSingleShot : public ISingleShot {
public:
    FakeSingleShot(std::weak_ptr<FakeTickSource::Timers> timers, int id) : m_timers(std::move(timers)), m_id(id) {}
    ~FakeSingleShot() override
    {
        if (const auto t = m_timers.lock())
            std::erase_if(t->entries, [this](const auto& e) { return e.id == m_id; });
    }
    void Start(int milliseconds) override
    {
        if (const auto t = m_timers.lock()) {
            auto* e = t->find(m_id);
            e->active = true;
            e->due = static_cast<qint32>(static_cast<quint32>(t->now) + static_cast<quint32>(std::max(0, milliseconds)));
            e->order = ++t->started;
        }
    }
    void Stop() override
    {
        if (const auto t = m_timers.lock())
            t->find(m_id)->active = false;
    }
    bool Active() const override
    {
        const auto t = m_timers.lock();
        return t && t->find(m_id)->active;
    }

private:
    std::weak_ptr<FakeTickSource::Timers> m_timers;
    int m_id;
};
}  // namespace

FakeTickSource::FakeTickSource(qint32 start) : m_now(start), m_timers(std::make_shared<Timers>())
{
    m_timers->now = start;
}

FakeTickSource::~FakeTickSource() = default;

std::unique_ptr<ISingleShot> FakeTickSource::MakeSingleShot(std::function<void()> onTimeout)
{
    const int id = ++m_timers->nextId;
    m_timers->entries.push_back({id, false, 0, 0, std::move(onTimeout)});
    return std::make_unique<FakeSingleShot>(m_timers, id);
}

void FakeTickSource::set(qint32 now)
{
    m_now = now;
    m_timers->now = now;
    // Bounded: a timer that starts itself again at 0 ms cannot hold the clock.
    for (int round = 0; round < 10000; ++round) {
        const Timers::Entry* next = nullptr;
        for (const auto& e : m_timers->entries) {
            if (e.active && TickDifference(now, e.due) >= 0 &&
                (!next || TickDifference(e.due, next->due) < 0 || (e.due == next->due && e.order < next->order)))
                next = &e;
        }
        if (!next)
            return;
        const int id = next->id;
        m_timers->find(id)->active = false;
        // A copy: the handler may destroy its timer.
        const std::function<void()> onTimeout = m_timers->find(id)->onTimeout;
        onTimeout();
    }
}

int FakeTickSource::activeTimers() const
{
    return static_cast<int>(std::count_if(m_timers->entries.begin(), m_timers->entries.end(),
                                          [](const Timers::Entry& e) { return e.active; }));
}

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
