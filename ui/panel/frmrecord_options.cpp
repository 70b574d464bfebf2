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

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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

}  // namespace

bool frmRecord::folderMode() const
{
    return lblPathToSave->text() != tr("MP3 file:");
}

void frmRecord::setSavePathText(const QString& text)
{
    txtMP3Path->setText(text);
}

void frmRecord::selectCapture(int mode)
{
    QRadioButton* option = mode == 1 ? optFile : mode == 3 ? optDated : optNormal;
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
    txtMP3Path->setText(path);
    // A stored choice is the web-agent flag's too, as a click makes it; with
    // none stored the box shows the flag as it is.
    const QString fakeIE = setting(QStringLiteral("FakeIE"));
    if (!fakeIE.isEmpty()) {
        mnuIEWebHeader->setChecked(number(fakeIE) != 0);
        mnuIEWebHeader_Click();
    }
    const QString capture = setting(QStringLiteral("Capture"), QStringLiteral("2"));
    if (capture == QLatin1String("1") || capture == QLatin1String("2") || capture == QLatin1String("3")) {
        if (capture == QLatin1String("1")) {
            // The stored path is the single file's: switching to file mode
            // must bring it back into the box, not file it as the folder.
            FileText = path;
            txtMP3Path->clear();
        }
        selectCapture(capture.toInt());
    } else {
        for (QRadioButton* o : {optNormal, optDated, optFile}) {
            o->setAutoExclusive(false);
            o->setChecked(false);
            o->setAutoExclusive(true);
        }
    }
    auto restoreBox = [](QCheckBox* box, const QString& value) {
        if (!value.isEmpty())
            box->setChecked(number(value) != 0);
    };
    restoreBox(chkTimed, setting(QStringLiteral("TimeRec")));
    restoreBox(chkListenOn, setting(QStringLiteral("ListenStream")));
    const QString minutes = setting(QStringLiteral("RecTime"));
    if (!minutes.isEmpty())
        spnTimeInMinutes->setValue(number(minutes));
    restoreBox(chkShutdown, setting(QStringLiteral("Shutdown")));
    restoreBox(chkStartPaused, setting(QStringLiteral("StartPause")));
    txtBaseLineName->setText(setting(QStringLiteral("ArchiveHeader")));
    restoreBox(chkCleanup, setting(QStringLiteral("DeleteArchive")));
    const QString days = setting(QStringLiteral("DaysKeeping"));
    if (!days.isEmpty())
        spnRecordingDays->setValue(number(days));
    PathValid = !txtMP3Path->text().isEmpty() && (folderMode() ? IsFolder(txtMP3Path->text()) : true);
    CheckReady(false);
}

void frmRecord::SavePanelSettings()
{
    save(QStringLiteral("MP3Path"), txtMP3Path->text());
    save(QStringLiteral("FakeIE"), flag(mnuIEWebHeader->isChecked()));
    save(QStringLiteral("Capture"), optFile->isChecked()    ? QStringLiteral("1")
                                    : optNormal->isChecked() ? QStringLiteral("2")
                                    : optDated->isChecked()  ? QStringLiteral("3")
                                                             : QString());
    save(QStringLiteral("TimeRec"), flag(chkTimed->isChecked()));
    save(QStringLiteral("ListenStream"), flag(chkListenOn->isChecked()));
    save(QStringLiteral("RecTime"), QString::number(spnTimeInMinutes->value()));
    save(QStringLiteral("Shutdown"), flag(chkShutdown->isChecked()));
    save(QStringLiteral("StartPause"), flag(chkStartPaused->isChecked()));
    save(QStringLiteral("ArchiveHeader"), txtBaseLineName->text());
    save(QStringLiteral("DeleteArchive"), flag(chkCleanup->isChecked()));
    save(QStringLiteral("DaysKeeping"), QString::number(spnRecordingDays->value()));
}

void frmRecord::setPanelControlsEnabled(bool on)
{
    const QList<QWidget*> controls{fraRecordings, fraMP3,         lblDisplayTitle, txtStreamTitle, lblPathToSave,
                                   txtMP3Path,    chkTimed,       lblTime,         chkShutdown,    cmdPathToSave,
                                   optNormal,     optDated,       optFile,         lblBaselineName, txtBaseLineName,
                                   chkCleanup,    lblKepRecordings, cmdPreview,    chkStartPaused, chkListenOn};
    for (QWidget* w : controls)
        w->setEnabled(on);
}

void frmRecord::EnablePanel()
{
    setPanelControlsEnabled(true);
    const bool path = !txtMP3Path->text().isEmpty();
    cmdRecord->setEnabled(path);
    cmdPreview->setEnabled(path);
    cmdSave->setEnabled(path);
    lblConnecting->hide();
    CheckReady(false);
}

void frmRecord::DisablePanel()
{
    setPanelControlsEnabled(false);
    lblConnecting->hide();
    txtStreamTitle->clear();
    cmdOK->setEnabled(!txtPlaylist->text().isEmpty());
}

bool frmRecord::CheckReady(bool QueryOnly)
{
    bool ready = PathValid && StationReady;
    if (txtMP3Path->text().isEmpty())
        ready = false;
    if (optDated->isChecked() && txtBaseLineName->text().isEmpty())
        ready = false;
    if (!QueryOnly) {
        cmdRecord->setEnabled(ready);
        cmdPreview->setEnabled(ready);
        cmdSave->setEnabled(ready);
        if (PathValid)
            lblSavePathProblem->hide();
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
        FolderText = txtMP3Path->text();
    else
        FileText = txtMP3Path->text();
}

void frmRecord::txtMP3Path_LostFocus()
{
    PanelEdited = true;
    const QString text = txtMP3Path->text();
    if (text.isEmpty()) {
        PathValid = false;
    } else if (folderMode()) {
        if (!text.endsWith(QLatin1Char('/')) && !text.endsWith(QLatin1Char('\\')))
            txtMP3Path->setText(text + QLatin1Char('/'));
        if (IsFolder(txtMP3Path->text())) {
            PathValid = true;
        } else {
            m_deps.messages->ShowMessage(tr("The path is invalid!"));
            PathValid = false;
            txtMP3Path->setText(FolderText);
            txtMP3Path->setFocus();
            txtMP3Path->setCursorPosition(int(txtMP3Path->text().size()));
        }
    } else {
        if (IsPathWritable(text)) {
            PathValid = true;
        } else {
            m_deps.messages->ShowMessage(tr("Invalid MP3 file name!"));
            txtMP3Path->setText(FileText);
            txtMP3Path->setFocus();
            txtMP3Path->setCursorPosition(int(txtMP3Path->text().size()));
            PathValid = false;
        }
    }
    CheckReady(false);
    if (PathValid)
        SetLastPath(txtMP3Path->text());
}

void frmRecord::txtMP3Path_OLEDragDrop(const QMimeData* data)
{
    PanelEdited = true;
    if (!data || data->urls().isEmpty() || !data->urls().first().isLocalFile())
        return;
    QString path = data->urls().first().toLocalFile();
    if (folderMode() ? !IsFolder(path) : !FileExists(path))
        return;
    txtMP3Path->setText(path);
    txtMP3Path_LostFocus();
}

void frmRecord::cmdPathToSave_Click()
{
    PanelEdited = true;
    if (folderMode()) {
        const QString folder =
            m_deps.dialogs->BrowseForFolder(this, tr("Select a Path To Save To"), txtMP3Path->text());
        if (folder.isEmpty()) {
            PathValid = !txtMP3Path->text().isEmpty();
        } else {
            if (folder != txtMP3Path->text())
                txtMP3Path->setText(folder);
            PathValid = true;
            SetLastPath(folder);
        }
        CheckReady(false);
        return;
    }
    const QString before = txtMP3Path->text();
    const QString file = m_deps.dialogs->GetSaveFileName(this, tr("Save MP3s to"), before,
                                                         tr("MP3 music file (*.MP3 *.mp3)"), QStringLiteral("mp3"));
    if (!file.isEmpty()) {
        if (IsPathWritable(file)) {
            txtMP3Path->setText(file);
            txtMP3Path->selectAll();
        } else {
            m_deps.messages->ShowMessage(tr("Invalid MP3 file name!"));
            txtMP3Path->setText(before);
        }
    }
    PathValid = !txtMP3Path->text().isEmpty();
    CheckReady(false);
}

void frmRecord::optNormal_Click()
{
    PanelEdited = true;
    fraDateMode->setVisible(false);
    if (!folderMode()) {
        FileText = txtMP3Path->text();
        lblPathToSave->setText(tr("Path to save MP3s to:"));
        txtMP3Path->setAccessibleName(lblPathToSave->text());
        txtMP3Path->setText(FolderText);
        cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    }
    CheckReady(false);
}

void frmRecord::optDated_Click()
{
    optNormal_Click();
    fraDateMode->setVisible(true);
}

void frmRecord::optFile_Click()
{
    PanelEdited = true;
    fraDateMode->setVisible(false);
    if (folderMode()) {
        FolderText = txtMP3Path->text();
        lblPathToSave->setText(tr("MP3 file:"));
        txtMP3Path->setAccessibleName(lblPathToSave->text());
        txtMP3Path->setText(FileText);
        cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    }
    CheckReady(false);
}

void frmRecord::chkUseEnternal_Click()
{
    const bool on = chkUseEnternal->isChecked();
    txtExternalPlayer->setEnabled(on);
    cmdBrowsePlayer->setEnabled(on);
    if (!on)
        save(QStringLiteral("useExternal"), QString());
}

void frmRecord::cmdBrowsePlayer_Click()
{
    const QString file =
        m_deps.dialogs->GetOpenFileName(this, tr("External Player"), txtExternalPlayer->text(), QString());
    if (!file.isEmpty())
        txtExternalPlayer->setText(file);
    save(QStringLiteral("useExternal"), txtExternalPlayer->text());
}

void frmRecord::mnuIEWebHeader_Click()
{
    SetIEAgent(mnuIEWebHeader->isChecked());
}

void frmRecord::spnTimeInMinutes_Validate()
{
    PanelEdited = true;
    if (spnTimeInMinutes->value() < 1) {
        spnTimeInMinutes->setValue(1);
        spnTimeInMinutes->txtSpin()->setFocus();
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
        cmdRecord->setEnabled(ready);
        cmdPreview->setEnabled(ready);
    } else {
        cmdRecord->setEnabled(false);
        cmdPreview->setEnabled(false);
    }
}

void frmRecord::startAction(bool listen)
{
    PanelEdited = false;
    if (m_recording)
        m_deps.recorder->StopRecording();
    clsConfiguration& c = *m_deps.config;
    c.bCalledFromGUI = true;
    c.bConfigOK = true;
    if (listen)
        c.bPreviewModeOnly = true;
    lblConnecting->hide();
    PutInCR();
    if (!m_deps.recorder->InitializeMP3Recorder())
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
