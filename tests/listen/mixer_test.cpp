#include "listen/mixer.h"
#include "listen/system/alsamixer.h"
#include "tests/listen/relayfakes.h"
#include "tests/support/eventwait.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdio>
#include <unistd.h>

TEST(MasterVolume, LevelToPercentRoundsToNearest)
{
    struct Case {
        qint32 level;
        qint32 percent;
    };
    const Case cases[] = {
        {0, 0},       {327, 0},     {328, 1},      {655, 1},     {982, 1},    {983, 2},
        {32750, 50},  {32767, 50},  {33077, 50},   {33078, 51},  {64845, 99}, {65172, 99},  {65173, 100},
        {65535, 100}, {-5, 0},      {70000, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MasterVolumeFromLevel(c.level), c.percent) << c.level;
}

TEST(MasterVolume, MissingMixerGivesMinusOne)
{
    FakeMixer mixer;
    mixer.present = false;
    EXPECT_EQ(GetMasterVolume(mixer), -1);
    mixer.present = true;
    mixer.level = 45850;
    EXPECT_EQ(GetMasterVolume(mixer), 70);
}

TEST(MasterVolume, SystemMixerSaysNothingOnTheTerminal)
{
    TempFolder folder;
    const QString capture = folder.file(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    FILE* file = std::fopen(QFile::encodeName(capture).constData(), "w");
    ASSERT_NE(file, nullptr);
    dup2(fileno(file), STDERR_FILENO);
    qint32 first = 0;
    qint32 second = 0;
    {
        AlsaMixer mixer;
        first = GetMasterVolume(mixer);
        second = GetMasterVolume();
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::fclose(file);
    // Without a sound card -1; with one, a percentage.
    EXPECT_TRUE(first == -1 || (first >= 0 && first <= 100)) << first;
    EXPECT_TRUE(second == -1 || (second >= 0 && second <= 100)) << second;
    EXPECT_EQ(ReadAll(capture), QByteArray());
}

// The display reads the mixer ten times a second: the control device is
// opened once and kept, or, where it cannot be opened, tried once a second.
TEST(MasterVolume, TheSystemMixerIsNotOpenedAnewForEveryRead)
{
    qint64 now = 5000;
    AlsaMixer mixer([&] { return now; });
    qint32 level = 0;
    const bool present = mixer.ReadMasterLevel(level);
    for (int i = 0; i < 9; ++i) {
        now += 100;
        EXPECT_EQ(mixer.ReadMasterLevel(level), present);
    }
    EXPECT_EQ(mixer.OpenAttempts(), 1);
    now += 99;  // 999 ms after the first attempt
    mixer.ReadMasterLevel(level);
    EXPECT_EQ(mixer.OpenAttempts(), 1);
    now += 1;
    mixer.ReadMasterLevel(level);
    EXPECT_EQ(mixer.OpenAttempts(), present ? 1 : 2);  // kept open, or tried again after a second
}

// The display asks ten times a second; the sound system is read once a
// second, and a change (or the mixer going away) shows at the next read.
TEST(MasterVolume, TheDisplaysMixerIsReadAtMostOnceASecond)
{
    auto owned = std::make_unique<FakeMixer>();
    FakeMixer* inner = owned.get();
    qint64 now = 0;
    ThrottledMixer mixer(std::move(owned), [&] { return now; });
    const struct {
        qint64 at;
        bool present;    // the sound system, at that time
        qint32 level;
        int reads;       // reads of the sound system so far
        qint32 percent;  // what the display shows
    } steps[] = {
        {0, true, 65535, 1, 100},    {100, true, 0, 1, 100},     {999, true, 0, 1, 100},
        {1000, true, 0, 2, 0},       {1500, false, 0, 2, 0},     {2000, false, 0, 3, -1},
        {2999, true, 32767, 3, -1},  {3000, true, 32767, 4, 50}, {3100, true, 32767, 4, 50},
    };
    for (const auto& s : steps) {
        now = s.at;
        inner->present = s.present;
        inner->level = s.level;
        EXPECT_EQ(GetMasterVolume(mixer), s.percent) << s.at;
        EXPECT_EQ(inner->reads, s.reads) << s.at;
    }
}
