// The recording's clock on its own: time passed and left, the tray tip,
// the timed end, pauses and the tick counter's wrap.
#include "recorder/recordingclock.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

qint32 after(qint32 start, qint64 ms)
{
    return static_cast<qint32>(static_cast<quint32>(start) + static_cast<quint32>(ms));
}

struct ClockCase {
    const char* name;
    bool timed;
    qint32 minutes;
    qint32 start;
    qint64 pauseAt; // -1: no pause
    qint64 pauseMs;
    qint64 elapsed; // from the start, pause included
    RecorderClock clock;
    const char* tip;
    bool overdue;    // the flowing data's clock ends the recording
    bool endReached; // the timed end, data or not
};

// clang-format off
const ClockCase kCases[] = {
    {"untimed at the start", false, 60, 1000, -1, 0, 0, {0, 0, 0, 0, 0, 0}, "RECORDING Jazz... (0:00)", false, false},
    {"untimed, 59.4 s", false, 60, 1000, -1, 0, 59400, {0, 0, 59, 0, 0, 0}, "RECORDING Jazz... (0:59)", false, false},
    {"untimed, 60.5 s rounds down to the minute", false, 60, 1000, -1, 0, 60500, {0, 1, 0, 0, 0, 0},
     "RECORDING Jazz... (1:00)", false, false},
    {"untimed, 5:09", false, 60, 1000, -1, 0, 309000, {0, 5, 9, 0, 0, 0}, "RECORDING Jazz... (5:09)", false, false},
    {"untimed, hours", false, 1, 1000, -1, 0, 3669400, {1, 1, 9, 0, 0, 0}, "RECORDING Jazz... (1:01:09)", false,
     false},
    {"one minute, half way", true, 1, 100000, -1, 0, 30000, {0, 0, 30, 0, 0, 30},
     "RECORDING Jazz... (0:30) (-0:30 left)", false, false},
    {"one minute, 60.4 s", true, 1, 100000, -1, 0, 60400, {0, 1, 0, 0, 0, 0}, "RECORDING Jazz... (1:00) (-0:00 left)",
     false, false},
    {"one minute, 60.5 s: the end, the clock still at zero left", true, 1, 100000, -1, 0, 60500, {0, 1, 0, 0, 0, 0},
     "RECORDING Jazz... (1:00) (-0:00 left)", false, true},
    {"one minute, 60.6 s: overdue", true, 1, 100000, -1, 0, 60600, {0, 1, 1, -1, -1, 59},
     "RECORDING Jazz... (1:01) (--1:59 left)", true, true},
    {"one minute, long overdue", true, 1, 100000, -1, 0, 185000, {0, 3, 5, -1, -3, 55},
     "RECORDING Jazz... (3:05) (--3:55 left)", true, true},
    {"hours left at the start", true, 125, 100000, -1, 0, 0, {0, 0, 0, 2, 5, 0},
     "RECORDING Jazz... (0:00:00) (-2:05:00 left)", false, false},
    {"hours passed", true, 125, 100000, -1, 0, 5405000, {1, 30, 5, 0, 34, 55},
     "RECORDING Jazz... (1:30:05) (-0:34:55 left)", false, false},
    {"timed without a length never ends", true, 0, 100000, -1, 0, 10000, {0, 0, 10, -1, -1, 50},
     "RECORDING Jazz... (0:10) (--1:50 left)", false, false},
    {"the counter wraps while recording", true, 5, kMax - 5000, -1, 0, 20000, {0, 0, 20, 0, 4, 40},
     "RECORDING Jazz... (0:20) (-4:40 left)", false, false},
    {"a pause is left out", true, 10, 100000, 10000, 30000, 40000, {0, 0, 10, 0, 9, 50},
     "RECORDING Jazz... (0:10) (-9:50 left)", false, false},
    {"the counter wraps during a pause", true, 5, kMax - 20000, 10000, 30000, 40100, {0, 0, 10, 0, 4, 50},
     "RECORDING Jazz... (0:10) (-4:50 left)", false, false},
    {"a pause moves the timed end", true, 1, 100000, 10000, 30000, 90500, {0, 1, 0, 0, 0, 0},
     "RECORDING Jazz... (1:00) (-0:00 left)", false, true},
};
// clang-format on
} // namespace

TEST(RecordingClock, PassedLeftTipAndTimedEnd)
{
    for (const ClockCase& c : kCases) {
        SCOPED_TRACE(c.name);
        RecordingClock clock;
        clock.Start(c.start);
        if (c.pauseAt >= 0) {
            clock.Pause(after(c.start, c.pauseAt));
            clock.Resume(after(c.start, c.pauseAt + c.pauseMs));
        }
        const qint32 tick = after(c.start, c.elapsed);
        EXPECT_EQ(clock.TimedEndReached(tick, c.timed, c.minutes), c.endReached);
        clock.Show(tick, c.timed, c.minutes);
        const RecorderClock v = clock.Value();
        EXPECT_EQ((std::vector<qint32>{v.lngHoursPassed, v.lngMinutesPassed, v.lngSecondsPassed}),
                  (std::vector<qint32>{c.clock.lngHoursPassed, c.clock.lngMinutesPassed, c.clock.lngSecondsPassed}));
        EXPECT_EQ((std::vector<qint32>{v.lngHoursLeft, v.lngMinutesLeft, v.lngSecondsLeft}),
                  (std::vector<qint32>{c.clock.lngHoursLeft, c.clock.lngMinutesLeft, c.clock.lngSecondsLeft}));
        EXPECT_EQ(clock.TrayTip(QStringLiteral("Jazz")), QString::fromUtf8(c.tip));
        EXPECT_EQ(clock.Overdue(), c.overdue);
        clock.Clear();
        EXPECT_EQ(clock.Value(), RecorderClock());
    }
}

TEST(RecordingClock, ARestartCountsFromTheNewStart)
{
    // A continuous recording counts per file: Start again mid-way.
    RecordingClock clock;
    clock.Start(1000);
    clock.Show(after(1000, 125000), false, 0);
    ASSERT_EQ(clock.Value().lngMinutesPassed, 2);
    clock.Start(after(1000, 125000));
    clock.Show(after(1000, 131000), false, 0);
    EXPECT_EQ(clock.TrayTip(QStringLiteral("Jazz")), QStringLiteral("RECORDING Jazz... (0:06)"));
}
