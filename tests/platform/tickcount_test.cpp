#include "platform/tickcount.h"
#include "tests/support/eventwait.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <limits>

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
