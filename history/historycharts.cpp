#include "history/historycharts.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The filter's conditions on `plays` (or on the counts, which have no start).
QStringList conditions(const ChartFilter& filter, bool withStart)
{
    QStringList where;
    if (withStart && filter.since.isValid())
        where << QStringLiteral("start >= :since");
    if (!filter.station.isEmpty())
        where << QStringLiteral("station = :station COLLATE NOCASE");
    if (!filter.search.isEmpty())
        where << QStringLiteral("title LIKE :search ESCAPE '\\'");
    return where;
}

QString whereOf(const QStringList& where)
{
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}

void bindFilter(QSqlQuery& q, const ChartFilter& filter, bool withStart)
{
    if (withStart && filter.since.isValid())
        q.bindValue(QStringLiteral(":since"), filter.since.toMSecsSinceEpoch());
    if (!filter.station.isEmpty())
        q.bindValue(QStringLiteral(":station"), filter.station);
    if (!filter.search.isEmpty())
        q.bindValue(QStringLiteral(":search"), LikeAnywhere(filter.search));
}

QSqlQuery queryOn(const HistoryStore& store)
{
    QSqlQuery q(QSqlDatabase::database(store.ConnectionName(), false));
    q.setForwardOnly(true);
    return q;
}

} // namespace

QDateTime ChartPeriodStart(ChartPeriod period, const QDateTime& now, Qt::DayOfWeek firstDay)
{
    const QDate today = now.date();
    switch (period) {
    case ChartPeriod::Today:
        return today.startOfDay();
    case ChartPeriod::ThisWeek:
        return today.addDays(-((today.dayOfWeek() - int(firstDay) + 7) % 7)).startOfDay();
    case ChartPeriod::ThisMonth:
        return QDate(today.year(), today.month(), 1).startOfDay();
    case ChartPeriod::All:
        break;
    }
    return QDateTime();
}

namespace {

// Where a chart's counts come from: the counts of all of the history, of
// the days or months from its first on, or its plays.
struct CountedFrom {
    QString table;  // empty: from the plays themselves
    QString period; // the table's period column
    qint64 first = 0;
};

CountedFrom countedFrom(const QDateTime& since)
{
    if (!since.isValid())
        return {QStringLiteral("title_counts"), {}, 0};
    // A period from a local midnight on is made of whole days (from the
    // first of a month, of whole months): their counts add up to it.
    const QDateTime local = since.toLocalTime();
    const QDate day = local.date();
    if (day.startOfDay() != local)
        return {};
    if (day.day() == 1)
        return {QLatin1String(kMonthCountsTable), QStringLiteral("month"), day.year() * 100 + day.month()};
    return {QLatin1String(kDayCountsTable), QStringLiteral("day"),
            qint64(day.year()) * 10000 + day.month() * 100 + day.day()};
}

} // namespace

std::vector<TitleCount> TopTitlesPage(const HistoryStore& store, const ChartFilter& filter, int offset, int count)
{
    std::vector<TitleCount> page;
    if (!store.IsOpen() || count <= 0)
        return page;
    // A period that begins at a midnight adds up its days' (or months')
    // counts, all of the history is counted already; any other period is
    // counted from its plays, read from the index that starts with their time.
    const CountedFrom from = countedFrom(filter.since);
    QString sql;
    if (from.table.isEmpty()) {
        sql = QStringLiteral("SELECT title, COUNT(*) AS n, COUNT(DISTINCT station), MAX(start) "
                             "FROM plays INDEXED BY plays_start_station%1 GROUP BY title")
                  .arg(whereOf(conditions(filter, true)));
    } else {
        QStringList where = conditions(filter, false);
        if (!from.period.isEmpty())
            where.prepend(from.period + QStringLiteral(" >= :first"));
        // (All of the history has one row of each title on each station.)
        sql = QStringLiteral("SELECT title, SUM(plays) AS n, %1, MAX(last) FROM %2%3 GROUP BY title")
                  .arg(from.period.isEmpty() ? QStringLiteral("COUNT(*)") : QStringLiteral("COUNT(DISTINCT station)"),
                       from.table, whereOf(where));
    }
    QSqlQuery q = queryOn(store);
    q.prepare(sql + QStringLiteral(" ORDER BY n DESC, title LIMIT :count OFFSET :offset"));
    bindFilter(q, filter, from.table.isEmpty());
    if (!from.period.isEmpty())
        q.bindValue(QStringLiteral(":first"), from.first);
    q.bindValue(QStringLiteral(":count"), count);
    q.bindValue(QStringLiteral(":offset"), std::max(0, offset));
    if (!q.exec())
        return page;
    while (q.next())
        page.push_back(
            {q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong(), TimeOfColumn(q.value(3))});
    return page;
}

std::vector<Play> PlaysOfTitle(const HistoryStore& store, const QString& title, const ChartFilter& filter, int offset,
                               int count)
{
    std::vector<Play> plays;
    if (!store.IsOpen() || count <= 0)
        return plays;
    ChartFilter of = filter;
    of.search.clear();
    QStringList where = conditions(of, true);
    where.prepend(QStringLiteral("title = :title"));
    QSqlQuery q = queryOn(store);
    q.prepare(QStringLiteral("SELECT station, address, title, artist, song, start, end, file, state FROM plays "
                             "INDEXED BY plays_title%1 ORDER BY start DESC, id DESC LIMIT :count OFFSET :offset")
                  .arg(whereOf(where)));
    bindFilter(q, of, true);
    q.bindValue(QStringLiteral(":title"), title);
    q.bindValue(QStringLiteral(":count"), count);
    q.bindValue(QStringLiteral(":offset"), std::max(0, offset));
    if (!q.exec())
        return plays;
    while (q.next())
        plays.push_back(PlayOfRow(q));
    return plays;
}

QStringList HistoryStations(const HistoryStore& store)
{
    QStringList stations;
    if (!store.IsOpen())
        return stations;
    QSqlQuery q = queryOn(store);
    if (q.exec(QStringLiteral(
            "SELECT MIN(station) FROM title_counts GROUP BY station COLLATE NOCASE ORDER BY 1 COLLATE NOCASE")))
        while (q.next())
            stations << q.value(0).toString();
    return stations;
}
