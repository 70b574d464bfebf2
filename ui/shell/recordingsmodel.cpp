#include "ui/shell/recordingsmodel.h"

#include "recorder/frmmp3.h"
#include "recorder/recordingclock.h"
#include "recorder/recordingset.h"

#include <QLocale>
#include <algorithm>

RecordingsModel::RecordingsModel(RecordingSet* set, QObject* parent) : QAbstractTableModel(parent), m_set(set)
{
    if (!set)
        return;
    for (const int id : set->Ids()) {
        Track(id, set->Title(id));
        watch(id);
    }
    connect(set, &RecordingSet::added, this, [this](int id) {
        Track(id, m_set->Title(id));
        watch(id);
    });
    connect(set, &RecordingSet::removed, this, &RecordingsModel::Untrack);
    connect(set, &RecordingSet::titleChanged, this, &RecordingsModel::Retitle);
    connect(set, &RecordingSet::ended, this, &RecordingsModel::End);
}

void RecordingsModel::watch(int id)
{
    frmMP3* recorder = m_set ? m_set->Recorder(id) : nullptr;
    if (!recorder)
        return;
    // The size is read when the recorder speaks, never on a timer of its own.
    const auto update = [this, id, recorder](const RecorderStatus& status) {
        Update(id, status, recorder->AudioBytesWritten());
    };
    connect(recorder, &frmMP3::statusChanged, this, update);
    connect(recorder, &frmMP3::clockChanged, this, update);
    Update(id, recorder->Status(), recorder->AudioBytesWritten());
}

int RecordingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordingsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case StationColumn:
        return tr("Station");
    case StateColumn:
        return tr("State");
    case SongColumn:
        return tr("Song");
    case ElapsedColumn:
        return tr("Elapsed");
    case SizeColumn:
        return tr("Size");
    case BitRateColumn:
        return tr("Bit Rate");
    default:
        return {};
    }
}

QVariant RecordingsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= ColumnCount)
        return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return text(row, index.column());
    case Qt::TextAlignmentRole:
        return index.column() >= ElapsedColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::UserRole:
        return row.id;
    default:
        return {};
    }
}

QString RecordingsModel::text(const Row& row, int column) const
{
    switch (column) {
    case StationColumn:
        return row.title;
    case StateColumn:
        return StateText(row.status, row.ended, row.exitStatus, row.watching);
    case SongColumn:
        return row.status.strSongName;
    case ElapsedColumn:
        return ElapsedText(row.status.clock);
    case SizeColumn:
        return SizeText(row.bytes);
    case BitRateColumn:
        return BitRateText(row.status.lngBitRate);
    default:
        return {};
    }
}

QString RecordingsModel::StateText(const RecorderStatus& status, bool ended, int exitStatus, bool watching)
{
    if (!status.lastError.isEmpty())
        return tr("error: %1").arg(status.lastError);
    if (ended)
        return exitStatus == 0 ? tr("stopped") : tr("error: status %1").arg(exitStatus);
    if (status.blnPaused)
        return tr("paused");
    switch (status.connection) {
    case ConnectionState::Idle:
    case ConnectionState::FetchingPlaylist:
    case ConnectionState::Connecting:
    case ConnectionState::AwaitingHeader:
        return tr("connecting");
    case ConnectionState::Streaming:
        return watching ? tr("watching") : tr("recording");
    case ConnectionState::WaitingToRetry:
    case ConnectionState::FailingOver:
        return tr("reconnecting");
    case ConnectionState::Stopped:
        return tr("stopped");
    }
    return {};
}

QString RecordingsModel::ElapsedText(const RecorderClock& clock)
{
    return ClockText(clock.lngHoursPassed, clock.lngMinutesPassed, clock.lngSecondsPassed, true);
}

QString RecordingsModel::SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(qMax<qint64>(bytes, 0));
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString RecordingsModel::BitRateText(qint32 kbits)
{
    return kbits > 0 ? tr("%1 kbit/s").arg(kbits) : QString();
}

void RecordingsModel::Track(int id, const QString& title)
{
    if (id <= 0 || RowOf(id) >= 0)
        return;
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(Row{id, title});
    endInsertRows();
    SetFocused(id); // the last one started is in focus
}

void RecordingsModel::Untrack(int id)
{
    const int row = RowOf(id);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    if (m_focused != id)
        return;
    // The focus goes to the last one started of those left.
    m_focused = m_rows.isEmpty() ? 0 : m_rows.constLast().id;
    emit focusChanged(m_focused);
}

void RecordingsModel::Retitle(int id, const QString& title)
{
    const int row = RowOf(id);
    if (row < 0 || m_rows[row].title == title)
        return;
    m_rows[row].title = title;
    changed(row, StationColumn, StationColumn);
}

void RecordingsModel::SetWatching(int id)
{
    const int row = RowOf(id);
    if (row < 0 || m_rows[row].watching)
        return;
    m_rows[row].watching = true;
    changed(row, StateColumn, StateColumn);
}

void RecordingsModel::Update(int id, const RecorderStatus& status, qint64 bytesWritten)
{
    const int row = RowOf(id);
    if (row < 0)
        return;
    Row& r = m_rows[row];
    if (r.status == status && r.bytes == bytesWritten)
        return;
    r.status = status;
    r.bytes = bytesWritten;
    changed(row, StateColumn, BitRateColumn);
}

void RecordingsModel::End(int id, int exitStatus)
{
    const int row = RowOf(id);
    if (row < 0)
        return;
    m_rows[row].ended = true;
    m_rows[row].exitStatus = exitStatus;
    changed(row, StateColumn, StateColumn);
}

void RecordingsModel::changed(int row, int firstColumn, int lastColumn)
{
    emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}

int RecordingsModel::IdAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).id : 0;
}

int RecordingsModel::RowOf(int id) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows.at(row).id == id)
            return row;
    return -1;
}

QList<int> RecordingsModel::Ids() const
{
    QList<int> ids;
    for (const Row& row : m_rows)
        ids.append(row.id);
    return ids;
}

void RecordingsModel::SetFocused(int id)
{
    if (id == m_focused || RowOf(id) < 0)
        return;
    m_focused = id;
    emit focusChanged(id);
}

int RecordingsModel::Running() const
{
    return int(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) { return !r.ended; }));
}

QString RecordingsModel::TrayTip(const QString& focusedTip) const
{
    const int running = Running();
    if (running < 2)
        return focusedTip;
    const int row = RowOf(m_focused);
    const QString song = row < 0 ? QString() : m_rows.at(row).status.strSongName;
    const QString count = tr("%1 stations recording").arg(running);
    return song.isEmpty() ? count : count + QLatin1Char('\n') + song;
}
