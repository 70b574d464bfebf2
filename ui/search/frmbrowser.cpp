#include "ui/search/frmbrowser.h"

#include "platform/messages.h"
#include "ui/controls/plaintooltip.h"
#include "ui/search/pageview.h"
#include "ui_frmbrowser.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDrag>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QIntValidator>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <functional>

namespace {

// The result table hands its rows out as playlist files when dragged.
class ResultTable : public QTableWidget {
public:
    using PlaylistsForRows = std::function<QList<QUrl>(const QList<int>& rows)>;
    ResultTable(PlaylistsForRows playlistsForRows, QWidget* parent)
        : QTableWidget(parent), m_playlistsForRows(std::move(playlistsForRows))
    {
    }

protected:
    void startDrag(Qt::DropActions) override
    {
        const QList<QUrl> files = m_playlistsForRows(frmBrowser::SelectedRows(this));
        if (files.isEmpty())
            return;
        auto* data = new QMimeData;
        data->setUrls(files);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // A copy: the rows stay in the table.
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    }

private:
    PlaylistsForRows m_playlistsForRows;
};

// The search windows are windows of their own to assistive technologies.
QAccessibleInterface* searchWindowAccessible(const QString& className, QObject* object)
{
    if ((className == QLatin1String("frmBrowser") || className == QLatin1String("frmLocalSearch") ||
         className == QLatin1String("frmWhatPlays")) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallSearchWindowAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(searchWindowAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

frmBrowser::frmBrowser(const SearchDeps& deps, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::frmBrowser>()), m_deps(deps)
{
    InstallSearchWindowAccessibility();
    if (!m_deps.network)
        m_deps.network = new QNetworkAccessManager(this);

    m_ui->setupUi(this);
    m_ui->cmdFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_ui->cmdStop->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    m_ui->GenreCombo->addItems(DirectoryGenres());
    m_ui->txtMinBitrate->setValidator(new QIntValidator(0, 9999, m_ui->txtMinBitrate));
    // The short boxes are as wide as what they take, the others have room
    // for a word or two.
    const QFontMetrics metrics = fontMetrics();
    const int padding = 2 * metrics.height();
    m_ui->txtBitrate->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("99999")) + padding);
    m_ui->txtMinBitrate->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("99999")) + padding);
    m_ui->txtCountry->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("WW")) + padding);
    m_ui->txtKeyword->setMinimumWidth(16 * metrics.averageCharWidth());
    m_ui->txtTag->setMinimumWidth(10 * metrics.averageCharWidth());
    m_ui->prgBusy->setMaximumWidth(16 * metrics.averageCharWidth());
    m_ui->prgBusy->hide();

    m_page = new PageView(m_deps.network, this);
    m_page->setObjectName(QStringLiteral("brwWebBrowser"));
    m_page->setAccessibleName(tr("Search result page"));

    m_results = new ResultTable(
        [this](const QList<int>& rows) {
            QList<QUrl> files;
            QStringList failures;
            for (qsizetype i = 0; i < rows.size() && i < kMaxDraggedStations; ++i) {
                QString error;
                const QString path = PlaylistForRow(rows.at(i), &error);
                if (path.isEmpty())
                    failures.append(error);
                else
                    files.append(QUrl::fromLocalFile(path));
            }
            if (rows.size() > kMaxDraggedStations)
                showStatus(tr("Only the first %1 stations are dragged at once; \"Add Station\" adds "
                              "any number.")
                               .arg(kMaxDraggedStations));
            if (!failures.isEmpty() && m_deps.messages)
                m_deps.messages->ShowMessage(FailuresText(failures, qMin<qsizetype>(rows.size(), kMaxDraggedStations)));
            return files;
        },
        this);
    m_results->setObjectName(QStringLiteral("lstResults"));
    m_results->setAccessibleName(tr("Stations found"));
    m_results->setToolTip(tr("Double-click, drag or \"Add Station\" to add a station to the Station List"));
    m_results->setColumnCount(ColumnCount);
    m_results->setHorizontalHeaderLabels(
        {tr("Name"), tr("Codec"), tr("Bit Rate"), tr("Country"), tr("Tags"), tr("Votes")});
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setDragEnabled(true);
    m_results->setDragDropMode(QAbstractItemView::DragOnly);
    m_results->verticalHeader()->hide();
    // The short columns fit their contents; the name and the tags share the rest.
    m_results->horizontalHeader()->setStretchLastSection(false);
    m_results->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_results->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    m_results->horizontalHeader()->setSectionResizeMode(ColTags, QHeaderView::Stretch);
    m_results->setSortingEnabled(true);
    m_results->sortByColumn(ColVotes, Qt::DescendingOrder);
    m_ui->pages->addWidget(m_page);
    m_ui->pages->addWidget(m_results);

    m_rbFetch = new SearchFetch(m_deps.network, 32 * 1024 * 1024, this);
    m_fillTimer = new QTimer(this);
    m_fillTimer->setInterval(0);
    m_fillTimer->setSingleShot(true);
    connect(m_fillTimer, &QTimer::timeout, this, &frmBrowser::fillBatch);
    m_addTimer = new QTimer(this);
    m_addTimer->setInterval(0);
    m_addTimer->setSingleShot(true);
    connect(m_addTimer, &QTimer::timeout, this, &frmBrowser::addBatch);

    connect(m_ui->SearchTypeCombo, &QComboBox::currentIndexChanged, this, [this] { SearchTypeCombo_Click(); });
    connect(m_ui->cmdFind, &QToolButton::clicked, this, &frmBrowser::cmdFind_Click);
    connect(m_ui->txtKeyword, &QLineEdit::returnPressed, this, &frmBrowser::cmdFind_Click);
    connect(m_ui->txtTag, &QLineEdit::returnPressed, this, &frmBrowser::cmdFind_Click);
    connect(m_ui->cmdStop, &QToolButton::clicked, this, &frmBrowser::cmdStop_Click);
    connect(m_ui->cmdAddStation, &QPushButton::clicked, this, &frmBrowser::cmdAddStation_Click);
    connect(m_results, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { lstResults_DblClick(row); });
    connect(m_page, &PageView::loadStarted, this,
            [this](const QUrl& url) { showStatus(tr("Loading %1 ...").arg(url.toDisplayString())); });
    connect(m_page, &PageView::playlistClicked, this, [this](const QUrl& url) {
        if (m_deps.dropOnStationList)
            m_deps.dropOnStationList(url.toString());
    });
    connect(m_page, &PageView::loadFinished, this, [this](bool, const QString& status) { showStatus(status); });
    connect(m_rbFetch, &SearchFetch::started, this,
            [this](const QUrl& url) { showStatus(tr("Searching %1 ...").arg(url.host())); });
    connect(m_rbFetch, &SearchFetch::finished, this, &frmBrowser::showStations);

    // Some thirty lines of results, wide enough for the name column.
    resize(100 * metrics.averageCharWidth(), 30 * metrics.height());
    Form_Load();
}

// A search still running ends quietly with the window.
frmBrowser::~frmBrowser()
{
    m_addTimer->stop();
    m_fillTimer->stop();
    ++m_search;
    for (SearchFetch* fetch : {m_rbFetch, m_page->fetch()}) {
        fetch->blockSignals(true);
        fetch->cancel();
    }
}

void frmBrowser::Form_Load()
{
    m_page->Navigate(QUrl(QStringLiteral("about:blank")));
    m_ui->SearchTypeCombo->setCurrentIndex(Keyword);
    m_ui->GenreCombo->setCurrentIndex(0);
    SearchTypeCombo_Click();
}

void frmBrowser::SetSearchType(SearchType type)
{
    m_ui->SearchTypeCombo->setCurrentIndex(type);
}

void frmBrowser::SearchTypeCombo_Click()
{
    const int type = m_ui->SearchTypeCombo->currentIndex();
    const bool radioBrowser = type == RadioBrowser;
    m_ui->txtKeyword->setEnabled(type == Keyword || radioBrowser);
    m_ui->Label2->setText(radioBrowser ? tr("Name :") : tr("Keyword :"));
    m_ui->txtKeyword->setAccessibleName(radioBrowser ? tr("Name") : tr("Keyword"));
    m_ui->GenreCombo->setEnabled(type == Genre);
    m_ui->txtBitrate->setEnabled(!radioBrowser);
    for (QWidget* w : {static_cast<QWidget*>(m_ui->txtTag), static_cast<QWidget*>(m_ui->txtCountry),
                       static_cast<QWidget*>(m_ui->CodecCombo), static_cast<QWidget*>(m_ui->txtMinBitrate)})
        w->setEnabled(radioBrowser);
    m_page->setVisible(!radioBrowser);
    m_results->setVisible(radioBrowser);
    m_ui->cmdAddStation->setVisible(radioBrowser);
}

RadioBrowserQuery frmBrowser::query() const
{
    RadioBrowserQuery q;
    q.name = m_ui->txtKeyword->text();
    q.tag = m_ui->txtTag->text();
    q.countryCode = m_ui->txtCountry->text();
    q.codec = m_ui->CodecCombo->currentText();
    q.bitrateMin = m_ui->txtMinBitrate->text().toInt();
    return q;
}

void frmBrowser::cmdFind_Click()
{
    switch (m_ui->SearchTypeCombo->currentIndex()) {
    case Keyword:
    case Genre: {
        const QString path = DirectorySearchPath(m_ui->SearchTypeCombo->currentIndex(), m_ui->txtKeyword->text(),
                                                 m_ui->GenreCombo->currentText(), m_ui->txtBitrate->text());
        m_page->Navigate(DirectorySearchUrl(DirectoryHost(), path));
        break;
    }
    case RadioBrowser:
        stopSearch();
        m_stations.clear();
        m_results->setRowCount(0);
        m_rbFetch->start(RadioBrowserSearchUrl(RadioBrowserHost(), query()));
        break;
    default:
        break;
    }
}

void frmBrowser::cmdStop_Click()
{
    m_page->Stop();
    m_rbFetch->cancel();
    if (m_reading || Filling()) {
        stopSearch();
        showStatus(tr("%1 stations are listed; the rest was left out.").arg(m_results->rowCount()));
    }
    if (Adding())
        endAdding(true);
}

// The page and the Radio Browser search may run at once: the window is
// busy while either does, and the status tells of the last event.
void frmBrowser::showStatus(const QString& status)
{
    m_ui->lblStatus->setText(status);
    m_ui->lblStatus->setToolTip(PlainToolTip(status));
    const bool on = m_page->loading() || Searching() || Adding();
    m_ui->prgBusy->setVisible(on);
    m_ui->cmdStop->setEnabled(on);
}
