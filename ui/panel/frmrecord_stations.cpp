// The control panel's station list, its file, drops, the accept action and
// the copying of the panel's values to and from the configuration.
#include "config/configuration.h"
#include "config/settings.h"
#include "config/stationfile.h"
#include "config/usersettings.h"
#include "listen/externalplayer.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "recorder/frmmp3.h"
#include "recorder/recordercovers.h"
#include "sources/urigrabber.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/panel/frmaddstation.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktopshell.h"
#include "ui_frmrecord.h"
#include "ui_optionspage.h"
#include "ui_otherpage.h"
#include "ui_stationspage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

namespace {

bool endsWithSeparator(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

QString withSeparator(const QString& folder)
{
    return endsWithSeparator(folder) ? folder : folder + QLatin1Char('/');
}

} // namespace

void frmRecord::Form_Load()
{
    LoadPanelSettings();

    // Centred, with room for the recording display below.
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QWidget* display = m_deps.shell->RecordingDisplayWindow();
        const int displayHeight = display ? display->frameGeometry().height() : 110;
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height() - displayHeight) / 2);
    }

    QList<StationEntry> stations;
    QString problem;
    qsizetype shortened = 0;
    if (FileExists(m_deps.stationFile)) {
        if (ReadStationFile(m_deps.stationFile, stations, &problem, &shortened)) {
            m_radio->lstViewSongList->clear();
            m_ui->PlayList->clear();
            m_radio->lstViewSongList->setUpdatesEnabled(false);
            for (const StationEntry& s : stations)
                AppendStation(s.name, s.url);
            m_radio->lstViewSongList->setUpdatesEnabled(true);
            if (shortened > 0)
                m_deps.messages->ShowMessage(
                    tr("The station list %1 has %2 longer than %3 bytes; %4 shortened to that length.")
                        .arg(m_deps.stationFile, shortened == 1 ? tr("a line") : tr("%1 lines").arg(shortened))
                        .arg(kStationLineMaxBytes)
                        .arg(shortened == 1 ? tr("it was") : tr("they were")));
        } else {
            m_stationFileUnread = true;
            m_deps.messages->ShowMessage(tr("The station list %1 %2. It is left as it is: the stations "
                                            "shown now are not saved to it.")
                                             .arg(m_deps.stationFile, problem));
        }
    }

    ShowPage(0);
    m_radio->lblConnecting->hide();
    PanelEdited = false;
    m_other->mnuIEWebHeader->setChecked(GetIEAgent());
    if (m_deps.config->bConfigOK)
        LoadBasedOnCR();
    m_deps.shell->ShowRecordingDisplay();

    // The external player.
    const QString player = GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"),
                                      QStringLiteral("useExternal"), QString());
    if (!player.isEmpty())
        m_advanced->chkUseEnternal->setChecked(true);
    m_advanced->txtExternalPlayer->setText(player);
    m_advanced->txtExternalPlayer->setEnabled(m_advanced->chkUseEnternal->isChecked());
    m_advanced->cmdBrowsePlayer->setEnabled(m_advanced->chkUseEnternal->isChecked());

    // Besides the list, the accept button and the connecting label, a link
    // may be dropped anywhere on the main page, on "Add Station" and on the
    // main page's own button; the save-path box has a handling of its own.
    const QList<QWidget*> targets{m_radio->lstViewSongList->viewport(),
                                  m_ui->cmdOK,
                                  m_radio->lblConnecting,
                                  m_ui->pages->widget(0),
                                  m_radio->cmdAddtoList,
                                  m_ui->cmdRadio,
                                  m_other->txtMP3Path};
    for (QWidget* w : targets) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
}

void frmRecord::AppendStation(const QString& name, const QString& url)
{
    auto* item = new QTreeWidgetItem(m_radio->lstViewSongList, {name});
    Q_UNUSED(item);
    m_ui->PlayList->addItem(url);
}

int frmRecord::StationCount() const
{
    return m_radio->lstViewSongList->topLevelItemCount();
}

QString frmRecord::StationName(int index) const
{
    QTreeWidgetItem* item = m_radio->lstViewSongList->topLevelItem(index);
    return item ? item->text(0) : QString();
}

QString frmRecord::StationUrl(int index) const
{
    QListWidgetItem* item = m_ui->PlayList->item(index);
    return item ? item->text() : QString();
}

bool frmRecord::runStationDialog(const QString& caption, QString& name, QString& url, bool presetFields)
{
    if (m_deps.stationDialog)
        return m_deps.stationDialog(this, caption, name, url);
    frmAddStation dialog(this);
    dialog.setWindowTitle(caption);
    if (presetFields)
        dialog.setStation(name, url);
    dialog.exec();
    name = dialog.stationName();
    url = dialog.stationUrl();
    return dialog.confirmed();
}

bool frmRecord::AddList(QString& URL)
{
    QString name = tr("Station Name");
    QString url = URL;
    if (!runStationDialog(tr("Add Station"), name, url, true))
        return false;
    AppendStation(name, url);
    URL = url;
    return true;
}

void frmRecord::cmdAddtoList_Click()
{
    QString name = tr("Station Name");
    QString url = frmAddStation::kDefaultUrl;
    if (runStationDialog(tr("Add Station"), name, url, false))
        AppendStation(name, url);
}

void frmRecord::cmdEdit_Click()
{
    QTreeWidgetItem* item = m_radio->lstViewSongList->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_radio->lstViewSongList->indexOfTopLevelItem(item);
    QString name = item->text(0);
    QString url = StationUrl(row);
    if (!runStationDialog(tr("Edit Station"), name, url, true))
        return;
    item->setText(0, name);
    m_ui->PlayList->item(row)->setText(url);
}

void frmRecord::mnuSetPicture_Click()
{
    QTreeWidgetItem* item = m_radio->lstViewSongList->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString station = StationUrl(m_radio->lstViewSongList->indexOfTopLevelItem(item));
    auto* dialog = new QFileDialog(this, tr("Station Picture"), QString(), tr("Pictures (*.jpg *.jpeg *.png *.webp)"));
    dialog->setObjectName(QStringLiteral("dlgStationPicture"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (const QString earlier = StationPicturePath(station); !earlier.isEmpty())
        dialog->selectFile(earlier);
    connect(dialog, &QFileDialog::fileSelected, this, [this, station](const QString& path) {
        // A file that cannot be a cover is not kept: the user hears why.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_deps.messages->ShowMessage(
                tr("This picture cannot be the station's picture: %1").arg(file.errorString()));
            return;
        }
        if (!PrepareCover(file.read(cover::kMaxInputBytes + 1)).ok()) {
            m_deps.messages->ShowMessage(
                tr("This picture cannot be the station's picture: %1")
                    .arg(tr("only a JPEG, PNG or WebP picture of at most 8 MB that can be read can be one.")));
            return;
        }
        SetStationPicturePath(station, path);
    });
    dialog->open(); // not waited for: the panel goes on
}

void frmRecord::cmdRemoveList_Click()
{
    for (int i = StationCount() - 1; i >= 0; --i) {
        if (m_radio->lstViewSongList->topLevelItem(i)->isSelected()) {
            delete m_radio->lstViewSongList->takeTopLevelItem(i);
            delete m_ui->PlayList->takeItem(i);
        }
    }
}

void frmRecord::mnuRemoveAll_Click()
{
    m_radio->lstViewSongList->clear();
    m_ui->PlayList->clear();
}

void frmRecord::lstViewSongList_DblClick()
{
    QTreeWidgetItem* item = m_radio->lstViewSongList->currentItem();
    if (!item)
        return;
    m_ui->txtPlaylist->setText(StationUrl(m_radio->lstViewSongList->indexOfTopLevelItem(item)));
    cmdOK_Click();
}

void frmRecord::cmdOK_Click()
{
    if (m_advanced->chkUseEnternal->isChecked()) {
        // The outside player takes the address as it is, never as an option.
        const QString player = m_advanced->txtExternalPlayer->text();
        QString refusal;
        if (const auto arguments = ExternalPlayerArguments(player, m_ui->txtPlaylist->text(), &refusal))
            m_deps.launcher->StartDetached(player, *arguments);
        else
            m_deps.messages->ShowMessage(refusal);
        return;
    }
    PanelEdited = true;
    // Nothing to record until this station's playlist is fetched.
    StationReady = false;
    CheckReady(false);
    const QString url = m_ui->txtPlaylist->text();
    if (!url.contains(QLatin1String(".m3u"), Qt::CaseInsensitive) &&
        !url.contains(QLatin1String(".pls"), Qt::CaseInsensitive)) {
        m_deps.messages->ShowMessage(
            tr("This is not a valid Shoutcast streaming playlist, configuration file, or accepted URL file!"));
        m_other->txtStreamTitle->clear();
        return;
    }
    m_radio->lblConnecting->show();
    URIGrabber->StartURIValidation(url);
}

void frmRecord::ctlURIGrabber_Done()
{
    m_radio->lblConnecting->hide();
    StationReady = true;
    EnablePanel();
    m_other->txtStreamTitle->setText(URIGrabber->strFirstTitle);
    if (folderMode()) {
        useDefaultFolder();
    } else if (m_other->txtMP3Path->text().isEmpty()) {
        // A single file keeps the name the user gave it; a folder is not a
        // file name to check.
        showSavePathProblem(tr("Choose the MP3 file to record into."));
    }
}

void frmRecord::useDefaultFolder()
{
    // A folder the user chose and that has gone is not silently replaced.
    const QString chosen = GetLastPath();
    if (!chosen.isEmpty() && !IsFolder(chosen)) {
        showSavePathProblem(tr("The folder %1 is missing. Create it again, or choose another folder to "
                               "save the recordings to.")
                                .arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    QString folder = GetDefaultFolder(false);
    if (folder.isEmpty() && IsFolder(m_other->txtMP3Path->text()))
        folder = m_other->txtMP3Path->text(); // the folder stored with the panel's settings
    if (folder.isEmpty()) {
        // No folder chosen yet and none of the desktop's: the music folder
        // is made.
        folder = DefaultMusicFolder();
        if (folder.isEmpty()) {
            showSavePathProblem(tr("Choose a folder to save the recordings to."));
            return;
        }
        if (!QDir().mkpath(folder)) {
            showSavePathProblem(tr("The folder %1 could not be created. Choose a folder to save the "
                                   "recordings to.")
                                    .arg(QDir::toNativeSeparators(folder)));
            return;
        }
    }
    setSavePathText(withSeparator(folder));
    txtMP3Path_LostFocus();
}

void frmRecord::showSavePathProblem(const QString& text)
{
    // The box is emptied: leaving it then asks nothing more, and what is
    // missing is named in the line below it.
    PathValid = false;
    setSavePathText(QString());
    m_other->lblSavePathProblem->setText(text);
    m_other->lblSavePathProblem->show();
    ShowPage(2);
    CheckReady(false);
    m_other->txtMP3Path->setFocus();
}

void frmRecord::ctlURIGrabber_Error(int lngErrorCode)
{
    m_radio->lblConnecting->hide();
    StationReady = false;
    URIGrabber->StdErrorMessage(lngErrorCode);
    m_ui->txtPlaylist->clear();
    DisablePanel();
    CheckReady(false);
}

void frmRecord::DropOnStationList(const QString& address)
{
    QMimeData data;
    data.setText(address);
    lstViewSongList_OLEDragDrop(&data);
}

void frmRecord::lstViewSongList_OLEDragDrop(const QMimeData* data)
{
    PanelEdited = true;
    m_ui->txtPlaylist->clear();
    StationReady = false;
    CheckReady(false);
    if (!data)
        return;
    QList<QUrl> urls = data->urls();
    const bool files = !urls.isEmpty() && urls.first().isLocalFile();
    if (data->hasText() && !files) {
        QString text = data->text().trimmed();
        m_ui->txtPlaylist->setText(text);
        if (AddList(text)) {
            m_ui->txtPlaylist->setText(text);
            cmdOK_Click();
        }
        return;
    }
    if (files) {
        const QString path = urls.first().toLocalFile();
        if (!FileExists(path))
            return; // vanished, or a folder
        m_ui->txtPlaylist->setText(path);
        QString url = path;
        if (AddList(url)) {
            m_ui->txtPlaylist->setText(url);
            cmdOK_Click();
        }
    }
}

void frmRecord::LoadBasedOnCR()
{
    const clsConfiguration& c = *m_deps.config;
    m_ui->txtPlaylist->setText(c.sShoutCastFile);
    m_other->txtStreamTitle->setText(c.sRecordingTitle);
    PanelEdited = false;
    m_advanced->chkListenOn->setChecked(c.bStartInListenMode);
    m_advanced->chkStartPaused->setChecked(c.bStartPaused);

    switch (c.lRecordingMode) {
    case RecordingMode::SingleFile:
        selectCapture(1);
        setSavePathText(withSeparator(c.sMP3Path) + c.sStreamFileName);
        m_keptFile.Show(m_other->txtMP3Path->text(), c.sMP3Path, c.sStreamFileName);
        break;
    case RecordingMode::PerSong:
        selectCapture(2);
        setSavePathText(withSeparator(c.sMP3Path));
        break;
    case RecordingMode::DatedArchive:
        selectCapture(3);
        setSavePathText(withSeparator(c.sMP3Path));
        m_advanced->txtBaseLineName->setText(c.sStreamFileName);
        break;
    }

    if (c.bEnabledTimedRecording) {
        m_advanced->chkTimed->setChecked(true);
        m_keptMinutes->Show(c.lTimedRecording);
        m_advanced->chkShutdown->setChecked(c.bExitTimedRecording);
    } else {
        m_advanced->chkTimed->setChecked(false);
    }
    if (c.bDeleteArchivesAfterTime) {
        m_advanced->chkCleanup->setChecked(true);
        m_keptDays->Show(c.lDaysToKeepRecording);
    } else {
        m_advanced->chkCleanup->setChecked(false);
    }

    // The preset's station is fetched by the recorder when it starts.
    StationReady = !m_ui->txtPlaylist->text().isEmpty();
    EnablePanel();
    PathValid = !m_other->txtMP3Path->text().isEmpty();
    CheckReady(false);
    PanelEdited = false;
    selectOrAppendStation(m_other->txtStreamTitle->text(), m_ui->txtPlaylist->text());
}

void frmRecord::selectOrAppendStation(const QString& name, const QString& url)
{
    // A station already in the list, by its address, is not listed twice.
    int row = 0;
    while (row < StationCount() && StationUrl(row) != url)
        ++row;
    if (row == StationCount())
        AppendStation(name, url);
    QTreeWidgetItem* item = m_radio->lstViewSongList->topLevelItem(row);
    m_radio->lstViewSongList->clearSelection();
    m_radio->lstViewSongList->setCurrentItem(item);
    item->setSelected(true);
}

void frmRecord::PutInCR()
{
    clsConfiguration& c = *m_deps.config;
    c.sShoutCastFile = m_ui->txtPlaylist->text();
    c.sRecordingTitle = m_other->txtStreamTitle->text();
    c.bStartInListenMode = m_advanced->chkListenOn->isChecked();
    c.bStartPaused = m_advanced->chkStartPaused->isChecked();
    if (m_other->optFile->isChecked()) {
        c.lRecordingMode = RecordingMode::SingleFile;
        if (!m_keptFile.Take(m_other->txtMP3Path->text(), c.sMP3Path, c.sStreamFileName)) {
            c.sMP3Path = FolderOf(m_other->txtMP3Path->text());
            c.sStreamFileName = FileNameOf(m_other->txtMP3Path->text());
        }
    } else if (m_other->optNormal->isChecked()) {
        c.lRecordingMode = RecordingMode::PerSong;
        c.sMP3Path = m_other->txtMP3Path->text();
    } else if (m_other->optDated->isChecked()) {
        c.lRecordingMode = RecordingMode::DatedArchive;
        c.sMP3Path = m_other->txtMP3Path->text();
        c.sStreamFileName = m_advanced->txtBaseLineName->text();
    }
    if (m_advanced->chkTimed->isChecked()) {
        c.bEnabledTimedRecording = true;
        c.lTimedRecording = m_keptMinutes->Value();
        c.bExitTimedRecording = m_advanced->chkShutdown->isChecked();
    } else {
        c.bEnabledTimedRecording = false;
        c.bExitTimedRecording = false;
    }
    if (m_advanced->chkCleanup->isChecked()) {
        c.bDeleteArchivesAfterTime = true;
        c.lDaysToKeepRecording = m_keptDays->Value();
    } else {
        c.bDeleteArchivesAfterTime = false;
    }
}

void frmRecord::Form_QueryUnload()
{
    if (m_stationFileUnread)
        return;
    QList<StationEntry> stations;
    stations.reserve(StationCount());
    for (int i = 0; i < StationCount(); ++i)
        stations.append({StationName(i), StationUrl(i)});
    // A file that cannot be written does not keep the program open.
    WriteStationFile(m_deps.stationFile, stations);
}

void frmRecord::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // Closing the panel ends the program: during a recording it asks first,
    // as the display's exit does; the question's "Yes" closes and tags the
    // file and ends the program, which closes the panel again.
    const frmMP3* recorder = m_deps.recorder;
    const bool running = recorder && recorder->Status().blnRecording && !recorder->Status().blnPaused;
    if (recorder && !recorder->quitting() && (running || m_deps.shell->AnyRecordingRunning())) {
        event->ignore();
        m_deps.shell->ShowQuitConfirmation();
        return;
    }
    m_closing = true;
    Form_QueryUnload();
    SavePanelSettings();
    tmrRecMon->stop();
    event->accept();
    m_deps.shell->QuitProgram();
}

void frmRecord::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Opened from the tray, the panel minimises back into it.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && PanelOpenMode == 1)
        QMetaObject::invokeMethod(
            this, [this] { hide(); }, Qt::QueuedConnection);
}

bool frmRecord::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (e->mimeData()->hasText() || e->mimeData()->hasUrls()) {
            e->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        e->acceptProposedAction();
        if (watched == m_other->txtMP3Path)
            txtMP3Path_OLEDragDrop(e->mimeData());
        else
            lstViewSongList_OLEDragDrop(e->mimeData());
        return true;
    }
    case QEvent::FocusIn:
        if (watched == m_other->txtMP3Path)
            txtMP3Path_GotFocus();
        break;
    case QEvent::FocusOut: {
        // Leaving the window or opening a menu is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (watched == m_other->txtMP3Path && !m_closing)
            txtMP3Path_LostFocus();
        else if (watched == m_advanced->spnTimeInMinutes->txtSpin())
            QMetaObject::invokeMethod(
                this, [this] { spnTimeInMinutes_Validate(); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
