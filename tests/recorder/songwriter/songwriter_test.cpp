// The song writer on its own: byte tables and titles in, files and events
// out, with no socket and no recorder around it.
#include "tests/recorder/demux/oggpages.h"
#include "tests/recorder/split/noiseframes.h"
#include "tests/support/songrig.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace songrig;
using Step = SongStep;

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
    // Runs a row's steps in `rig`; the events said meanwhile.
    static QStringList run(const Row& row, SongRig& rig)
    {
        rig.mode = row.mode;
        rig.startPaused = row.startPaused;
        rig.options.cleanCuts = row.cleanCuts;
        rig.options.repeatPolicy = row.repeat;
        rig.options.minSongSeconds = row.minSongSeconds;
        EXPECT_TRUE(rig.Start());
        rig.Run(row.steps);
        return rig.events;
    }
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
          title("B - Two"), audio(d), close()},
         {{kStation + ".mp3", a}, {"A - One.mp3", b + c}, {"B - Two.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "closed A - One.mp3", "new file", "opened B - Two.mp3", "closed B - Two.mp3"}},
        {"an AAC stream names its files .aac",
         {connect(), header("audio/aac"), audio(a), title("A - One"), audio(b), close()},
         {{kStation + ".aac", a}, {"A - One.aac", b}},
         {"new file", "opened " + kStation + ".aac", "closed " + kStation + ".aac", "new file", "opened A - One.aac",
          "closed A - One.aac"}},
        {"a pause records nothing; the title named meanwhile opens on resuming",
         {connect(), header(), audio(a), op(Step::Pause), audio(b), title("A - One"), audio(c), op(Step::Resume),
          audio(d), close()},
         {{kStation + ".mp3", a}, {"A - One.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "opened A - One.mp3",
          "closed A - One.mp3"}},
        {"a recording that starts paused opens its first file on resuming",
         {connect(), header(), audio(a), op(Step::Resume), audio(b), close()},
         {{kStation + ".mp3", b}},
         {"start paused", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3"},
         false,
         SongWriter::Mode::PerSong,
         true},
        {"a reconnect whose burst repeats the recording's end is joined where it left off",
         {connect(), header(), audio(frames), connect(true), header(), audio(more, 1000), close()},
         {{kStation + ".mp3", Broadcast(70, 1)}},
         {"new file", "opened " + kStation + ".mp3",
          QStringLiteral("joined %1 s").arg(double(frames.size() - repeatFrom) / 16000.0, 0, 'f', 1),
          "closed " + kStation + ".mp3"}},
        {"a reconnect that does not meet the recording is a gap, recorded whole",
         {connect(), header(), audio(frames), connect(true), header(), audio(other, 3000), close()},
         {{kStation + ".mp3", frames + other}},
         {"new file", "opened " + kStation + ".mp3", "gap 0 bytes, 3000 ms", "closed " + kStation + ".mp3"}},
        {"with clean cuts a file starts with the stream's first whole frame",
         {connect(), header(), audio("xyz" + frames), close()},
         {{kStation + ".mp3", frames}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3"},
         true},
        {"an archive file still empty takes the stream's type",
         {connect(), header("audio/aac"), audio(a), audio(b), close()},
         {{"stream-12052026.aac", a + b}},
         {"new file", "opened stream-12052026.mp3", "new file", "opened stream-12052026.aac",
          "closed stream-12052026.aac"},
         false,
         SongWriter::Mode::DatedArchive},
        {"a complete repeat of the same length replaces the earlier play",
         {connect(), header(), audio(d), title("A - One"), audio(a), title("B - Two"), audio(b), title("A - One"),
          audio(c), audio(c.left(1300)), title("C - Three"), audio(d), close()},
         {{kStation + ".mp3", d}, {"A - One.mp3", c + c.left(1300)}, {"B - Two.mp3", b}, {"C - Three.mp3", d}},
         {"new file", "opened " + kStation + ".mp3", "closed " + kStation + ".mp3", "new file", "opened A - One.mp3",
          "closed A - One.mp3", "new file", "opened B - Two.mp3", "closed B - Two.mp3", "new file",
          "opened A - One.mp3", "replaced A - One.mp3", "closed A - One.mp3", "new file", "opened C - Three.mp3",
          "closed C - Three.mp3"}},
        {"kept, a repeat is another version; ending keeps a play cut short",
         {connect(), header(), audio(d), title("A - One"), audio(a), title("B - Two"), audio(b), title("A - One"),
          audio(c), close()},
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
          audio(QByteArray(16500, 'y')), close()},
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
        SongRig rig;
        const QStringList events = run(row, rig);
        EXPECT_EQ(events, row.events) << rig.Events().toStdString();
        QStringList names;
        for (const auto& [name, bytes] : row.files) {
            names << name;
            EXPECT_EQ(rig.Audio(name), bytes) << name.toStdString();
        }
        names.sort();
        EXPECT_EQ(rig.Files(), names);
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
        row.steps.push_back(close());
        SongRig rig;
        const QStringList events = run(row, rig);
        EXPECT_EQ(events, QStringList({"ogg opened A - One.ogg", "closed A - One.ogg", "ogg opened B - Two.ogg",
                                       "closed B - Two.ogg"}))
            << rig.Events().toStdString();
        EXPECT_EQ(rig.Bytes(QStringLiteral("A - One.ogg")), one);
        EXPECT_EQ(rig.Bytes(QStringLiteral("B - Two.ogg")), two);
        EXPECT_EQ(rig.Files(), QStringList({"A - One.ogg", "B - Two.ogg"}));
    }
}

} // namespace
