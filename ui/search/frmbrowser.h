#pragma once

#include "sources/searchfetch.h"
#include "sources/stationsearch.h"
#include "ui/search/searchdeps.h"

#include <QWidget>
#include <memory>

class PageView;
class QTableWidget;
class QTimer;
namespace Ui {
class frmBrowser;
}

// Makes the search windows known as windows to assistive technologies.
void InstallSearchWindowAccessibility();

// "ShoutCast Searcher": searches the station directory by keyword or genre
// and shows its result page, from which a station's playlist link is
// dragged onto the panel's station list; or searches Radio Browser and
// lists the stations found, which are added by drag, double click or
// "Add Station" as playlist files of the user's "Stations" folder.
class frmBrowser : public QWidget {
    Q_OBJECT
public:
    enum SearchType { Keyword = 0, Genre = 1, RadioBrowser = 2 };
    // Result table columns.
    enum Column { ColName, ColCodec, ColBitrate, ColCountry, ColTags, ColVotes, ColumnCount };

    explicit frmBrowser(const SearchDeps& deps, QWidget* parent = nullptr);
    ~frmBrowser() override;

    // Shows the search of that type, as if chosen in "Search by".
    void SetSearchType(SearchType type);
    void SearchTypeCombo_Click();
    void cmdFind_Click();
    void cmdStop_Click();
    void cmdAddStation_Click();
    void lstResults_DblClick(int row);

    // The stations of the last Radio Browser search, in the server's order.
    const QList<RadioStation>& Stations() const { return m_stations; }
    // The station shown in a table row (as sorted), null for none.
    const RadioStation* StationAt(int row) const;
    // Writes the row's playlist file; its path, or "" with `error` set.
    QString PlaylistForRow(int row, QString* error);
    // Stations chosen with "Add Station" are added a batch at a time, the
    // window working between batches; failures are told in one message
    // at the end.
    bool Adding() const { return m_addNext < m_addQueue.size(); }
    // A Radio Browser search is fetched, read or listed.
    bool Searching() const { return m_rbFetch->running() || m_reading || Filling(); }
    // The selected rows of a table, top to bottom.
    static QList<int> SelectedRows(const QTableWidget* table);
    // Many failures in one message: how many, and the first few reasons.
    static QString FailuresText(const QStringList& failures, qsizetype tried);
    // At most this many stations are handed over by one drag.
    static constexpr int kMaxDraggedStations = 200;
    SearchFetch* RadioBrowserFetch() const { return m_rbFetch; }

private:
    void Form_Load();
    void showStatus(const QString& status);
    void showStations(const SearchFetch::Result& result);
    void addRow(int row);
    bool Filling() const { return m_fillNext < m_stations.size(); }
    void fillBatch();
    // Ends reading and listing the last answer.
    void stopSearch();
    void addBatch();
    void endAdding(bool stopped);
    RadioBrowserQuery query() const;

    std::unique_ptr<Ui::frmBrowser> m_ui;
    // The directory's result page and the Radio Browser stations share the
    // room under the options; one of them is shown.
    PageView* m_page = nullptr;
    QTableWidget* m_results = nullptr;
    SearchDeps m_deps;
    SearchFetch* m_rbFetch = nullptr;
    QList<RadioStation> m_stations;
    int m_skipped = 0;
    quint64 m_search = 0;
    bool m_reading = false;
    qsizetype m_fillNext = 0;
    QTimer* m_fillTimer = nullptr;
    QList<RadioStation> m_addQueue;
    qsizetype m_addNext = 0;
    int m_added = 0;
    QStringList m_addFailures;
    QTimer* m_addTimer = nullptr;
};
