#include "ui/search/whatplaysmodel.h"

#include <QDir>
#include <QLocale>

namespace {
QString timeText(const QDateTime& time)
{
    return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : QString();
}
} // namespace

PagedHistoryModel::PagedHistoryModel(HistoryReader& reader, QObject* parent)
    : QAbstractTableModel(parent), m_reader(reader)
{
}

bool PagedHistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_more && m_waiting == 0;
}

void PagedHistoryModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        m_waiting = ask(loadedRows());
}

void PagedHistoryModel::restart()
{
    m_more = false;
    m_waiting = ask(0);
}

bool PagedHistoryModel::answered(int question, std::size_t rows)
{
    if (question != m_waiting)
        return false;
    m_waiting = 0;
    m_more = rows == std::size_t(kPageRows);
    return true;
}

TitleChartModel::TitleChartModel(HistoryReader& reader, QObject* parent) : PagedHistoryModel(reader, parent)
{
    connect(&reader, &HistoryReader::topTitles, this, [this](int question, const std::vector<TitleCount>& page) {
        if (!answered(question, page.size()))
            return;
        if (!page.empty()) {
            beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size()) - 1);
            m_rows.insert(m_rows.end(), page.begin(), page.end());
            endInsertRows();
        }
        emit pageRead();
    });
}

void TitleChartModel::SetFilter(const ChartFilter& filter)
{
    m_filter = filter;
    beginResetModel();
    m_rows.clear();
    endResetModel();
    restart();
}

int TitleChartModel::ask(int offset)
{
    return m_reader.AskTopTitles(m_filter, offset, kPageRows);
}

const TitleCount* TitleChartModel::Row(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[std::size_t(row)] : nullptr;
}

int TitleChartModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TitleChartModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant TitleChartModel::data(const QModelIndex& index, int role) const
{
    const TitleCount* row = Row(index.row());
    if (!row)
        return {};
    if (role == Qt::TextAlignmentRole && (index.column() == PlaysColumn || index.column() == StationsColumn))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case TitleColumn:
        return row->title;
    case PlaysColumn:
        return row->plays;
    case StationsColumn:
        return row->stations;
    case LastColumn:
        return timeText(row->last);
    }
    return {};
}

QVariant TitleChartModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case PlaysColumn:
        return tr("Plays");
    case StationsColumn:
        return tr("Stations");
    case LastColumn:
        return tr("Last Heard");
    }
    return {};
}

TitlePlaysModel::TitlePlaysModel(HistoryReader& reader, QObject* parent) : PagedHistoryModel(reader, parent)
{
    connect(&reader, &HistoryReader::playsOf, this, [this](int question, const std::vector<Play>& page) {
        if (!answered(question, page.size()))
            return;
        if (!page.empty()) {
            beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size()) - 1);
            m_rows.insert(m_rows.end(), page.begin(), page.end());
            endInsertRows();
        }
        emit pageRead();
    });
}

void TitlePlaysModel::SetTitle(const QString& title, const ChartFilter& filter)
{
    m_title = title;
    m_filter = filter;
    beginResetModel();
    m_rows.clear();
    endResetModel();
    if (!title.isEmpty())
        restart();
}

int TitlePlaysModel::ask(int offset)
{
    return m_reader.AskPlaysOf(m_title, m_filter, offset, kPageRows);
}

const Play* TitlePlaysModel::Row(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[std::size_t(row)] : nullptr;
}

int TitlePlaysModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TitlePlaysModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QString TitlePlaysModel::StateText(const QString& state)
{
    if (state == QLatin1String(kPlayComplete))
        return tr("complete");
    if (state == QLatin1String(kPlayIncomplete))
        return tr("incomplete");
    if (state == QLatin1String(kPlaySkipped))
        return tr("skipped");
    if (state == QLatin1String(kPlayVersion))
        return tr("version");
    return state.isEmpty() ? tr("playing") : state;
}

QVariant TitlePlaysModel::data(const QModelIndex& index, int role) const
{
    const Play* row = Row(index.row());
    if (!row || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    switch (index.column()) {
    case StationColumn:
        return role == Qt::ToolTipRole && !row->address.isEmpty() ? row->station + QLatin1Char('\n') + row->address
                                                                  : row->station;
    case StartColumn:
        return timeText(row->start);
    case StateColumn:
        return StateText(row->state);
    case FileColumn:
        return QDir::toNativeSeparators(row->file);
    }
    return {};
}

QVariant TitlePlaysModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case StationColumn:
        return tr("Station");
    case StartColumn:
        return tr("Heard");
    case StateColumn:
        return tr("State");
    case FileColumn:
        return tr("File");
    }
    return {};
}
