#include "ui/shell/desktopprogram.h"

#include "config/associations.h"
#include "config/configuration.h"
#include "config/usersettings.h"
#include "platform/messages.h"
#include "recorder/frmmp3.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/library/frmlibrary.h"
#include "ui/messageboxservice.h"
#include "ui/shell/dialogs.h"
#include "ui/tray/frmareyousure.h"
#include "ui/tray/trayicon.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <memory>

DesktopProgram::DesktopProgram(const Services& services, PanelMaker makePanel, QObject* parent)
    : QObject(parent), m_services(services), m_makePanel(std::move(makePanel))
{
}

DesktopProgram::~DesktopProgram()
{
    m_unloading = true;
    // The recordings alongside end before the windows that show them.
    if (m_recordings)
        m_recordings->Set().StopAll();
    delete m_quitDialog;
    delete m_browser;
    delete m_localSearch;
    delete m_library;
    delete m_whatPlays;
    delete m_display;
    delete m_panelWindow;
}

void DesktopProgram::attach(frmMP3* recorder, const RecorderDeps* alongside)
{
    m_recorder = recorder;
    m_tray = std::make_unique<RecorderTray>(*recorder, *m_services.tray, *this);
    m_tray->AddLibrary([this] { ShowLibrary(); });
    if (!alongside)
        return;
    m_recordings = std::make_unique<DesktopRecordings>(*recorder, *alongside);
    RecordingsModel& model = m_recordings->Model();
    m_tray->SetTipMaker([&model](const QString& tip) { return model.TrayTip(tip); });
    QAction* stopAll = m_tray->AddStopAll([this] { m_recordings->StopAll(); });
    connect(m_recordings.get(), &DesktopRecordings::rowsChanged, this, [this, stopAll] {
        stopAll->setEnabled(m_recordings->Running() > 0);
        m_tray->RefreshTip();
    });
    connect(m_recordings.get(), &DesktopRecordings::focusedChanged, this,
            [this](frmMP3* focused) { followFocus(*focused); });
    m_tray->AddSaving([this] { saveLastMinutes(); }, [this] { saveThisSong(); });
    m_recordings->SetHistory(m_services.history);
    connect(m_recordings.get(), &DesktopRecordings::caught, this,
            [this](const QString& station, const QString& title, const QString& file) {
                if (m_link && NotifySongs())
                    m_link->Notify(notices::Caught(station, title, file));
            });
}

// The tray saves the last minutes, or the song, of the recording in focus.
void DesktopProgram::saveThisSong()
{
    QString problem;
    const int id = m_recordings->IdOf(&m_recordings->Focused());
    if (m_recordings->SaveThisSong(id, &problem).isEmpty())
        m_services.messages->ShowMessage(tr("This song could not be saved: %1").arg(problem));
}

void DesktopProgram::saveLastMinutes()
{
    QString problem;
    const int id = m_recordings->IdOf(&m_recordings->Focused());
    const QString path = m_recordings->SaveLastMinutes(id, &problem);
    if (path.isEmpty())
        m_services.messages->ShowMessage(tr("The last minutes could not be saved: %1").arg(problem));
    else if (m_link)
        m_link->Notify(notices::SavedSong(QFileInfo(path).completeBaseName(), path));
}

frmMP3& DesktopProgram::shownRecorder() const
{
    return m_recordings ? m_recordings->Focused() : *m_recorder;
}

// The display, the tray and the media controls show the recording in focus.
// The display is made again for it where the old one stood.
void DesktopProgram::followFocus(frmMP3& recorder)
{
    if (m_unloading)
        return;
    m_tray->Follow(recorder);
    if (m_link)
        m_link->Follow(recorder);
    if (!m_display || m_displayRecorder == &recorder)
        return;
    const bool shown = m_display->isVisible();
    const QRect place = m_display->geometry();
    delete m_display;
    frmRecordingDisplay* display = loadDisplay();
    display->setGeometry(place);
    if (shown)
        display->show();
}

void DesktopProgram::ResumeRecordings(const PresetLoader& load)
{
    if (!m_recordings || !::ResumeRecordings())
        return;
    const QList<ResumeEntry> entries = RecordingsToResume();
    SetRecordingsToResume({});
    for (const ResumeEntry& entry : entries) {
        RecordingConfig config = *m_services.config;
        config.sConfigFileName.clear();
        if (!entry.preset.isEmpty()) {
            if (!load || !load(entry.preset, config))
                continue;
        } else {
            config.sShoutCastFile = entry.address;
            config.sRecordingTitle = entry.title;
            if (!entry.folder.isEmpty())
                config.sMP3Path = entry.folder;
        }
        config.bCalledFromGUI = true;
        config.bConfigOK = true;
        config.bPreviewModeOnly = false;
        if (entry.watch)
            m_recordings->Watch(config);
        else
            m_recordings->RecordAlongside(config);
    }
}

bool DesktopProgram::AnyRecordingRunning()
{
    if (!m_recordings)
        return false;
    const RecorderStatus status = m_recorder->Status();
    return (status.blnRecording && !status.blnPaused) || m_recordings->AlongsideRecording();
}

bool DesktopProgram::ListenTo(frmMP3& recorder)
{
    return m_recordings && m_recordings->ListenTo(recorder);
}

void DesktopProgram::Main()
{
    // The recorder's state comes first: the panel shows the display, which
    // reads the recorder's volume as it opens.
    m_recorder->Form_Load();
    if (IPanel* panel = loadPanel())
        panel->PanelWindow()->show();
}

void DesktopProgram::Main(const QString& file, bool noop)
{
    m_recorder->Form_Load();
    if (!m_services.openPreset || !m_services.openPreset(file, noop))
        m_recorder->QuitProgram(1);
}

// The recorder's window is loaded: its icon goes to the notification area.
// Without one the recording display is the program's control surface. The
// notification area is watched from then on: one that appears later (its
// panel started after the recorder) gets the icon; should it go away (its
// host ends), the display takes over. The host's selection can be missing
// for a moment while it re-registers, so it must be missing at two checks in
// a row.
void DesktopProgram::RecorderLoaded()
{
    linkToDesktop();
    if (m_services.tray->Available())
        m_tray->Create();
    else
        ShowRecordingDisplay();
    auto* watch = new QTimer(this);
    watch->setInterval(kTrayWatchMs);
    connect(watch, &QTimer::timeout, this, [this, missed = 0, tookOver = false]() mutable {
        if (m_unloading)
            return;
        const bool available = m_services.tray->Available();
        if (available && !m_tray->Created())
            m_tray->Create();
        missed = available ? 0 : missed + 1;
        if (available)
            tookOver = false;
        else if (missed >= 2 && !tookOver && m_tray->Created()) {
            tookOver = true;
            ShowRecordingDisplay();
        }
    });
    watch->start();
}

void DesktopProgram::linkToDesktop()
{
    if (m_link || !m_recorder)
        return;
    RecorderDesktopLink::Hooks hooks;
    hooks.raise = [this] { RaiseWindows(); };
    hooks.showQuitConfirmation = [this] { ShowQuitConfirmation(); };
    hooks.quitConfirmationShown = [this] { return m_quitDialog && m_quitDialog->isVisible(); };
    hooks.quitProgram = [this] { QuitProgram(); };
    hooks.openSearch = [this] { ShowDirectorySearch(); };
    hooks.openLibrary = [this] { ShowLibrary(); };
    hooks.openPreset = [this](const QString& preset) {
        return m_services.openPreset && m_services.openPreset(preset, false);
    };
    hooks.openFolder = [this](const QString& folder) {
        if (m_services.urls)
            m_services.urls->OpenUrl(QUrl::fromLocalFile(folder));
    };
    m_link = std::make_unique<RecorderDesktopLink>(shownRecorder(), std::move(hooks), QDBusConnection::sessionBus());
    m_link->Register();
    linkLibraryToDesktop();
}

void DesktopProgram::RaiseWindows()
{
    bool shown = false;
    for (QWidget* w : {static_cast<QWidget*>(m_display), static_cast<QWidget*>(m_panelWindow)}) {
        if (w && w->isVisible()) {
            bringUp(w);
            shown = true;
        }
    }
    if (shown)
        return;
    if (m_recorder && m_recorder->Status().blnRecording) {
        ShowRecordingDisplay();
        bringUp(m_display);
    } else if (IPanel* panel = loadPanel()) {
        bringUp(panel->PanelWindow());
    }
}

IPanel* DesktopProgram::loadPanel()
{
    if (!m_panelWindow && m_makePanel) {
        m_panel = m_makePanel(*this);
        m_panelWindow = m_panel->PanelWindow();
        m_panelWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    return openPanel();
}

IPanel* DesktopProgram::openPanel() const
{
    return m_panelWindow ? m_panel : nullptr;
}

frmRecordingDisplay* DesktopProgram::loadDisplay()
{
    if (!m_display) {
        DisplayEnvironment env;
        if (m_services.masterVolume)
            env.masterVolume = m_services.masterVolume;
        m_displayRecorder = &shownRecorder();
        m_display = new frmRecordingDisplay(*m_displayRecorder, *m_services.config, *this, env);
        watchRefreshGaps();
    }
    return m_display;
}

// With TONQUILL_GUI_STATS naming a file, the longest time between two
// refreshes of the display is kept there (for the benchmark).
void DesktopProgram::watchRefreshGaps()
{
    const QString path = qEnvironmentVariable("TONQUILL_GUI_STATS");
    if (path.isEmpty())
        return;
    auto clock = std::make_shared<QElapsedTimer>();
    auto worst = std::make_shared<qint64>(0);
    connect(m_display, &frmRecordingDisplay::refreshed, this, [clock, worst, path] {
        if (clock->isValid()) {
            const qint64 gap = clock->elapsed();
            // A file removed from outside starts the count again.
            if (!QFile::exists(path))
                *worst = 0;
            if (gap > *worst) {
                *worst = gap;
                QFile f(path);
                if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    f.write(QByteArray::number(gap) + '\n');
            }
        }
        clock->start();
    });
}

void DesktopProgram::ShowPanelFromConfiguration()
{
    // A panel loaded now fills itself from the loaded preset as it opens;
    // filling it twice would list the station twice.
    const bool loaded = openPanel();
    IPanel* panel = loadPanel();
    if (!panel)
        return;
    panel->PanelWindow()->show();
    if (loaded || !m_services.config->bConfigOK)
        panel->LoadBasedOnCR();
}

void DesktopProgram::ShowRecordingDisplay()
{
    frmRecordingDisplay* display = loadDisplay();
    display->show();
    if (IPanel* panel = openPanel())
        panel->DockDisplay();
}

// Ends the modal dialogs that are open (a message, the add-station dialog, a
// file dialog); true when there was one. Each returns from its own loop as
// cancelled once control is back in that loop.
bool DesktopProgram::closeModalDialogs()
{
    bool any = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        // A message box stays until it is read; it runs no loop of its own.
        if (dialog && dialog->property(MessageBoxService::kBoxProperty).toBool())
            continue;
        if (dialog && dialog->isVisible() && dialog->isModal() && dialog != m_quitDialog) {
            dialog->done(QDialog::Rejected);
            any = true;
        }
    }
    return any;
}

void DesktopProgram::UnloadWindows()
{
    if (m_unloading)
        return;
    m_unloading = true;
    // What ran is kept to be started again at the next start.
    if (m_recordings && ::ResumeRecordings())
        SetRecordingsToResume(m_recordings->ResumeEntries());
    // A recording still open when the program ends is closed and tagged
    // like any other, whichever window ended the program.
    if (m_recorder && m_recorder->Status().blnRecording)
        m_recorder->CloseRecording();
    if (m_recordings)
        m_recordings->Set().StopAll();
    // A modal dialog's loop is below us on the stack (a termination signal
    // came while it was open): the code that opened it goes on with its
    // window once the loop returns, so the windows are only closed now and
    // deleted when the program's loop has ended.
    const bool dialogOpen = closeModalDialogs() || QApplication::activeModalWidget() != nullptr;
    if (m_panelWindow) {
        if (dialogOpen)
            m_panelWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        // The panel keeps its station list and settings as it closes.
        m_panelWindow->close();
    }
    if (dialogOpen) {
        for (QWidget* w : {static_cast<QWidget*>(m_display), static_cast<QWidget*>(m_browser),
                           static_cast<QWidget*>(m_localSearch), static_cast<QWidget*>(m_library),
                           static_cast<QWidget*>(m_whatPlays)}) {
            if (w)
                w->hide();
        }
    } else {
        delete m_display;
        delete m_browser;
        delete m_localSearch;
        delete m_library;
        delete m_whatPlays;
    }
    if (m_quitDialog)
        m_quitDialog->close();
    if (m_tray)
        m_tray->Remove();
    m_link.reset();
}

void DesktopProgram::InstallAssociations()
{
    InstallUserAssociations();
}

void DesktopProgram::UninstallAssociations()
{
    UninstallUserAssociations();
}

void DesktopProgram::QuitProgram()
{
    if (m_services.dismissMessages)
        m_services.dismissMessages();
    if (m_recorder)
        m_recorder->QuitProgram(0);
}

void DesktopProgram::ShowQuitConfirmation()
{
    if (!m_quitDialog)
        m_quitDialog = new frmAreYouSure(*m_recorder, *this, *m_services.clock);
    m_quitDialog->show();
    m_quitDialog->raise();
    m_quitDialog->activateWindow();
}

void DesktopProgram::SetToggleDisplayCaption(const QString& caption)
{
    if (m_tray)
        m_tray->SetToggleDisplayCaption(caption);
}

QWidget* DesktopProgram::RecordingDisplayWindow()
{
    return m_display;
}

SearchDeps DesktopProgram::searchDeps()
{
    SearchDeps deps;
    deps.messages = m_services.messages;
    deps.appendStation = [this](const QString& name, const QString& url) {
        if (IPanel* panel = loadPanel())
            panel->AppendStation(name, url);
    };
    deps.dropOnStationList = [this](const QString& address) {
        IPanel* panel = loadPanel();
        if (!panel)
            return;
        bringUp(panel->PanelWindow());
        panel->DropOnStationList(address);
    };
    return deps;
}

void DesktopProgram::bringUp(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

// A new window opens centred over the panel (else over the screen), whole
// on the screen that holds that centre.
void DesktopProgram::centreOnPanel(QWidget* window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    QPoint centre = screen ? screen->availableGeometry().center() : QPoint();
    if (m_panelWindow && m_panelWindow->isVisible()) {
        centre = m_panelWindow->frameGeometry().center();
        if (QScreen* under = QGuiApplication::screenAt(centre))
            screen = under;
    }
    QRect place(QPoint(), window->size());
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.setSize(place.size().boundedTo(area.size()));
        place.moveCenter(centre);
        place.moveLeft(std::clamp(place.left(), area.left(), area.right() + 1 - place.width()));
        place.moveTop(std::clamp(place.top(), area.top(), area.bottom() + 1 - place.height()));
    }
    window->resize(place.size());
    window->move(place.topLeft());
}

// The search windows are made when first asked for and only hidden by
// closing: the directory search keeps its last page.
void DesktopProgram::ShowDirectorySearch()
{
    if (!m_browser) {
        m_browser = new frmBrowser(searchDeps());
        centreOnPanel(m_browser);
    }
    bringUp(m_browser);
}

void DesktopProgram::ShowRadioBrowserSearch()
{
    ShowDirectorySearch();
    m_browser->SetSearchType(frmBrowser::RadioBrowser);
}

void DesktopProgram::ShowPresetSearch()
{
    if (!m_localSearch) {
        m_localSearch = new frmLocalSearch(searchDeps());
        centreOnPanel(m_localSearch);
    }
    bringUp(m_localSearch);
}

void DesktopProgram::ShowWhatPlays()
{
    if (!m_whatPlays) {
        WhatPlaysDeps deps;
        deps.urls = m_services.urls;
        m_whatPlays = new frmWhatPlays(deps);
        centreOnPanel(m_whatPlays);
    }
    bringUp(m_whatPlays);
}

QWidget* DesktopProgram::RecordingDisplay(bool load)
{
    if (load)
        return loadDisplay();
    return m_display;
}

QWidget* DesktopProgram::Panel()
{
    return m_panelWindow;
}

void DesktopProgram::ShowPanelForSetup()
{
    IPanel* panel = loadPanel();
    if (!panel)
        return;
    panel->SetPanelOpenMode(1);
    QWidget* window = panel->PanelWindow();
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    window->show();
    window->raise();
    window->activateWindow();
    if (!m_services.config->sConfigFileName.isEmpty())
        panel->LoadBasedOnCR();
}
