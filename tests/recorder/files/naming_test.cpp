#include "platform/paths.h"
#include "recorder/recordingfiles.h"
#include "tests/support/eventwait.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(DateStamp, MonthDayYearWithoutSeparators)
{
    const struct {
        QDate date;
        const char* stamp;
    } cases[] = {
        {QDate(2026, 12, 5), "12052026"},
        {QDate(2001, 1, 9), "01092001"},
        {QDate(2030, 10, 31), "10312030"},
        {QDate(999, 7, 4), "07040999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateStampMMDDYYYY(c.date), QLatin1String(c.stamp)) << c.stamp;
}

TEST(CleanFileName, RemovesForbiddenAndControlCharacters)
{
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {"Plain Name.mp3", "Plain Name.mp3"},
        {"AC/DC - Who: Me?.mp3", "ACDC - Who Me.mp3"},
        {"a|b>c<d\"e?f*g:h/i\\j", "abcdefghij"},
        {"||??**", "_"},
        {QString("tab\there\nnew\rline"), "tabherenewline"},
        {QString("nul") + QChar(0) + "in" + QChar(0x1F) + "side" + QChar(0x7F), "nulinside"},
        {QString(QChar(0x01)) + "start", "start"},
        {QString::fromUtf8("Café Olé – ü.mp3"), QString::fromUtf8("Café Olé – ü.mp3")},
        {QString::fromUtf8("keep\u0080\u00A0"), QString::fromUtf8("keep\u00A0")}, // C1 goes, no-break space stays
        {"", "_"},
        {".", "_"},
        {"..", "_"},
        {"/../", "_"},
        {"...", "_"}, // never hidden
        {".mp3", "mp3"},
        {QString::fromUtf8("\uFEFF\u202Eevil\u202C \u200Bname.mp3"), "evil name.mp3"}, // marks no one sees
        {QString::fromUtf8("\u200B\u200D"), "_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanFileName(c.in), c.out) << c.in.toStdString();
}

TEST(FullRecordingPath, JoinsFolderAndCleanedName)
{
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"/music/", "a.mp3", "/music/a.mp3"},
        {"/music", "a.mp3", "/music/a.mp3"},
        {"/music/", "AC/DC - x?.mp3", "/music/ACDC - x.mp3"},
        {"C:\\Rec\\", "a*.mp3", "C:/Rec/a.mp3"},
        {"/mixed\\sub\\", "b.mp3", "/mixed/sub/b.mp3"},
        {"", "a.mp3", "a.mp3"},
        {"/m/", "..", "/m/_"},
        // Never a hidden file: the part before the extension loses its
        // leading dots; nothing left is "_".
        {"/m/", "/.mp3", "/m/_.mp3"},
        {"/m/", "...mp3", "/m/_.mp3"},
        {"/m/", "../../x.opus", "/m/x.opus"},
        {"/m/", " .x.ogg", "/m/x.ogg"},
        {"/m/", ".hidden.AAC", "/m/hidden.AAC"},
        {"/m/", "a.b.mp3", "/m/a.b.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FullRecordingPath(c.folder, c.name), QLatin1String(c.path)) << c.folder << " + " << c.name;
}

TEST(TagInfoForRecording, SplitsTitleModeNames)
{
    const struct {
        QString name;
        bool titleMode;
        QString artist, title;
    } cases[] = {
        {"AC/DC - Who: Me?.mp3", true, "AC/DC", "Who: Me?"},
        {"No Dash Here.mp3", true, "", "No Dash Here"},
        {"A - B - C.mp3", true, "A", "B - C"},
        {"A-B.mp3", true, "", "A-B"},
        {" - Only Title.mp3", true, "", "Only Title"},
        {"Artist - .mp3", true, "Artist", ""},
        {".mp3", true, "", ""},
        {"ab", true, "", ""},
        {"Anything - Else.mp3", false, "", "Station Title"},
    };
    for (const auto& c : cases) {
        const TagInfo tag = TagInfoForRecording(c.name, c.titleMode, "Station Title");
        EXPECT_EQ(tag.Artist, c.artist) << c.name.toStdString();
        EXPECT_EQ(tag.Title, c.title) << c.name.toStdString();
        EXPECT_EQ(tag.Album, QString()) << c.name.toStdString();
    }
}

TEST(PathSplit, FileAndFolderParts)
{
    const struct {
        const char* path;
        const char* folder;
        const char* file;
    } cases[] = {
        {"C:song.mp3", "C:", "song.mp3"},  // drive letter, colon, no separator
        {"C:\\Music\\a.mp3", "C:\\Music\\", "a.mp3"},
        {"/home/u/a.mp3", "/home/u/", "a.mp3"},
        {"a/b\\c", "a/b\\", "c"},
        {"a\\b/c", "a\\b/", "c"},
        {"name.mp3", "", "name.mp3"},
        {"C:", "C:", ""},
        {"/", "/", ""},
        {"folder/", "folder/", ""},
        {"1:x", "", "1:x"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), QLatin1String(c.folder)) << c.path;
        EXPECT_EQ(FileNameOf(c.path), QLatin1String(c.file)) << c.path;
    }
}

TEST(PathQueries, FileFolderAndAnything)
{
    TempFolder dir;
    ASSERT_TRUE(WriteAll(dir.file("f.mp3"), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    QString backslashed = dir.file("f.mp3");
    backslashed[backslashed.lastIndexOf('/')] = '\\';

    const struct {
        QString path;
        bool file, folder, any;
    } cases[] = {
        {dir.file("f.mp3"), true, false, true},
        {backslashed, true, false, true},
        {dir.file("sub"), false, true, true},
        {dir.file("sub/"), false, true, true},
        {dir.file("missing.mp3"), false, false, false},
        {"", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
        EXPECT_EQ(IsFolder(c.path), c.folder) << c.path.toStdString();
        EXPECT_EQ(PathExists(c.path), c.any) << c.path.toStdString();
    }
}
