#include "ui/search/frmbrowser.h"

#include "platform/messages.h"
#include "ui/controls/elidedlabel.h"
#include "ui/search/pageview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBoxLayout>
#include <QComboBox>
#include <QDrag>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <functional>

namespace {

// Window measures are kept in twips: 15 to the pixel.
constexpr int twips(int t)
{
    return t / 15;
}

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

QLabel* label(const QString& text, QWidget* parent, const char* name)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit* textBox(const QString& text, const QString& accessible, QWidget* parent, const char* name)
{
    auto* t = new QLineEdit(text, parent);
    t->setObjectName(QLatin1String(name));
    t->setAccessibleName(accessible);
    return t;
}

// The search windows are windows of their own to assistive technologies.
QAccessibleInterface* searchWindowAccessible(const QString& className, QObject* object)
{
    if ((className == QLatin1String("frmBrowser") || className == QLatin1String("frmLocalSearch")) &&
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

frmBrowser::frmBrowser(const SearchDeps& deps, QWidget* parent) : QWidget(parent), m_deps(deps)
{
    InstallSearchWindowAccessibility();
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowTitle(tr("ShoutCast Searcher"));
    if (!m_deps.network)
        m_deps.network = new QNetworkAccessManager(this);

    Frame1 = new QGroupBox(tr("Search Option (you can drag/drop URL to List)"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = label(tr("Search by :"), Frame1, "Label1");
    SearchTypeCombo = new QComboBox(Frame1);
    SearchTypeCombo->setObjectName(QStringLiteral("SearchTypeCombo"));
    SearchTypeCombo->setAccessibleName(tr("Search by"));
    SearchTypeCombo->addItems({tr("Keyword"), tr("Genre"), tr("Radio Browser")});
    Label2 = label(tr("Keyword :"), Frame1, "Label2");
    txtKeyword = textBox(QStringLiteral("World"), tr("Keyword"), Frame1, "txtKeyword");
    Label3 = label(tr("Genre :"), Frame1, "Label3");
    GenreCombo = new QComboBox(Frame1);
    GenreCombo->setObjectName(QStringLiteral("GenreCombo"));
    GenreCombo->setAccessibleName(tr("Genre"));
    GenreCombo->addItems(DirectoryGenres());
    Label4 = label(tr("Bitrate:"), Frame1, "Label4");
    txtBitrate = textBox(QStringLiteral("24"), tr("Bitrate"), Frame1, "txtBitrate");
    txtBitrate->setMaximumWidth(60);
    Label5 = label(tr("Kb/s (9999 = all bitrate)"), Frame1, "Label5");
    cmdFind = new QToolButton(Frame1);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    cmdFind->setToolTip(tr("Find"));
    cmdFind->setAccessibleName(tr("Find"));
    cmdStop = new QToolButton(Frame1);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    cmdStop->setToolTip(tr("Stop"));
    cmdStop->setAccessibleName(tr("Stop"));
    cmdStop->setEnabled(false);

    lblTag = label(tr("Tag :"), Frame1, "lblTag");
    txtTag = textBox(QString(), tr("Tag"), Frame1, "txtTag");
    lblCountry = label(tr("Country code :"), Frame1, "lblCountry");
    txtCountry = textBox(QString(), tr("Country code"), Frame1, "txtCountry");
    txtCountry->setMaxLength(2);
    txtCountry->setMaximumWidth(40);
    lblCodec = label(tr("Codec :"), Frame1, "lblCodec");
    CodecCombo = new QComboBox(Frame1);
    CodecCombo->setObjectName(QStringLiteral("CodecCombo"));
    CodecCombo->setAccessibleName(tr("Codec"));
    CodecCombo->addItems({QString(), QStringLiteral("MP3"), QStringLiteral("AAC"), QStringLiteral("AAC+")});
    lblMinBitrate = label(tr("Min. Kb/s :"), Frame1, "lblMinBitrate");
    txtMinBitrate = textBox(QStringLiteral("0"), tr("Minimum bitrate"), Frame1, "txtMinBitrate");
    txtMinBitrate->setValidator(new QIntValidator(0, 9999, txtMinBitrate));
    txtMinBitrate->setMaximumWidth(60);

    // Two rows: the search itself, then the bit rate and the Radio Browser
    // filters.
    auto* rows = new QVBoxLayout(Frame1);
    auto* first = new QHBoxLayout;
    first->addWidget(Label1);
    first->addWidget(SearchTypeCombo);
    first->addWidget(Label2);
    first->addWidget(txtKeyword, 2);
    first->addWidget(Label3);
    first->addWidget(GenreCombo, 1);
    first->addWidget(cmdFind);
    first->addWidget(cmdStop);
    auto* second = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, txtBitrate, Label5, lblTag})
        second->addWidget(w);
    second->addWidget(txtTag, 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblCountry, txtCountry, lblCodec, CodecCombo, lblMinBitrate, txtMinBitrate})
        second->addWidget(w);
    rows->addLayout(first);
    rows->addLayout(second);
    txtKeyword->setMinimumWidth(120);
    txtTag->setMinimumWidth(80);

    brwWebBrowser = new PageView(m_deps.network, this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->setAccessibleName(tr("Search result page"));

    lstResults = new ResultTable(
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
    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->setAccessibleName(tr("Stations found"));
    lstResults->setToolTip(tr("Double-click, drag or \"Add Station\" to add a station to the Station List"));
    lstResults->setColumnCount(ColumnCount);
    lstResults->setHorizontalHeaderLabels(
        {tr("Name"), tr("Codec"), tr("Bit Rate"), tr("Country"), tr("Tags"), tr("Votes")});
    lstResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstResults->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResults->setDragEnabled(true);
    lstResults->setDragDropMode(QAbstractItemView::DragOnly);
    lstResults->verticalHeader()->hide();
    // The short columns fit their contents; the name and the tags share the rest.
    lstResults->horizontalHeader()->setStretchLastSection(false);
    lstResults->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstResults->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    lstResults->horizontalHeader()->setSectionResizeMode(ColTags, QHeaderView::Stretch);
    lstResults->setSortingEnabled(true);
    lstResults->sortByColumn(ColVotes, Qt::DescendingOrder);

    lblStatus = new ElidedLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    prgBusy = new QProgressBar(this);
    prgBusy->setObjectName(QStringLiteral("prgBusy"));
    prgBusy->setAccessibleName(tr("Searching"));
    prgBusy->setRange(0, 0);
    prgBusy->setTextVisible(false);
    prgBusy->hide();
    cmdAddStation = new QPushButton(tr("Add Station"), this);
    cmdAddStation->setObjectName(QStringLiteral("cmdAddStation"));
    cmdAddStation->setAccessibleName(tr("Add Station"));

    m_rbFetch = new SearchFetch(m_deps.network, 32 * 1024 * 1024, this);
    m_fillTimer = new QTimer(this);
    m_fillTimer->setInterval(0);
    m_fillTimer->setSingleShot(true);
    connect(m_fillTimer, &QTimer::timeout, this, &frmBrowser::fillBatch);
    m_addTimer = new QTimer(this);
    m_addTimer->setInterval(0);
    m_addTimer->setSingleShot(true);
    connect(m_addTimer, &QTimer::timeout, this, &frmBrowser::addBatch);

    connect(SearchTypeCombo, &QComboBox::currentIndexChanged, this, [this] { SearchTypeCombo_Click(); });
    connect(cmdFind, &QToolButton::clicked, this, &frmBrowser::cmdFind_Click);
    connect(txtKeyword, &QLineEdit::returnPressed, this, &frmBrowser::cmdFind_Click);
    connect(txtTag, &QLineEdit::returnPressed, this, &frmBrowser::cmdFind_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmBrowser::cmdStop_Click);
    connect(cmdAddStation, &QPushButton::clicked, this, &frmBrowser::cmdAddStation_Click);
    connect(lstResults, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { lstResults_DblClick(row); });
    connect(brwWebBrowser, &PageView::loadStarted, this,
            [this](const QUrl& url) { showStatus(tr("Loading %1 ...").arg(url.toDisplayString())); });
    connect(brwWebBrowser, &PageView::playlistClicked, this, [this](const QUrl& url) {
        if (m_deps.dropOnStationList)
            m_deps.dropOnStationList(url.toString());
    });
    connect(brwWebBrowser, &PageView::loadFinished, this, [this](bool, const QString& status) { showStatus(status); });
    connect(m_rbFetch, &SearchFetch::started, this,
            [this](const QUrl& url) { showStatus(tr("Searching %1 ...").arg(url.host())); });
    connect(m_rbFetch, &SearchFetch::finished, this, &frmBrowser::showStations);

    resize(760, 540);
    // Never narrower than the search options need.
    setMinimumSize(Frame1->minimumSizeHint().width() + twips(400), 300);
    Form_Load();
}

// A search still running ends quietly with the window.
frmBrowser::~frmBrowser()
{
    m_addTimer->stop();
    m_fillTimer->stop();
    ++m_search;
    for (SearchFetch* fetch : {m_rbFetch, brwWebBrowser->fetch()}) {
        fetch->blockSignals(true);
        fetch->cancel();
    }
}

void frmBrowser::Form_Load()
{
    Form_Resize();
    brwWebBrowser->Navigate(QUrl(QStringLiteral("about:blank")));
    SearchTypeCombo->setCurrentIndex(Keyword);
    GenreCombo->setCurrentIndex(0);
    SearchTypeCombo_Click();
}

void frmBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmBrowser::Form_Resize()
{
    const int left = twips(100);
    Frame1->move(left, twips(100));
    Frame1->resize(qMax(0, width() - Frame1->x() - twips(300)), Frame1->sizeHint().height());
    const int top = Frame1->y() + Frame1->height() + twips(60);
    const int w = qMax(0, width() - twips(200));
    const int h = qMax(0, height() - (Frame1->y() + Frame1->height() + txtKeyword->height()) - twips(300));
    brwWebBrowser->setGeometry(left, top, w, h);
    lstResults->setGeometry(left, top, w, h);
    // The status line under the page.
    const int y = top + h + twips(60);
    const int rowH = cmdAddStation->sizeHint().height();
    cmdAddStation->setGeometry(left + w - cmdAddStation->sizeHint().width(), y, cmdAddStation->sizeHint().width(),
                               rowH);
    prgBusy->setGeometry(cmdAddStation->x() - 130, y, 120, rowH);
    lblStatus->setGeometry(left, y, qMax(0, prgBusy->x() - left - 8), rowH);
}

void frmBrowser::SearchTypeCombo_Click()
{
    const int type = SearchTypeCombo->currentIndex();
    const bool radioBrowser = type == RadioBrowser;
    txtKeyword->setEnabled(type == Keyword || radioBrowser);
    Label2->setText(radioBrowser ? tr("Name :") : tr("Keyword :"));
    txtKeyword->setAccessibleName(radioBrowser ? tr("Name") : tr("Keyword"));
    GenreCombo->setEnabled(type == Genre);
    txtBitrate->setEnabled(!radioBrowser);
    for (QWidget* w : {static_cast<QWidget*>(txtTag), static_cast<QWidget*>(txtCountry),
                       static_cast<QWidget*>(CodecCombo), static_cast<QWidget*>(txtMinBitrate)})
        w->setEnabled(radioBrowser);
    brwWebBrowser->setVisible(!radioBrowser);
    lstResults->setVisible(radioBrowser);
    cmdAddStation->setVisible(radioBrowser);
}

RadioBrowserQuery frmBrowser::query() const
{
    RadioBrowserQuery q;
    q.name = txtKeyword->text();
    q.tag = txtTag->text();
    q.countryCode = txtCountry->text();
    q.codec = CodecCombo->currentText();
    q.bitrateMin = txtMinBitrate->text().toInt();
    return q;
}

void frmBrowser::cmdFind_Click()
{
    switch (SearchTypeCombo->currentIndex()) {
    case Keyword:
    case Genre: {
        const QString path = DirectorySearchPath(SearchTypeCombo->currentIndex(), txtKeyword->text(),
                                                 GenreCombo->currentText(), txtBitrate->text());
        brwWebBrowser->Navigate(DirectorySearchUrl(DirectoryHost(), path));
        break;
    }
    case RadioBrowser:
        stopSearch();
        m_stations.clear();
        lstResults->setRowCount(0);
        m_rbFetch->start(RadioBrowserSearchUrl(RadioBrowserHost(), query()));
        break;
    default:
        break;
    }
}

void frmBrowser::cmdStop_Click()
{
    brwWebBrowser->Stop();
    m_rbFetch->cancel();
    if (m_reading || Filling()) {
        stopSearch();
        showStatus(tr("%1 stations are listed; the rest was left out.").arg(lstResults->rowCount()));
    }
    if (Adding())
        endAdding(true);
}

// The page and the Radio Browser search may run at once: the window is
// busy while either does, and the status tells of the last event.
void frmBrowser::showStatus(const QString& status)
{
    lblStatus->setText(status);
    lblStatus->setToolTip(status);
    const bool on = brwWebBrowser->loading() || Searching() || Adding();
    prgBusy->setVisible(on);
    cmdStop->setEnabled(on);
}
