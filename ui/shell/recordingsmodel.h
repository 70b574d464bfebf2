#pragma once

// The recordings the desktop program runs side by side, one row each, like a
// download manager's list: the station, where its recording stands, the song,
// the time recorded, the size of its file and the stream's bit rate. The rows
// follow what the recorders say; nothing is asked for on a timer. One
// recording is in focus: the one last started, until the user picks another.

#include "recorder/recorderstatus.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>

class RecordingSet;

class RecordingsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { StationColumn, StateColumn, SongColumn, ElapsedColumn, SizeColumn, BitRateColumn, ColumnCount };

    // Without a set the rows are told what happens by Track, Update, End and
    // Untrack; with one, by the set and its recorders.
    explicit RecordingsModel(RecordingSet* set = nullptr, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A new recording `id` of the station `title`; it takes the focus.
    void Track(int id, const QString& title);
    void Untrack(int id);
    void Retitle(int id, const QString& title);
    // Recording `id` watches its station: it is "watching" where a
    // recording would be "recording".
    void SetWatching(int id);
    // What recording `id` shows now, and how many audio bytes it has written.
    void Update(int id, const RecorderStatus& status, qint64 bytesWritten);
    // Recording `id` ended with `exitStatus` (0: it was stopped or finished).
    void End(int id, int exitStatus);

    // The id in `row`, or 0; the row of `id`, or -1.
    int IdAt(int row) const;
    int RowOf(int id) const;
    QList<int> Ids() const;

    // The recording in focus, 0 when there is none.
    int Focused() const { return m_focused; }
    // Ignored for an id the list does not hold.
    void SetFocused(int id);

    // The recordings that have not ended.
    int Running() const;
    // The tray's tip: with more than one recording running, how many, then
    // the focused one's song; else `focusedTip`, the focused recorder's own.
    QString TrayTip(const QString& focusedTip) const;

    // The texts of the columns for one state.
    static QString StateText(const RecorderStatus& status, bool ended, int exitStatus, bool watching = false);
    static QString ElapsedText(const RecorderClock& clock);
    static QString SizeText(qint64 bytes);
    static QString BitRateText(qint32 kbits);

signals:
    void focusChanged(int id);

private:
    struct Row {
        int id = 0;
        QString title;
        RecorderStatus status;
        qint64 bytes = 0;
        bool ended = false;
        int exitStatus = 0;
        bool watching = false;
    };
    void watch(int id);
    void changed(int row, int firstColumn, int lastColumn);
    QString text(const Row& row, int column) const;

    QPointer<RecordingSet> m_set;
    QList<Row> m_rows;
    int m_focused = 0;
};
