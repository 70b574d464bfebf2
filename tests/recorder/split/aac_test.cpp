// AAC stations give ".aac" files, named, tagged and cleaned up like ".mp3" ones.
#include "fixture.h"

#include "recorder/recordingfiles.h"

#include <QDir>

namespace {

QByteArray titleBlock(const QByteArray& title)
{
    QByteArray padded = "StreamTitle='" + title + "';";
    while (padded.size() % 16)
        padded.append('\0');
    return char(padded.size() / 16) + padded;
}

}  // namespace

TEST(RecordingExtension, FollowsTheContentType)
{
    const struct {
        QByteArray type;
        const char* extension;
    } cases[] = {
        {"audio/aac", ".aac"},     {"audio/aacp", ".aac"},   {"audio/aacp; charset=x", ".aac"},
        {"AUDIO/AACP", ".aac"},    {"audio/x-aac", ".aac"},  {"audio/mpeg", ".mp3"},
        {"", ".mp3"},              {"audio/aac-x", ".mp3"},  {"application/ogg", ".ogg"},
        {"audio/ogg", ".ogg"},     {"audio/vorbis", ".ogg"}, {"Audio/Opus; x=1", ".opus"},
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

class AacTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.bEnabledTimedRecording = false;
        config.bStartInListenMode = false;
    }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(AacTest, TitlesOfAnAacStreamGoToAacFiles)
{
    config.lRecordingMode = RecordingMode::PerSong;
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:AAC FM\r\ncontent-type: audio/aacp\r\nicy-metaint:4\r\n\r\naaaa" +
                               titleBlock("Artist - Song") + "bbbb" + titleBlock("Other - One") + "cccc");
    recorder->StopRecording();
    EXPECT_EQ(files(), (QStringList{"AAC FM-12052026.aac", "Artist - Song.aac", "Other - One.aac"}));
    const QByteArray song = ReadAll(folder.file(QStringLiteral("Artist - Song.aac")));
    EXPECT_EQ(song.left(4), QByteArray("bbbb"));
    EXPECT_EQ(song.right(128), BuildID3v1Tag({"Artist", "Song", ""}, QDate(2026, 12, 5)));
}

TEST_F(AacTest, AnArchiveFileTakesTheExtensionOfTheStream)
{
    const struct {
        int mode;
        QByteArray type;
        const char* fileName;  // as configured
        const char* name;      // as written
    } cases[] = {{3, "audio/aac", "archive", "archive-12052026.aac"},
                 {3, "audio/mpeg", "archive", "archive-12052026.mp3"},
                 {1, "audio/aac", "single.mp3", "single.mp3"}};  // the single file keeps the name chosen
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recorder = std::make_unique<frmMP3>(deps);
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        config.lRecordingMode = RecordingMode(c.mode);
        config.sStreamFileName = QString::fromLatin1(c.fileName);
        startOnStation();
        recorder->HandleStreamData("HTTP/1.0 200 OK\r\nContent-Type: " + c.type + "\r\n\r\nAUDIO");
        recorder->StopRecording();
        ASSERT_EQ(files(), QStringList{QString::fromLatin1(c.name)});
        EXPECT_TRUE(ReadAll(folder.file(QString::fromLatin1(c.name))).startsWith("AUDIO"));
    }
}

TEST(MP3CleanupAac, OldAacArchivesAreDeletedToo)
{
    TempFolder dir;
    for (const char* name : {"old-01012020.aac", "old-01012020.mp3", "new-12052026.aac", "old-01012020.ogg",
                             "old-01012020.txt"})
        ASSERT_TRUE(WriteAll(dir.file(QString::fromLatin1(name)), "x"));
    EXPECT_EQ(MP3Cleanup(dir.path(), true, 5, QDateTime(QDate(2026, 12, 5), QTime(12, 0))), 3);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"new-12052026.aac", "old-01012020.txt"}));
}
