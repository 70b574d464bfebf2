#include "cdcreator/timetext.h"

#include <gtest/gtest.h>

#include <limits>

TEST(SecondsToText, PaddedClockForm)
{
    struct Case {
        float seconds;
        const char* text;
    } cases[] = {
        {0, "00:00"},          {5, "00:05"},          {125, "02:05"},        {252, "04:12"},
        {3725, "01:02:05"},    {59.4f, "00:59"},      {59.5f, "01:00"},      {0.5f, "00:00"}, // halves to even
        {1.5f, "00:02"},       {2.5f, "00:02"},       {119.5f, "02:00"},     {3599.4f, "59:59"},
        {3599.6f, "01:00:00"}, {3600, "01:00:00"},    {86400, "24:00:00"},   {360000, "100:00:00"},
        {3660, "01:01:00"},    {7199.5f, "02:00:00"}, {-3, "00:00"},
        {std::numeric_limits<float>::quiet_NaN(), "00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SecondsToText(c.seconds, true, true, true), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(SecondsToText, UnpaddedClockForm)
{
    struct Case {
        float seconds;
        const char* text;
    } cases[] = {
        {3725, "1:02:05"}, {3605, "1:00:05"}, {125, "2:05"}, {5, ":05"}, {0, ":00"}, {36000, "10:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SecondsToText(c.seconds, true, false, true), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(SecondsToText, WordsForm)
{
    struct Case {
        float seconds;
        bool longUnits;
        const char* text;
    } cases[] = {
        {3725, true, "1 hr 2 min 5 sec"},
        {3600, true, "1 hour"},
        {7200, true, "2 hours"},
        {120, true, "2 minutes"},
        {60, true, "1 minute"},
        {1, true, "1 second"},
        {45, true, "45 seconds"},
        {3720, true, "1 hr 2 min "},
        {3605, true, "1 hr 5 sec"},
        {0, true, "0 seconds"},
        {3725, false, "1 h 2 m 5 s"},
        {65, false, "1 m 5 s"},
        {7200, false, "2 hours"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SecondsToText(c.seconds, false, true, c.longUnits), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(SecondsToText, SplitCarriesRoundedSeconds)
{
    const ClockParts p = SplitSeconds(3599.6f);
    EXPECT_EQ(p.hours, 1);
    EXPECT_EQ(p.minutes, 0);
    EXPECT_EQ(p.seconds, 0);
    const ClockParts q = SplitSeconds(3659.5f);
    EXPECT_EQ(q.hours, 1);
    EXPECT_EQ(q.minutes, 1);
    EXPECT_EQ(q.seconds, 0);
}

TEST(FormatBytes, UnitsAndRounding)
{
    struct Case {
        double bytes;
        const char* text;
    } cases[] = {
        {0, "0 Bytes"},
        {-5, "0 Bytes"},
        {1, "0.00 KB"},
        {512, "0.50 KB"},
        {1024, "1.00 KB"},
        {1152, "1.13 KB"}, // 1.125 rounds away from zero
        {1536, "1.50 KB"},
        {1048576, "1024.00 KB"}, // exactly 1 MiB stays in KB
        {1048576 + 1024, "1.00 MB"},
        {3145728, "3.00 MB"},
        {846720000, "807.50 MB"},
        {4294967296.0, "4096.00 MB"}, // no larger unit
        {std::numeric_limits<double>::quiet_NaN(), "0 Bytes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatBytes(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
}

TEST(QueueNames, ExtensionTestUsesTheLastThreeCharacters)
{
    struct Case {
        const char* name;
        bool accepted;
    } cases[] = {
        {"/music/song.mp3", true}, {"SONG.MP3", true},   {"a.wav", true},     {"a.Ogg", true},
        {"a.wma", true},           {"a.mp2", true},      {"a.flac", false},   {"notes.txt", false},
        {"mp3", true},             {"noextmp3", true},   {"a.mp4", false},    {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasQueueableExtension(QString::fromLatin1(c.name)), c.accepted) << c.name;
}

TEST(QueueNames, EntryTextAndFileName)
{
    EXPECT_EQ(FileNameFromPath(QStringLiteral("/home/u/Music/a b.mp3")), QStringLiteral("a b.mp3"));
    EXPECT_EQ(FileNameFromPath(QStringLiteral("C:\\Music\\x.wav")), QStringLiteral("x.wav"));
    EXPECT_EQ(FileNameFromPath(QStringLiteral("plain.ogg")), QStringLiteral("plain.ogg"));
    EXPECT_EQ(QueueEntryText(2, QStringLiteral("/m/third.mp3"), 252), QStringLiteral("Audio Track 03 (third.mp3)  04:12"));
    EXPECT_EQ(QueueEntryText(0, QStringLiteral("/m/long.wav"), 3725), QStringLiteral("Audio Track 01 (long.wav)  01:02:05"));
    EXPECT_EQ(QueueEntryText(99, QStringLiteral("x.ogg"), 0), QStringLiteral("Audio Track 100 (x.ogg)  00:00"));
}
