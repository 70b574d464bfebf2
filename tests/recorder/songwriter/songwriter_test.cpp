// The song writer on its own: byte tables and titles in, files and events
// out, with no socket and no recorder around it.
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/songwriter.h"
#include "tests/recorder/demux/oggpages.h"
#include "tests/recorder/split/noiseframes.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

// One thing that happens to the writer.
struct Step {
    enum Op {
        Connect, // a connection begins (`text` "reconnect": it takes up the lost stream)
        Header,  // its response header, `bytes` the Content-Type
        Title,   // a metadata block naming `text`
        Audio,   // `bytes` of audio, arriving `ms` after the last
        Pause,
        Resume,
        Close,
    };
    Op op = Close;
    QByteArray bytes;
    QString text;
    int ms = 100;
};

Step op(Step::Op o, const QByteArray& bytes = {}, const QString& text = {}, int ms = 100)
{
    Step s;
    s.op = o;
    s.bytes = bytes;
    s.text = text;
    s.ms = ms;
    return s;
}
Step connect(bool reconnect = false)
{
    return op(Step::Connect, {}, reconnect ? QStringLiteral("reconnect") : QString());
}
Step header(const QByteArray& contentType = "audio/mpeg")
{
    return op(Step::Header, contentType);
}
Step title(const QString& t)
{
    return op(Step::Title, {}, t);
}
Step audio(const QByteArray& bytes, int ms = 100)
{
    return op(Step::Audio, bytes, {}, ms);
}

// An event as the table writes it: its kind and the name it carries.
QString describe(const SongEvent& e)
{
    using K = SongEvent::Kind;
    switch (e.kind) {
    case K::Say:
        return QStringLiteral("say ") + e.text;
    case K::Opened:
        return QStringLiteral("opened ") + e.name;
    case K::Continued:
        return QStringLiteral("continued ") + e.name;
    case K::OggOpened:
        return QStringLiteral("ogg opened ") + e.name;
    case K::Closed:
        return QStringLiteral("closed ") + QFileInfo(e.path).fileName();
    case K::KeptVersion:
        return QStringLiteral("kept ") + e.name;
    case K::Replaced:
        return QStringLiteral("replaced ") + e.name;
    case K::TooShort:
        return QStringLiteral("deleted %1 (%2 s)").arg(e.name).arg(e.count);
    case K::SavedAlready:
        return QStringLiteral("saved already ") + e.name;
    case K::Joined:
        return QStringLiteral("joined %1 s").arg(e.seconds, 0, 'f', 1);
    case K::Gap:
        return QStringLiteral("gap %1 bytes, %2 ms").arg(e.count).arg(e.missedMs);
    case K::OggJoined:
        return QStringLiteral("ogg joined %1 left out, %2 missed").arg(e.count).arg(e.missed);
    case K::StartPaused:
        return QStringLiteral("start paused");
    case K::NewFile:
        return QStringLiteral("new file");
    default:
        return QStringLiteral("event %1").arg(int(e.kind));
    }
}

// A file's audio: without the ID3v1 tag at its end.
QByteArray audioOf(const QByteArray& file)
{
    if (file.size() >= 128 && file.right(128).startsWith("TAG"))
        return file.left(file.size() - 128);
    return file;
}

struct Row {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::pair<QString, QByteArray>> files; // every file, its audio
    QStringList events;
    bool cleanCuts = false;
    SongWriter::Mode mode = SongWriter::Mode::PerSong;
    bool startPaused = false;
    RecordingOptions::Repeat repeat = RecordingOptions::Repeat::Replace;
    int minSongSeconds = 0;
};

class SongWriterTable : public ::testing::Test {
protected:
    // Runs a row's steps; the events said meanwhile.
    QStringList run(const Row& row, const TempFolder& folder)
    {
        QStringList events;
        bool startPaused = row.startPaused;
        SongWriter* self = nullptr;
        SongWriterSetup setup;
        setup.folder = [&] { return folder.path(); };
        setup.mode = [&] { return row.mode; };
        setup.stationTitle = [] { return QStringLiteral("Test Station"); };
        setup.streamFile = [] { return QStringLiteral("stream"); }; // an archive adds the day
        setup.startPaused = [&] { return startPaused; };
        setup.now = [] { return QDateTime(QDate(2026, 12, 5), QTime(12, 0)); };
        setup.clock = &clock;
        setup.sleeper = &sleeper;
        setup.headerPauseMs = 0;
        setup.filePauseMs = 0;
        setup.onEvent = [&](const SongEvent& e) {
            events << describe(e);
            if (e.kind == SongEvent::Kind::StartPaused) {
                // As the recorder does: the recording pauses, once.
                startPaused = false;
                self->Pause();
            }
        };
        SongWriter writer(setup);
        self = &writer;
        RecordingOptions options;
        options.cleanCuts = row.cleanCuts;
        options.repeatPolicy = row.repeat;
        options.minSongSeconds = row.minSongSeconds;
        writer.Start(options, rules.path());
        EXPECT_TRUE(writer.RulesReady());
        bool reconnect = false;
        const qint32 start = clock.GetTickCount();
        qint32 lastAudio = start;
        for (const Step& s : row.steps) {
            switch (s.op) {
            case Step::Connect:
                reconnect = !s.text.isEmpty();
                EXPECT_EQ(writer.ConnectionBegins(reconnect), row.mode == SongWriter::Mode::PerSong);
                break;
            case Step::Header: {
                StreamHead h; // as a server with titles every 8192 bytes says it
                h.contentType = s.bytes;
                h.hasBitRate = true;
                h.bitRate = 128;
                h.hasIcyName = true;
                h.icyName = "Test FM";
                h.metadata = true;
                writer.SetBitRate(h.bitRate);
                writer.BeginStream(h, lastAudio);
                break;
            }
            case Step::Title:
                writer.Title(s.text, false);
                break;
            case Step::Audio:
                clock.advance(s.ms);
                lastAudio = clock.GetTickCount();
                writer.Audio(s.bytes.constData(), s.bytes.size(), lastAudio);
                writer.Flush();
                break;
            case Step::Pause:
                writer.Pause();
                break;
            case Step::Resume:
                writer.Resume();
                break;
            case Step::Close:
                writer.Close();
                writer.Stop();
                break;
            }
        }
        return events;
    }

    FakeTickSource clock{100000};
    CountingSleeper sleeper;
    TempFolder rules; // no lists: the rules are there at once
};

const QString kStation = QStringLiteral("Test FM-12052026");

TEST_F(SongWriterTable, AudioAndTitlesBecomeFilesAndEvents)
{
    const QByteArray a(3000, 'a'), b(2500, 'b'), c(1700, 'c'), d(900, 'd');
    const QByteArray frames = Broadcast(40, 1), other = Broadcast(40, 2);
    // A burst after a reconnect that repeats the last 30 frames recorded.
    const qsizetype repeatFrom = FrameStart(frames, 10);
    const QByteArray more = Broadcast(70, 1).mid(repeatFrom);
    const std::vector<Row> rows = {
        {"titles switch files at the block; an empty title or the same one keeps the file",
         {connect(), header(), audio(a), title("A - One"), audio(b), title(""), title("A - One"), audio(c),
          title("B - Two"), audio(d), op(Step::Close)},
         {{kStation + ".mp3", a}, {"A - One.mp3", b + c}, {"B - Two.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "closed A - One.mp3", "new file", "opened B - Two.mp3", "closed B - Two.mp3"}},
        {"an AAC stream names its files .aac",
         {connect(), header("audio/aac"), audio(a), title("A - One"), audio(b), op(Step::Close)},
         {{kStation + ".aac", a}, {"A - One.aac", b}},
         {"new file", "opened " + kStation + ".aac", "closed " + kStation + ".aac", "new file", "opened A - One.aac",
          "closed A - One.aac"}},
        {"a pause records nothing; the title named meanwhile opens on resuming",
         {connect(), header(), audio(a), op(Step::Pause), audio(b), title("A - One"), audio(c), op(Step::Resume),
          audio(d), op(Step::Close)},
         {{kStation + ".mp3", a}, {"A - One.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "opened A - One.mp3",
          "closed A - One.mp3"}},
        {"a recording that starts paused opens its first file on resuming",
         {connect(), header(), audio(a), op(Step::Resume), audio(b), op(Step::Close)},
         {{kStation + ".mp3", b}},
         {"start paused", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3"},
         false,
         SongWriter::Mode::PerSong,
         true},
        {"a reconnect whose burst repeats the recording's end is joined where it left off",
         {connect(), header(), audio(frames), connect(true), header(), audio(more, 1000), op(Step::Close)},
         {{kStation + ".mp3", Broadcast(70, 1)}},
         {"new file", "opened " + kStation + ".mp3",
          QStringLiteral("joined %1 s").arg(double(frames.size() - repeatFrom) / 16000.0, 0, 'f', 1),
          "closed " + kStation + ".mp3"}},
        {"a reconnect that does not meet the recording is a gap, recorded whole",
         {connect(), header(), audio(frames), connect(true), header(), audio(other, 3000), op(Step::Close)},
         {{kStation + ".mp3", frames + other}},
         {"new file", "opened " + kStation + ".mp3", "gap 0 bytes, 3000 ms", "closed " + kStation + ".mp3"}},
        {"with clean cuts a file starts with the stream's first whole frame",
         {connect(), header(), audio("xyz" + frames), op(Step::Close)},
         {{kStation + ".mp3", frames}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3"},
         true},
        {"an archive file still empty takes the stream's type",
         {connect(), header("audio/aac"), audio(a), audio(b), op(Step::Close)},
         {{"stream-12052026.aac", a + b}},
         {"new file", "opened stream-12052026.mp3", "new file", "opened stream-12052026.aac",
          "closed stream-12052026.aac"},
         false,
         SongWriter::Mode::DatedArchive},
        {"a complete repeat of the same length replaces the earlier play",
         {connect(), header(), audio(d), title("A - One"), audio(a), title("B - Two"), audio(b), title("A - One"),
          audio(c), audio(c.left(1300)), title("C - Three"), audio(d), op(Step::Close)},
         {{kStation + ".mp3", d}, {"A - One.mp3", c + c.left(1300)}, {"B - Two.mp3", b}, {"C - Three.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "closed A - One.mp3", "new file", "opened B - Two.mp3", "closed B - Two.mp3", "new file",
          "opened A - One.mp3", "replaced A - One.mp3", "closed A - One.mp3", "new file", "opened C - Three.mp3",
          "closed C - Three.mp3"}},
        {"kept, a repeat is another version; ending keeps a play cut short",
         {connect(), header(), audio(d), title("A - One"), audio(a), title("B - Two"), audio(b), title("A - One"),
          audio(c), op(Step::Close)},
         {{kStation + ".mp3", d}, {"A - One.mp3", a}, {"B - Two.mp3", b}, {"A - One (2).mp3", c}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "closed A - One.mp3", "new file", "opened B - Two.mp3", "closed B - Two.mp3", "new file",
          "opened A - One.mp3", "kept A - One (2).mp3", "closed A - One (2).mp3"},
         false,
         SongWriter::Mode::PerSong,
         false,
         RecordingOptions::Repeat::Keep},
        {"a song shorter than the least length is deleted when the next title begins",
         {connect(), header(), audio(QByteArray(17000, 'x')), title("A - One"), audio(a), title("B - Two"),
          audio(QByteArray(16500, 'y')), op(Step::Close)},
         {{kStation + ".mp3", QByteArray(17000, 'x')}, {"B - Two.mp3", QByteArray(16500, 'y')}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "deleted A - One.mp3 (1 s)", "new file", "opened B - Two.mp3", "closed B - Two.mp3"},
         false,
         SongWriter::Mode::PerSong,
         false,
         RecordingOptions::Repeat::Replace,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        const QStringList events = run(row, folder);
        EXPECT_EQ(events, row.events) << events.join(QStringLiteral(" | ")).toStdString();
        QStringList names;
        for (const auto& [name, bytes] : row.files) {
            names << name;
            EXPECT_EQ(audioOf(ReadAll(folder.file(name))), bytes) << name.toStdString();
        }
        names.sort();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
    }
}

// Ogg songs are known by their header pages and named by their comments;
// every page lands in the file of its song.
TEST_F(SongWriterTable, OggSongsAreFilesOfTheirOwnNamedByTheirComments)
{
    const QByteArray one = VorbisSong(1, {"ARTIST=A", "TITLE=One"});
    const QByteArray two = VorbisSong(2, {"ARTIST=B", "TITLE=Two"});
    const struct {
        const char* what;
        QList<QByteArray> chunks;
    } chunkings[] = {
        {"whole", {one + two}},
        {"a byte short of each song's end", {one.left(one.size() - 1), one.right(1) + two.left(5), two.mid(5)}},
    };
    for (const auto& c : chunkings) {
        SCOPED_TRACE(c.what);
        Row row{"ogg", {connect(), header("application/ogg")}, {}, {}};
        for (const QByteArray& chunk : c.chunks)
            row.steps.push_back(audio(chunk));
        row.steps.push_back(op(Step::Close));
        TempFolder folder;
        const QStringList events = run(row, folder);
        EXPECT_EQ(events, QStringList({"ogg opened A - One.ogg", "closed A - One.ogg", "ogg opened B - Two.ogg",
                                       "closed B - Two.ogg"}))
            << events.join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("A - One.ogg"))), one);
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("B - Two.ogg"))), two);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"A - One.ogg", "B - Two.ogg"}));
    }
}

} // namespace
