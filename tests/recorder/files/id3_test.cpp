#include "recorder/recordingfiles.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {
QByteArray field(const QByteArray& bytes, int width)
{
    return bytes + QByteArray(width - bytes.size(), '\0');
}

// A run of silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz, 417 bytes).
QByteArray silentMp3(int frames)
{
    QByteArray frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x00';
    return frame.repeated(frames);
}

const QDate kDate(2026, 12, 5);
}  // namespace

TEST(ID3v1Tag, BytesMatchHandBuiltFixtures)
{
    const QByteArray plain = "TAG" + field("Who: Me?", 30) + field("AC/DC", 30) + field("", 30) + "2026" +
                             field("Rec: Tavrix 2026-12-05", 30) + "\xFF";
    ASSERT_EQ(plain.size(), 128);
    EXPECT_EQ(BuildID3v1Tag({"AC/DC", "Who: Me?", ""}, kDate), plain);

    // Latin-1 bytes, "?" outside Latin-1, every field cut to 30 bytes.
    const QByteArray cut = "TAG" + QByteArray(30, '\xE9') + field("Euro ? sign", 30) +
                           QByteArray("0123456789").repeated(3) + "0999" + field("Rec: Tavrix 0999-01-31", 30) +
                           "\xFF";
    ASSERT_EQ(cut.size(), 128);
    const TagInfo tag{QString::fromUtf8("Euro € sign"), QString(40, QChar(0xE9)),
                      QStringLiteral("0123456789").repeated(4)};
    EXPECT_EQ(BuildID3v1Tag(tag, QDate(999, 1, 31)), cut);

    // A character beyond the 16-bit range is one "?", not two.
    const QByteArray emoji = BuildID3v1Tag({"", QString::fromUtf8("A\U0001F600B"), ""}, kDate);
    EXPECT_EQ(emoji.mid(3, 4), QByteArray("A?B\0", 4));
    // Cut after encoding: 31 such characters still fill all 30 bytes.
    const QByteArray many = BuildID3v1Tag({"", "", QString::fromUtf8("\U0001F600").repeated(31)}, kDate);
    EXPECT_EQ(many.mid(63, 30), QByteArray(30, '?'));
    EXPECT_EQ(many.mid(93, 4), QByteArray("2026"));
}

TEST(WriteID3Tag, AppendsOrReplacesAtTheEnd)
{
    const QByteArray audio = silentMp3(3);
    const QByteArray oldTag = BuildID3v1Tag({"Old", "Old", "Old"}, QDate(2000, 1, 1));
    const QByteArray notTag = "TAX" + QByteArray(125, 'z');
    const struct {
        const char* label;
        QByteArray before;
        QByteArray kept;  // what stays in front of the new tag
    } cases[] = {
        {"empty", "", ""},
        {"short", "0123456789", "0123456789"},
        {"127 bytes", QByteArray(127, 'a'), QByteArray(127, 'a')},
        {"only a tag", oldTag, ""},
        {"audio and tag", audio + oldTag, audio},
        {"audio ending in TAX", audio + notTag, audio + notTag},
        {"TAG not at the end", oldTag + audio, oldTag + audio},
    };
    const TagInfo tag{"Artist", "Title", ""};
    const QByteArray newTag = BuildID3v1Tag(tag, kDate);
    for (const auto& c : cases) {
        TempFolder dir;
        const QString path = dir.file("f.mp3");
        ASSERT_TRUE(WriteAll(path, c.before));
        EXPECT_TRUE(WriteID3Tag(path, tag, kDate)) << c.label;
        EXPECT_EQ(ReadAll(path), c.kept + newTag) << c.label;
        // Tagging again never adds a second tag.
        EXPECT_TRUE(WriteID3Tag(path, tag, kDate)) << c.label;
        EXPECT_EQ(ReadAll(path).size(), c.kept.size() + 128) << c.label;
    }
}

TEST(WriteID3Tag, NothingToWriteOrNowhereToWrite)
{
    TempFolder dir;
    const QString path = dir.file("f.mp3");
    ASSERT_TRUE(WriteAll(path, "audio"));
    EXPECT_FALSE(WriteID3Tag(path, {"", "", ""}, kDate));
    EXPECT_EQ(ReadAll(path), QByteArray("audio"));

    EXPECT_FALSE(WriteID3Tag(dir.file("missing.mp3"), {"A", "T", ""}, kDate));
    EXPECT_FALSE(QFile::exists(dir.file("missing.mp3")));
    EXPECT_FALSE(WriteID3Tag(dir.path(), {"A", "T", ""}, kDate));
}

TEST(TagRecording, TagKeepsWhatTheFileNameLoses)
{
    TempFolder dir;
    const QString name = "AC/DC - Who: Me?.mp3";
    ASSERT_TRUE(WriteAll(dir.file("ACDC - Who Me.mp3"), silentMp3(2)));
    TagRecording(dir.path(), name, true, "Station", kDate);
    const QByteArray bytes = ReadAll(dir.file("ACDC - Who Me.mp3"));
    ASSERT_EQ(bytes.size(), 2 * 417 + 128);
    EXPECT_EQ(bytes.right(128), BuildID3v1Tag({"AC/DC", "Who: Me?", ""}, kDate));

    // Outside title mode the recording's title is the title.
    TagRecording(dir.path(), name, false, "Station", kDate);
    EXPECT_EQ(ReadAll(dir.file("ACDC - Who Me.mp3")).right(128), BuildID3v1Tag({"", "Station", ""}, kDate));

    // Folder given without its final separator.
    QString folder = dir.path();
    folder.chop(1);
    EXPECT_FALSE(TagRecording(folder, "Solo.mp3", true, "", kDate));  // a failure the recorder reports
    EXPECT_FALSE(QFile::exists(dir.file("Solo.mp3")));
    ASSERT_TRUE(WriteAll(dir.file("Solo.mp3"), "x"));
    EXPECT_TRUE(TagRecording(folder, "Solo.mp3", true, "", kDate));
    // Nothing to tag is no failure.
    EXPECT_TRUE(TagRecording(folder, "Solo.mp3", false, "", kDate));
    EXPECT_EQ(ReadAll(dir.file("Solo.mp3")), "x" + BuildID3v1Tag({"", "Solo", ""}, kDate));
}

namespace {
// Runs a tag reader and returns its standard output.
QByteArray runTool(const QString& program, const QStringList& args)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(20000) || tool.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ": " << tool.readAllStandardError().toStdString();
        return {};
    }
    return tool.readAllStandardOutput();
}

// A file holding audio, tagged once with old texts and then with `tag`.
QString retaggedFile(const TempFolder& dir, const TagInfo& tag)
{
    const QString path = dir.file("tagged.mp3");
    EXPECT_TRUE(WriteAll(path, silentMp3(40)));
    EXPECT_TRUE(WriteID3Tag(path, {"Old Artist", "Old Title", "Old Album"}, QDate(2001, 2, 3)));
    EXPECT_TRUE(WriteID3Tag(path, tag, kDate));
    return path;
}
}  // namespace

TEST(WriteID3Tag, ReadBackById3v2WithLatin1Letters)
{
    SKIP_WITHOUT_TOOL("id3v2");
    const QString id3v2 = QStandardPaths::findExecutable("id3v2");
    TempFolder dir;
    const QString path =
        retaggedFile(dir, {QString::fromUtf8("Zoë Keating"), QString::fromUtf8("Café Olé"), "Live"});
    // The tool prints the tag's bytes as they are: Latin-1.
    const QString out = QString::fromLatin1(runTool(id3v2, {"-l", path}));
    EXPECT_TRUE(out.contains(QRegularExpression(QString::fromUtf8("Title  : Café Olé\\s+Artist: Zoë Keating\\s"))))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("Album  : Live\\s+Year: 2026, Genre: Unknown \\(255\\)")))
        << out.toStdString();
    EXPECT_TRUE(out.contains("Comment: Rec: Tavrix 2026-12-05")) << out.toStdString();
    EXPECT_FALSE(out.contains("Old")) << out.toStdString();
}

TEST(WriteID3Tag, ReadBackByFfprobe)
{
    SKIP_WITHOUT_TOOL("ffprobe");
    const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
    TempFolder dir;
    const QString path = retaggedFile(dir, {"AC/DC", "Who: Me?", ""});
    const QString out = QString::fromUtf8(runTool(
        ffprobe, {"-v", "error", "-show_entries", "format_tags", "-of", "default=noprint_wrappers=1", path}));
    EXPECT_TRUE(out.contains("TAG:title=Who: Me?\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("TAG:artist=AC/DC\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("TAG:comment=Rec: Tavrix 2026-12-05\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("TAG:date=2026\n")) << out.toStdString();
    EXPECT_FALSE(out.contains("Old")) << out.toStdString();
}
