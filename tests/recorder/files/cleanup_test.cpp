#include "platform/paths.h"
#include "recorder/recordingfiles.h"
#include "tests/support/eventwait.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(ArchiveDateOf, ReadsTheDigitsBeforeTheExtension)
{
    const struct {
        const char* name;
        bool ok;
        QDate date;
    } cases[] = {
        {"Station-12052026.mp3", true, QDate(2026, 12, 5)},
        {"12052026.mp3", true, QDate(2026, 12, 5)},
        {"x-13012020.mp3", true, QDate(2021, 1, 1)},     // month 13
        {"x-02302021.mp3", true, QDate(2021, 3, 2)},     // 30 February
        {"x-00002021.mp3", true, QDate(2020, 11, 30)},   // month 0, day 0
        {"x-12312020.MP3", true, QDate(2020, 12, 31)},
        {"x-01010000.mp3", false, {}},                   // no year 0
        {"Artist - Title.mp3", false, {}},
        {"x-1a052026.mp3", false, {}},
        {"x- 1052026.mp3", false, {}},
        {"x-+1052026.mp3", false, {}},
        {"x--1052026.mp3", false, {}},
        {"2052026.mp3", false, {}},                      // too short
        {"Station-12052026 (2).mp3", true, QDate(2026, 12, 5)},  // a numbered version
        {"Station-12052026 (17).aac", true, QDate(2026, 12, 5)},
        {"Station-12052026.opus", true, QDate(2026, 12, 5)},
        {"Station-12052026 (3).OPUS", true, QDate(2026, 12, 5)},
        {"Station-12052026 (2).ogg", true, QDate(2026, 12, 5)},
        {"2052026.opus", false, {}},                     // too short
        {"Station-12052026 ().mp3", false, {}},
        {"Station-12052026 (x).mp3", false, {}},
        {"Title (2).mp3", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        QDate date;
        EXPECT_EQ(ArchiveDateOf(c.name, date), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(date, c.date) << c.name;
        }
    }
}

namespace {
const QDateTime kNow(QDate(2026, 3, 15), QTime(12, 0));

QString dated(const char* prefix, int daysAgo, const char* ext = ".mp3")
{
    return QLatin1String(prefix) + DateStampMMDDYYYY(kNow.date().addDays(-daysAgo)) + QLatin1String(ext);
}
}  // namespace

TEST(MP3Cleanup, DeletesArchivesOlderThanTheDaysToKeep)
{
    TempFolder dir;
    const struct {
        QString name;
        bool deleted;
    } files[] = {
        {dated("Station-", 31), true},
        {dated("Station-", 29), false},
        {dated("Station-", 0), false},
        {dated("Station-", 400), true},
        {"Artist - Song Title.mp3", false},
        {"Artist - Mix 01011999.mp3", true},  // reads as a date
        {dated("x?-", 31), true},
        {dated("x*-", 29), false},
        {"x?.mp3", false},
        {"*.mp3", false},
        {"?.mp3", false},
        {dated("a*b?c-", 45, ".MP3"), true},
        {dated("notes-", 100, ".txt"), false},
        {dated("Ogg Radio-", 31, ".ogg"), true},
        {dated("Opus Radio-", 31, ".opus"), true},
        {dated("Opus Radio-", 29, ".opus"), false},
    };
    for (const auto& f : files)
        ASSERT_TRUE(WriteAll(dir.file(f.name), "x")) << f.name.toStdString();
    const QString folderName = dated("dir-", 100);
    ASSERT_TRUE(QDir(dir.path()).mkdir(folderName));

    int expected = 0;
    for (const auto& f : files)
        expected += f.deleted ? 1 : 0;
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 30, kNow), expected);
    for (const auto& f : files)
        EXPECT_EQ(FileExists(dir.file(f.name)), !f.deleted) << f.name.toStdString();
    EXPECT_TRUE(IsFolder(dir.file(folderName)));
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 30, kNow), 0);
}

TEST(MP3Cleanup, LimitIsStrictlyEarlier)
{
    TempFolder dir;
    const QString name = dated("S-", 30);
    ASSERT_TRUE(WriteAll(dir.file(name), "x"));
    // Midnight of the day 30 days back is not earlier than midnight minus 30 days.
    const QDateTime midnight(kNow.date(), QTime(0, 0));
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 30, midnight), 0);
    EXPECT_TRUE(FileExists(dir.file(name)));
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 30, midnight.addSecs(1)), 1);
    EXPECT_FALSE(FileExists(dir.file(name)));
}

TEST(MP3Cleanup, SwitchedOffOrNothingToKeepDeletesNothing)
{
    TempFolder dir;
    const QString old = dated("Station-", 1000);
    ASSERT_TRUE(WriteAll(dir.file(old), "x"));
    const struct {
        bool enabled;
        qint32 days;
    } cases[] = {{false, 30}, {false, 0}, {false, 1}, {true, 0}, {true, -5}};
    for (const auto& c : cases) {
        EXPECT_EQ(MP3Cleanup(dir.path(), c.enabled, c.days, kNow), 0) << c.enabled << " " << c.days;
        EXPECT_TRUE(FileExists(dir.file(old)));
    }
    EXPECT_EQ(MP3Cleanup(dir.file("missing/"), true, 30, kNow), 0);

    // Folder without its final separator still works.
    QString folder = dir.path();
    folder.chop(1);
    EXPECT_EQ(MP3Cleanup(folder, true, 30, kNow), 1);
}
