// The song rules in a recording: skipped titles, songs too short, songs
// in parts, songs not recorded whole set aside, and wished songs.
#include "recorder/songrules.h"
#include "tests/support/songrig.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSemaphore>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// One second of audio at the 128 kbit/s the streams below announce.
constexpr int kSecond = 16000;

QByteArray titleBlock(const QByteArray& title)
{
    QByteArray text = "StreamTitle='" + title + "';";
    while (text.size() % 16)
        text.append('\0');
    return char(text.size() / 16) + text;
}

// A stream of one second before the first title, then each title for its
// seconds; `audio` collects what belongs to each title (key "" before the first).
struct Stream {
    QByteArray bytes = "ICY 200 OK\r\nicy-name:Test FM\r\nicy-metaint:16000\r\nicy-br:128\r\n\r\n";
    QList<QPair<QByteArray, QByteArray>> audio;
    void add(const QByteArray& title, int seconds)
    {
        const QByteArray second(kSecond, char('a' + audio.size() % 26));
        for (int i = 0; i < seconds; ++i) {
            if (bytes.endsWith("\r\n\r\n"))
                ; // the first interval follows the header directly
            else if (i == 0)
                bytes += titleBlock(title);
            else
                bytes += '\0';
            bytes += second;
            if (i == 0)
                audio.append({title, QByteArray()});
            audio.last().second += second;
        }
    }
};

Stream stream(const QList<QPair<QByteArray, int>>& songs)
{
    Stream s;
    s.add("", 1);
    for (const auto& song : songs)
        s.add(song.first, song.second);
    return s;
}

} // namespace

// The rules in a recording per song: the ICY session's bytes through the
// song writer; what the rules say is said as events.
class SongRulesRecording : public ::testing::Test {
protected:
    void writeList(const char* name, const QByteArray& text)
    {
        ASSERT_TRUE(WriteAll(rig->rules.file(QString::fromLatin1(name)), text));
    }
    // A new recording into a folder of its own, with no lists.
    void freshRig() { rig = std::make_unique<IcyRig>(); }
    // `piece`: the stream arrives in pieces of that many bytes (0: at once);
    // `each` runs after every piece.
    void record(const Stream& s, qsizetype piece = 0, const std::function<void()>& each = {})
    {
        ASSERT_TRUE(rig->Start());
        rig->Begin();
        for (qsizetype at = 0; at<s.bytes.size(); at += piece> 0 ? piece : s.bytes.size()) {
            rig->Feed(s.bytes.mid(at, piece > 0 ? piece : -1));
            if (each)
                each();
        }
        rig->Stop();
    }
    QStringList files(const QString& sub = QString()) { return rig->Files(sub); }
    QByteArray file(const QString& name) { return rig->Audio(name); }
    bool said(const QString& event) { return rig->events.contains(event); }

    std::unique_ptr<IcyRig> rig = std::make_unique<IcyRig>();
};

TEST_F(SongRulesRecording, IgnoredTitlesReachNoFileAndTitlesAreCleanedFirst)
{
    writeList("IgnoreList.txt", "# station noise\n*jingle*\n/^advert/\n");
    writeList("TitleRules.txt", "/ - radio\\.example$//\n");
    const Stream s =
        stream({{"A - Song - radio.example", 2}, {"Test FM Jingle", 1}, {"ADVERT: Buy now", 1}, {"B - Song", 1}});
    record(s);
    EXPECT_EQ(files(), QStringList({"A - Song.mp3", "B - Song.mp3", "Test FM-12052026.mp3"}));
    EXPECT_EQ(file("A - Song.mp3"), s.audio[1].second); // nothing of the jingle after it
    EXPECT_EQ(file("B - Song.mp3"), s.audio[4].second);
    EXPECT_TRUE(said("say Skipped: Test FM Jingle"));
    EXPECT_TRUE(said("say Skipped: ADVERT: Buy now"));
    EXPECT_EQ(rig->Writer().AudioBytesWritten(), 4 * kSecond);
}

TEST_F(SongRulesRecording, ASongShorterThanTheMinimumIsDeletedWhenItEnds)
{
    rig->options.minSongSeconds = 2;
    record(stream({{"Long", 3}, {"Short", 1}, {"Last", 2}}));
    EXPECT_EQ(files(), QStringList({"Last.mp3", "Long.mp3", "Test FM-12052026.mp3"}));
    EXPECT_TRUE(said("deleted Short.mp3 (2 s)")) << rig->Events().toStdString();
}

TEST_F(SongRulesRecording, ATitleLongerThanTheMaximumGoesOnInParts)
{
    rig->options.maxSongSeconds = 2;
    // The station sends the same title again in the middle: still the same song.
    const Stream s = stream({{"Endless", 3}, {"Endless", 2}, {"Next", 1}});
    record(s);
    EXPECT_EQ(files(), QStringList({"Endless (part 2).mp3", "Endless (part 3).mp3", "Endless.mp3", "Next.mp3",
                                    "Test FM-12052026.mp3"}));
    const QByteArray whole = s.audio[1].second + s.audio[2].second;
    EXPECT_EQ(file("Endless.mp3"), whole.left(2 * kSecond));
    EXPECT_EQ(file("Endless (part 2).mp3"), whole.mid(2 * kSecond, 2 * kSecond));
    EXPECT_EQ(file("Endless (part 3).mp3"), whole.mid(4 * kSecond));
}

TEST_F(SongRulesRecording, FirstAndLastSongsGoToIncompleteWithTheAudioBeforeTheFirstTitle)
{
    rig->options.incompleteApart = true;
    const Stream s = stream({{"A", 1}, {"B", 1}, {"C", 1}});
    record(s);
    EXPECT_EQ(files(), QStringList({"B.mp3"}));
    EXPECT_EQ(files(QStringLiteral("incomplete")), QStringList({"A.mp3", "C.mp3", "Test FM-12052026.mp3"}));
    EXPECT_EQ(file("incomplete/A.mp3"), s.audio[1].second);
    EXPECT_EQ(file("incomplete/Test FM-12052026.mp3"), s.audio[0].second);
    EXPECT_TRUE(rig->Bytes("incomplete/C.mp3").right(128).startsWith("TAG")); // tagged as usual

    // Off (the default), everything stays together as before.
    freshRig();
    record(s);
    EXPECT_EQ(QDir(rig->folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              QStringList({"A.mp3", "B.mp3", "C.mp3", "Test FM-12052026.mp3"}));

    // A skipped title ends the song the recording joined: the next is whole.
    freshRig();
    rig->options.incompleteApart = true;
    writeList("IgnoreList.txt", "*jingle*\n");
    record(stream({{"Jingle", 1}, {"A", 1}, {"B", 1}}));
    EXPECT_EQ(files(), QStringList({"A.mp3"}));
    EXPECT_EQ(files("incomplete"), QStringList({"B.mp3", "Test FM-12052026.mp3"}));
}

TEST_F(SongRulesRecording, OnlyWishedSongsAreKeptAndARepeatFollowsTheRepeatRule)
{
    rig->options.wishOnly = true;
    writeList("WishList.txt", "*wanted*\n");
    const Stream s = stream({{"The Wanted - Song", 2}, {"Other - Song", 1}, {"The Wanted - Song", 2}, {"Other", 1}});
    // The writer tells which open file holds a wished song.
    QSet<QString> wished, other;
    record(s, 64, [&] {
        if (rig->Writer().FileOpen())
            (rig->Writer().FileWished() ? wished : other).insert(QFileInfo(rig->Writer().FilePath()).fileName());
    });
    EXPECT_TRUE(wished.contains("The Wanted - Song.mp3"));
    EXPECT_TRUE(other.contains("Test FM-12052026.mp3"));
    EXPECT_FALSE(wished.contains("Test FM-12052026.mp3"));
    EXPECT_EQ(files(), QStringList({"Test FM-12052026.mp3", "The Wanted - Song.mp3"}));
    EXPECT_TRUE(said("say Now Recording a wished song: The Wanted - Song")) << rig->Events().toStdString();
    EXPECT_TRUE(said("say Skipped: Other - Song (not on the wish list)"));
    EXPECT_TRUE(said("replaced The Wanted - Song.mp3"));
    EXPECT_EQ(file("The Wanted - Song.mp3"), s.audio[3].second);
}

TEST_F(SongRulesRecording, ListsThatCannotBeUsedAreSaidAndRecordingGoesOn)
{
    writeList("IgnoreList.txt", QByteArray("/(unclosed/\n\x01\x02\xff\xfe\n", 18));
    const Stream s = stream({{"A", 1}});
    record(s);
    // Said once the lists are compiled, before any title.
    const QStringList& events = rig->events;
    const auto said = std::find_if(events.begin(), events.end(),
                                   [](const QString& e) { return e.startsWith("say [ERR] Song rules: "); });
    ASSERT_NE(said, events.end()) << rig->Events().toStdString();
    EXPECT_TRUE(
        said->startsWith("say [ERR] Song rules: IgnoreList.txt line 1: the regular expression does not compile"))
        << said->toStdString();
    EXPECT_TRUE(said->contains("IgnoreList.txt line 2: not text")) << said->toStdString();
    EXPECT_LT(said - events.begin(), events.indexOf(QStringLiteral("opened A.mp3")));
    EXPECT_EQ(file("A.mp3"), s.audio[1].second);
}

TEST_F(SongRulesRecording, TheFileNamePatternNamesSongsAndFoldersInsideTheSaveFolder)
{
    const struct {
        const char* pattern;
        QStringList songs; // relative to the save folder
        bool said;
    } cases[] = {
        {"%S/%q %T by %A", {"Test Station/001 Song by A.mp3", "Test Station/002 Two by B.mp3"}, false},
        {"../../%T", {"Song.mp3", "Two.mp3"}, true},
        {"/tmp/%A/%T", {"tmp/A/Song.mp3", "tmp/B/Two.mp3"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        freshRig();
        rig->options.fileNamePattern = QString::fromLatin1(c.pattern);
        const Stream s = stream({{"A - Song", 1}, {"B - Two", 1}});
        record(s);
        for (qsizetype i = 0; i < c.songs.size(); ++i) {
            const QByteArray f = rig->Bytes(c.songs[i]);
            EXPECT_EQ(songrig::audioOf(f), s.audio[i + 1].second) << c.songs[i].toStdString();
            EXPECT_EQ(f.mid(f.size() - 128 + 3, 4),
                      i == 0 ? QByteArray("Song") : QByteArray("Two\0", 4)); // tagged from the title
        }
        EXPECT_EQ(said(QStringLiteral("say The file-name pattern names a folder outside the save folder; "
                                      "its files are kept inside it")),
                  c.said);
        EXPECT_TRUE(QFileInfo::exists(rig->folder.file(QStringLiteral("Test FM-12052026.mp3")))); // not a title's file
    }
}

// A repeat is the same title played again: other titles that come to the
// same file name (a pattern of the station alone, titles cleaned to one
// name) are each kept, numbered; the title's own repeat still replaces it.
TEST_F(SongRulesRecording, TitlesThatShareAFileNameAreEachKept)
{
    const struct {
        const char* pattern;
        QList<QPair<QByteArray, int>> songs;
        QStringList files; // each song's file; a later play of a title replaces its earlier one
    } cases[] = {
        {"%S",
         {{"A - One", 2}, {"B - Two", 2}, {"C - Three", 2}, {"D - Four", 2}, {"A - One", 2}, {"E - Five", 1}},
         {"Test Station.mp3", "Test Station (2).mp3", "Test Station (3).mp3", "Test Station (4).mp3",
          "Test Station.mp3", "Test Station (5).mp3"}},
        {"",
         {{"AC/DC - X", 2}, {"ACDC - X", 2}, {"AC/DC - X", 2}, {"Next", 1}},
         {"ACDC - X.mp3", "ACDC - X (2).mp3", "ACDC - X.mp3", "Next.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        freshRig();
        rig->options.fileNamePattern = QString::fromLatin1(c.pattern);
        const Stream s = stream(c.songs);
        record(s);
        QMap<QString, QByteArray> expected{{"Test FM-12052026.mp3", s.audio[0].second}};
        for (qsizetype i = 0; i < c.files.size(); ++i)
            expected[c.files[i]] = s.audio[i + 1].second;
        EXPECT_EQ(files(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(file(it.key()), it.value()) << it.key().toStdString();
        EXPECT_TRUE(said(QStringLiteral("replaced %1").arg(c.files[0]))) << rig->Events().toStdString();
    }
}

// A file name never begins with a dot and holds no control or separator
// character; a title that leaves no name, or that the title rules leave
// empty, is named as a song without a title, one file for each song.
TEST_F(SongRulesRecording, TitlesThatLeaveNoFileNameAreNamedAfterTheStation)
{
    writeList("TitleRules.txt", "/^Ad .*$//\n/^Slash$/\\//\n");
    const QList<QPair<QByteArray, QString>> songs = {
        {"..", "Test FM-12052026 (2).mp3"},
        {"../../x", "x.mp3"},
        {"...", "Test FM-12052026 (3).mp3"},
        {" .x", "x (2).mp3"}, // another title under the same name
        {"a\xc2\x85"
         "b\xc2\x9b"
         "31m",
         "ab31m.mp3"}, // C1: NEL, CSI
        {"c\xe2\x80\xa8"
         "d\xe2\x80\xa9",
         "cd.mp3"}, // line and paragraph separators
        {"\x01\x1f"
         "e\x7f",
         "e.mp3"},
        {"Ad one", "Test FM-12052026 (4).mp3"}, // the rules leave ""
        {"Ad two", "Test FM-12052026 (5).mp3"},
        {"Slash", "Test FM-12052026 (6).mp3"}, // the rules leave "/"
    };
    QList<QPair<QByteArray, int>> titles;
    for (const auto& song : songs)
        titles.append({song.first, 1});
    const Stream s = stream(titles);
    record(s);
    QStringList expected{"Test FM-12052026.mp3"};
    for (const auto& song : songs)
        expected.append(song.second);
    expected.sort();
    EXPECT_EQ(files(), expected);
    for (qsizetype i = 0; i < songs.size(); ++i)
        EXPECT_EQ(file(songs[i].second), s.audio[i + 1].second) << songs[i].first.constData();
}

// The lists are compiled off the GUI thread, once for each state of the
// files: the recording starts at once, its titles (and the audio after them)
// wait for the rules and then go where the rules say, nothing lost.
TEST_F(SongRulesRecording, RulesCompileOffTheRecordOnceAPerChangeAndApplyWhenReady)
{
    QSemaphore gate;
    std::atomic<int> compiles{0};
    rig->compileRules = [&](const QString& dir, bool wishOnly) {
        ++compiles;
        gate.tryAcquire(1, 10000); // bounded: a failed test still ends
        return SongRules::Load(dir, wishOnly);
    };
    SongWriter& writer = rig->Writer();
    writeList("IgnoreList.txt", "*jingle*\n");
    writeList("TitleRules.txt", "/ - radio\\.example$//\n");
    const Stream s = stream({{"A - Song - radio.example", 2}, {"Test FM Jingle", 1}, {"B - Song", 1}});

    const auto start = [&] { writer.Start(rig->options, rig->rules.path()); };
    start();
    EXPECT_FALSE(writer.RulesReady());
    rig->Begin();
    for (qsizetype at = 0; at < s.bytes.size(); at += 1000)
        rig->Feed(s.bytes.mid(at, 1000));
    // Before the rules: only the audio before the first title is written.
    EXPECT_FALSE(writer.RulesReady());
    EXPECT_EQ(files(), QStringList({"Test FM-12052026.mp3"}));
    EXPECT_EQ(writer.AudioBytesWritten(), kSecond);
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return writer.RulesReady(); }));
    rig->Stop();
    EXPECT_EQ(files(), QStringList({"A - Song.mp3", "B - Song.mp3", "Test FM-12052026.mp3"}));
    EXPECT_EQ(file("A - Song.mp3"), s.audio[1].second);
    EXPECT_EQ(file("B - Song.mp3"), s.audio[3].second);
    EXPECT_EQ(file("Test FM-12052026.mp3"), s.audio[0].second);
    EXPECT_TRUE(said("say Skipped: Test FM Jingle"));
    EXPECT_EQ(writer.AudioBytesWritten(), 4 * kSecond);
    EXPECT_EQ(compiles, 1);

    // Unchanged lists: the next recording has its rules at once.
    start();
    EXPECT_TRUE(writer.RulesReady());
    rig->Stop();
    EXPECT_EQ(writer.RulesCompilations(), 1);
    // A changed list is compiled again, once.
    writeList("IgnoreList.txt", "*jingle*\n*advert*\n");
    gate.release();
    start();
    EXPECT_FALSE(writer.RulesReady());
    ASSERT_TRUE(WaitUntil([&] { return writer.RulesReady(); }));
    rig->Stop();
    start();
    EXPECT_TRUE(writer.RulesReady());
    rig->Stop();
    EXPECT_EQ(compiles, 2);
    EXPECT_EQ(writer.RulesCompilations(), 2);
}
