#pragma once

// The recordings library: every song file saved, as the title history knows
// it, and every audio file found in the recording folders that it does not.
// The rows come in batches from a scan; a scan that ends drops the rows it
// no longer found (a file removed outside Tonquill).

#include <QAbstractTableModel>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

class QMimeData;

struct LibraryEntry {
    QString path;         // the file, absolute
    QString title;        // the song's title (the whole title when no artist)
    QString artist;       // "" when unknown
    QString station;      // "" when the history does not know the file
    QDateTime date;       // when it was recorded (the file's time when unknown)
    qint64 lengthMs = -1; // -1 when unknown
    qint64 size = 0;
    QString format;     // "MP3", "AAC", "OGG", "OPUS", "FLAC"
    QString state;      // a kPlay... text of the history, "" when unknown
    bool known = false; // the history names the file
    QString problem;    // why the file holds no audio to play; "" when it does

    bool operator==(const LibraryEntry&) const = default;
};
Q_DECLARE_METATYPE(LibraryEntry)
Q_DECLARE_METATYPE(QList<LibraryEntry>)
// Moved in memory as its bytes: a list of 100,000 grows by a reallocation
// the system does by mapping, not by moving every entry (tens of
// milliseconds of a stopped window each time the list doubles).
Q_DECLARE_TYPEINFO(LibraryEntry, Q_RELOCATABLE_TYPE);

// A row of the library: its entry and the scan that last saw it.
struct LibraryRow {
    LibraryEntry entry;
    int scan = 0;
};
Q_DECLARE_TYPEINFO(LibraryRow, Q_RELOCATABLE_TYPE);

class LibraryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        TitleColumn,
        ArtistColumn,
        StationColumn,
        DateColumn,
        LengthColumn,
        SizeColumn,
        FormatColumn,
        StateColumn,
        ColumnCount
    };
    // The value a column sorts by (numbers and times as such).
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int PathRole = Qt::UserRole + 1;
    // Why the file cannot be played; "" when it can.
    static constexpr int ProblemRole = Qt::UserRole + 2;

    explicit LibraryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Rows are dragged out as files (to Discwright, a file manager).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A scan begins: rows it does not bring again go when it ends.
    void BeginScan();
    // Adds the entries or updates the rows of their files. An entry the
    // history knows wins over a scanned one of the same file; a scanned one
    // only fills in what the history left out (size, length).
    void Add(const QList<LibraryEntry>& entries);
    // Drops the rows the scan did not bring.
    void EndScan();
    bool Scanning() const { return m_scanning; }

    // One file was renamed, retagged or removed by the library itself.
    void Replace(const QString& path, const LibraryEntry& entry);
    void Remove(const QString& path);

    int RowOf(const QString& path) const;
    const LibraryEntry& At(int row) const { return m_rows[row].entry; }
    QStringList Stations() const;

signals:
    void scanFinished();

private:
    using Row = LibraryRow;
    void reindex();

    QList<Row> m_rows;
    QHash<QString, int> m_index;
    int m_scan = 0;
    bool m_scanning = false;
};

// The rows shown: of one station, recorded in a span of days, holding a
// search text in title, artist, station or file name.
class LibraryFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit LibraryFilter(QObject* parent = nullptr);
    void SetStation(const QString& station); // "" for every station
    void SetDays(QDate from, QDate to);      // an invalid end is open
    void SetSearch(const QString& text);

    // The files of the rows dragged, once each, in the order shown, as
    // "text/uri-list".
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_station;
    QDate m_from;
    QDate m_to;
    QString m_search;
};

// "3:07", "1:02:03"; "" when unknown.
QString LengthText(qint64 ms);
// "980 B", "4.2 MB".
QString SizeText(qint64 bytes);
