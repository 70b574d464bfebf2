// The charts of the title history: the periods' boundaries, the counts per
// station and across all, the search, the pages, the plays of one title,
// the counts kept through changed plays and added to an older file, and
// the reader thread that answers a window.
#include "history/historycharts.h"
#include "history/historyreader.h"
#include "history/historystore.h"
#include "tests/support/eventwait.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <limits>

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

namespace {

// The rows of a table of counts: "period station title plays last".
std::vector<std::string> countRows(const HistoryStore& store, const char* table)
{
    QSqlQuery q(QSqlDatabase::database(store.ConnectionName(), false));
    EXPECT_TRUE(q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(QLatin1String(table))));
    std::vector<std::string> out;
    while (q.next())
        out.push_back(QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(),
                               TimeOfColumn(q.value(4)).toString(QStringLiteral("MM-dd hh:mm:ss.zzz")))
                          .toStdString());
    return out;
}

bool execOn(const HistoryStore& store, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(QSqlDatabase::database(store.ConnectionName(), false));
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    const bool done = q.exec();
    EXPECT_TRUE(done) << q.lastError().text().toStdString();
    return done;
}

qint64 insert(HistoryStore& store, const char* station, const char* title, const QDateTime& start)
{
    Play p;
    p.station = QString::fromLatin1(station);
    p.title = QString::fromLatin1(title);
    SplitTitle(p.title, &p.artist, &p.song);
    p.start = start;
    p.state = QLatin1String(kPlayComplete);
    const qint64 id = store.Insert(p);
    EXPECT_NE(id, 0) << store.Error().toStdString();
    return id;
}

} // namespace

// Each play is counted on the day (and in the month) its local clock began
// it on, to the millisecond at midnight; a play deleted or moved to another
// day or title takes its count along, and the last play of a day is that
// day's own.
TEST(HistoryCountsTest, EachPlayIsCountedOnItsOwnDayAndMonth)
{
    TempFolder folder;
    HistoryStore store(folder.file(QStringLiteral("history.sqlite")));
    ASSERT_TRUE(store.Open()) << store.Error().toStdString();
    const QDateTime beforeToday = at(3, 18, 0).addMSecs(-1);
    const qint64 lastBefore = insert(store, "Radio A", "T", beforeToday);
    const qint64 midnight = insert(store, "Radio A", "T", at(3, 18, 0));
    const qint64 noon = insert(store, "Radio A", "T", at(3, 18, 12));
    insert(store, "Radio B", "T", at(3, 18, 13));
    insert(store, "Radio A", "T", at(3, 16, 0).addMSecs(-1)); // the week's last moment before
    insert(store, "Radio A", "T", at(3, 16, 0));              // its first
    insert(store, "Radio A", "T", at(3, 1, 0).addMSecs(-1));  // the month's last moment before
    const qint64 firstOfMonth = insert(store, "Radio A", "T", at(3, 1, 0));

    const auto same = [](std::vector<std::string> rows) { return rows; };
    EXPECT_EQ(countRows(store, kDayCountsTable),
              same({"20260228 Radio A T 1 02-28 23:59:59.999", "20260301 Radio A T 1 03-01 00:00:00.000",
                    "20260315 Radio A T 1 03-15 23:59:59.999", "20260316 Radio A T 1 03-16 00:00:00.000",
                    "20260317 Radio A T 1 03-17 23:59:59.999", "20260318 Radio A T 2 03-18 12:00:00.000",
                    "20260318 Radio B T 1 03-18 13:00:00.000"}));
    EXPECT_EQ(countRows(store, kMonthCountsTable),
              same({"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 6 03-18 12:00:00.000",
                    "202603 Radio B T 1 03-18 13:00:00.000"}));

    const struct Step {
        const char* name;
        QString sql;
        QVariantList values;
        std::vector<std::string> days;   // of Radio A from 03-17 on
        std::vector<std::string> months; // of Radio A
    } steps[] = {
        {"the day's last play deleted: its last is the one before",
         QStringLiteral("DELETE FROM plays WHERE id = ?"),
         {noon},
         {"20260317 Radio A T 1 03-17 23:59:59.999", "20260318 Radio A T 1 03-18 00:00:00.000"},
         {"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 5 03-18 00:00:00.000"}},
        {"a day's only play deleted: the day goes",
         QStringLiteral("DELETE FROM plays WHERE id = ?"),
         {lastBefore},
         {"20260318 Radio A T 1 03-18 00:00:00.000"},
         {"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 4 03-18 00:00:00.000"}},
        {"a play moved to the next day",
         QStringLiteral("UPDATE plays SET start = ? WHERE id = ?"),
         {at(3, 19, 1).toMSecsSinceEpoch(), midnight},
         {"20260319 Radio A T 1 03-19 01:00:00.000"},
         {"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 4 03-19 01:00:00.000"}},
        {"a play moved within its day",
         QStringLiteral("UPDATE plays SET start = ? WHERE id = ?"),
         {at(3, 19, 2).toMSecsSinceEpoch(), midnight},
         {"20260319 Radio A T 1 03-19 02:00:00.000"},
         {"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 4 03-19 02:00:00.000"}},
        {"a play given another title",
         QStringLiteral("UPDATE plays SET title = 'U' WHERE id = ?"),
         {midnight},
         {"20260319 Radio A U 1 03-19 02:00:00.000"},
         {"202602 Radio A T 1 02-28 23:59:59.999", "202603 Radio A T 3 03-16 00:00:00.000",
          "202603 Radio A U 1 03-19 02:00:00.000"}},
        {"a play moved to the month before",
         QStringLiteral("UPDATE plays SET start = ? WHERE id = ?"),
         {at(2, 28, 23).toMSecsSinceEpoch(), firstOfMonth},
         {"20260319 Radio A U 1 03-19 02:00:00.000"},
         {"202602 Radio A T 2 02-28 23:59:59.999", "202603 Radio A T 2 03-16 00:00:00.000",
          "202603 Radio A U 1 03-19 02:00:00.000"}},
        {"its end and file changed: counted as it was",
         QStringLiteral("UPDATE plays SET end = start + 1000, file = '/m/t.mp3' WHERE station = 'Radio A'"),
         {},
         {"20260319 Radio A U 1 03-19 02:00:00.000"},
         {"202602 Radio A T 2 02-28 23:59:59.999", "202603 Radio A T 2 03-16 00:00:00.000",
          "202603 Radio A U 1 03-19 02:00:00.000"}},
    };
    const auto ofRadioA = [&](const char* table, bool someDays) {
        std::vector<std::string> rows;
        for (const std::string& row : countRows(store, table))
            if (row.find(" Radio A ") != std::string::npos && (!someDays || row.compare(0, 8, "20260317") >= 0))
                rows.push_back(row);
        return rows;
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(execOn(store, step.sql, step.values));
        EXPECT_EQ(ofRadioA(kDayCountsTable, true), step.days);
        EXPECT_EQ(ofRadioA(kMonthCountsTable, false), step.months);
    }
    EXPECT_EQ(countRows(store, kDayCountsTable).front(), "20260228 Radio A T 2 02-28 23:59:59.999");
}

// Whatever the counts a chart is added up from (the days, the months, all
// of the history, or the plays when its period does not begin at a
// midnight), it shows what counting the plays themselves does.
TEST_F(HistoryChartsTest, EveryPeriodShowsWhatCountingItsPlaysDoes)
{
    // Changed plays as well: one deleted, one moved to another day.
    const qint64 gone = insert(store, "Radio B", "Beta - Two", at(3, 18, 1));
    const qint64 moved = insert(store, "Radio A", "Beta - Two", at(3, 2, 1));
    ASSERT_TRUE(execOn(store, QStringLiteral("DELETE FROM plays WHERE id = ?"), {gone}));
    ASSERT_TRUE(execOn(store, QStringLiteral("UPDATE plays SET start = ? WHERE id = ?"),
                       {at(3, 17, 20).toMSecsSinceEpoch(), moved}));
    const QDateTime sinces[] = {
        ChartPeriodStart(ChartPeriod::Today, kNow),
        ChartPeriodStart(ChartPeriod::ThisWeek, kNow),
        ChartPeriodStart(ChartPeriod::ThisWeek, kNow, Qt::Sunday),
        ChartPeriodStart(ChartPeriod::ThisMonth, kNow),
        at(3, 17, 0),                              // a midnight of no period
        at(2, 1, 0),                               // a month further back
        at(3, 18, 8, 30),                          // no midnight
        at(3, 18, 0).addMSecs(1),                  // just after one
        at(3, 18, 0).toUTC(),                      // a midnight told in another time spec
        QDateTime(QDate(2027, 1, 1), QTime(0, 0)), // after every play
        QDateTime(),
    };
    const char* const stations[] = {"", "RADIO A", "Radio B"};
    const char* const searches[] = {"", "alpha", "%"};
    for (const QDateTime& since : sinces) {
        for (const char* station : stations) {
            for (const char* search : searches) {
                SCOPED_TRACE(since.toString(Qt::ISODateWithMs).toStdString() + " station '" + station + "' search '" +
                             search + "'");
                ChartFilter filter;
                filter.since = since;
                filter.station = QString::fromLatin1(station);
                filter.search = QString::fromLatin1(search);
                QSqlQuery q(QSqlDatabase::database(store.ConnectionName(), false));
                q.prepare(QStringLiteral("SELECT title, COUNT(*) AS n, COUNT(DISTINCT station), MAX(start) FROM plays"
                                         " WHERE start >= ? AND (? = '' OR station = ? COLLATE NOCASE)"
                                         " AND title LIKE ? ESCAPE '\\' GROUP BY title ORDER BY n DESC, title"));
                q.addBindValue(since.isValid() ? since.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min());
                q.addBindValue(filter.station);
                q.addBindValue(filter.station);
                q.addBindValue(LikeAnywhere(filter.search));
                ASSERT_TRUE(q.exec());
                std::vector<TitleCount> counted;
                while (q.next())
                    counted.push_back({q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong(),
                                       TimeOfColumn(q.value(3))});
                EXPECT_EQ(TopTitlesPage(store, filter, 0, kChartPageRows), counted);
            }
        }
    }
}

TEST(HistoryChartsFileTest, AFileMadeBeforeTheCountsIsCountedWhenOpened)
{
    // The plays table as the first history files held it, without counts,
    // and with the counts of all of the history only.
    const struct Layout {
        const char* name;
        QStringList statements;
    } layouts[] = {
        {"no counts",
         {QStringLiteral(
             "CREATE TABLE plays (id INTEGER PRIMARY KEY, station TEXT NOT NULL, address TEXT NOT NULL,"
             " title TEXT NOT NULL, artist TEXT NOT NULL, song TEXT NOT NULL, start INTEGER NOT NULL, end INTEGER,"
             " file TEXT NOT NULL DEFAULT '', state TEXT NOT NULL)")}},
        {"all-time counts only",
         {QStringLiteral("DROP TRIGGER plays_day_counts"), QStringLiteral("DROP TRIGGER plays_unday_counts"),
          QStringLiteral("DROP TRIGGER plays_reday_counts"), QStringLiteral("DROP TRIGGER plays_month_counts"),
          QStringLiteral("DROP TRIGGER plays_unmonth_counts"), QStringLiteral("DROP TRIGGER plays_remonth_counts"),
          QStringLiteral("DROP TABLE day_counts"), QStringLiteral("DROP TABLE month_counts")}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("history.sqlite"));
        if (layout.statements.front().startsWith(QLatin1String("DROP"))) {
            HistoryStore made(path);
            ASSERT_TRUE(made.Open());
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old-file"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            for (const QString& statement : layout.statements)
                ASSERT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
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
            const struct Chart {
                ChartPeriod period;
                std::vector<std::string> top;
            } charts[] = {
                {ChartPeriod::All, {"Alpha - One 8 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
                {ChartPeriod::ThisMonth, {"Alpha - One 7 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
                {ChartPeriod::ThisWeek, {"Alpha - One 5 2", "Beta - Two 3 1", "Gamma_50% - Three 1 1"}},
                {ChartPeriod::Today, {"Beta - Two 3 1", "Alpha - One 2 2", "Gamma_50% - Three 1 1"}},
            };
            for (const Chart& chart : charts) {
                ChartFilter filter;
                filter.since = ChartPeriodStart(chart.period, kNow);
                EXPECT_EQ(rows(TopTitlesPage(store, filter, 0, 10)), chart.top) << int(chart.period);
            }
            // A play written now is counted on its day as well.
            if (opening == 1) {
                insert(store, "Radio B", "Beta - Two", at(3, 18, 14));
                ChartFilter today;
                today.since = ChartPeriodStart(ChartPeriod::Today, kNow);
                EXPECT_EQ(rows(TopTitlesPage(store, today, 0, 1)), std::vector<std::string>{"Beta - Two 4 1"});
            }
        }
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

TEST_F(HistoryChartsTest, TheThreadsOfReadersGoneAreEndedAsTheProgramCloses)
{
    // A reader left with questions on their way, and one still in use.
    HistoryReader kept(store.Path());
    for (int left = 0; left < 3; ++left) {
        HistoryReader reader(store.Path());
        for (int i = 0; i < 20; ++i)
            reader.AskTopTitles(ChartFilter(), 0, 10);
    }
    HistoryReader::EndThreads();
    EXPECT_EQ(HistoryReader::RunningThreads(), 1); // only the one in use, at once, not waited for
    bool answered = false;
    QObject::connect(&kept, &HistoryReader::topTitles, [&](int, const std::vector<TitleCount>&) { answered = true; });
    kept.AskTopTitles(ChartFilter(), 0, 10);
    EXPECT_TRUE(WaitUntil([&] { return answered; }, 10000));
}
