// The control panel's options: the save path and its checks, the capture
// modes, the settings kept between runs, readiness, the record and listen
// actions, presets, tools and help, and the docked recording display.
#include "config/configuration.h"
#include "config/settings.h"
#include "config/usersettings.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "recorder/frmmp3.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/display/docking.h"
#include "ui/panel/frmhelp.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktopshell.h"
#include "ui/shell/dialogs.h"
#include "ui_frmrecord.h"
#include "ui_optionspage.h"
#include "ui_otherpage.h"
#include "ui_stationspage.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

namespace {

const QString kApp = QStringLiteral("Tonquill");
const QString kSection = QStringLiteral("Registration");

QString setting(const QString& key, const QString& fallback = QString())
{
    return GetSetting(kApp, kSection, key, fallback);
}

void save(const QString& key, const QString& value)
{
    SaveSetting(kApp, kSection, key, value);
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A stored check box or number that is not a number counts as 0.
qint32 number(const QString& text)
{
    bool ok = false;
    const qint32 v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace

bool frmRecord::folderMode() const
{
    return m_other->lblPathToSave->text() != tr("MP3 file:");
}

void frmRecord::setSavePathText(const QString& text)
{
    m_other->txtMP3Path->setText(text);
}

void frmRecord::selectCapture(int mode)
{
    QRadioButton* option = mode == 1 ? m_other->optFile : mode == 3 ? m_other->optDated : m_other->optNormal;
    option->setChecked(true);
    if (mode == 1)
        optFile_Click();
    else if (mode == 3)
        optDated_Click();
    else
        optNormal_Click();
}

void frmRecord::LoadPanelSettings()
{
    const QString path = setting(QStringLiteral("MP3Path"));
    m_other->txtMP3Path->setText(path);
    // A stored choice is the web-agent flag's too, as a click makes it; with
    // none stored the box shows the flag as it is.
    const QString fakeIE = setting(QStringLiteral("FakeIE"));
    if (!fakeIE.isEmpty()) {
        m_other->mnuIEWebHeader->setChecked(number(fakeIE) != 0);
        mnuIEWebHeader_Click();
    }
    const QString capture = setting(QStringLiteral("Capture"), QStringLiteral("2"));
    if (capture == QLatin1String("1") || capture == QLatin1String("2") || capture == QLatin1String("3")) {
        if (capture == QLatin1String("1")) {
            // The stored path is the single file's: switching to file mode
            // must bring it back into the box, not file it as the folder.
            FileText = path;
            m_other->txtMP3Path->clear();
        }
        selectCapture(capture.toInt());
    } else {
        for (QRadioButton* o : {m_other->optNormal, m_other->optDated, m_other->optFile}) {
            o->setAutoExclusive(false);
            o->setChecked(false);
            o->setAutoExclusive(true);
        }
    }
    auto restoreBox = [](QCheckBox* box, const QString& value) {
        if (!value.isEmpty())
            box->setChecked(number(value) != 0);
    };
    restoreBox(m_advanced->chkTimed, setting(QStringLiteral("TimeRec")));
    restoreBox(m_advanced->chkListenOn, setting(QStringLiteral("ListenStream")));
    const QString minutes = setting(QStringLiteral("RecTime"));
    if (!minutes.isEmpty())
        m_advanced->spnTimeInMinutes->setValue(number(minutes));
    restoreBox(m_advanced->chkShutdown, setting(QStringLiteral("Shutdown")));
    restoreBox(m_advanced->chkStartPaused, setting(QStringLiteral("StartPause")));
    m_advanced->txtBaseLineName->setText(setting(QStringLiteral("ArchiveHeader")));
    restoreBox(m_advanced->chkCleanup, setting(QStringLiteral("DeleteArchive")));
    const QString days = setting(QStringLiteral("DaysKeeping"));
    if (!days.isEmpty())
        m_advanced->spnRecordingDays->setValue(number(days));
    PathValid = !m_other->txtMP3Path->text().isEmpty() && (folderMode() ? IsFolder(m_other->txtMP3Path->text()) : true);
    CheckReady(false);
}

void frmRecord::SavePanelSettings()
{
    save(QStringLiteral("MP3Path"), m_other->txtMP3Path->text());
    save(QStringLiteral("FakeIE"), flag(m_other->mnuIEWebHeader->isChecked()));
    save(QStringLiteral("Capture"), m_other->optFile->isChecked()     ? QStringLiteral("1")
                                    : m_other->optNormal->isChecked() ? QStringLiteral("2")
                                    : m_other->optDated->isChecked()  ? QStringLiteral("3")
                                                                      : QString());
    save(QStringLiteral("TimeRec"), flag(m_advanced->chkTimed->isChecked()));
    save(QStringLiteral("ListenStream"), flag(m_advanced->chkListenOn->isChecked()));
    save(QStringLiteral("RecTime"), QString::number(m_advanced->spnTimeInMinutes->value()));
    save(QStringLiteral("Shutdown"), flag(m_advanced->chkShutdown->isChecked()));
    save(QStringLiteral("StartPause"), flag(m_advanced->chkStartPaused->isChecked()));
    save(QStringLiteral("ArchiveHeader"), m_advanced->txtBaseLineName->text());
    save(QStringLiteral("DeleteArchive"), flag(m_advanced->chkCleanup->isChecked()));
    save(QStringLiteral("DaysKeeping"), QString::number(m_advanced->spnRecordingDays->value()));
}

void frmRecord::setPanelControlsEnabled(bool on)
{
    const QList<QWidget*> controls{m_advanced->fraRecordings,
                                   m_other->fraMP3,
                                   m_other->lblDisplayTitle,
                                   m_other->txtStreamTitle,
                                   m_other->lblPathToSave,
                                   m_other->txtMP3Path,
                                   m_advanced->chkTimed,
                                   m_advanced->lblTime,
                                   m_advanced->chkShutdown,
                                   m_other->cmdPathToSave,
                                   m_other->optNormal,
                                   m_other->optDated,
                                   m_other->optFile,
                                   m_advanced->lblBaselineName,
                                   m_advanced->txtBaseLineName,
                                   m_advanced->chkCleanup,
                                   m_advanced->lblKepRecordings,
                                   m_radio->cmdPreview,
                                   m_advanced->chkStartPaused,
                                   m_advanced->chkListenOn};
    for (QWidget* w : controls)
        w->setEnabled(on);
}

void frmRecord::EnablePanel()
{
    setPanelControlsEnabled(true);
    const bool path = !m_other->txtMP3Path->text().isEmpty();
    m_radio->cmdRecord->setEnabled(path);
    m_radio->cmdPreview->setEnabled(path);
    m_radio->cmdSave->setEnabled(path);
    m_radio->lblConnecting->hide();
    CheckReady(false);
}

void frmRecord::DisablePanel()
{
    setPanelControlsEnabled(false);
    m_radio->lblConnecting->hide();
    m_other->txtStreamTitle->clear();
    m_ui->cmdOK->setEnabled(!m_ui->txtPlaylist->text().isEmpty());
}

bool frmRecord::CheckReady(bool QueryOnly)
{
    bool ready = PathValid && StationReady;
    if (m_other->txtMP3Path->text().isEmpty())
        ready = false;
    if (m_other->optDated->isChecked() && m_advanced->txtBaseLineName->text().isEmpty())
        ready = false;
    if (!QueryOnly) {
        m_radio->cmdRecord->setEnabled(ready);
        m_radio->cmdPreview->setEnabled(ready);
        m_radio->cmdSave->setEnabled(ready);
        if (PathValid)
            m_other->lblSavePathProblem->hide();
    }
    return ready;
}

bool frmRecord::IsPathWritable(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (FileExists(path))
        return true;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = f.write("test\r\n") == 6;
    f.close();
    return f.remove() && written;
}

void frmRecord::txtMP3Path_GotFocus()
{
    if (folderMode())
        FolderText = m_other->txtMP3Path->text();
    else
        FileText = m_other->txtMP3Path->text();
}

void frmRecord::txtMP3Path_LostFocus()
{
    PanelEdited = true;
    const QString text = m_other->txtMP3Path->text();
    if (text.isEmpty()) {
        PathValid = false;
    } else if (folderMode()) {
        if (!text.endsWith(QLatin1Char('/')) && !text.endsWith(QLatin1Char('\\')))
            m_other->txtMP3Path->setText(text + QLatin1Char('/'));
        if (IsFolder(m_other->txtMP3Path->text())) {
            PathValid = true;
        } else {
            m_deps.messages->ShowMessage(tr("The path is invalid!"));
            PathValid = false;
            m_other->txtMP3Path->setText(FolderText);
            m_other->txtMP3Path->setFocus();
            m_other->txtMP3Path->setCursorPosition(int(m_other->txtMP3Path->text().size()));
        }
    } else {
        if (IsPathWritable(text)) {
            PathValid = true;
        } else {
            m_deps.messages->ShowMessage(tr("Invalid MP3 file name!"));
            m_other->txtMP3Path->setText(FileText);
            m_other->txtMP3Path->setFocus();
            m_other->txtMP3Path->setCursorPosition(int(m_other->txtMP3Path->text().size()));
            PathValid = false;
        }
    }
    CheckReady(false);
    if (PathValid)
        SetLastPath(m_other->txtMP3Path->text());
}

void frmRecord::txtMP3Path_OLEDragDrop(const QMimeData* data)
{
    PanelEdited = true;
    if (!data || data->urls().isEmpty() || !data->urls().first().isLocalFile())
        return;
    QString path = data->urls().first().toLocalFile();
    if (folderMode() ? !IsFolder(path) : !FileExists(path))
        return;
    m_other->txtMP3Path->setText(path);
    txtMP3Path_LostFocus();
}

void frmRecord::cmdPathToSave_Click()
{
    PanelEdited = true;
    if (folderMode()) {
        const QString folder =
            m_deps.dialogs->BrowseForFolder(this, tr("Select a Path To Save To"), m_other->txtMP3Path->text());
        if (folder.isEmpty()) {
            PathValid = !m_other->txtMP3Path->text().isEmpty();
        } else {
            if (folder != m_other->txtMP3Path->text())
                m_other->txtMP3Path->setText(folder);
            PathValid = true;
            SetLastPath(folder);
        }
        CheckReady(false);
        return;
    }
    const QString before = m_other->txtMP3Path->text();
    const QString file = m_deps.dialogs->GetSaveFileName(this, tr("Save MP3s to"), before,
                                                         tr("MP3 music file (*.MP3 *.mp3)"), QStringLiteral("mp3"));
    if (!file.isEmpty()) {
        if (IsPathWritable(file)) {
            m_other->txtMP3Path->setText(file);
            m_other->txtMP3Path->selectAll();
        } else {
            m_deps.messages->ShowMessage(tr("Invalid MP3 file name!"));
            m_other->txtMP3Path->setText(before);
        }
    }
    PathValid = !m_other->txtMP3Path->text().isEmpty();
    CheckReady(false);
}

void frmRecord::optNormal_Click()
{
    PanelEdited = true;
    m_advanced->fraDateMode->setVisible(false);
    if (!folderMode()) {
        FileText = m_other->txtMP3Path->text();
        m_other->lblPathToSave->setText(tr("Path to save MP3s to:"));
        m_other->txtMP3Path->setAccessibleName(m_other->lblPathToSave->text());
        m_other->txtMP3Path->setText(FolderText);
        m_other->cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    }
    CheckReady(false);
}

void frmRecord::optDated_Click()
{
    optNormal_Click();
    m_advanced->fraDateMode->setVisible(true);
}

void frmRecord::optFile_Click()
{
    PanelEdited = true;
    m_advanced->fraDateMode->setVisible(false);
    if (folderMode()) {
        FolderText = m_other->txtMP3Path->text();
        m_other->lblPathToSave->setText(tr("MP3 file:"));
        m_other->txtMP3Path->setAccessibleName(m_other->lblPathToSave->text());
        m_other->txtMP3Path->setText(FileText);
        m_other->cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    }
    CheckReady(false);
}

void frmRecord::chkUseEnternal_Click()
{
    const bool on = m_advanced->chkUseEnternal->isChecked();
    m_advanced->txtExternalPlayer->setEnabled(on);
    m_advanced->cmdBrowsePlayer->setEnabled(on);
    if (!on)
        save(QStringLiteral("useExternal"), QString());
}

void frmRecord::cmdBrowsePlayer_Click()
{
    const QString file =
        m_deps.dialogs->GetOpenFileName(this, tr("External Player"), m_advanced->txtExternalPlayer->text(), QString());
    if (!file.isEmpty())
        m_advanced->txtExternalPlayer->setText(file);
    save(QStringLiteral("useExternal"), m_advanced->txtExternalPlayer->text());
}

void frmRecord::mnuIEWebHeader_Click()
{
    SetIEAgent(m_other->mnuIEWebHeader->isChecked());
}

void frmRecord::spnTimeInMinutes_Validate()
{
    PanelEdited = true;
    if (m_advanced->spnTimeInMinutes->value() < 1) {
        m_advanced->spnTimeInMinutes->setValue(1);
        m_advanced->spnTimeInMinutes->txtSpin()->setFocus();
    }
}

void frmRecord::RecorderStatusChanged(const RecorderStatus& status)
{
    m_recording = status.blnRecording;
    tmrRecMon_Timer();
}

void frmRecord::tmrRecMon_Timer()
{
    if (!m_recording || PanelEdited) {
        const bool ready = CheckReady(true);
        m_radio->cmdRecord->setEnabled(ready);
        m_radio->cmdPreview->setEnabled(ready);
    } else {
        m_radio->cmdRecord->setEnabled(false);
        m_radio->cmdPreview->setEnabled(false);
    }
}

void frmRecord::startAction(bool listen)
{
    if (!listen && restartAlongside())
        return;
    PanelEdited = false;
    if (m_recording)
        m_deps.recorder->StopRecording();
    clsConfiguration& c = *m_deps.config;
    c.bCalledFromGUI = true;
    c.bConfigOK = true;
    if (listen)
        c.bPreviewModeOnly = true;
    m_radio->lblConnecting->hide();
    PutInCR();
    if (!m_deps.recorder->InitializeMP3Recorder(c))
        m_deps.messages->ShowMessage(tr("Error on starting this recording!"));
    else if (m_deps.stationStarted)
        m_deps.stationStarted(c.sShoutCastFile);
}

void frmRecord::cmdRecord_Click()
{
    startAction(false);
}

void frmRecord::cmdPreview_Click()
{
    startAction(true);
}

QString frmRecord::presetDialogPath() const
{
    // The presets folder, where the preset search looks, with the name of
    // the preset last loaded or saved.
    const QString folder = ProgramFolders::PresetsFolder(true);
    const QString name = FileNameOf(m_deps.config->sConfigFileName);
    return name.isEmpty() ? folder : folder + name;
}

void frmRecord::cmdLoadConfiguration_Click()
{
    const QString file =
        m_deps.dialogs->GetOpenFileName(this, tr("Open Preset File"), presetDialogPath(), tr("Preset File (*.tvp)"));
    if (file.isEmpty())
        return;
    if (m_deps.config->LoadConfigurationFile(file)) {
        LoadBasedOnCR();
        PanelEdited = true;
    }
}

void frmRecord::cmdSave_Click()
{
    PutInCR();
    const QString file = m_deps.dialogs->GetSaveFileName(this, tr("Save Preset File"), presetDialogPath(),
                                                         tr("Preset File (*.tvp)"), QStringLiteral("tvp"));
    if (file.isEmpty())
        return;
    if (!m_deps.config->SaveConfigurationFile(file)) {
        QFile probe(file);
        const QString why = probe.open(QIODevice::Append) ? tr("the file could not be written") : probe.errorString();
        m_deps.messages->ShowMessage(tr("Error saving file! ") + why);
    }
}

QString frmRecord::FindTool(const QString& program) const
{
    const QString beside = ProgramBesideExecutable(program);
    if (FileExists(beside))
        return beside;
    return QStandardPaths::findExecutable(program);
}

void frmRecord::UpdateToolItems()
{
    for (QAction* item : {mnuMedia1, mnuConverter, mnuCreator, mnuCreator1, mnuPressling1, mnuPressling}) {
        const QString program = item->property("program").toString();
        const bool there = !FindTool(program).isEmpty();
        item->setEnabled(there);
        item->setToolTip(there ? QString()
                               : tr("%1 is not installed: \"%2\" is neither beside Tonquill nor on the PATH.")
                                     .arg(item->text(), program));
    }
}

void frmRecord::StartTool(const QString& program)
{
    // Found when the menu opened, it may have gone since.
    const QString path = FindTool(program);
    if (path.isEmpty() || !FileExists(path)) {
        m_deps.messages->ShowMessage(tr(" Error : ") + program + tr(" not found !"));
        return;
    }
    m_deps.launcher->StartDetached(path, {});
}

// The guide is shown in the program's own help window: it needs no web
// browser.
void frmRecord::cmdHelp_Click()
{
    // Beside the program, else where it was installed.
    QString help = ProgramFolders::DataFolder() + QStringLiteral("Help/index.htm");
    if (!FileExists(help))
        help = QCoreApplication::applicationDirPath() + QStringLiteral("/Help/index.htm");
    if (!FileExists(help))
        help = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("tonquill/Help/index.htm"));
    if (help.isEmpty() || !FileExists(help)) {
        m_deps.messages->ShowMessage(tr("Error : index.htm not found !"));
        return;
    }
    if (!m_help) {
        m_help = new frmHelp(this);
        connect(m_help, &frmHelp::webAddressClicked, this, &frmRecord::OpenWebAddress);
    }
    m_help->ShowDocument(help);
    m_help->setWindowState(m_help->windowState() & ~Qt::WindowMinimized);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

frmHelp* frmRecord::HelpWindow() const
{
    return m_help;
}

void frmRecord::mnuTonquillWeb_Click()
{
    OpenWebAddress(QUrl(kWebSite));
}

void frmRecord::OpenWebAddress(const QUrl& url)
{
    QPointer<frmRecord> self(this);
    const auto failed = [self, url] {
        if (self)
            self->m_deps.messages->ShowMessage(
                QCoreApplication::translate("frmRecord",
                                            "No program could open the web address. Copy it into a web browser:\n\n") +
                url.toString());
    };
    if (!m_deps.urls->OpenUrl(url, failed))
        failed();
}

void frmRecord::DockDisplay()
{
    QWidget* display = m_deps.shell->RecordingDisplayWindow();
    if (!display || !isVisible() || isMinimized())
        return;
    // Both windows are placed by their frames: the display's outer width is
    // the panel's, its client area is narrower by the display's own border.
    const QRect place = DockedDisplayFrame(frameGeometry(), display->frameGeometry().height(),
                                           screen() ? screen()->availableGeometry() : QRect());
    const QPoint at = place.topLeft();
    const int border = display->frameGeometry().width() - display->width();
    const int width = place.width() - border;
    if (display->pos() != at)
        display->move(at);
    if (display->width() != width)
        display->resize(width, display->height());
}

void frmRecord::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    DockDisplay();
}

void frmRecord::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    DockDisplay();
}

void frmRecord::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    DockDisplay();
}
