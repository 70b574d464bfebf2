// "What Plays Where": the chart and a title's plays paged in from the
// reader thread, a filter changed while a page is on its way, the search
// field, the station choice, the lists and the file opened from a row.
#include "history/historystore.h"
#include "recorder/songrules.h"
#include "tests/support/eventwait.h"
#include "tests/support/widgets/control.h"
#include "ui/search/frmwhatplays.h"
#include "ui/shell/dialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 3, 18), QTime(15, 0));

class WhatPlaysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HistoryStore store(history);
        ASSERT_TRUE(store.Open());
        ASSERT_TRUE(store.Transaction([&] {
            // 250 titles heard last month on Radio A, the n-th n times...
            for (int n = 1; n <= 250; ++n)
                for (int i = 0; i < n % 7 + 1; ++i)
                    if (!insert(store, "Radio A", QStringLiteral("Filler %1").arg(n, 3, 10, QLatin1Char('0')),
                                kNow.addDays(-30).addSecs(n * 60 + i), QString()))
                        return false;
            // ...and one today on two stations, saved once.
            return insert(store, "Radio B", QStringLiteral("Wanted - Song"), kNow.addSecs(-3600), saved) &&
                   insert(store, "Radio A", QStringLiteral("Wanted - Song"), kNow.addSecs(-600), QString());
        }));
        ASSERT_TRUE(WriteAll(saved, "ID3 and audio"));
        deps.urls = &urls;
        deps.historyPath = history;
        deps.listsFolder = folder.path();
        deps.now = [] { return kNow; };
    }
    static bool insert(HistoryStore& store, const char* station, const QString& title, const QDateTime& start,
                       const QString& file)
    {
        Play p;
        p.station = QString::fromLatin1(station);
        p.title = title;
        p.start = start;
        p.file = file;
        p.state = QLatin1String(file.isEmpty() ? kPlaySkipped : kPlayComplete);
        return store.Insert(p) != 0;
    }
    // Waits until neither table waits for a page.
    bool settled(frmWhatPlays& w)
    {
        return WaitUntil([&] { return !w.Titles().Loading() && !w.Plays().Loading(); }, 10000);
    }
    QStringList titles(frmWhatPlays& w)
    {
        QStringList out;
        for (int r = 0; r < w.Titles().rowCount(); ++r)
            out << w.Titles().Row(r)->title;
        return out;
    }
    void choose(frmWhatPlays& w, int row)
    {
        auto* view = Control<QTableView>(&w, "lstTitles");
        view->setCurrentIndex(w.Titles().index(row, 0));
    }

    TempFolder folder;
    const QString history = folder.file(QStringLiteral("history.sqlite"));
    const QString saved = folder.file(QStringLiteral("Wanted - Song.mp3"));
    RecordingUrlOpener urls;
    WhatPlaysDeps deps;
};

} // namespace

TEST_F(WhatPlaysTest, TheChartIsPagedInAsTheTableAsksForMore)
{
    frmWhatPlays w(deps);
    ASSERT_TRUE(settled(w));
    TitleChartModel& chart = w.Titles();
    EXPECT_EQ(chart.rowCount(), kChartPageRows);
    EXPECT_TRUE(chart.canFetchMore({}));
    EXPECT_TRUE(w.Status().contains(QStringLiteral("scroll for more"))) << w.Status().toStdString();
    chart.fetchMore({});
    EXPECT_TRUE(chart.Loading());
    EXPECT_FALSE(chart.canFetchMore({})); // one page at a time
    ASSERT_TRUE(settled(w));
    EXPECT_EQ(chart.rowCount(), 251);
    EXPECT_FALSE(chart.canFetchMore({}));
    EXPECT_EQ(w.Status(), QStringLiteral("251 titles"));
    // Most played first, ties by title, no title twice.
    QStringList all = titles(w);
    for (int r = 1; r < chart.rowCount(); ++r) {
        const TitleCount* a = chart.Row(r - 1);
        const TitleCount* b = chart.Row(r);
        EXPECT_TRUE(a->plays > b->plays || (a->plays == b->plays && a->title < b->title)) << r;
    }
    all.removeDuplicates();
    EXPECT_EQ(all.size(), 251);
    EXPECT_EQ(chart.data(chart.index(0, TitleChartModel::PlaysColumn), Qt::DisplayRole).toLongLong(), 7);
}

TEST_F(WhatPlaysTest, TheControlsFilterTheChartAndANewerFilterWinsOverAPageOnItsWay)
{
    frmWhatPlays w(deps);
    ASSERT_TRUE(settled(w));
    auto* period = Control<QComboBox>(&w, "cboPeriod");
    auto* station = Control<QComboBox>(&w, "cboStation");
    auto* search = Control<QLineEdit>(&w, "txtSearch");
    ASSERT_TRUE(WaitUntil([&] { return station->count() == 3; }, 10000));
    EXPECT_EQ(station->itemText(0), QStringLiteral("All Stations"));
    EXPECT_EQ(station->itemText(2), QStringLiteral("Radio B"));

    const struct Case {
        const char* name;
        int period; // Today, This Week, This Month, All
        int station;
        const char* search;
        QStringList top; // the first rows
        int rows;
    } cases[] = {
        {"today on all stations", 0, 0, "", {"Wanted - Song"}, 1},
        {"this week on Radio B", 1, 2, "", {"Wanted - Song"}, 1},
        {"this month: the fillers were last month", 2, 0, "", {"Wanted - Song"}, 1},
        {"all on Radio B", 3, 2, "", {"Wanted - Song"}, 1},
        {"all, searched: most played first, ties by title",
         3,
         0,
         "filler 24",
         {"Filler 244", "Filler 243", "Filler 242", "Filler 249", "Filler 241", "Filler 248", "Filler 240",
          "Filler 247", "Filler 246", "Filler 245"},
         10},
        {"a search that finds nothing", 3, 0, "nothing like it", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        period->setCurrentIndex(c.period);
        station->setCurrentIndex(c.station);
        search->setText(QString::fromLatin1(c.search));
        ASSERT_TRUE(
            WaitUntil([&] { return w.Titles().Filter() == w.CurrentFilter() && !w.Titles().Loading(); }, 10000));
        const QStringList got = titles(w);
        EXPECT_EQ(got.mid(0, c.top.size()), c.top);
        EXPECT_EQ(got.size(), c.rows);
    }
    EXPECT_EQ(w.Status(), QStringLiteral("No title heard in this period holds \"nothing like it\"."));
    period->setCurrentIndex(0);
    search->clear();
    station->setCurrentIndex(1);
    ASSERT_TRUE(WaitUntil([&] { return w.Titles().Filter() == w.CurrentFilter() && !w.Titles().Loading(); }, 10000));
    EXPECT_EQ(titles(w), QStringList{"Wanted - Song"});

    // Two filters at once: only the newer one's rows are shown.
    ChartFilter first;
    ChartFilter second;
    second.search = QStringLiteral("Wanted");
    w.Titles().SetFilter(first);
    w.Titles().SetFilter(second);
    ASSERT_TRUE(settled(w));
    RunPendingEvents();
    EXPECT_EQ(titles(w), QStringList{"Wanted - Song"});
}

TEST_F(WhatPlaysTest, ATitleChosenShowsWhereAndWhenItWasHeardAndItsFileOpens)
{
    deps.now = [] { return kNow; };
    frmWhatPlays w(deps);
    Control<QComboBox>(&w, "cboPeriod")->setCurrentIndex(0);
    ASSERT_TRUE(WaitUntil([&] { return titles(w) == QStringList{"Wanted - Song"} && !w.Titles().Loading(); }, 10000));
    auto* open = Control<QPushButton>(&w, "cmdOpenFile");
    EXPECT_FALSE(open->isEnabled());
    choose(w, 0);
    ASSERT_TRUE(settled(w));
    TitlePlaysModel& plays = w.Plays();
    ASSERT_EQ(plays.rowCount(), 2);
    EXPECT_EQ(plays.data(plays.index(0, TitlePlaysModel::StationColumn), Qt::DisplayRole), QStringLiteral("Radio A"));
    EXPECT_EQ(plays.data(plays.index(0, TitlePlaysModel::StateColumn), Qt::DisplayRole), QStringLiteral("skipped"));
    EXPECT_EQ(plays.data(plays.index(1, TitlePlaysModel::StationColumn), Qt::DisplayRole), QStringLiteral("Radio B"));
    EXPECT_EQ(plays.data(plays.index(1, TitlePlaysModel::StateColumn), Qt::DisplayRole), QStringLiteral("complete"));
    EXPECT_EQ(plays.Row(1)->start, kNow.addSecs(-3600));
    EXPECT_TRUE(open->isEnabled());

    // From the title's row: its newest file that is there.
    open->click();
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened.back(), QUrl::fromLocalFile(saved));
    // A play without a file, a file gone, and no program for it.
    auto* view = Control<QTableView>(&w, "lstPlays");
    view->setCurrentIndex(plays.index(0, 0));
    open->click();
    EXPECT_EQ(w.Status(), QStringLiteral("No file was saved of \"Wanted - Song\"."));
    view->setCurrentIndex(plays.index(1, 0));
    urls.result = false;
    open->click();
    EXPECT_EQ(w.Status(), QStringLiteral("No program could open %1.").arg(saved));
    ASSERT_TRUE(QFile::remove(saved));
    open->click();
    EXPECT_EQ(w.Status(), QStringLiteral("The file %1 is no longer there.").arg(saved));
    EXPECT_EQ(urls.opened.size(), 2);
}

TEST_F(WhatPlaysTest, ARowsTitleGoesOnTheListsAsTheRecorderReadsThem)
{
    ASSERT_TRUE(WriteAll(folder.file(QString::fromLatin1(kWishListFile)), "*jingle*\r\nOld - Wish"));
    frmWhatPlays w(deps);
    Control<QLineEdit>(&w, "txtSearch")->setText(QStringLiteral("wanted"));
    ASSERT_TRUE(WaitUntil([&] { return titles(w) == QStringList{"Wanted - Song"} && !w.Titles().Loading(); }, 10000));
    choose(w, 0);
    Control<QPushButton>(&w, "cmdAddWish")->click();
    EXPECT_EQ(w.Status(), QStringLiteral("\"Wanted - Song\" was added to the wish list."));
    EXPECT_EQ(ReadAll(folder.file(QString::fromLatin1(kWishListFile))),
              QByteArray("*jingle*\r\nOld - Wish\r\nWanted - Song\r\n"));
    Control<QPushButton>(&w, "cmdAddWish")->click();
    EXPECT_EQ(w.Status(), QStringLiteral("\"Wanted - Song\" is on the wish list already."));
    Control<QPushButton>(&w, "cmdAddIgnore")->click();
    EXPECT_EQ(ReadAll(folder.file(QString::fromLatin1(kIgnoreListFile))), QByteArray("Wanted - Song\r\n"));
    const SongRules rules = SongRules::Load(folder.path(), false);
    EXPECT_TRUE(rules.problems.isEmpty());
    EXPECT_EQ(rules.Judge(QStringLiteral("wanted - song")), TitleVerdict::Ignored);
    EXPECT_TRUE(rules.wish.Matches(QStringLiteral("Wanted - Song")));
}

TEST_F(WhatPlaysTest, EveryControlHasAnAccessibleName)
{
    frmWhatPlays w(deps);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("What Plays Where"));
    int controls = 0;
    for (QWidget* child : w.findChildren<QWidget*>()) {
        if (child->window() != &w || child->focusPolicy() == Qt::NoFocus || qobject_cast<QLabel*>(child) ||
            !child->parentWidget() || child->parentWidget()->inherits("QAbstractScrollArea") ||
            child->inherits("QScrollBar") || child->inherits("QHeaderView") || child->inherits("QSplitterHandle") ||
            child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        ++controls;
        EXPECT_FALSE(child->accessibleName().isEmpty())
            << child->metaObject()->className() << " " << child->objectName().toStdString();
    }
    EXPECT_GE(controls, 8); // three choices and fields, two tables, three buttons
    settled(w);
}
