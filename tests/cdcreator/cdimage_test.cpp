#include "cdcreator/cdimage.h"

#include <gtest/gtest.h>

#include <limits>

TEST(CdImage, SectorArithmetic)
{
    struct Case {
        qint64 bytes;
        qint64 sectors;
    } cases[] = {{0, 0}, {-4, 0}, {1, 1}, {2352, 1}, {2353, 2}, {176400, 75}, {176404, 76}};
    for (const auto& c : cases)
        EXPECT_EQ(CdAudio::SectorsFor(c.bytes), c.sectors) << c.bytes;

    struct Pause {
        double seconds;
        qint64 sectors;
    } pauses[] = {{0, 0}, {2, 150}, {0.5, 38}, {-1, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}, {1.0 / 75, 1}};
    for (const auto& p : pauses)
        EXPECT_EQ(CdAudio::PauseSectors(p.seconds), p.sectors) << p.seconds;
}

TEST(CdImage, MsfPositions)
{
    struct Case {
        qint64 sector;
        const char* text;
    } cases[] = {{0, "00:00:00"}, {74, "00:00:74"}, {75, "00:01:00"}, {4500, "01:00:00"},
                 {4500 * 79 + 75 * 59 + 74, "79:59:74"}, {4500 * 120, "120:00:00"}, {-3, "00:00:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(CdAudio::MsfText(c.sector), QString::fromLatin1(c.text)) << c.sector;
}

TEST(CdImage, CueSheetWithPauses)
{
    const QString cue = BuildCueSheet(QStringLiteral("disc \"one\".bin"), {{100, 0}, {4500, 150}, {10, 75}});
    EXPECT_EQ(cue, QStringLiteral("FILE \"disc 'one'.bin\" BINARY\r\n"
                                  "  TRACK 01 AUDIO\r\n"
                                  "    INDEX 01 00:00:00\r\n"
                                  "  TRACK 02 AUDIO\r\n"
                                  "    INDEX 00 00:01:25\r\n"
                                  "    INDEX 01 00:03:25\r\n"
                                  "  TRACK 03 AUDIO\r\n"
                                  "    INDEX 00 01:03:25\r\n"
                                  "    INDEX 01 01:04:25\r\n"));
}

TEST(CdImage, CueSheetWithoutPausesHasNoPregaps)
{
    const QString cue = BuildCueSheet(QStringLiteral("a.bin"), {{75, 0, "Song \"A\"", "Ann"}, {75, 0, "B", ""}},
                                      QStringLiteral("Mix"), QStringLiteral("Various"));
    EXPECT_EQ(cue, QStringLiteral("TITLE \"Mix\"\r\nPERFORMER \"Various\"\r\nFILE \"a.bin\" BINARY\r\n"
                                  "  TRACK 01 AUDIO\r\n    TITLE \"Song 'A'\"\r\n    PERFORMER \"Ann\"\r\n"
                                  "    INDEX 01 00:00:00\r\n"
                                  "  TRACK 02 AUDIO\r\n    TITLE \"B\"\r\n    INDEX 01 00:01:00\r\n"));
}
