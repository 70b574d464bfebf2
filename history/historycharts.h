#pragma once

// The charts of the title history: the titles played most often over a
// period, per station or across all, and where and when one title was
// heard. Every query returns one page (LIMIT/OFFSET), so a window lists a
// history of any size a page at a time.

#include "history/historystore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// The rows of one page, as the window asks for them.
constexpr int kChartPageRows = 200;

enum class ChartPeriod { Today, ThisWeek, ThisMonth, All };

// The first moment of the period that holds `now` (local time): the day's
// midnight, the midnight the week began (on `firstDay`), the first of the
// month; invalid for All.
QDateTime ChartPeriodStart(ChartPeriod period, const QDateTime& now, Qt::DayOfWeek firstDay = Qt::Monday);

// Which plays a chart counts; an empty part matches every play.
struct ChartFilter {
    QDateTime since; // plays that began then or later
    QString station; // the station's name, in any letter case
    QString search;  // a text the title holds, in any letter case

    bool operator==(const ChartFilter&) const = default;
};

// One title of the chart.
struct TitleCount {
    QString title;
    qint64 plays = 0;
    qint64 stations = 0; // on how many stations
    QDateTime last;      // when it began last

    bool operator==(const TitleCount&) const = default;
};

// The titles played most often, most first (ties by title), rows `offset`
// to `offset + count`.
std::vector<TitleCount> TopTitlesPage(const HistoryStore& store, const ChartFilter& filter, int offset, int count);

// The plays of one title the filter counts (its search aside), newest
// first, rows `offset` to `offset + count`.
std::vector<Play> PlaysOfTitle(const HistoryStore& store, const QString& title, const ChartFilter& filter, int offset,
                               int count);

// The names of the stations in the history, in alphabetical order; names
// that differ only in letter case (which the filter takes as one) once.
QStringList HistoryStations(const HistoryStore& store);
