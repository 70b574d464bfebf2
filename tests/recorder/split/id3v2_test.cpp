// "Write ID3v2 tags": finished songs also carry a UTF-8 ID3v2.4 tag; the
// ID3v1 tag and the audio stay as they are.
#include "recorder/id3v2tag.h"
#include "recorder/recordingfiles.h"
#include "tests/support/songrig.h"

#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

QByteArray silentMp3(int frames)
{
    QByteArray frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    return frame.repeated(frames);
}

QString fromTag(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

struct ReadBack {
    bool hasID3v2 = false;
    int version = 0;
    QString artist, title, comment, date;
};

ReadBack readID3v2(const QString& path)
{
    ReadBack r;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.hasID3v2Tag())
        return r;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    r.hasID3v2 = true;
    r.version = int(tag->header()->majorVersion());
    r.artist = fromTag(tag->artist());
    r.title = fromTag(tag->title());
    r.comment = fromTag(tag->comment());
    const auto& frames = tag->frameListMap()["TDRC"];
    if (!frames.isEmpty())
        r.date = fromTag(frames.front()->toString());
    return r;
}

} // namespace

class ID3v2Test : public ::testing::Test {
protected:
    void record()
    {
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        const QByteArray audio = silentMp3(1);
        rig.Feed("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:417\r\n\r\n" + audio + songrig::titleBlock(song.toUtf8()) +
                 audio + songrig::titleBlock("Next - One") + audio);
        rig.Stop();
    }
    IcyRig rig;
    RecordingOptions& options = rig.options;
    TempFolder& folder = rig.folder;
    const QString song = QString::fromUtf8("\u0391\u03bb\u03ba\u03c5\u03cc\u03bd\u03b7 - \u6771\u4eac O'Brien");
    const QString file = QString::fromUtf8("\u0391\u03bb\u03ba\u03c5\u03cc\u03bd\u03b7 - \u6771\u4eac O'Brien.mp3");
};

TEST_F(ID3v2Test, TitlesInAnyScriptSurviveInTheID3v2Tag)
{
    options.writeID3v2 = true;
    record();
    const QString path = folder.file(file);
    const ReadBack tag = readID3v2(path);
    ASSERT_TRUE(tag.hasID3v2);
    EXPECT_EQ(tag.version, 4);
    EXPECT_EQ(tag.artist, QString::fromUtf8("\u0391\u03bb\u03ba\u03c5\u03cc\u03bd\u03b7"));
    EXPECT_EQ(tag.title, QString::fromUtf8("\u6771\u4eac O'Brien"));
    EXPECT_EQ(tag.comment, QStringLiteral("Rec: Tavrix 2026-12-05"));
    EXPECT_EQ(tag.date, QStringLiteral("2026-12-05"));
    // The audio and the ID3v1 tag are untouched after the ID3v2 tag.
    const QByteArray bytes = ReadAll(path);
    EXPECT_EQ(bytes.right(128).left(3), QByteArray("TAG"));
    EXPECT_TRUE(bytes.left(bytes.size() - 128).endsWith(silentMp3(1)));
    EXPECT_TRUE(readID3v2(folder.file(QStringLiteral("Next - One.mp3"))).hasID3v2);
}

TEST_F(ID3v2Test, OffByDefaultTheFilesHaveOnlyTheID3v1Tag)
{
    record();
    const QByteArray bytes = ReadAll(folder.file(file));
    EXPECT_EQ(bytes, silentMp3(1) + BuildID3v1Tag(TagInfoForRecording(file, true, QString()), QDate(2026, 12, 5)));
}

TEST(WriteID3v2Tag, RewritingReplacesTheTagAndMissingFilesFail)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("a.mp3"));
    ASSERT_TRUE(WriteAll(path, silentMp3(3)));
    ASSERT_TRUE(WriteID3v2Tag(path, {QStringLiteral("A"), QStringLiteral("First"), QString()}, QDate(2026, 1, 2)));
    ASSERT_TRUE(WriteID3v2Tag(path, {QStringLiteral("B"), QStringLiteral("Second"), QString()}, QDate(2026, 1, 3)));
    const ReadBack tag = readID3v2(path);
    EXPECT_EQ(tag.artist, QStringLiteral("B"));
    EXPECT_EQ(tag.title, QStringLiteral("Second"));
    EXPECT_EQ(tag.date, QStringLiteral("2026-01-03"));
    EXPECT_EQ(ReadAll(path).count("ID3"), 1);
    EXPECT_TRUE(ReadAll(path).endsWith(silentMp3(3)));
    EXPECT_FALSE(WriteID3v2Tag(dir.file(QStringLiteral("missing.mp3")),
                               {QStringLiteral("A"), QStringLiteral("T"), QString()}, QDate(2026, 1, 2)));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("missing.mp3"))));
}
