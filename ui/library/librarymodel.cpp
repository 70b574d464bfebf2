#include "ui/library/librarymodel.h"

#include "history/historystore.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <vector>

QString LengthText(qint64 ms)
{
    if (ms < 0)
        return {};
    const qint64 s = ms / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return LibraryModel::tr("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return LibraryModel::tr("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    return LibraryModel::tr("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

LibraryModel::LibraryModel(QObject* parent) : QAbstractTableModel(parent)
{
    qRegisterMetaType<LibraryEntry>();
    qRegisterMetaType<QList<LibraryEntry>>();
}

int LibraryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

int LibraryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

namespace {

QString stateText(const QString& state)
{
    if (state == QLatin1String(kPlayComplete))
        return LibraryModel::tr("complete");
    if (state == QLatin1String(kPlayIncomplete))
        return LibraryModel::tr("incomplete");
    if (state == QLatin1String(kPlayVersion))
        return LibraryModel::tr("version");
    return state;
}

} // namespace

QVariant LibraryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const LibraryEntry& e = m_rows[index.row()].entry;
    if (role == PathRole)
        return e.path;
    if (role == ProblemRole)
        return e.problem;
    if (role == Qt::ToolTipRole)
        return e.problem.isEmpty() ? e.path : e.path + QLatin1Char('\n') + e.problem;
    // A file that does not decode is marked where its row begins.
    if (role == Qt::DecorationRole && index.column() == TitleColumn && !e.problem.isEmpty() &&
        qobject_cast<QApplication*>(QCoreApplication::instance()))
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    const bool sort = role == SortRole;
    switch (index.column()) {
    case TitleColumn:
        return e.title;
    case ArtistColumn:
        return e.artist;
    case StationColumn:
        return e.station;
    case DateColumn:
        return sort ? QVariant(e.date) : QVariant(QLocale().toString(e.date, QLocale::ShortFormat));
    case LengthColumn:
        return sort ? QVariant(e.lengthMs) : QVariant(LengthText(e.lengthMs));
    case SizeColumn:
        return sort ? QVariant(e.size) : QVariant(SizeText(e.size));
    case FormatColumn:
        return e.format;
    case StateColumn:
        return e.problem.isEmpty() ? stateText(e.state) : tr("cannot be played");
    default:
        return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case ArtistColumn:
        return tr("Artist");
    case StationColumn:
        return tr("Station");
    case DateColumn:
        return tr("Date");
    case LengthColumn:
        return tr("Length");
    case SizeColumn:
        return tr("Size");
    case FormatColumn:
        return tr("Format");
    case StateColumn:
        return tr("State");
    default:
        return {};
    }
}

void LibraryModel::BeginScan()
{
    ++m_scan;
    m_scanning = true;
}

void LibraryModel::Add(const QList<LibraryEntry>& entries)
{
    QList<Row> fresh;
    for (const LibraryEntry& e : entries) {
        const auto found = m_index.constFind(e.path);
        if (found == m_index.cend()) {
            m_index.insert(e.path, int(m_rows.size() + fresh.size()));
            fresh.append({e, m_scan});
            continue;
        }
        if (*found >= m_rows.size()) {
            // A file twice in one batch is one row as well.
            Row& twice = fresh[*found - m_rows.size()];
            if (!twice.entry.known || e.known)
                twice.entry = e;
            continue;
        }
        Row& row = m_rows[*found];
        row.scan = m_scan;
        LibraryEntry merged = e;
        if (row.entry.known && !e.known) {
            merged = row.entry;
            merged.size = e.size;
            merged.problem = e.problem;
            if (merged.lengthMs < 0)
                merged.lengthMs = e.lengthMs;
        } else if (e.known && !row.entry.known) {
            if (merged.size == 0)
                merged.size = row.entry.size;
            if (merged.lengthMs < 0)
                merged.lengthMs = row.entry.lengthMs;
        } else if (merged.size == 0) {
            merged.size = row.entry.size;
        }
        if (!(merged == row.entry)) {
            row.entry = merged;
            emit dataChanged(index(*found, 0), index(*found, ColumnCount - 1));
        }
    }
    if (fresh.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + fresh.size() - 1));
    m_rows.append(fresh);
    endInsertRows();
}

void LibraryModel::EndScan()
{
    m_scanning = false;
    const qsizetype gone =
        std::count_if(m_rows.cbegin(), m_rows.cend(), [this](const Row& r) { return r.scan != m_scan; });
    if (gone > 0) {
        beginResetModel();
        m_rows.removeIf([this](const Row& r) { return r.scan != m_scan; });
        reindex();
        endResetModel();
    }
    emit scanFinished();
}

void LibraryModel::Replace(const QString& path, const LibraryEntry& entry)
{
    const int row = RowOf(path);
    if (row < 0)
        return;
    m_index.remove(path);
    m_rows[row].entry = entry;
    m_index.insert(entry.path, row);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void LibraryModel::Remove(const QString& path)
{
    const int row = RowOf(path);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    reindex();
    endRemoveRows();
}

int LibraryModel::RowOf(const QString& path) const
{
    return m_index.value(path, -1);
}

QStringList LibraryModel::Stations() const
{
    QStringList stations;
    for (const Row& r : m_rows)
        if (!r.entry.station.isEmpty())
            stations.append(r.entry.station);
    stations.removeDuplicates();
    stations.sort(Qt::CaseInsensitive);
    return stations;
}

void LibraryModel::reindex()
{
    m_index.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        m_index.insert(m_rows[i].entry.path, i);
}

LibraryFilter::LibraryFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(LibraryModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setDynamicSortFilter(true);
}

void LibraryFilter::SetStation(const QString& station)
{
    m_station = station;
    invalidateFilter();
}

void LibraryFilter::SetDays(QDate from, QDate to)
{
    m_from = from;
    m_to = to;
    invalidateFilter();
}

void LibraryFilter::SetSearch(const QString& text)
{
    m_search = text.trimmed();
    invalidateFilter();
}

bool LibraryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = qobject_cast<const LibraryModel*>(sourceModel());
    if (!model)
        return true;
    const LibraryEntry& e = model->At(sourceRow);
    if (!m_station.isEmpty() && e.station.compare(m_station, Qt::CaseInsensitive) != 0)
        return false;
    const QDate day = e.date.toLocalTime().date();
    if (m_from.isValid() && day < m_from)
        return false;
    if (m_to.isValid() && day > m_to)
        return false;
    if (m_search.isEmpty())
        return true;
    return e.title.contains(m_search, Qt::CaseInsensitive) || e.artist.contains(m_search, Qt::CaseInsensitive) ||
           e.station.contains(m_search, Qt::CaseInsensitive) ||
           QFileInfo(e.path).fileName().contains(m_search, Qt::CaseInsensitive);
}

QStringList LibraryFilter::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* LibraryFilter::mimeData(const QModelIndexList& indexes) const
{
    // Every column of a row comes: a row once, however many.
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && i.model() == this)
            rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<QUrl> urls;
    for (int row : rows)
        urls.append(QUrl::fromLocalFile(index(row, 0).data(LibraryModel::PathRole).toString()));
    if (urls.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}
