// The Radio Browser side of the search window: reading the answer away
// from the window's thread, filling the result table and adding the chosen
// stations, each a batch at a time.
#include "platform/messages.h"
#include "ui/controls/plaintooltip.h"
#include "ui/search/frmbrowser.h"
#include "ui_frmbrowser.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

// A batch of work on the window's thread ends after this long.
constexpr int kBatchMs = 30;

} // namespace

// The selected rows of the table, top to bottom.
QList<int> frmBrowser::SelectedRows(const QTableWidget* table)
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Many failures in one message: how many, and the first few reasons.
QString frmBrowser::FailuresText(const QStringList& failures, qsizetype tried)
{
    if (failures.size() == 1)
        return failures.first();
    QString text = tr("%1 of %2 stations could not be added:").arg(failures.size()).arg(tried);
    constexpr int kShown = 10;
    for (qsizetype i = 0; i < failures.size() && i < kShown; ++i)
        text += QStringLiteral("\n") + failures.at(i);
    if (failures.size() > kShown)
        text += tr("\n... and %1 more.").arg(failures.size() - kShown);
    return text;
}

void frmBrowser::showStations(const SearchFetch::Result& result)
{
    // What went wrong with an answer that came is said as it is: no list
    // is read from part of one.
    QString failure;
    switch (result.outcome) {
    case SearchFetch::Done:
        break;
    case SearchFetch::TooLarge:
        failure =
            tr("The directory's answer is larger than %1 MiB; no station was read.").arg(m_rbFetch->maxBytes() >> 20);
        break;
    case SearchFetch::CutShort:
        failure = result.encoded ? tr("The directory's answer could not be unpacked (%1); no station "
                                      "was read.")
                                       .arg(result.error)
                                 : tr("The directory's answer was cut short after %1 bytes; no station "
                                      "was read.")
                                       .arg(result.body.size());
        break;
    default:
        failure = SearchFetch::Describe(result);
        break;
    }
    if (!failure.isEmpty()) {
        showStatus(failure);
        return;
    }
    // A long answer is read on another thread; the table is then filled a
    // batch at a time.
    const quint64 search = ++m_search;
    m_reading = true;
    showStatus(tr("Reading the stations ..."));
    auto* watcher = new QFutureWatcher<RadioBrowserAnswer>(this);
    connect(watcher, &QFutureWatcher<RadioBrowserAnswer>::finished, this, [this, watcher, search] {
        watcher->deleteLater();
        if (search != m_search)
            return;
        m_reading = false;
        const RadioBrowserAnswer answer = watcher->result();
        if (!answer.ok) {
            showStatus(answer.error);
            return;
        }
        m_stations = answer.stations;
        m_skipped = answer.skipped;
        m_fillNext = 0;
        m_results->setSortingEnabled(false);
        fillBatch();
    });
    watcher->setFuture(QtConcurrent::run(ParseRadioBrowserStations, result.body));
}

void frmBrowser::stopSearch()
{
    ++m_search;
    m_reading = false;
    m_fillTimer->stop();
    m_fillNext = m_stations.size();
    m_results->setSortingEnabled(true);
}

void frmBrowser::fillBatch()
{
    QElapsedTimer clock;
    clock.start();
    m_results->setUpdatesEnabled(false);
    while (Filling() && clock.elapsed() < kBatchMs) {
        const int end = int(qMin<qsizetype>(m_stations.size(), m_fillNext + 200));
        m_results->setRowCount(end);
        for (int i = int(m_fillNext); i < end; ++i) {
            const RadioStation& s = m_stations[i];
            auto* name = new QTableWidgetItem(s.name);
            name->setData(Qt::UserRole, i);
            name->setToolTip(PlainToolTip(s.url));
            m_results->setItem(i, ColName, name);
            m_results->setItem(i, ColCodec, new QTableWidgetItem(s.codec));
            auto* bitrate = new QTableWidgetItem;
            bitrate->setData(Qt::DisplayRole, s.bitrate);
            m_results->setItem(i, ColBitrate, bitrate);
            m_results->setItem(i, ColCountry, new QTableWidgetItem(s.countryCode));
            m_results->setItem(i, ColTags, new QTableWidgetItem(s.tags));
            auto* votes = new QTableWidgetItem;
            votes->setData(Qt::DisplayRole, s.votes);
            m_results->setItem(i, ColVotes, votes);
        }
        m_fillNext = end;
    }
    m_results->setUpdatesEnabled(true);
    if (Filling()) {
        showStatus(tr("Listing the stations ... %1 of %2").arg(m_fillNext).arg(m_stations.size()));
        m_fillTimer->start();
        return;
    }
    m_results->setSortingEnabled(true);
    QString status = m_stations.size() == 1 ? tr("1 station found.") : tr("%1 stations found.").arg(m_stations.size());
    if (m_skipped > 0)
        status += tr(" %1 without a stream address left out.").arg(m_skipped);
    showStatus(status);
}

const RadioStation* frmBrowser::StationAt(int row) const
{
    const QTableWidgetItem* item = m_results->item(row, ColName);
    if (!item)
        return nullptr;
    const int index = item->data(Qt::UserRole).toInt();
    return index >= 0 && index < m_stations.size() ? &m_stations[index] : nullptr;
}

QString frmBrowser::PlaylistForRow(int row, QString* error)
{
    const RadioStation* station = StationAt(row);
    if (!station)
        return QString();
    const QString folder = m_deps.stationsFolder.isEmpty() ? StationsFolder() : m_deps.stationsFolder;
    return WriteStationPlaylist(folder, *station, error);
}

void frmBrowser::addRow(int row)
{
    const RadioStation* station = StationAt(row);
    if (!station)
        return;
    const QString name = station->name;
    QString error;
    const QString path = PlaylistForRow(row, &error);
    if (path.isEmpty()) {
        if (m_deps.messages)
            m_deps.messages->ShowMessage(error);
        return;
    }
    if (m_deps.appendStation)
        m_deps.appendStation(name, path);
    m_ui->lblStatus->setText(tr("\"%1\" was added to the Station List.").arg(name));
}

void frmBrowser::cmdAddStation_Click()
{
    if (Adding())
        return;
    m_addQueue.clear();
    for (int row : SelectedRows(m_results)) {
        if (const RadioStation* station = StationAt(row))
            m_addQueue.append(*station);
    }
    m_addNext = 0;
    m_added = 0;
    m_addFailures.clear();
    if (m_addQueue.isEmpty())
        return;
    addBatch();
}

// Each batch ends after a few milliseconds, so the window keeps working.
void frmBrowser::addBatch()
{
    QElapsedTimer clock;
    clock.start();
    const QString folder = m_deps.stationsFolder.isEmpty() ? StationsFolder() : m_deps.stationsFolder;
    while (Adding() && clock.elapsed() < kBatchMs) {
        const RadioStation station = m_addQueue.at(m_addNext++);
        QString error;
        const QString path = WriteStationPlaylist(folder, station, &error);
        if (path.isEmpty()) {
            m_addFailures.append(QStringLiteral("%1: %2").arg(station.name, error));
            continue;
        }
        ++m_added;
        if (m_deps.appendStation)
            m_deps.appendStation(station.name, path);
    }
    if (!Adding()) {
        endAdding(false);
        return;
    }
    showStatus(tr("Adding stations ... %1 of %2").arg(m_addNext).arg(m_addQueue.size()));
    m_addTimer->start();
}

void frmBrowser::endAdding(bool stopped)
{
    m_addTimer->stop();
    const qsizetype tried = m_addNext;
    const QString one = m_addQueue.isEmpty() ? QString() : m_addQueue.first().name;
    m_addQueue.clear();
    m_addNext = 0;
    QString status;
    if (m_added == 1 && tried == 1)
        status = tr("\"%1\" was added to the Station List.").arg(one);
    else
        status = tr("%1 stations were added to the Station List.").arg(m_added);
    if (stopped)
        status += tr(" Adding was stopped.");
    showStatus(status);
    if (!m_addFailures.isEmpty() && m_deps.messages)
        m_deps.messages->ShowMessage(FailuresText(m_addFailures, tried));
    m_addFailures.clear();
}

void frmBrowser::lstResults_DblClick(int row)
{
    addRow(row);
}
