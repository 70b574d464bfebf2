#include "ui/search/frmwhatplays.h"

#include "recorder/songrules.h"
#include "ui/panel/rulelists.h"
#include "ui/search/frmbrowser.h"
#include "ui/shell/dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// How long the search waits after the last key press.
constexpr int kTypingMs = 300;

QTableView* tableView(const QString& name, const QString& accessibleName, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setAccessibleName(accessibleName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}
} // namespace

frmWhatPlays::frmWhatPlays(const WhatPlaysDeps& deps, QWidget* parent)
    : QWidget(parent), m_deps(deps), m_reader(std::make_unique<HistoryReader>(
                                         deps.historyPath.isEmpty() ? HistoryStore::DefaultPath() : deps.historyPath))
{
    InstallSearchWindowAccessibility();
    if (m_deps.listsFolder.isEmpty())
        m_deps.listsFolder = SongRulesFolder();
    if (!m_deps.now)
        m_deps.now = [] { return QDateTime::currentDateTime(); };
    m_titles = new TitleChartModel(*m_reader, this);
    m_plays = new TitlePlaysModel(*m_reader, this);
    build();
    connect(m_reader.get(), &HistoryReader::stations, this,
            [this](int, const QStringList& names) { showStations(names); });
    connect(m_reader.get(), &HistoryReader::notice, this, [this](const QString& text) { say(text); });
    connect(m_titles, &PagedHistoryModel::pageRead, this, &frmWhatPlays::showCount);
    connect(m_titles, &QAbstractItemModel::modelReset, this, &frmWhatPlays::titleChosen);
    const QFontMetrics metrics = fontMetrics();
    resize(90 * metrics.averageCharWidth(), 32 * metrics.height());
    Refresh();
}

// The thread reading the history ends after the question it is at.
frmWhatPlays::~frmWhatPlays() = default;

void frmWhatPlays::build()
{
    setObjectName(QStringLiteral("frmWhatPlays"));
    setWindowTitle(tr("What Plays Where"));
    setAccessibleName(windowTitle());

    m_period = new QComboBox(this);
    m_period->setObjectName(QStringLiteral("cboPeriod"));
    m_period->setAccessibleName(tr("Period"));
    m_period->addItem(tr("Today"), int(ChartPeriod::Today));
    m_period->addItem(tr("This Week"), int(ChartPeriod::ThisWeek));
    m_period->addItem(tr("This Month"), int(ChartPeriod::ThisMonth));
    m_period->addItem(tr("All"), int(ChartPeriod::All));
    m_period->setCurrentIndex(m_period->count() - 1);
    m_station = new QComboBox(this);
    m_station->setObjectName(QStringLiteral("cboStation"));
    m_station->setAccessibleName(tr("Station"));
    m_station->addItem(tr("All Stations"), QString());
    m_station->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("txtSearch"));
    m_search->setAccessibleName(tr("Search titles"));
    m_search->setPlaceholderText(tr("Search titles"));
    m_search->setClearButtonEnabled(true);

    auto* filters = new QHBoxLayout;
    auto* periodLabel = new QLabel(tr("&Period:"), this);
    periodLabel->setBuddy(m_period);
    auto* stationLabel = new QLabel(tr("S&tation:"), this);
    stationLabel->setBuddy(m_station);
    filters->addWidget(periodLabel);
    filters->addWidget(m_period);
    filters->addWidget(stationLabel);
    filters->addWidget(m_station);
    filters->addWidget(m_search, 1);

    m_titleView = tableView(QStringLiteral("lstTitles"), tr("Most played titles"), this);
    m_titleView->setModel(m_titles);
    m_titleView->horizontalHeader()->setSectionResizeMode(TitleChartModel::TitleColumn, QHeaderView::Stretch);
    m_titleView->horizontalHeader()->setStretchLastSection(false);
    m_playView = tableView(QStringLiteral("lstPlays"), tr("Where and when the title was heard"), this);
    m_playView->setModel(m_plays);
    auto* tables = new QSplitter(Qt::Vertical, this);
    tables->setObjectName(QStringLiteral("splTables"));
    tables->addWidget(m_titleView);
    tables->addWidget(m_playView);
    tables->setStretchFactor(0, 3);
    tables->setStretchFactor(1, 2);

    m_addWish = new QAction(tr("Add to Wish List"), this);
    m_addIgnore = new QAction(tr("Add to Ignore List"), this);
    m_openFile = new QAction(tr("Open File"), this);
    connect(m_addWish, &QAction::triggered, this, &frmWhatPlays::AddToWishList);
    connect(m_addIgnore, &QAction::triggered, this, &frmWhatPlays::AddToIgnoreList);
    connect(m_openFile, &QAction::triggered, this, &frmWhatPlays::OpenFile);
    auto* buttons = new QHBoxLayout;
    const std::pair<QAction*, const char*> actions[] = {
        {m_addWish, "cmdAddWish"}, {m_addIgnore, "cmdAddIgnore"}, {m_openFile, "cmdOpenFile"}};
    for (const auto& [action, name] : actions) {
        auto* button = new QPushButton(action->text(), this);
        button->setObjectName(QLatin1String(name));
        button->setAccessibleName(action->text());
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(tables, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    m_typing.setSingleShot(true);
    m_typing.setInterval(kTypingMs);
    connect(&m_typing, &QTimer::timeout, this, &frmWhatPlays::applyFilter);
    connect(m_search, &QLineEdit::textChanged, this, [this] { m_typing.start(); });
    connect(m_search, &QLineEdit::returnPressed, this, &frmWhatPlays::applyFilter);
    connect(m_period, &QComboBox::currentIndexChanged, this, &frmWhatPlays::applyFilter);
    connect(m_station, &QComboBox::currentIndexChanged, this, &frmWhatPlays::applyFilter);
    connect(m_titleView->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &frmWhatPlays::titleChosen);
    for (QTableView* view : {m_titleView, m_playView}) {
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            auto* menu = new QMenu(this);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->addActions({m_addWish, m_addIgnore, m_openFile});
            menu->popup(view->viewport()->mapToGlobal(at));
        });
    }
    connect(m_playView, &QAbstractItemView::doubleClicked, this, &frmWhatPlays::OpenFile);
    for (QAction* action : {m_addWish, m_addIgnore, m_openFile})
        action->setEnabled(false);
}

ChartFilter frmWhatPlays::CurrentFilter() const
{
    ChartFilter filter;
    filter.since =
        ChartPeriodStart(ChartPeriod(m_period->currentData().toInt()), m_deps.now(), QLocale().firstDayOfWeek());
    filter.station = m_station->currentData().toString();
    filter.search = m_search->text().trimmed();
    return filter;
}

void frmWhatPlays::Refresh()
{
    m_reader->AskStations();
    applyFilter();
}

void frmWhatPlays::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // What was heard since the window was last open shows when it opens again.
    if (!event->spontaneous() && !m_titles->Loading())
        Refresh();
}

void frmWhatPlays::applyFilter()
{
    m_typing.stop();
    m_said.clear();
    m_titles->SetFilter(CurrentFilter());
    showCount();
}

void frmWhatPlays::showStations(const QStringList& names)
{
    const QString chosen = m_station->currentData().toString();
    const QSignalBlocker quiet(m_station);
    while (m_station->count() > 1)
        m_station->removeItem(1);
    for (const QString& name : names)
        m_station->addItem(name, name);
    const int at = m_station->findData(chosen);
    m_station->setCurrentIndex(at < 0 ? 0 : at);
    // A station chosen that is no longer there: all stations are shown.
    if (at < 0 && !chosen.isEmpty())
        applyFilter();
}

void frmWhatPlays::titleChosen()
{
    const QModelIndex current = m_titleView->selectionModel()->currentIndex();
    const TitleCount* row = current.isValid() ? m_titles->Row(current.row()) : nullptr;
    ChartFilter filter = m_titles->Filter();
    m_plays->SetTitle(row ? row->title : QString(), filter);
    for (QAction* action : {m_addWish, m_addIgnore, m_openFile})
        action->setEnabled(row != nullptr);
}

void frmWhatPlays::showCount()
{
    QString text;
    const int rows = m_titles->rowCount();
    if (m_titles->Loading() && rows == 0)
        text = tr("Reading the title history...");
    else if (rows == 0 && !m_titles->Filter().search.isEmpty())
        text = tr("No title heard in this period holds \"%1\".").arg(m_titles->Filter().search);
    else if (rows == 0)
        text = tr("No title was heard in this period.");
    else
        text = m_titles->canFetchMore({}) ? tr("The %1 most played titles (scroll for more)").arg(rows)
                                          : tr("%1 titles").arg(rows);
    m_status->setText(m_said.isEmpty() ? text : m_said);
}

QString frmWhatPlays::Status() const
{
    return m_status->text();
}

void frmWhatPlays::say(const QString& text)
{
    m_said = text;
    m_status->setText(text);
}

QString frmWhatPlays::chosenTitle() const
{
    return m_plays->Title();
}

QString frmWhatPlays::chosenFile() const
{
    const QModelIndex play = m_playView->selectionModel()->currentIndex();
    if (const Play* row = play.isValid() ? m_plays->Row(play.row()) : nullptr)
        return row->file;
    // The newest file saved of it that is still there, else the newest named.
    QString named;
    for (int r = 0; r < m_plays->rowCount(); ++r) {
        const QString file = m_plays->Row(r)->file;
        if (file.isEmpty())
            continue;
        if (QFileInfo::exists(file))
            return file;
        if (named.isEmpty())
            named = file;
    }
    return named;
}

void frmWhatPlays::AddToWishList()
{
    addTo(kWishListFile);
}

void frmWhatPlays::AddToIgnoreList()
{
    addTo(kIgnoreListFile);
}

void frmWhatPlays::addTo(const char* file)
{
    const QString title = chosenTitle();
    if (title.isEmpty())
        return;
    QString message;
    AddTitleToList(m_deps.listsFolder, file, title, &message);
    say(message);
}

void frmWhatPlays::OpenFile()
{
    const QString title = chosenTitle();
    if (title.isEmpty())
        return;
    const QString file = chosenFile();
    if (file.isEmpty()) {
        say(tr("No file was saved of \"%1\".").arg(title));
        return;
    }
    const QString shown = QDir::toNativeSeparators(file);
    if (!QFileInfo::exists(file)) {
        say(tr("The file %1 is no longer there.").arg(shown));
        return;
    }
    QPointer<frmWhatPlays> self(this);
    const auto failed = [self, shown] {
        if (self)
            self->say(tr("No program could open %1.").arg(shown));
    };
    if (!m_deps.urls || !m_deps.urls->OpenUrl(QUrl::fromLocalFile(file), failed))
        failed();
    else
        say(tr("Opening %1").arg(shown));
}
