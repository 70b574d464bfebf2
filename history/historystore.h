#pragma once

// The title history: every title a station played, kept in the SQLite file
// "history.sqlite" in the data folder. One store is one connection, used by
// the thread that made it only; several programs write one file together
// (WAL journal, a busy timeout).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

// One title as a station played it.
struct Play {
    QString station; // the station's name
    QString address; // the station's address (its server or playlist)
    QString title;   // the title after the title rules
    QString artist;  // the title's part before its first " - "
    QString song;    // the title's part after it (the whole title without one)
    QDateTime start;
    QDateTime end; // invalid while it plays
    QString file;  // the recording file it was saved to; empty when none
    QString state; // one of the kPlay... texts below

    bool operator==(const Play&) const = default;
};

inline constexpr const char* kPlayComplete = "complete";     // recorded (or heard) from its start to its end
inline constexpr const char* kPlayIncomplete = "incomplete"; // began or ended in the middle of the song
inline constexpr const char* kPlaySkipped = "skipped";       // the rules or a saved copy kept it from being recorded
inline constexpr const char* kPlayVersion = "version";       // recorded again beside an earlier recording

// Which plays a query returns; an empty part matches every play.
struct HistoryFilter {
    QString station; // the station's name, in any letter case
    QDate since;     // plays that began on this day or later (local time)
    QString title;   // a text the title holds, in any letter case
    int limit = 0;   // at most this many (0: all)
};

// A LIKE pattern (with ESCAPE '\\') that finds `text` literally anywhere.
QString LikeAnywhere(const QString& text);

// The tables of the plays of each title on each station counted per local
// day ("day", a number such as 20260318) and per month ("month", 202603),
// kept by the file's triggers like the counts of all of the history
// ("title_counts").
inline constexpr const char* kDayCountsTable = "day_counts";
inline constexpr const char* kMonthCountsTable = "month_counts";

class QSqlQuery;
class QVariant;
// A play's columns as every query of plays selects them, and the play of a
// row of such a query.
inline constexpr const char* kPlayColumns = "station, address, title, artist, song, start, end, file, state";
Play PlayOfRow(const QSqlQuery& q);
// A time as the file keeps it (milliseconds; NULL: none).
QDateTime TimeOfColumn(const QVariant& value);

// The artist and song parts of a title, split at its first " - ".
void SplitTitle(const QString& title, QString* artist, QString* song);

class HistoryStore {
public:
    // The history file in the data folder.
    static QString DefaultPath();

    explicit HistoryStore(QString path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, making it when it is missing. A file that cannot be
    // opened as a history, or whose check finds it damaged, is moved aside
    // ("history.sqlite.damaged-<date>") and a new one begun; Notice() then
    // says so. False when no history could be opened at all (Error()).
    bool Open();
    bool IsOpen() const { return m_open; }
    // What Open had to do to the file, said once ("" when nothing).
    QString Notice() const { return m_notice; }
    QString Error() const { return m_error; }
    QString Path() const { return m_path; }
    // The Qt SQL connection (for queries of the thread that opened it).
    QString ConnectionName() const { return m_connection; }

    // The play's id in the file; 0 when it could not be kept.
    qint64 Insert(const Play& play);
    bool Update(qint64 id, const Play& play);
    // The file the plays saved to `from` were saved to is now `to` (renamed,
    // moved to the trash): those plays name `to`. The names are compared as
    // absolute, clean paths. How many plays it changed; -1 when the file
    // could not be changed (Error()).
    int MoveFile(const QString& from, const QString& to);
    // Runs `work` in one transaction; false (and nothing kept) when it fails.
    bool Transaction(const std::function<bool()>& work);

    // The plays, newest first.
    std::vector<Play> Plays(const HistoryFilter& filter = {}) const;
    qint64 Count() const;
    // The titles played most often, with their counts, most first.
    std::vector<std::pair<QString, qint64>> TopTitles(int count) const;

private:
    bool openFile(QString* problem);
    void close();
    bool setAside(const QString& why);

    QString m_path;
    QString m_connection;
    bool m_open = false;
    QString m_notice;
    QString m_error;
};
