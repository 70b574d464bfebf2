#include "recorder/oggrecording.h"
#include "tests/recorder/demux/oggpages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray OpusSong(quint32 serial, const QList<QByteArray>& fields)
{
    const QByteArray head = QByteArray("OpusHead", 8) + char(1) + char(2) + QByteArray(10, '\0');
    return PacketsPage(2, serial, 0, {head}) +
           PacketsPage(0, serial, 1, {QByteArray("OpusTags", 8) + CommentBody(fields)}) +
           PacketsPage(4, serial, 2, {QByteArray(100, 'o')}, 960);
}

TEST(IsOggStream, ContentTypesAndCapturePattern)
{
    const struct {
        QByteArray type, body;
        bool ogg;
    } cases[] = {
        {"audio/ogg", "", true},
        {"application/ogg", "", true},
        {"audio/opus", "", true},
        {"audio/vorbis", "", true},
        {"Audio/Ogg; codecs=opus", "", true},
        {"audio/mpeg", "OggS\0", true},
        {"audio/mpeg", "\xff\xfb", false},
        {"audio/aac", "", false},
        {"audio/oggx", "", false},
        {"video/ogg", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOggStream(c.type, c.body), c.ogg) << c.type.constData();
}

TEST(StreamExtension, OggByTypeOrCapturePattern)
{
    EXPECT_EQ(StreamExtension("audio/opus", ""), ".opus");
    EXPECT_EQ(StreamExtension("application/ogg", ""), ".ogg");
    EXPECT_EQ(StreamExtension("audio/mpeg", "OggS"), ".ogg");
    EXPECT_EQ(StreamExtension("audio/aacp", "\xff\xf1"), ".aac");
    EXPECT_EQ(WithExtension("show.MP3", ".ogg"), "show.ogg");
    EXPECT_EQ(WithExtension("show-12082026.opus", ".ogg"), "show-12082026.ogg");
    EXPECT_EQ(WithExtension("show", ".opus"), "show.opus");
}

TEST(OggSongName, FromComments)
{
    const struct {
        QString artist, title;
        OggCodec codec;
        QString name;
    } cases[] = {
        {"Ann", "First", OggCodec::Vorbis, "Ann - First.ogg"},
        {"", "Only Title", OggCodec::Opus, "Only Title.opus"},
        {"Artist Only", "", OggCodec::Flac, "Radio-12082026.ogg"},
        {"", "", OggCodec::Opus, "Radio-12082026.opus"},
    };
    for (const auto& c : cases) {
        OggStreamInfo info;
        info.artist = c.artist;
        info.title = c.title;
        info.codec = c.codec;
        EXPECT_EQ(OggSongName(info, "Radio-12082026"), c.name);
    }
}

TEST(OggRecording, OneFilePerSongNamedAfterItsComments)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An earlier recording of the first song stays; a title with a slash is cleaned.
    QFile earlier(dir.path() + "/Ann - First.ogg");
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    const QByteArray one = VorbisSong(1, {"ARTIST=Ann", "TITLE=First"});
    const QByteArray two = OpusSong(2, {"TITLE=AC/DC?"});
    const QByteArray three = VorbisSong(3, {"COMMENT=none"});
    const QByteArray stream = one + two + three;
    for (qsizetype chunk : {qsizetype(1), qsizetype(100), stream.size()}) {
        SCOPED_TRACE(chunk);
        for (const QString& f : QDir(dir.path()).entryList(QDir::Files))
            if (f != "Ann - First.ogg")
                QFile::remove(dir.path() + "/" + f);
        OggRecording rec;
        QStringList opened, closed;
        rec.onOpened = [&](const QString& p) { opened << QFileInfo(p).fileName(); };
        rec.onClosed = [&](const QString& p) { closed << QFileInfo(p).fileName(); };
        rec.BeginSongs(dir.path(), "Radio-12082026");
        for (qsizetype i = 0; i < stream.size(); i += chunk)
            EXPECT_TRUE(rec.Feed(stream.constData() + i, qMin(chunk, stream.size() - i)).isEmpty());
        rec.Finish();
        const QStringList names = {"Ann - First (2).ogg", "ACDC.opus", "Radio-12082026.ogg"};
        EXPECT_EQ(opened, names);
        EXPECT_EQ(closed, names);
        EXPECT_EQ(ReadAll(dir.path() + "/Ann - First.ogg"), "earlier");
        EXPECT_EQ(ReadAll(dir.path() + "/" + names[0]), one);
        EXPECT_EQ(ReadAll(dir.path() + "/" + names[1]), two);
        EXPECT_EQ(ReadAll(dir.path() + "/" + names[2]), three);
        EXPECT_EQ(rec.Problems(), "");
    }
}

TEST(OggRecording, CutSongEndsItsFileAndBadPagesAreNotWritten)
{
    QTemporaryDir dir;
    const QByteArray one = VorbisSong(1, {"TITLE=Cut"}, 4);
    const qsizetype lastPage = PacketsPage(4, 1, 5, {QByteArray(300, 'd')}, 4096).size();
    QByteArray damaged = VorbisSong(2, {"TITLE=Damaged"}, 3);
    const qsizetype secondAudio = damaged.size() - 2 * lastPage; // the middle audio page
    damaged[secondAudio + 40] = char(damaged[secondAudio + 40] ^ 1);
    OggRecording rec;
    rec.BeginSongs(dir.path(), "Radio");
    rec.Feed(one.left(one.size() - lastPage).constData(), one.size() - lastPage); // the connection drops
    rec.Finish();
    rec.BeginSongs(dir.path(), "Radio"); // the reconnect brings fresh header pages
    rec.Feed(damaged.constData(), damaged.size());
    const QString problems = rec.Problems();
    rec.Finish();
    EXPECT_EQ(ReadAll(dir.path() + "/Cut.ogg"), one.left(one.size() - lastPage));
    EXPECT_EQ(ReadAll(dir.path() + "/Damaged.ogg"), damaged.left(secondAudio) + damaged.mid(secondAudio + lastPage));
    EXPECT_EQ(problems, "Ogg: 1 damaged page(s) dropped");
}

TEST(OggRecording, OneFileModeHandsOverTheChainWhole)
{
    const QByteArray stream = "junk" + VorbisSong(1, {"TITLE=A"}) + OpusSong(2, {"TITLE=B"});
    OggRecording rec;
    rec.BeginOneFile();
    QByteArray out;
    for (qsizetype i = 0; i < stream.size(); i += 33)
        out += rec.Feed(stream.constData() + i, qMin<qsizetype>(33, stream.size() - i));
    rec.Finish();
    EXPECT_EQ(out, stream.mid(4));
    EXPECT_TRUE(rec.Path().isEmpty());
}

TEST(OggRecording, OneFileGoesOnWithTheCutSongAfterAReconnect)
{
    // Pages: two of headers, three of audio. The outage falls after the
    // first audio page; the server then sends the headers again.
    const QByteArray song = VorbisSong(1, {"TITLE=A"});
    const qsizetype audio = PacketsPage(0, 1, 2, {QByteArray(300, 'a')}, 1024).size();
    const qsizetype headers = song.size() - 3 * audio;
    const QByteArray other = VorbisSong(2, {"TITLE=B"});
    const struct {
        const char* name;
        bool continues;
        QByteArray again;
        QByteArray out;
    } cases[] = {
        {"the same song goes on", true, song.left(headers) + song.mid(headers + audio), song},
        {"the burst repeats pages written", true, song, song},
        {"the outage lost a page", true, song.left(headers) + song.mid(headers + 2 * audio),
         song.left(headers + audio) + song.mid(headers + 2 * audio)},
        {"another song begins", true, other, song.left(headers + audio) + other},
        {"a new recording starts with headers", false, song, song.left(headers + audio) + song},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OggRecording rec;
        rec.BeginOneFile();
        QByteArray out = rec.Feed(song.constData(), headers + audio + 10); // a torn page at the end
        rec.BeginOneFile(c.continues);
        out += rec.Feed(c.again.constData(), c.again.size());
        rec.Finish();
        EXPECT_EQ(out, c.out);
    }
}

TEST(OggRecording, ACutSongGoesOnInItsFileAfterAReconnect)
{
    // Two pages of headers, four of audio; the outage falls after the
    // second audio page (a torn page behind it).
    const QByteArray song = VorbisSong(7, {"TITLE=A"}, 4);
    const qsizetype audio = PacketsPage(0, 7, 2, {QByteArray(300, 'a')}, 1024).size();
    const qsizetype headers = song.size() - 4 * audio;
    const QByteArray cut = song.left(headers + 2 * audio);
    // The song sent again as a new logical stream: its bytes but the serial.
    const QByteArray anew = VorbisSong(8, {"TITLE=A"}, 4);
    const QByteArray other = VorbisSong(9, {"TITLE=B"});
    const QByteArray sameSerial = VorbisSong(7, {"TITLE=B"});
    const struct {
        const char* name;
        bool continues;
        QList<QByteArray> connections; // what each connection after the first brings
        QByteArray a, a2, b;           // "A.ogg", "A (2).ogg", "B.ogg" ("" when absent)
        QList<QList<qint64>> joined;   // pages left out, pages missed
    } cases[] = {
        {"the burst repeats pages written", true, {song}, song, "", "", {{2, 0}}},
        {"the burst begins after them", true, {song.left(headers) + song.mid(cut.size())}, song, "", "", {{0, 0}}},
        {"the outage lost a page",
         true,
         {song.left(headers) + song.mid(cut.size() + audio)},
         cut + song.mid(cut.size() + audio),
         "",
         "",
         {{0, 1}}},
        {"an attempt brings nothing, the next the song", true, {"OggS", song}, song, "", "", {{2, 0}}},
        {"the song as a new stream is chained", true, {anew}, cut + anew, "", "", {}},
        {"another song ends the cut one", true, {other}, cut, "", other, {}},
        {"another song with the cut one's serial ends it", true, {sameSerial}, cut, "", sameSerial, {}},
        {"the song goes on without its header pages", true, {song.mid(cut.size())}, song, "", "", {{0, 0}}},
        {"... and repeats pages written", true, {song.mid(headers)}, song, "", "", {{2, 0}}},
        {"... then another song", true, {song.mid(cut.size()) + other}, song, "", other, {{0, 0}}},
        {"a new recording numbers its file", false, {song}, cut, song, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        OggRecording rec;
        QStringList opened, closed;
        QList<QList<qint64>> joined;
        rec.onOpened = [&](const QString& p) { opened << QFileInfo(p).fileName(); };
        rec.onClosed = [&](const QString& p) { closed << QFileInfo(p).fileName(); };
        rec.onJoined = [&](int leftOut, qint64 missed) { joined.append({leftOut, missed}); };
        rec.BeginSongs(dir.path(), "Radio");
        rec.Feed(song.constData(), cut.size() + 10);
        for (const QByteArray& again : c.connections) {
            rec.BeginSongs(dir.path(), "Radio", c.continues);
            for (qsizetype i = 0; i < again.size(); i += 50) // chunks that tear pages
                rec.Feed(again.constData() + i, qMin<qsizetype>(50, again.size() - i));
        }
        rec.Finish();
        EXPECT_EQ(ReadAll(dir.path() + "/A.ogg"), c.a);
        EXPECT_EQ(ReadAll(dir.path() + "/A (2).ogg"), c.a2);
        EXPECT_EQ(ReadAll(dir.path() + "/B.ogg"), c.b);
        EXPECT_EQ(opened, closed);
        EXPECT_EQ(joined, c.joined);
    }
}

// A file holding only a song's header pages would hold no sound: the header
// pages wait for the song's first page of audio.
TEST(OggRecording, ASongCutBeforeItsAudioLeavesNoFile)
{
    const QByteArray a = VorbisSong(1, {"TITLE=A"}), b = VorbisSong(2, {"TITLE=B"});
    const qsizetype headers = a.size() - 3 * PacketsPage(0, 1, 2, {QByteArray(300, 'a')}, 1024).size();
    const struct {
        const char* name;
        bool songs;
        QList<QByteArray> connections;
        QStringList files;
        QByteArray out; // one-file mode
    } cases[] = {
        {"per song, the stream ends", true, {a + b.left(headers)}, {"A.ogg"}, ""},
        {"per song, the connection drops and the song comes again", true, {a.left(headers), a}, {"A.ogg"}, ""},
        {"one file", false, {a + b.left(headers)}, {}, a},
        {"one file, the connection drops", false, {b.left(headers), a}, {}, a},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        OggRecording rec;
        QByteArray out;
        for (int i = 0; i < c.connections.size(); ++i) {
            if (c.songs)
                rec.BeginSongs(dir.path(), "Radio", i > 0);
            else
                rec.BeginOneFile(i > 0);
            out += rec.Feed(c.connections[i].constData(), c.connections[i].size());
        }
        rec.Finish();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), c.files);
        if (c.songs)
            EXPECT_EQ(ReadAll(dir.path() + "/A.ogg"), a);
        EXPECT_EQ(out, c.out);
    }
}

// The recorder names and opens each song's file, or leaves a song out; it
// settles each file knowing whether the song played to its last page.
TEST(OggRecording, TheRecorderOpensEachSongsFileAndSettlesIt)
{
    QTemporaryDir dir;
    const QByteArray a = VorbisSong(1, {"TITLE=A"}), b = VorbisSong(2, {"TITLE=B"}), c = VorbisSong(3, {});
    const qsizetype cut = c.size() - PacketsPage(0, 3, 4, {QByteArray(300, 'c')}, 3072).size();
    OggRecording rec;
    QStringList asked, settled;
    rec.openFile = [&](const QString& name, bool titled, RecordingFile& file) {
        asked << name + (titled ? " titled" : "");
        return name != "B.ogg" && file.Create(dir.path() + "/" + name);
    };
    rec.settleFile = [&](const QString& path, const QString& replaces, bool complete) {
        settled << QFileInfo(path).fileName() + (replaces.isEmpty() ? "" : " repeat") +
                       (complete ? " complete" : " cut");
        return path;
    };
    rec.BeginSongs(dir.path(), "Radio");
    rec.Feed((a + b + c.left(cut)).constData(), a.size() + b.size() + cut);
    rec.Finish();
    EXPECT_EQ(asked, QStringList({"A.ogg titled", "B.ogg titled", "Radio.ogg"}));
    EXPECT_EQ(settled, QStringList({"A.ogg complete", "Radio.ogg cut"}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"A.ogg", "Radio.ogg"}));
    EXPECT_EQ(ReadAll(dir.path() + "/Radio.ogg"), c.left(cut));
}

TEST(OggRecording, PauseSkipsToTheNextSong)
{
    const QByteArray one = VorbisSong(1, {"TITLE=A"}), two = VorbisSong(2, {"TITLE=B"});
    const qsizetype kept = one.size() - 2 * PacketsPage(0, 1, 2, {QByteArray(300, 'a')}, 1024).size();
    OggRecording rec;
    rec.BeginOneFile();
    QByteArray out = rec.Feed(one.constData(), kept);
    rec.SetPaused(true);
    out += rec.Feed(one.constData() + kept, one.size() - kept);
    rec.SetPaused(false);
    out += rec.Feed(two.constData(), two.size());
    rec.Finish();
    EXPECT_EQ(out, one.left(kept) + two);
}

} // namespace
