// The title history: what a station's titles and files leave in the
// database, the queries over it, and a damaged or shared file.
#include "history/historystore.h"
#include "history/historywriter.h"
#include "history/playtracker.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QDateTime kT0(QDate(2026, 3, 1), QTime(14, 0, 0));

// Waits until `writer` has written everything queued.
bool Written(const HistoryWriter& writer)
{
    return WaitUntil([&] { return writer.Pending() == 0; }, 10000);
}

std::vector<Play> PlaysIn(const QString& path, const HistoryFilter& filter = {})
{
    HistoryStore store(path);
    EXPECT_TRUE(store.Open()) << store.Error().toStdString();
    return store.Plays(filter);
}

// One step a station takes, as the recorder tells the tracker.
struct Step {
    enum Kind { Title, Opened, Closed, Version, SavedAlready, Deleted, Ended } kind;
    const char* text = ""; // the title or song name, or the path
    const char* path = ""; // Opened: the file
};

struct Expected {
    const char* title;
    const char* state;
    const char* file;
    bool ended;
};

} // namespace

TEST(PlayTrackerTest, EachTitleIsOnePlayWithItsFileAndState)
{
    using K = Step::Kind;
    const struct Case {
        const char* name;
        bool filePerSong;
        std::vector<Step> steps;
        std::vector<Expected> plays; // oldest first
    } cases[] = {
        {"titles heard, the first and last cut by the stream",
         false,
         {{K::Title, "A - One"}, {K::Title, "B - Two"}, {K::Title, "C - Three"}, {K::Ended}},
         {{"A - One", "incomplete", "", true},
          {"B - Two", "complete", "", true},
          {"C - Three", "incomplete", "", true}}},
        {"a repeat of the title playing is no new play",
         false,
         {{K::Title, "A - One.mp3"}, {K::Title, "A - One"}, {K::Title, "B - Two.mp3"}},
         {{"A - One", "incomplete", "", true}, {"B - Two", "incomplete", "", false}}},
        {"files closed before the next title's opens, one set apart as incomplete",
         true,
         {{K::Title, "A - One.mp3"},
          {K::Opened, "A - One.mp3", "/m/A - One.mp3"},
          {K::Title, "B - Two.mp3"},
          {K::Closed, "/m/incomplete/A - One.mp3"},
          {K::Opened, "B - Two.mp3", "/m/B - Two.mp3"},
          {K::Title, "C - Three.mp3"},
          {K::Closed, "/m/B - Two.mp3"}},
         {{"A - One", "incomplete", "/m/incomplete/A - One.mp3", true},
          {"B - Two", "complete", "/m/B - Two.mp3", true},
          {"C - Three", "", "", false}}},
        {"a file no title named is no play",
         true,
         {{K::Opened, "Station-03012026.mp3", "/m/Station-03012026.mp3"},
          {K::Title, "A - One.mp3"},
          {K::Closed, "/m/Station-03012026.mp3"},
          {K::Opened, "A - One.mp3", "/m/A - One.mp3"},
          {K::Title, "B - Two.mp3"},
          {K::Closed, "/m/A - One.mp3"}},
         {{"A - One", "incomplete", "/m/A - One.mp3", true}, {"B - Two", "", "", false}}},
        {"a clean cut closes the file after the title changed",
         true,
         {{K::Title, "A - One.mp3"},
          {K::Opened, "A - One.mp3", "/m/A - One.mp3"},
          {K::Title, "B - Two.mp3"},
          {K::Closed, "/m/A - One.mp3"},
          {K::Opened, "B - Two.mp3", "/m/B - Two.mp3"},
          {K::Title, "C - Three.mp3"},
          {K::Ended},
          {K::Closed, "/m/B - Two.mp3"}},
         {{"A - One", "incomplete", "/m/A - One.mp3", true},
          {"B - Two", "complete", "/m/B - Two.mp3", true},
          {"C - Three", "skipped", "", true}}},
        {"a skip, a version and a song deleted as too short",
         true,
         {{K::Title, "A - One.mp3"},
          {K::SavedAlready},
          {K::Title, "B - Two.mp3"},
          {K::Opened, "B - Two.mp3", "/m/B - Two (2).mp3"},
          {K::Version},
          {K::Title, "C - Three.mp3"},
          {K::Closed, "/m/B - Two (2).mp3"},
          {K::Opened, "C - Three.mp3", "/m/C - Three.mp3"},
          {K::Deleted},
          {K::Title, "D - Four.mp3"}},
         {{"A - One", "skipped", "", true},
          {"B - Two", "version", "/m/B - Two (2).mp3", true},
          {"C - Three", "incomplete", "", true},
          {"D - Four", "skipped", "", false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("history.sqlite"));
        {
            HistoryWriter writer(path);
            QDateTime now = kT0;
            PlayTracker::Setup setup;
            setup.station = [] { return QStringLiteral("Harbour Jazz"); };
            setup.address = [] { return QStringLiteral("http://127.0.0.1:8000/stream"); };
            setup.now = [&now] { return now = now.addSecs(60); };
            setup.filePerSong = [&c] { return c.filePerSong; };
            PlayTracker tracker(writer, setup);
            for (const Step& s : c.steps) {
                const QString text = QString::fromUtf8(s.text);
                switch (s.kind) {
                case K::Title:
                    tracker.Title(text);
                    break;
                case K::Opened:
                    tracker.FileOpened(text, QString::fromUtf8(s.path));
                    break;
                case K::Closed:
                    tracker.FileClosed(text);
                    break;
                case K::Version:
                    tracker.KeptVersion();
                    break;
                case K::SavedAlready:
                    tracker.SavedAlready();
                    break;
                case K::Deleted:
                    tracker.FileDeleted();
                    break;
                case K::Ended:
                    tracker.StreamEnded();
                    break;
                }
            }
            ASSERT_TRUE(Written(writer));
            // What is there while the last title still plays.
            const std::vector<Play> plays = PlaysIn(path);
            ASSERT_EQ(plays.size(), c.plays.size());
            for (size_t i = 0; i < plays.size(); ++i) {
                const Play& p = plays[plays.size() - 1 - i];
                const Expected& e = c.plays[i];
                SCOPED_TRACE(e.title);
                EXPECT_EQ(p.title, QString::fromUtf8(e.title));
                EXPECT_EQ(p.station, QStringLiteral("Harbour Jazz"));
                EXPECT_EQ(p.address, QStringLiteral("http://127.0.0.1:8000/stream"));
                EXPECT_EQ(p.end.isValid(), e.ended);
                if (e.ended) {
                    EXPECT_EQ(p.state, QString::fromUtf8(e.state));
                    EXPECT_EQ(p.file, QString::fromUtf8(e.file));
                    EXPECT_LT(p.start, p.end);
                }
                if (i > 0) {
                    EXPECT_LE(plays[plays.size() - i].end, p.start);
                }
            }
        }
    }
}

TEST(PlayTrackerTest, TheTitleIsSplitIntoArtistAndSongAtTheFirstDash)
{
    const struct {
        const char* title;
        const char* artist;
        const char* song;
    } cases[] = {
        {"Miles Davis - So What", "Miles Davis", "So What"},
        {"A - B - C", "A", "B - C"},
        {"No dash here", "", "No dash here"},
        {"Dash-without-spaces", "", "Dash-without-spaces"},
        {" - Only a song", "", "Only a song"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        QString artist, song;
        SplitTitle(QString::fromUtf8(c.title), &artist, &song);
        EXPECT_EQ(artist, QString::fromUtf8(c.artist)) << c.title;
        EXPECT_EQ(song, QString::fromUtf8(c.song)) << c.title;
    }
    EXPECT_EQ(PlayTracker::TitleOfName(QStringLiteral("Mr. X - Y.mp3")), QStringLiteral("Mr. X - Y"));
    EXPECT_EQ(PlayTracker::TitleOfName(QStringLiteral("Mr. X - Y.Z")), QStringLiteral("Mr. X - Y.Z"));
    EXPECT_EQ(PlayTracker::TitleOfName(QStringLiteral("Song.OGG")), QStringLiteral("Song"));
}

TEST(HistoryStoreTest, FiltersChooseTheStationDayAndTitleNewestFirst)
{
    TempFolder folder;
    HistoryStore store(folder.file(QStringLiteral("history.sqlite")));
    ASSERT_TRUE(store.Open()) << store.Error().toStdString();
    const struct {
        const char* station;
        const char* title;
        int day; // of March 2026
    } rows[] = {
        {"Harbour Jazz", "Miles Davis - So What", 1},    {"Night FM", "Miles Davis - So What", 2},
        {"Harbour Jazz", "Nina Simone - Sinnerman", 2},  {"Night FM", "100% Pure_Love", 3},
        {"harbour jazz", "Chet Baker - Almost Blue", 4},
    };
    for (const auto& r : rows) {
        Play p;
        p.station = QString::fromUtf8(r.station);
        p.title = QString::fromUtf8(r.title);
        SplitTitle(p.title, &p.artist, &p.song);
        p.start = QDateTime(QDate(2026, 3, r.day), QTime(10, 0));
        p.end = p.start.addSecs(200);
        p.state = QLatin1String(kPlayComplete);
        ASSERT_GT(store.Insert(p), 0) << store.Error().toStdString();
    }
    const struct {
        const char* name;
        HistoryFilter filter;
        std::vector<const char*> titles;
    } cases[] = {
        {"everything",
         {},
         {"Chet Baker - Almost Blue", "100% Pure_Love", "Nina Simone - Sinnerman", "Miles Davis - So What",
          "Miles Davis - So What"}},
        {"station in any case",
         {QStringLiteral("HARBOUR JAZZ"), {}, {}, 0},
         {"Chet Baker - Almost Blue", "Nina Simone - Sinnerman", "Miles Davis - So What"}},
        {"since a day, that day included",
         {{}, QDate(2026, 3, 3), {}, 0},
         {"Chet Baker - Almost Blue", "100% Pure_Love"}},
        {"title text anywhere",
         {{}, {}, QStringLiteral("miles"), 0},
         {"Miles Davis - So What", "Miles Davis - So What"}},
        {"wildcards of SQL are plain text", {{}, {}, QStringLiteral("0%"), 0}, {"100% Pure_Love"}},
        {"an underscore too", {{}, {}, QStringLiteral("e_L"), 0}, {"100% Pure_Love"}},
        {"a percent sign is no wildcard", {{}, {}, QStringLiteral("%P"), 0}, {}},
        {"nor an underscore", {{}, {}, QStringLiteral("e_"), 0}, {"100% Pure_Love"}},
        {"nor an underscore between", {{}, {}, QStringLiteral("Pure_L"), 0}, {"100% Pure_Love"}},
        {"an underscore stands for no other letter", {{}, {}, QStringLiteral("Sinner_an"), 0}, {}},
        {"all together",
         {QStringLiteral("Night FM"), QDate(2026, 3, 2), QStringLiteral("so what"), 0},
         {"Miles Davis - So What"}},
        {"nothing matches", {QStringLiteral("Nobody"), {}, {}, 0}, {}},
        {"a limit", {{}, {}, {}, 2}, {"Chet Baker - Almost Blue", "100% Pure_Love"}},
    };
    for (const auto& c : cases) {
        std::vector<QString> got;
        for (const Play& p : store.Plays(c.filter))
            got.push_back(p.title);
        std::vector<QString> want;
        for (const char* t : c.titles)
            want.push_back(QString::fromUtf8(t));
        EXPECT_EQ(got, want) << c.name;
    }
    const auto top = store.TopTitles(1);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0], std::make_pair(QStringLiteral("Miles Davis - So What"), qint64(2)));
}

// A file that is no database, or one cut short, is set aside and a new one
// begun; a history that is fine is opened as it is.
TEST(HistoryStoreTest, ADamagedFileIsSetAsideAndANewOneBegun)
{
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"not a database", QByteArray("this is no database, only text\n").repeated(200)},
        {"a database header and then nothing", QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x01')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("history.sqlite"));
        ASSERT_TRUE(WriteAll(path, c.content));
        {
            HistoryWriter writer(path);
            QString said;
            QObject::connect(&writer, &HistoryWriter::notice, [&said](const QString& t) { said += t; });
            Play p;
            p.station = QStringLiteral("S");
            p.title = QStringLiteral("T");
            p.start = kT0;
            p.state = QLatin1String(kPlayIncomplete);
            writer.Begin(p);
            ASSERT_TRUE(Written(writer));
            ASSERT_TRUE(WaitUntil([&] { return !said.isEmpty(); }));
            RunPendingEvents();
            EXPECT_TRUE(said.contains(QStringLiteral("history.sqlite.damaged-"))) << said.toStdString();
            EXPECT_EQ(said.count(QStringLiteral("moved to")), 1) << said.toStdString();
            EXPECT_EQ(writer.Failed(), 0);
        }
        const QStringList aside =
            QDir(folder.path()).entryList({QStringLiteral("history.sqlite.damaged-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1) << aside.join(',').toStdString();
        EXPECT_EQ(ReadAll(folder.file(aside.first())), c.content);
        HistoryStore again(path);
        ASSERT_TRUE(again.Open());
        EXPECT_TRUE(again.Notice().isEmpty()) << again.Notice().toStdString();
        EXPECT_EQ(again.Count(), 1);
    }
}

TEST(HistoryStoreTest, AFolderThatCannotHoldTheFileIsAnErrorNotACrash)
{
    TempFolder folder;
    const QString blocker = folder.file(QStringLiteral("file"));
    ASSERT_TRUE(WriteAll(blocker, "x"));
    HistoryStore store(blocker + QStringLiteral("/history.sqlite"));
    EXPECT_FALSE(store.Open());
    EXPECT_FALSE(store.Error().isEmpty());
    Play p;
    EXPECT_EQ(store.Insert(p), 0);
    EXPECT_TRUE(store.Plays().empty());
}

// Two programs write one history: every play of both is kept, none waits
// for the other on its own thread.
TEST(HistoryWriterTest, TwoWritersAtOnceOnOneFileKeepEveryPlay)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("history.sqlite"));
    constexpr int kPlays = 300;
    {
        HistoryWriter a(path);
        HistoryWriter b(path);
        for (int i = 0; i < kPlays; ++i) {
            for (HistoryWriter* w : {&a, &b}) {
                Play p;
                p.station = w == &a ? QStringLiteral("A") : QStringLiteral("B");
                p.title = QStringLiteral("Song %1").arg(i);
                p.start = kT0.addSecs(i);
                p.state = QLatin1String(kPlayIncomplete);
                const qint64 id = w->Begin(p);
                p.end = p.start.addSecs(1);
                p.state = QLatin1String(kPlayComplete);
                w->Update(id, p);
            }
        }
        ASSERT_TRUE(Written(a));
        ASSERT_TRUE(Written(b));
        EXPECT_EQ(a.Failed(), 0);
        EXPECT_EQ(b.Failed(), 0);
    }
    for (const char* station : {"A", "B"}) {
        const std::vector<Play> plays = PlaysIn(path, {QString::fromLatin1(station), {}, {}, 0});
        ASSERT_EQ(int(plays.size()), kPlays) << station;
        for (const Play& p : plays)
            EXPECT_EQ(p.state, QLatin1String(kPlayComplete)) << p.title.toStdString();
    }
}

// What is queued when the writer goes is written before it has gone.
TEST(HistoryWriterTest, WhatIsQueuedAtTheEndIsWritten)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("history.sqlite"));
    {
        HistoryWriter writer(path);
        Play p;
        p.station = QStringLiteral("S");
        p.title = QStringLiteral("Last");
        p.start = kT0;
        p.state = QLatin1String(kPlayIncomplete);
        writer.Update(writer.Begin(p), p);
    }
    const std::vector<Play> plays = PlaysIn(path);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].title, QStringLiteral("Last"));
}
