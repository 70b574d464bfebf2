#include "history/historystore.h"

#include "platform/folders.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// How long a write waits for another program's write to end.
constexpr int kBusyTimeoutMs = 10000;

QAtomicInt g_connections;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS plays ("
    " id INTEGER PRIMARY KEY,"
    " station TEXT NOT NULL, address TEXT NOT NULL,"
    " title TEXT NOT NULL, artist TEXT NOT NULL, song TEXT NOT NULL,"
    " start INTEGER NOT NULL, end INTEGER,"
    " file TEXT NOT NULL DEFAULT '', state TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS plays_start ON plays (start)",
    "CREATE INDEX IF NOT EXISTS plays_title ON plays (title)",
    // The charts over a period read this one alone.
    "CREATE INDEX IF NOT EXISTS plays_start_station ON plays (start, station, title)",
};

// The plays of each title on each station, kept by the file's own triggers
// (so every program that writes the file keeps them right): the charts over
// all of the history read these counts instead of every play.
const char* const kTitleCountSchema[] = {
    "CREATE TABLE title_counts (station TEXT NOT NULL, title TEXT NOT NULL, plays INTEGER NOT NULL,"
    " last INTEGER NOT NULL, PRIMARY KEY (station, title)) WITHOUT ROWID",
    "CREATE TRIGGER plays_counted AFTER INSERT ON plays BEGIN"
    " INSERT INTO title_counts (station, title, plays, last) VALUES (new.station, new.title, 1, new.start)"
    " ON CONFLICT (station, title) DO UPDATE SET plays = plays + 1, last = MAX(last, excluded.last); END",
    "CREATE TRIGGER plays_uncounted AFTER DELETE ON plays BEGIN"
    " UPDATE title_counts SET plays = plays - 1, last = COALESCE((SELECT MAX(start) FROM plays"
    " WHERE station = old.station AND title = old.title), 0) WHERE station = old.station AND title = old.title;"
    " DELETE FROM title_counts WHERE station = old.station AND title = old.title AND plays <= 0; END",
    "CREATE TRIGGER plays_recounted AFTER UPDATE OF station, title, start ON plays"
    " WHEN old.station IS NOT new.station OR old.title IS NOT new.title OR old.start IS NOT new.start BEGIN"
    " UPDATE title_counts SET plays = plays - 1, last = COALESCE((SELECT MAX(start) FROM plays"
    " WHERE station = old.station AND title = old.title), 0) WHERE station = old.station AND title = old.title;"
    " DELETE FROM title_counts WHERE station = old.station AND title = old.title AND plays <= 0;"
    " INSERT INTO title_counts (station, title, plays, last) VALUES (new.station, new.title, 1, new.start)"
    " ON CONFLICT (station, title) DO UPDATE SET plays = plays + 1, last = MAX(last, excluded.last); END",
    "INSERT INTO title_counts (station, title, plays, last)"
    " SELECT station, title, COUNT(*), MAX(start) FROM plays GROUP BY station, title",
};

// The same counts for each day (and each month) a title was played on, the
// day as the local clock has it: a chart from a midnight on adds up the
// days (or months) from it instead of counting every play. `%1` is the
// table, `%2` its period column, `%3` the strftime format of a period.
const char* const kPeriodCountSchema[] = {
    "CREATE TABLE %1 (%2 INTEGER NOT NULL, station TEXT NOT NULL, title TEXT NOT NULL,"
    " plays INTEGER NOT NULL, last INTEGER NOT NULL, PRIMARY KEY (%2, station, title)) WITHOUT ROWID",
    "CREATE TRIGGER plays_%1 AFTER INSERT ON plays BEGIN"
    " INSERT INTO %1 (%2, station, title, plays, last) VALUES (@new, new.station, new.title, 1, new.start)"
    " ON CONFLICT (%2, station, title) DO UPDATE SET plays = plays + 1, last = MAX(last, excluded.last); END",
    "CREATE TRIGGER plays_un%1 AFTER DELETE ON plays BEGIN"
    " UPDATE %1 SET plays = plays - 1, last = COALESCE((SELECT MAX(start) FROM plays"
    " WHERE station = old.station AND title = old.title AND @start = @old), 0)"
    " WHERE %2 = @old AND station = old.station AND title = old.title;"
    " DELETE FROM %1 WHERE %2 = @old AND station = old.station AND title = old.title AND plays <= 0; END",
    "CREATE TRIGGER plays_re%1 AFTER UPDATE OF station, title, start ON plays"
    " WHEN old.station IS NOT new.station OR old.title IS NOT new.title OR old.start IS NOT new.start BEGIN"
    " UPDATE %1 SET plays = plays - 1, last = COALESCE((SELECT MAX(start) FROM plays"
    " WHERE station = old.station AND title = old.title AND @start = @old), 0)"
    " WHERE %2 = @old AND station = old.station AND title = old.title;"
    " DELETE FROM %1 WHERE %2 = @old AND station = old.station AND title = old.title AND plays <= 0;"
    " INSERT INTO %1 (%2, station, title, plays, last) VALUES (@new, new.station, new.title, 1, new.start)"
    " ON CONFLICT (%2, station, title) DO UPDATE SET plays = plays + 1, last = MAX(last, excluded.last); END",
    "INSERT INTO %1 (%2, station, title, plays, last)"
    " SELECT @start AS at, station, title, COUNT(*), MAX(start) FROM plays GROUP BY at, station, title",
};

// A table of counts and the statements that make it.
struct Counts {
    QString table;
    QStringList schema;
};

Counts periodCounts(const char* table, const char* column, const char* format)
{
    // The period of a time in milliseconds, as a number (20260318, 202603).
    const auto periodOf = [format](const char* time) {
        return QStringLiteral("CAST(strftime('%1', %2 / 1000, 'unixepoch', 'localtime') AS INTEGER)")
            .arg(QLatin1String(format), QLatin1String(time));
    };
    Counts counts{QLatin1String(table), {}};
    for (const char* statement : kPeriodCountSchema)
        counts.schema << QString::fromLatin1(statement)
                             .arg(QLatin1String(table), QLatin1String(column))
                             .replace(QLatin1String("@new"), periodOf("new.start"))
                             .replace(QLatin1String("@old"), periodOf("old.start"))
                             .replace(QLatin1String("@start"), periodOf("start"));
    return counts;
}

const std::vector<Counts>& allCounts()
{
    static const std::vector<Counts> counts = [] {
        std::vector<Counts> all;
        all.push_back({QStringLiteral("title_counts"), {}});
        for (const char* statement : kTitleCountSchema)
            all.back().schema << QString::fromLatin1(statement);
        all.push_back(periodCounts(kDayCountsTable, "day", "%Y%m%d"));
        all.push_back(periodCounts(kMonthCountsTable, "month", "%Y%m"));
        return all;
    }();
    return counts;
}

// Adds the counts a file has none of yet (made before them), counting the
// plays it holds. Asked and done in one write transaction, so two programs
// opening the file at once count them once.
bool prepareCounts(QSqlQuery& q, QString* problem)
{
    const auto failed = [&] {
        *problem = q.lastError().text();
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    const auto missing = [&q](const Counts& counts, bool* lacking) {
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = ?"));
        q.addBindValue(counts.table);
        if (!q.exec())
            return false;
        *lacking = !q.next();
        q.finish();
        return true;
    };
    bool anyMissing = false;
    for (const Counts& counts : allCounts()) {
        bool lacking = false;
        if (!missing(counts, &lacking))
            return failed();
        anyMissing |= lacking;
    }
    if (!anyMissing)
        return true;
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed();
    for (const Counts& counts : allCounts()) {
        bool lacking = false;
        if (!missing(counts, &lacking))
            return failed();
        if (!lacking)
            continue;
        for (const QString& statement : counts.schema) {
            if (!q.exec(statement))
                return failed();
        }
    }
    return q.exec(QStringLiteral("COMMIT")) || failed();
}

QVariant msOf(const QDateTime& time)
{
    return time.isValid() ? QVariant(time.toMSecsSinceEpoch()) : QVariant(QMetaType(QMetaType::LongLong));
}

void bindPlay(QSqlQuery& q, const Play& p)
{
    q.bindValue(QStringLiteral(":station"), p.station);
    q.bindValue(QStringLiteral(":address"), p.address);
    q.bindValue(QStringLiteral(":title"), p.title);
    q.bindValue(QStringLiteral(":artist"), p.artist);
    q.bindValue(QStringLiteral(":song"), p.song);
    q.bindValue(QStringLiteral(":start"), msOf(p.start));
    q.bindValue(QStringLiteral(":end"), msOf(p.end));
    q.bindValue(QStringLiteral(":file"), p.file);
    q.bindValue(QStringLiteral(":state"), p.state);
}

} // namespace

QString LikeAnywhere(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

void SplitTitle(const QString& title, QString* artist, QString* song)
{
    const qsizetype at = title.indexOf(QLatin1String(" - "));
    *artist = at < 0 ? QString() : title.left(at).trimmed();
    *song = at < 0 ? title.trimmed() : title.mid(at + 3).trimmed();
}

QString HistoryStore::DefaultPath()
{
    return ProgramFolders::DataFolder() + QStringLiteral("history.sqlite");
}

HistoryStore::HistoryStore(QString path)
    : m_path(std::move(path)),
      m_connection(QStringLiteral("tonquill-history-%1").arg(g_connections.fetchAndAddRelaxed(1)))
{
}

HistoryStore::~HistoryStore()
{
    close();
}

void HistoryStore::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

bool HistoryStore::openFile(QString* problem)
{
    close();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        *problem = QCoreApplication::translate("HistoryStore", "Qt's SQLite driver is not installed");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        *problem = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    // The journal mode is asked for first: a file that is no database fails here.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next()) {
        *problem = q.lastError().text();
        return false;
    }
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next() || q.value(0).toString() != QLatin1String("ok")) {
        *problem = q.lastError().isValid() ? q.lastError().text() : q.value(0).toString();
        return false;
    }
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    for (const char* statement : kSchema) {
        if (!q.exec(QString::fromLatin1(statement))) {
            *problem = q.lastError().text();
            return false;
        }
    }
    if (!prepareCounts(q, problem))
        return false;
    m_open = true;
    return true;
}

bool HistoryStore::setAside(const QString& why)
{
    close();
    const QString aside = m_path + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    if (QFile::exists(m_path) && !QFile::rename(m_path, aside))
        return false;
    // The journal files belong to the file set aside.
    for (const char* part : {"-wal", "-shm"}) {
        const QString from = m_path + QLatin1String(part);
        if (QFile::exists(from))
            QFile::rename(from, aside + QLatin1String(part));
    }
    m_notice = QCoreApplication::translate("HistoryStore",
                                           "The title history could not be read (%1): it was moved to %2 and a new "
                                           "one begun.")
                   .arg(why, aside);
    return true;
}

bool HistoryStore::Open()
{
    m_notice.clear();
    m_error.clear();
    QString problem;
    if (openFile(&problem))
        return true;
    if (!QFile::exists(m_path) || !setAside(problem) || !openFile(&problem)) {
        close();
        m_error = QCoreApplication::translate("HistoryStore", "The title history %1 cannot be opened: %2")
                      .arg(m_path, problem);
        return false;
    }
    return true;
}

qint64 HistoryStore::Insert(const Play& play)
{
    if (!m_open)
        return 0;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "INSERT INTO plays (station, address, title, artist, song, start, end, file, state) "
        "VALUES (COALESCE(:station, ''), COALESCE(:address, ''), COALESCE(:title, ''), COALESCE(:artist, ''), "
        "COALESCE(:song, ''), :start, :end, COALESCE(:file, ''), COALESCE(:state, ''))"));
    bindPlay(q, play);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

bool HistoryStore::Update(qint64 id, const Play& play)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(
        QStringLiteral("UPDATE plays SET station = COALESCE(:station, ''), address = COALESCE(:address, ''), "
                       "title = COALESCE(:title, ''), artist = COALESCE(:artist, ''), song = COALESCE(:song, ''), "
                       "start = :start, end = :end, file = COALESCE(:file, ''), state = COALESCE(:state, '') "
                       "WHERE id = :id"));
    bindPlay(q, play);
    q.bindValue(QStringLiteral(":id"), id);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    return true;
}

int HistoryStore::MoveFile(const QString& from, const QString& to)
{
    if (!m_open)
        return -1;
    const QString wanted = QFileInfo(from).absoluteFilePath();
    const QString name = QFileInfo(from).fileName();
    if (name.isEmpty())
        return 0;
    int moved = 0;
    const bool done = Transaction([&] {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        // The file's name narrows the plays down; its whole path, as written
        // by whichever program, decides.
        QSqlQuery find(db);
        find.setForwardOnly(true);
        find.prepare(QStringLiteral("SELECT id, file FROM plays WHERE file LIKE :name ESCAPE '\\'"));
        find.bindValue(QStringLiteral(":name"), LikeAnywhere(name));
        if (!find.exec()) {
            m_error = find.lastError().text();
            return false;
        }
        std::vector<qint64> ids;
        while (find.next())
            if (QFileInfo(find.value(1).toString()).absoluteFilePath() == wanted)
                ids.push_back(find.value(0).toLongLong());
        QSqlQuery update(db);
        update.prepare(QStringLiteral("UPDATE plays SET file = :to WHERE id = :id"));
        for (const qint64 id : ids) {
            update.bindValue(QStringLiteral(":to"), to);
            update.bindValue(QStringLiteral(":id"), id);
            if (!update.exec()) {
                m_error = update.lastError().text();
                return false;
            }
            ++moved;
        }
        return true;
    });
    return done ? moved : -1;
}

bool HistoryStore::Transaction(const std::function<bool()>& work)
{
    if (!m_open)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // BEGIN IMMEDIATE takes the write lock at once: waiting for it is the
    // busy timeout's, not a failure half-way through.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_error = q.lastError().text();
        return false;
    }
    if (!work()) {
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        m_error = q.lastError().text();
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

std::vector<Play> HistoryStore::Plays(const HistoryFilter& filter) const
{
    std::vector<Play> plays;
    if (!m_open)
        return plays;
    QString sql = QStringLiteral("SELECT %1 FROM plays").arg(QLatin1String(kPlayColumns));
    QStringList where;
    if (!filter.station.isEmpty())
        where << QStringLiteral("station = :station COLLATE NOCASE");
    if (filter.since.isValid())
        where << QStringLiteral("start >= :since");
    if (!filter.title.isEmpty())
        where << QStringLiteral("title LIKE :title ESCAPE '\\'");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY start DESC, id DESC");
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    if (!filter.station.isEmpty())
        q.bindValue(QStringLiteral(":station"), filter.station);
    if (filter.since.isValid())
        q.bindValue(QStringLiteral(":since"), filter.since.startOfDay().toMSecsSinceEpoch());
    if (!filter.title.isEmpty())
        q.bindValue(QStringLiteral(":title"), LikeAnywhere(filter.title));
    if (!q.exec())
        return plays;
    while (q.next())
        plays.push_back(PlayOfRow(q));
    return plays;
}

qint64 HistoryStore::Count() const
{
    if (!m_open)
        return 0;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM plays")) && q.next() ? q.value(0).toLongLong() : 0;
}

std::vector<std::pair<QString, qint64>> HistoryStore::TopTitles(int count) const
{
    std::vector<std::pair<QString, qint64>> top;
    if (!m_open)
        return top;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT title, COUNT(*) AS n FROM plays GROUP BY title ORDER BY n DESC, title LIMIT :n"));
    q.bindValue(QStringLiteral(":n"), count);
    if (q.exec())
        while (q.next())
            top.emplace_back(q.value(0).toString(), q.value(1).toLongLong());
    return top;
}

QDateTime TimeOfColumn(const QVariant& value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(value.toLongLong());
}

Play PlayOfRow(const QSqlQuery& q)
{
    Play p;
    p.station = q.value(0).toString();
    p.address = q.value(1).toString();
    p.title = q.value(2).toString();
    p.artist = q.value(3).toString();
    p.song = q.value(4).toString();
    p.start = TimeOfColumn(q.value(5));
    p.end = TimeOfColumn(q.value(6));
    p.file = q.value(7).toString();
    p.state = q.value(8).toString();
    return p;
}
