#include "platform/tickcount.h"
#include "tests/support/eventwait.h"

#include <QElapsedTimer>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

TEST(TickCount, CompensatedTickTable)
{
    struct Case {
        qint32 tick, reference;
        qint64 expected;
    } cases[] = {
        {5000, 1000, 5000},
        {-5, 1000, -5 + 4294967295LL},
        {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(),
         static_cast<qint64>(std::numeric_limits<qint32>::min()) + 4294967295LL},
        {-5, -100, -5},  // both past the wrap: nothing to correct
        {-5, 0, -5},     // a zero reference is not "before the wrap"
        {0, 1000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompensatedTick(c.tick, c.reference), c.expected) << c.tick << " " << c.reference;
}

TEST(TickCount, FakeClockWrapsLikeTheRealCounter)
{
    FakeTickSource clock(std::numeric_limits<qint32>::max() - 50);
    const qint32 before = clock.GetTickCount();
    clock.advance(100);
    EXPECT_LT(clock.GetTickCount(), 0);
    EXPECT_EQ(TickDifference(clock.GetTickCount(), before), 100);
    EXPECT_EQ(CompensatedTick(clock.GetTickCount(), before) - before, 99);  // the counter's own off-by-one
}

TEST(TickCount, SystemTickAdvances)
{
    SystemTickSource clock;
    QElapsedTimer wall;
    wall.start();
    const qint32 a = clock.GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return TickDifference(clock.GetTickCount(), a) >= 30; }, 10000));
    const qint32 ticks = TickDifference(clock.GetTickCount(), a);
    const qint64 elapsed = wall.elapsed();
    // Milliseconds: never ahead of the wall clock (one for rounding).
    EXPECT_GE(ticks, 30);
    EXPECT_LE(ticks, elapsed + 1);
}

// The fake clock's timers fire when the clock reaches them, earliest first
// (ties in the order started), across the counter's wrap; a stopped,
// restarted or destroyed timer keeps to its last say.
TEST(TickCount, FakeClockTimersFireInOrderWhenTheirTimeComes)
{
    FakeTickSource clock(std::numeric_limits<qint32>::max() - 500);
    QStringList fired;
    auto a = clock.MakeSingleShot([&] { fired << QStringLiteral("a"); });
    auto b = clock.MakeSingleShot([&] { fired << QStringLiteral("b"); });
    auto c = clock.MakeSingleShot([&] { fired << QStringLiteral("c"); });
    auto d = clock.MakeSingleShot([&] { fired << QStringLiteral("d"); });
    a->Start(1000);  // past the wrap
    b->Start(300);
    c->Start(300);   // due with b, started after it
    d->Start(200);
    d->Stop();
    EXPECT_EQ(clock.activeTimers(), 3);
    clock.advance(299);
    EXPECT_TRUE(fired.isEmpty());
    clock.advance(1);
    EXPECT_EQ(fired, (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_FALSE(b->Active());
    clock.advance(699);
    EXPECT_EQ(fired.size(), 2);
    clock.advance(1);
    EXPECT_EQ(fired.last(), QStringLiteral("a"));
    EXPECT_LT(clock.GetTickCount(), 0);
    d->Start(200);
    d->Start(500);  // moved
    clock.advance(499);
    EXPECT_EQ(fired.size(), 3);
    clock.advance(1);
    EXPECT_EQ(fired.last(), QStringLiteral("d"));
    b->Start(0);
    b.reset();  // destroyed before its time: never fires
    clock.advance(1);
    EXPECT_EQ(fired.size(), 4);
    EXPECT_EQ(clock.activeTimers(), 0);
}

// A timer whose handler starts it again fires once per move of the clock
// that reaches it, never in a loop inside one move.
TEST(TickCount, FakeClockTimerStartedAgainInItsHandler)
{
    FakeTickSource clock;
    int fired = 0;
    std::unique_ptr<ISingleShot> t;
    t = clock.MakeSingleShot([&] {
        ++fired;
        t->Start(100);
    });
    t->Start(100);
    clock.advance(250);
    EXPECT_EQ(fired, 1);  // the repeat is due 100 ms after the clock's new time
    clock.advance(100);
    EXPECT_EQ(fired, 2);
}

TEST(TickCount, SystemSingleShotFiresOnceFromTheEventLoop)
{
    SystemTickSource clock;
    int fired = 0;
    auto t = clock.MakeSingleShot([&] { ++fired; });
    t->Start(20);
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(fired, 0);  // not inside Start
    ASSERT_TRUE(WaitUntil([&] { return fired > 0; }));
    EXPECT_FALSE(t->Active());
    RunPendingEvents();
    EXPECT_EQ(fired, 1);
}
