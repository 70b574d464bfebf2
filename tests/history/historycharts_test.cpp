// The charts of the title history: the periods' boundaries, the counts per
// station and across all, the search, the pages, the plays of one title,
// the counts kept through changed plays and added to an older file, and
// the reader thread that answers a window.
#include "history/historycharts.h"
#include "history/historyreader.h"
#include "history/historystore.h"
#include "tests/support/eventwait.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

QDateTime at(int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

// Wednesday 18 March 2026, afternoon: the week began on Monday the 16th.
const QDateTime kNow = at(3, 18, 15);

struct Heard {
    const char* station;
    const char* title;
    QDateTime start;
    const char* file;
};

// A small made-up history with plays on each side of the periods' starts.
const std::vector<Heard>& madeUpHistory()
{
    static const std::vector<Heard> plays = {
        {"Radio A", "Alpha - One", at(3, 18, 9), "/m/a/Alpha - One.mp3"},
        {"Radio A", "Alpha - One", at(3, 17, 10), ""},
        {"Radio A", "Alpha - One", at(3, 16, 0), ""},                     // the week's first moment
        {"Radio A", "Alpha - One", at(3, 15, 23, 59, 59), ""},            // the week's last before
        {"Radio A", "Alpha - One", at(3, 1, 0), ""},                      // the month's first moment
        {"Radio A", "Alpha - One", at(2, 28, 23, 59, 59), ""},            // the month's last before
        {"Radio B", "Alpha - One", at(3, 18, 0), "/m/b/Alpha - One.mp3"}, // the day's first moment
        {"Radio B", "Alpha - One", at(3, 17, 23, 59, 59), ""},
        {"Radio B", "Beta - Two", at(3, 18, 12), ""},
        {"Radio B", "Beta - Two", at(3, 18, 12, 5), ""},
        {"Radio B", "Beta - Two", at(3, 18, 12, 10), ""},
        {"radio a", "Gamma_50% - Three", at(3, 18, 8), ""}, // the same station in other letters
    };
    return plays;
}

void fill(HistoryStore& store, const std::vector<Heard>& plays)
{
    for (const Heard& h : plays) {
        Play p;
        p.station = QString::fromLatin1(h.station);
        p.title = QString::fromLatin1(h.title);
        SplitTitle(p.title, &p.artist, &p.song);
        p.start = h.start;
        p.end = h.start.addSecs(180);
        p.file = QString::fromLatin1(h.file);
        p.state = QLatin1String(p.file.isEmpty() ? kPlaySkipped : kPlayComplete);
        ASSERT_NE(store.Insert(p), 0) << store.Error().toStdString();
    }
}

// "title plays stations" for each row.
std::vector<std::string> rows(const std::vector<TitleCount>& page)
{
    std::vector<std::string> out;
    for (const TitleCount& t : page)
        out.push_back(QStringLiteral("%1 %2 %3").arg(t.title).arg(t.plays).arg(t.stations).toStdString());
    return out;
}

class HistoryChartsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.Open()) << store.Error().toStdString();
        fill(store, madeUpHistory());
    }
    TempFolder folder;
    HistoryStore store{folder.file(QStringLiteral("history.sqlite"))};
};

} // namespace

TEST(ChartPeriodTest, EachPeriodBeginsAtItsFirstMidnight)
{
    const struct Case {
        ChartPeriod period;
        QDateTime now;
        Qt::DayOfWeek firstDay;
        QDateTime start;
    } cases[] = {
        {ChartPeriod::Today, at(3, 18, 15), Qt::Monday, at(3, 18, 0)},
        {ChartPeriod::Today, at(3, 18, 0), Qt::Monday, at(3, 18, 0)},
        {ChartPeriod::Today, at(3, 18, 23, 59, 59), Qt::Monday, at(3, 18, 0)},
        {ChartPeriod::ThisWeek, at(3, 18, 15), Qt::Monday, at(3, 16, 0)},
        {ChartPeriod::ThisWeek, at(3, 16, 0), Qt::Monday, at(3, 16, 0)},          // its first moment
        {ChartPeriod::ThisWeek, at(3, 22, 23, 59, 59), Qt::Monday, at(3, 16, 0)}, // its last
        {ChartPeriod::ThisWeek, at(3, 22, 10), Qt::Sunday, at(3, 22, 0)},
        {ChartPeriod::ThisWeek, at(3, 21, 10), Qt::Sunday, at(3, 15, 0)},
        {ChartPeriod::ThisWeek, QDateTime(QDate(2026, 1, 1), QTime(9, 0)), Qt::Monday,
         QDateTime(QDate(2025, 12, 29), QTime(0, 0))}, // across the year's start
        {ChartPeriod::ThisMonth, at(3, 18, 15), Qt::Monday, at(3, 1, 0)},
        {ChartPeriod::ThisMonth, at(3, 1, 0), Qt::Monday, at(3, 1, 0)},
        {ChartPeriod::ThisMonth, at(3, 31, 23, 59, 59), Qt::Monday, at(3, 1, 0)},
        {ChartPeriod::All, at(3, 18, 15), Qt::Monday, QDateTime()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString() + " period " + std::to_string(int(c.period)));
        EXPECT_EQ(ChartPeriodStart(c.period, c.now, c.firstDay), c.start);
    }
}

TEST_F(HistoryChartsTest, CountsThePlaysOfEachTitleInThePeriodOnTheStationsChosen)
{
    const struct Case {
        const char* name;
        ChartPeriod period;
        const char* station;
        const char* search;
        std::vector<std::string> top;
    } cases[] = {
        {"today, from its first moment",
         ChartPeriod::Today,
         "",
         "",
         {"Beta - Two 3 1", "Alpha - One 2 2", "Gamma_50% - Three 1 1"}},
        {"this week, from Monday's midnight",
         ChartPeriod::ThisWeek,
         "",
         "",
         {"Alpha - One 5 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
        {"this month, from the first",
         ChartPeriod::ThisMonth,
         "",
         "",
         {"Alpha - One 7 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
        {"all", ChartPeriod::All, "", "", {"Alpha - One 8 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
        {"one station in any letter case, all",
         ChartPeriod::All,
         "RADIO A",
         "",
         {"Alpha - One 6 1", "Gamma_50% - Three 1 1"}},
        {"one station today: ties by title",
         ChartPeriod::Today,
         "radio a",
         "",
         {"Alpha - One 1 1", "Gamma_50% - Three 1 1"}},
        {"the other station this week", ChartPeriod::ThisWeek, "Radio B", "", {"Beta - Two 3 1", "Alpha - One 2 1"}},
        {"a station never heard", ChartPeriod::All, "Radio C", "", {}},
        {"a search in any letter case", ChartPeriod::All, "", "ALPHA", {"Alpha - One 8 2"}},
        {"a search for LIKE's own characters", ChartPeriod::All, "", "_50%", {"Gamma_50% - Three 1 1"}},
        {"a search they would match as wildcards", ChartPeriod::All, "", "a%o", {}},
        {"a search, a station and a period", ChartPeriod::ThisWeek, "Radio B", " - T", {"Beta - Two 3 1"}},
        {"a search on the counted history", ChartPeriod::All, "Radio B", "o", {"Beta - Two 3 1", "Alpha - One 2 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChartFilter filter;
        filter.since = ChartPeriodStart(c.period, kNow);
        filter.station = QString::fromLatin1(c.station);
        filter.search = QString::fromLatin1(c.search);
        EXPECT_EQ(rows(TopTitlesPage(store, filter, 0, kChartPageRows)), c.top);
    }
}

TEST_F(HistoryChartsTest, PagesFollowOneAnotherAndTheLastHeardIsTheNewestPlay)
{
    const ChartFilter all;
    const struct Case {
        int offset, count;
        std::vector<std::string> top;
    } cases[] = {
        {0, 1, {"Alpha - One 8 2"}},
        {1, 1, {"Beta - Two 3 1"}},
        {1, 5, {"Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
        {3, 5, {}},
        {0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + "+" + std::to_string(c.count));
        EXPECT_EQ(rows(TopTitlesPage(store, all, c.offset, c.count)), c.top);
    }
    ChartFilter month;
    month.since = ChartPeriodStart(ChartPeriod::ThisMonth, kNow);
    for (const ChartFilter& filter : {all, month}) {
        const auto top = TopTitlesPage(store, filter, 0, 1);
        ASSERT_EQ(top.size(), 1u);
        EXPECT_EQ(top.front().last, at(3, 18, 9));
    }
}

TEST_F(HistoryChartsTest, ThePlaysOfATitleAreThoseItsCountCountedNewestFirst)
{
    const struct Case {
        const char* name;
        ChartPeriod period;
        const char* station;
        std::vector<std::pair<const char*, QDateTime>> plays;
    } cases[] = {
        {"this week on all stations",
         ChartPeriod::ThisWeek,
         "",
         {{"Radio A", at(3, 18, 9)},
          {"Radio B", at(3, 18, 0)},
          {"Radio B", at(3, 17, 23, 59, 59)},
          {"Radio A", at(3, 17, 10)},
          {"Radio A", at(3, 16, 0)}}},
        {"all on one station",
         ChartPeriod::All,
         "radio b",
         {{"Radio B", at(3, 18, 0)}, {"Radio B", at(3, 17, 23, 59, 59)}}},
        {"today on a station that did not play it", ChartPeriod::Today, "Radio C", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChartFilter filter;
        filter.since = ChartPeriodStart(c.period, kNow);
        filter.station = QString::fromLatin1(c.station);
        filter.search = QStringLiteral("no such text"); // the chart's search does not hide its own title's plays
        const auto plays = PlaysOfTitle(store, QStringLiteral("Alpha - One"), filter, 0, kChartPageRows);
        ASSERT_EQ(plays.size(), c.plays.size());
        for (std::size_t i = 0; i < plays.size(); ++i) {
            EXPECT_EQ(plays[i].station, QString::fromLatin1(c.plays[i].first)) << i;
            EXPECT_EQ(plays[i].start, c.plays[i].second) << i;
        }
        ChartFilter counted = filter;
        counted.search.clear();
        const auto top = TopTitlesPage(store, counted, 0, kChartPageRows);
        const auto alpha =
            std::find_if(top.begin(), top.end(), [](const TitleCount& t) { return t.title == "Alpha - One"; });
        EXPECT_EQ(alpha == top.end() ? 0 : alpha->plays, qint64(c.plays.size()));
    }
    // The files saved of it, and a page further on.
    const auto all = PlaysOfTitle(store, QStringLiteral("Alpha - One"), ChartFilter(), 0, kChartPageRows);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[0].file, QStringLiteral("/m/a/Alpha - One.mp3"));
    EXPECT_EQ(all[0].state, QLatin1String(kPlayComplete));
    EXPECT_EQ(all[1].file, QStringLiteral("/m/b/Alpha - One.mp3"));
    const auto later = PlaysOfTitle(store, QStringLiteral("Alpha - One"), ChartFilter(), 7, 5);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].start, at(2, 28, 23, 59, 59));
    EXPECT_EQ(HistoryStations(store), (QStringList{"Radio A", "Radio B"}));
}

TEST_F(HistoryChartsTest, ThePlaysCountedFollowAPlayChangedAfterwards)
{
    // The writer completes a play later: its end and file change, not its count.
    Play p;
    p.station = QStringLiteral("Radio C");
    p.title = QStringLiteral("Delta - Four");
    p.start = at(3, 18, 14);
    p.state = QLatin1String(kPlayIncomplete);
    const qint64 id = store.Insert(p);
    ASSERT_NE(id, 0);
    p.end = at(3, 18, 14, 3);
    p.file = QStringLiteral("/m/c/Delta - Four.mp3");
    ASSERT_TRUE(store.Update(id, p));
    ChartFilter onC;
    onC.station = QStringLiteral("Radio C");
    EXPECT_EQ(rows(TopTitlesPage(store, onC, 0, 10)), std::vector<std::string>{"Delta - Four 1 1"});
    // Its title changed: counted under the new title only, and the old
    // title's count goes when it has no plays left.
    p.title = QStringLiteral("Alpha - One");
    p.station = QStringLiteral("Radio A");
    ASSERT_TRUE(store.Update(id, p));
    EXPECT_EQ(rows(TopTitlesPage(store, onC, 0, 10)), std::vector<std::string>{});
    EXPECT_EQ(rows(TopTitlesPage(store, ChartFilter(), 0, 1)), std::vector<std::string>{"Alpha - One 9 2"});
    EXPECT_EQ(TopTitlesPage(store, ChartFilter(), 0, 1).front().last, at(3, 18, 14));
    EXPECT_FALSE(HistoryStations(store).contains(QStringLiteral("Radio C")));
}

TEST(HistoryChartsFileTest, AFileMadeBeforeTheCountsIsCountedWhenOpened)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("history.sqlite"));
    {
        // The plays table as the first history files held it, without counts.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old-file"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "CREATE TABLE plays (id INTEGER PRIMARY KEY, station TEXT NOT NULL, address TEXT NOT NULL,"
            " title TEXT NOT NULL, artist TEXT NOT NULL, song TEXT NOT NULL, start INTEGER NOT NULL, end INTEGER,"
            " file TEXT NOT NULL DEFAULT '', state TEXT NOT NULL)")));
        for (const Heard& h : madeUpHistory()) {
            q.prepare(QStringLiteral("INSERT INTO plays (station, address, title, artist, song, start, state) "
                                     "VALUES (?, '', ?, '', '', ?, 'complete')"));
            q.addBindValue(QString::fromLatin1(h.station));
            q.addBindValue(QString::fromLatin1(h.title));
            q.addBindValue(h.start.toMSecsSinceEpoch());
            ASSERT_TRUE(q.exec());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old-file"));
    for (int opening = 0; opening < 2; ++opening) { // counted once, not at every opening
        SCOPED_TRACE(opening);
        HistoryStore store(path);
        ASSERT_TRUE(store.Open()) << store.Error().toStdString();
        EXPECT_TRUE(store.Notice().isEmpty());
        EXPECT_EQ(store.Count(), qint64(madeUpHistory().size()));
        EXPECT_EQ(rows(TopTitlesPage(store, ChartFilter(), 0, 10)),
                  (std::vector<std::string>{"Alpha - One 8 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}));
    }
}

TEST_F(HistoryChartsTest, TheReaderAnswersOnItsOwnThreadAndEndsWithoutBeingWaitedFor)
{
    {
        HistoryReader reader(store.Path());
        std::vector<int> answered;
        std::vector<TitleCount> last;
        QObject::connect(&reader, &HistoryReader::topTitles, [&](int question, const std::vector<TitleCount>& page) {
            answered.push_back(question);
            last = page;
        });
        QStringList stations;
        QObject::connect(&reader, &HistoryReader::stations, [&](int, const QStringList& names) { stations = names; });
        ChartFilter today;
        today.since = ChartPeriodStart(ChartPeriod::Today, kNow);
        ChartFilter searched;
        searched.search = QStringLiteral("beta");
        reader.AskStations();
        reader.AskTopTitles(today, 0, 10);
        const int newest = reader.AskTopTitles(searched, 0, 10);
        ASSERT_TRUE(WaitUntil([&] { return !answered.empty() && answered.back() == newest; }, 10000));
        // An older question of the same kind is answered before the newest or not at all.
        EXPECT_LE(answered.size(), 2u);
        EXPECT_EQ(rows(last), std::vector<std::string>{"Beta - Two 3 1"});
        ASSERT_TRUE(WaitUntil([&] { return !stations.isEmpty(); }, 10000));
        EXPECT_EQ(stations.size(), 2);
        EXPECT_GE(HistoryReader::RunningThreads(), 1);
        // A question still on its way when the reader goes is never answered to it.
        reader.AskTopTitles(ChartFilter(), 0, 10);
    }
    EXPECT_TRUE(WaitUntil([] { return HistoryReader::RunningThreads() == 0; }, 10000));
}
