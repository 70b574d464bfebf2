// Which recording files hold audio of their kind, from their first bytes.
#include "tests/listen/oggfixtures.h"
#include "tests/recorder/split/noiseframes.h"
#include "ui/library/librarydecode.h"
#include "ui/library/librarytidy.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using oggfixtures::Codec;

QByteArray pages(Codec codec)
{
    return oggfixtures::Song(codec, 7, 2).join();
}

// An ID3v2.3 tag of `body` bytes of padding (its size synchsafe).
QByteArray id3(int body, char flags = 0, char version = 3)
{
    QByteArray t("ID3");
    t += version;
    t += char(0);
    t += flags;
    t += char((body >> 21) & 0x7F);
    t += char((body >> 14) & 0x7F);
    t += char((body >> 7) & 0x7F);
    t += char(body & 0x7F);
    return t + QByteArray(body, '\0');
}

} // namespace

TEST(LibraryDecode, TheTagAtTheStartIsMeasured)
{
    const struct Case {
        QByteArray head;
        qsizetype size;
    } cases[] = {
        {id3(0), 10},
        {id3(100), 110},
        {id3(300), 310},                                        // more than seven bits of size
        {id3(20, 0x10, 4), 40},                                 // v2.4 with a footer
        {id3(20, 0x10, 3), 30},                                 // a footer flag before v2.4 means nothing
        {QByteArray("ID3\x03\x00\x00\x00\x00\x80\x00", 10), 0}, // not synchsafe
        {QByteArray("ID3\x03\x00", 5), 0},                      // too short to tell
        {QByteArray("TAG") + QByteArray(125, ' '), 0},
        {Broadcast(3, 1), 0},
        {QByteArray(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Id3v2TagSize(c.head), c.size) << c.head.left(10).toHex().toStdString();
}

TEST(LibraryDecode, EachFormatWantsItsOwnAudio)
{
    const QByteArray mp3 = Broadcast(20, 3);
    const QByteArray aac = AdtsBroadcast(20, 3);
    const QByteArray text = QByteArray("<html><body>404 Not Found</body></html>").repeated(20);
    const QByteArray noise = [] {
        QByteArray b(4096, '\0');
        for (int i = 0; i < b.size(); ++i)
            b[i] = char((i * 7919 + 13) % 251);
        return b;
    }();
    QByteArray vorbisWithoutCapture = pages(Codec::Vorbis);
    vorbisWithoutCapture[0] = 'X';
    const struct Case {
        const char* what;
        QByteArray audio;
        const char* format;
        bool decodes;
    } cases[] = {
        {"mp3 frames", mp3, "MP3", true},
        {"mp3 after a few stray bytes", QByteArray("xyz") + mp3, "MP3", true},
        {"mp3 cut short inside its tenth frame", mp3.left(mp3.size() / 2 + 7), "MP3", true},
        {"aac frames named .mp3", aac, "MP3", false},
        {"an error page named .mp3", text, "MP3", false},
        {"noise named .mp3", noise, "MP3", false},
        {"nothing", QByteArray(), "MP3", false},
        {"adts frames", aac, "AAC", true},
        {"mp3 frames named .aac", mp3, "AAC", false},
        {"vorbis", pages(Codec::Vorbis), "OGG", true},
        {"opus named .ogg", pages(Codec::Opus), "OGG", true},
        {"speex named .ogg", pages(Codec::Other), "OGG", false},
        {"ogg without its capture pattern", vorbisWithoutCapture, "OGG", false},
        {"just the capture pattern", QByteArray("OggS"), "OGG", false},
        {"opus", pages(Codec::Opus), "OPUS", true},
        {"vorbis named .opus", pages(Codec::Vorbis), "OPUS", false},
        {"native flac", QByteArray("fLaC\x00\x00\x00\x22", 8) + QByteArray(34, '\0'), "FLAC", true},
        {"mp3 named .flac", mp3, "FLAC", false},
        {"m4a",
         QByteArray("\x00\x00\x00\x20"
                    "ftypM4A ",
                    12) +
             QByteArray(20, '\0'),
         "M4A", true},
        {"text named .m4a", text, "M4A", false},
    };
    for (const Case& c : cases) {
        const QString problem = DecodeProblemOf(c.audio, QLatin1String(c.format));
        EXPECT_EQ(problem.isEmpty(), c.decodes) << c.what << ": " << problem.toStdString();
        if (!c.decodes)
            EXPECT_EQ(problem, QStringLiteral("No %1 audio was found in the file.").arg(QLatin1String(c.format)))
                << c.what;
    }
}

TEST(LibraryDecode, FilesOnDiskAreReadPastTheirTag)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray mp3 = Broadcast(20, 5);
    const struct Case {
        const char* name;
        QByteArray bytes;
        const char* problem;
    } cases[] = {
        {"plain.mp3", mp3, ""},
        {"tagged.mp3", id3(2000) + mp3, ""},
        // A tag larger than the probe: the audio after it is still found.
        {"big tag.mp3", id3(int(kDecodeProbeBytes) + 5000) + mp3, ""},
        {"tag only.mp3", id3(500), "No MP3 audio was found in the file."},
        {"tag claiming more than the file.mp3", id3(100).left(50), "No MP3 audio was found in the file."},
        {"empty.ogg", QByteArray(), "The file is empty."},
        {"tagged.aac", id3(40) + AdtsBroadcast(10, 2), ""},
        {"song.opus", pages(Codec::Opus), ""},
        {"garbage.opus", QByteArray(300, 'g'), "No OPUS audio was found in the file."},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(LibraryDecodeProblem(path), QLatin1String(c.problem)) << c.name;
    }
    EXPECT_TRUE(LibraryDecodeProblem(dir.filePath("missing.mp3")).startsWith("The file cannot be read: "));
}

namespace {

// An ID3v2.3 text frame: id, size, flags, encoding 0 (Latin-1), text.
QByteArray textFrame(const char* id, const QByteArray& text, quint32 claimed = 0)
{
    const quint32 size = claimed ? claimed : quint32(text.size() + 1);
    QByteArray f(id, 4);
    f += char(size >> 24);
    f += char(size >> 16);
    f += char(size >> 8);
    f += char(size);
    f += QByteArray(2, '\0');
    return f + '\0' + text;
}

QByteArray id3WithFrames(const QByteArray& frames, int padding = 32)
{
    QByteArray tag = id3(int(frames.size()) + padding);
    tag.replace(10, frames.size(), frames);
    return tag;
}

QByteArray id3v1(const QByteArray& title, const QByteArray& artist)
{
    QByteArray t("TAG");
    t += title.leftJustified(30, '\0', true);
    t += artist.leftJustified(30, '\0', true);
    t += QByteArray(30 + 4 + 30, '\0');
    t += char(255);
    return t;
}

} // namespace

// A damaged tag is shown as far as it can be read, and reading it (a scan,
// the tag dialog's opening) never changes a byte of the file.
TEST(LibraryDecode, DamagedTagsAreReadAsTheyAreAndNeverWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray mp3 = Broadcast(30, 9);
    const struct Case {
        const char* name;
        QByteArray bytes;
        const char* title; // as shown; from the file name when the tag gives none
        const char* artist;
    } cases[] = {
        {"Name Artist - Name Title.mp3",
         id3WithFrames(textFrame("TIT2", "Good Title") + textFrame("TPE1", "Lost", 0x7FFFFFF)) + mp3, "Good Title", ""},
        {"Name Artist - Name Title 2.mp3", id3(10).replace(0, 3, "ID3") + mp3, "Name Title 2", "Name Artist"},
        {"Name Artist - Name Title 3.mp3", id3WithFrames(QByteArray("\xff\xfe garbage frames", 18)) + mp3,
         "Name Title 3", "Name Artist"},
        {"Name Artist - Name Title 4.mp3", mp3 + id3v1("Old \x01\x02 Title", "Old Artist"), "Old \x01\x02 Title",
         "Old Artist"},
        // A tag claiming more bytes than the file has.
        {"Name Artist - Name Title 5.mp3", id3(5000).left(200) + mp3.left(800), "Name Title 5", "Name Artist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }
        const QDateTime written = QFileInfo(path).lastModified();
        const LibraryEntry e = ScannedEntry(path);
        LibraryTag tag;
        ReadLibraryTag(path, &tag);
        EXPECT_EQ(e.title, QString::fromLatin1(c.title));
        EXPECT_EQ(e.artist, QString::fromLatin1(c.artist));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.bytes);
        EXPECT_EQ(QFileInfo(path).lastModified(), written);
    }
}
