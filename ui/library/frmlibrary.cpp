#include "ui/library/frmlibrary.h"

#include "recorder/filecover.h"
#include "ui/display/coverthumb.h"
#include "ui/library/librarymodel.h"
#include "ui/library/libraryplayerbar.h"
#include "ui/library/libraryscanner.h"
#include "ui/library/librarytidy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>

frmLibrary::frmLibrary(const QString& historyPath, const QStringList& folders, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_model(new LibraryModel(this)), m_filter(new LibraryFilter(this)),
      m_scanner(new LibraryScanner(*m_model, this)), m_watcher(new QFileSystemWatcher(this)),
      m_rescanSoon(new QTimer(this))
{
    setObjectName(QStringLiteral("frmLibrary"));
    setWindowTitle(tr("Recordings"));
    m_scanner->SetSources(historyPath, folders);
    connect(m_scanner, &LibraryScanner::problem, this, &frmLibrary::say);
    m_filter->setSourceModel(m_model);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("txtSearch"));
    m_search->setPlaceholderText(tr("Search"));
    m_search->setAccessibleName(tr("Search the recordings"));
    m_search->setClearButtonEnabled(true);
    m_station = new QComboBox(this);
    m_station->setObjectName(QStringLiteral("cboStation"));
    m_station->setAccessibleName(tr("Station"));
    m_station->addItem(tr("All stations"), QString());
    m_sinceOn = new QCheckBox(tr("Since"), this);
    m_sinceOn->setObjectName(QStringLiteral("chkSince"));
    m_sinceOn->setAccessibleName(tr("Only recordings since a day"));
    m_since = new QDateEdit(QDate::currentDate(), this);
    m_since->setObjectName(QStringLiteral("dteSince"));
    m_since->setAccessibleName(tr("First day"));
    m_since->setCalendarPopup(true);
    m_since->setEnabled(false);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblRecordings"));
    m_table->setAccessibleName(tr("Recordings"));
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LibraryModel::DateColumn, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setDragEnabled(true);
    m_table->setDragDropMode(QAbstractItemView::DragOnly);
    m_table->verticalHeader()->hide();
    // Fixed row heights keep 100,000 rows cheap to lay out.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_player = new LibraryPlayerBar(*m_filter, *m_table->selectionModel(), this);
    connect(m_player, &LibraryPlayerBar::problem, this, &frmLibrary::say);
    connect(m_player, &LibraryPlayerBar::playingStarted, this, &frmLibrary::playingStarted);
    connect(m_table, &QTableView::doubleClicked, m_player,
            [this](const QModelIndex& i) { m_player->PlayRow(i.row()); });
    m_cover = new CoverThumb(this);
    m_cover->setObjectName(QStringLiteral("imgCover"));
    m_cover->setFixedSize(64, 64);
    connect(m_player, &LibraryPlayerBar::playingStarted, this, [this] { showCoverOf(m_player->Playing()); });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_player->Playing().isEmpty())
                    showCoverOf(current.data(LibraryModel::PathRole).toString());
            });

    auto button = [this](const char* name, const QString& caption, void (frmLibrary::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(caption.simplified().remove(QLatin1Char('&')));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    QPushButton* rename = button("cmdRename", tr("Rename"), &frmLibrary::renameSelected);
    QPushButton* tag = button("cmdEditTag", tr("Edit Tag"), &frmLibrary::editTagOfSelected);
    QPushButton* trash = button("cmdTrash", tr("Move to Trash"), &frmLibrary::trashSelected);
    QPushButton* folder = button("cmdOpenFolder", tr("Open Folder"), &frmLibrary::openFolderOfSelected);
    QPushButton* longest = button("cmdKeepLongest", tr("Keep the Longest Complete One"), &frmLibrary::keepLongest);
    QPushButton* burn = button("cmdSendToDiscwright", tr("Send to Discwright"), &frmLibrary::sendToDiscwright);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    // Read as its text: the count of recordings, or what went wrong.
    m_status->setAccessibleDescription(tr("Library status"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(m_search, 1);
    filters->addWidget(m_station);
    filters->addWidget(m_sinceOn);
    filters->addWidget(m_since);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {rename, tag, trash, folder, longest, burn})
        buttons->addWidget(b);
    buttons->addStretch(1);
    // A main window: the desktop's readers see a window of its own.
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(filters);
    layout->addWidget(m_table, 1);
    auto* playing = new QHBoxLayout;
    playing->addWidget(m_cover);
    playing->addWidget(m_player, 1);
    layout->addLayout(playing);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    resize(900, 500);

    connect(m_search, &QLineEdit::textChanged, m_filter, &LibraryFilter::SetSearch);
    connect(m_station, &QComboBox::currentIndexChanged, this,
            [this] { m_filter->SetStation(m_station->currentData().toString()); });
    connect(m_sinceOn, &QCheckBox::toggled, this, &frmLibrary::updateDays);
    connect(m_since, &QDateEdit::dateChanged, this, &frmLibrary::updateDays);
    const auto count = [this] {
        m_status->setText(m_model->Scanning() ? tr("%n recording(s), looking for more", nullptr, m_model->rowCount())
                                              : tr("%n recording(s)", nullptr, m_model->rowCount()));
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, count);
    connect(m_model, &QAbstractItemModel::modelReset, this, count);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, count);
    connect(m_model, &LibraryModel::scanFinished, this, [this, count] {
        count();
        updateStations();
        const QStringList walked = m_scanner->Folders();
        if (!m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        if (!walked.isEmpty())
            m_watcher->addPaths(walked);
    });
    // A change outside is looked at once the folder has been quiet a moment.
    m_rescanSoon->setSingleShot(true);
    m_rescanSoon->setInterval(500);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_rescanSoon, qOverload<>(&QTimer::start));
    connect(m_rescanSoon, &QTimer::timeout, m_scanner, &LibraryScanner::Rescan);
}

frmLibrary::~frmLibrary()
{
    m_scanner->Stop();
}

void frmLibrary::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_scanner->Rescan();
}

QStringList frmLibrary::SelectedFiles() const
{
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList files;
    for (const QModelIndex& i : rows)
        files.append(i.data(LibraryModel::PathRole).toString());
    return files;
}

void frmLibrary::say(const QString& text)
{
    m_status->setText(text);
    emit problem(text);
}

void frmLibrary::renameSelected()
{
    const QStringList files = SelectedFiles();
    if (files.size() != 1)
        return;
    const QString path = files.first();
    auto* ask = new QInputDialog(this);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(tr("Rename"));
    ask->setLabelText(tr("New file name:"));
    ask->setTextValue(QFileInfo(path).fileName());
    connect(ask, &QInputDialog::textValueSelected, this, [this, path](const QString& name) { Rename(path, name); });
    ask->open();
}

QString frmLibrary::Rename(const QString& path, const QString& newName)
{
    QString renamed;
    const QString why = RenameRecording(path, newName, &renamed);
    if (!why.isEmpty()) {
        say(why);
        return why;
    }
    if (renamed == path)
        return {};
    // The row keeps its station, date and state; so does the history's.
    m_scanner->MoveInHistory(path, renamed);
    const int row = m_model->RowOf(path);
    if (row >= 0) {
        LibraryEntry e = m_model->At(row);
        e.path = renamed;
        e.format = LibraryFormatOf(renamed);
        m_model->Replace(path, e);
    }
    return {};
}

void frmLibrary::editTagOfSelected()
{
    const QStringList files = SelectedFiles();
    if (files.size() != 1)
        return;
    const QString path = files.first();
    LibraryTag tag;
    ReadLibraryTag(path, &tag);
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Edit Tag"));
    auto* form = new QFormLayout(dialog);
    auto field = [dialog, form](const QString& label, const QString& value) {
        auto* edit = new QLineEdit(value, dialog);
        edit->setAccessibleName(label);
        form->addRow(label, edit);
        return edit;
    };
    QLineEdit* artist = field(tr("Artist"), tag.artist);
    QLineEdit* title = field(tr("Title"), tag.title);
    QLineEdit* comment = field(tr("Comment"), tag.comment);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    form->addRow(box);
    connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, path, artist, title, comment] {
        const LibraryTag written{artist->text(), title->text(), comment->text()};
        const QString why = WriteLibraryTag(path, written);
        if (!why.isEmpty())
            return say(why);
        const int row = m_model->RowOf(path);
        if (row < 0)
            return;
        LibraryEntry e = m_model->At(row);
        e.artist = written.artist;
        e.title = written.title;
        e.size = QFileInfo(path).size();
        m_model->Replace(path, e);
    });
    dialog->open();
}

void frmLibrary::trashSelected()
{
    Trash(SelectedFiles());
}

void frmLibrary::Trash(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (m_player->Playing() == path)
            m_player->Stop();
        QString trashed;
        const QString why = TrashRecording(path, &trashed);
        if (!why.isEmpty()) {
            say(why);
            continue;
        }
        if (!trashed.isEmpty())
            m_scanner->MoveInHistory(path, trashed);
        m_model->Remove(path);
    }
}

void frmLibrary::openFolderOfSelected()
{
    const QStringList files = SelectedFiles();
    if (!files.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(files.first()).absolutePath()));
}

void frmLibrary::keepLongest()
{
    QStringList repeats;
    for (const std::vector<int>& group : RepeatGroups(*m_model))
        for (int row : RowsBesideLongest(*m_model, group))
            repeats.append(m_model->At(row).path);
    Trash(repeats);
}

void frmLibrary::sendToDiscwright()
{
    const QStringList files = SelectedFiles();
    if (files.isEmpty())
        return;
    const QString program = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/discwright")).exists()
                                ? QCoreApplication::applicationDirPath() + QStringLiteral("/discwright")
                                : QStringLiteral("discwright");
    if (!QProcess::startDetached(program, files))
        say(tr("Discwright could not be started."));
}

void frmLibrary::updateStations()
{
    const QString current = m_station->currentData().toString();
    const QStringList stations = m_model->Stations();
    m_station->blockSignals(true);
    while (m_station->count() > 1)
        m_station->removeItem(1);
    for (const QString& s : stations)
        m_station->addItem(s, s);
    m_station->setCurrentIndex(std::max(0, m_station->findData(current)));
    m_station->blockSignals(false);
}

void frmLibrary::updateDays()
{
    m_since->setEnabled(m_sinceOn->isChecked());
    m_filter->SetDays(m_sinceOn->isChecked() ? m_since->date() : QDate(), QDate());
}

void frmLibrary::showCoverOf(const QString& path)
{
    if (path == m_coverPath)
        return;
    m_coverPath = path;
    if (path.isEmpty()) {
        m_cover->SetCover(CoverPicture());
        return;
    }
    // Read off this thread (a file on a slow disk); only the last asked is shown.
    auto* watcher = new QFutureWatcher<CoverPicture>(this);
    connect(watcher, &QFutureWatcher<CoverPicture>::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        if (path == m_coverPath)
            m_cover->SetCover(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([path] { return ReadFileCover(path); }));
}
