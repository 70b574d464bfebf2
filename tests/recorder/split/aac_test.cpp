// AAC stations give ".aac" files, named, tagged and cleaned up like ".mp3" ones.
#include "recorder/recordingfiles.h"
#include "tests/support/songrig.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(RecordingExtension, FollowsTheContentType)
{
    const struct {
        QByteArray type;
        const char* extension;
    } cases[] = {
        {"audio/aac", ".aac"},  {"audio/aacp", ".aac"},   {"audio/aacp; charset=x", ".aac"},
        {"AUDIO/AACP", ".aac"}, {"audio/x-aac", ".aac"},  {"audio/mpeg", ".mp3"},
        {"", ".mp3"},           {"audio/aac-x", ".mp3"},  {"application/ogg", ".ogg"},
        {"audio/ogg", ".ogg"},  {"audio/vorbis", ".ogg"}, {"Audio/Opus; x=1", ".opus"},
        {"audio/oggx", ".mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordingExtension(c.type), QString::fromLatin1(c.extension)) << c.type.constData();
    EXPECT_EQ(RecordingExtensionOf(QStringLiteral("a.AAC")), QStringLiteral(".aac"));
    EXPECT_EQ(RecordingExtensionOf(QStringLiteral("a.mp3")), QStringLiteral(".mp3"));
    EXPECT_EQ(RecordingExtensionOf(QStringLiteral("aac")), QStringLiteral(".mp3"));
    EXPECT_EQ(RecordingExtensionOf(QStringLiteral("a.OGG")), QStringLiteral(".ogg"));
    EXPECT_EQ(RecordingExtensionOf(QStringLiteral("a.opus")), QStringLiteral(".opus"));
}

TEST(AacRecording, TitlesOfAnAacStreamGoToAacFiles)
{
    IcyRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Begin();
    rig.Feed("ICY 200 OK\r\nicy-name:AAC FM\r\ncontent-type: audio/aacp\r\nicy-metaint:4\r\n\r\naaaa" +
             songrig::titleBlock("Artist - Song") + "bbbb" + songrig::titleBlock("Other - One") + "cccc");
    rig.Stop();
    EXPECT_EQ(rig.Files(), (QStringList{"AAC FM-12052026.aac", "Artist - Song.aac", "Other - One.aac"}));
    const QByteArray song = rig.Bytes(QStringLiteral("Artist - Song.aac"));
    EXPECT_EQ(song.left(4), QByteArray("bbbb"));
    EXPECT_EQ(song.right(128), BuildID3v1Tag({"Artist", "Song", ""}, QDate(2026, 12, 5)));
}

TEST(AacRecording, AnArchiveFileTakesTheExtensionOfTheStream)
{
    using M = SongRig::Mode;
    const struct {
        M mode;
        QByteArray type;
        const char* fileName; // as configured
        const char* name;     // as written
    } cases[] = {{M::DatedArchive, "audio/aac", "archive", "archive-12052026.aac"},
                 {M::DatedArchive, "audio/mpeg", "archive", "archive-12052026.mp3"},
                 {M::SingleFile, "audio/aac", "single.mp3", "single.mp3"}}; // the single file keeps the name chosen
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IcyRig rig;
        rig.mode = c.mode;
        rig.streamFileName = QString::fromLatin1(c.fileName);
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        rig.Feed("HTTP/1.0 200 OK\r\nContent-Type: " + c.type + "\r\n\r\nAUDIO");
        rig.Stop();
        ASSERT_EQ(rig.Files(), QStringList{QString::fromLatin1(c.name)});
        EXPECT_TRUE(rig.Bytes(QString::fromLatin1(c.name)).startsWith("AUDIO"));
    }
}

TEST(MP3CleanupAac, OldAacArchivesAreDeletedToo)
{
    TempFolder dir;
    for (const char* name :
         {"old-01012020.aac", "old-01012020.mp3", "new-12052026.aac", "old-01012020.ogg", "old-01012020.txt"})
        ASSERT_TRUE(WriteAll(dir.file(QString::fromLatin1(name)), "x"));
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 5, QDateTime(QDate(2026, 12, 5), QTime(12, 0))), 3);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"new-12052026.aac", "old-01012020.txt"}));
}
