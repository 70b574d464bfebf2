#pragma once

#include "recorder/recorderhost.h"
#include "ui/desktop/recorderdesktoplink.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/library/frmlibrary.h"
#include "ui/search/frmbrowser.h"
#include "ui/search/frmlocalsearch.h"
#include "ui/search/frmwhatplays.h"
#include "ui/shell/desktoprecordings.h"
#include "ui/shell/desktopshell.h"
#include "ui/shell/panel.h"
#include "ui/tray/frmareyousure.h"
#include "ui/tray/recordertray.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class clsConfiguration;
class frmMP3;
class IFileDialogs;
class IMessageService;
class IProcessLauncher;
class ITickSource;
class ITrayIcon;
class IUrlOpener;

// The recorder as a desktop program: its tray icon and menu, the control
// panel, the recording display and the quit confirmation, loaded when first
// used and unloaded by the quit routine.
class DesktopProgram : public QObject, public IRecorderHost, public IDesktopShell, public ITrayWindows {
    Q_OBJECT
public:
    struct Services {
        clsConfiguration* config = nullptr;
        IMessageService* messages = nullptr;
        ITickSource* clock = nullptr;
        ITrayIcon* tray = nullptr;
        IProcessLauncher* launcher = nullptr;
        IFileDialogs* dialogs = nullptr;
        IUrlOpener* urls = nullptr;
        std::function<qint32()> masterVolume; // empty: the system's mixer
        // Loads a preset or playlist file into the configuration and starts
        // what it asks for; false when it could not be loaded.
        std::function<bool(const QString& file, bool noop)> openPreset;
        // Closes the message boxes on screen: the user who ends the program
        // has seen them. Those raised on the way out are still read.
        std::function<void()> dismissMessages;
        // Where every recording's titles go (null: nowhere).
        HistoryWriter* history = nullptr;
    };

    // Makes the control panel; the panel belongs to its window.
    using PanelMaker = std::function<IPanel*(IDesktopShell& shell)>;

    static constexpr int kTrayWatchMs = 2000;

    DesktopProgram(const Services& services, PanelMaker makePanel, QObject* parent = nullptr);
    ~DesktopProgram() override;

    // With `alongside` (what each recorder alongside the program's own is
    // made with), any number of stations record at once.
    void attach(frmMP3* recorder, const RecorderDeps* alongside = nullptr);
    // The recordings run at once; null without recordings alongside.
    DesktopRecordings* recordings() const { return m_recordings.get(); }
    // Starts the recordings that ran when the program was last quit (when
    // the user asked for that); `load` reads a preset's configuration (false
    // when it cannot be read).
    using PresetLoader = std::function<bool(const QString& preset, RecordingConfig& config)>;
    void ResumeRecordings(const PresetLoader& load);

    // The program's start: the recorder with its icon (or, without a
    // notification area, its display), then the panel.
    void Main();
    // The start with a file given: the recorder, then the file opened; a
    // file that cannot be opened ends the program.
    void Main(const QString& file, bool noop);

    RecorderTray* tray() const { return m_tray.get(); }
    QWidget* panel() const { return m_panelWindow; }
    frmRecordingDisplay* display() const { return m_display; }
    // The recorder the display shows, null without a display.
    frmMP3* displayedRecorder() const { return m_display ? m_displayRecorder : nullptr; }
    frmBrowser* directorySearch() const { return m_browser; }
    frmLocalSearch* presetSearch() const { return m_localSearch; }
    frmLibrary* library() const { return m_library; }
    frmWhatPlays* whatPlays() const { return m_whatPlays; }
    // The recorder on the session bus (media controls, notifications, the
    // menu entry's actions); null before the recorder loads and after quitting.
    RecorderDesktopLink* desktopLink() const { return m_link.get(); }
    // Brings the display or the panel to the front, whichever is shown; with
    // neither, the display while recording, else the panel.
    void RaiseWindows();

    // Opens the control panel filled from the shared configuration.
    void ShowPanelFromConfiguration();
    void ShowRecordingDisplay() override;

    // IRecorderHost
    void RecorderLoaded() override;
    void UnloadWindows() override;
    void InstallAssociations() override;
    void UninstallAssociations() override;

    // IDesktopShell
    void QuitProgram() override;
    void ShowQuitConfirmation() override;
    void SetToggleDisplayCaption(const QString& caption) override;
    QWidget* RecordingDisplayWindow() override;
    void ShowDirectorySearch() override;
    void ShowPresetSearch() override;
    void ShowRadioBrowserSearch() override;
    void ShowLibrary() override;
    void ShowWhatPlays() override;
    bool AnyRecordingRunning() override;
    bool ListenTo(frmMP3& recorder) override;

    // ITrayWindows
    QWidget* RecordingDisplay(bool load) override;
    QWidget* Panel() override;
    void ShowPanelForSetup() override;

private:
    IPanel* loadPanel();
    IPanel* openPanel() const;
    void linkToDesktop();
    // The library's player in the media controls, once both are there.
    void linkLibraryToDesktop();
    bool closeModalDialogs();
    frmRecordingDisplay* loadDisplay();
    void watchRefreshGaps();
    SearchDeps searchDeps();
    static void bringUp(QWidget* window);
    void centreOnPanel(QWidget* window);
    void followFocus(frmMP3& recorder);
    void saveLastMinutes();
    void saveThisSong();
    frmMP3& shownRecorder() const;

    Services m_services;
    frmMP3* m_recorder = nullptr;
    std::unique_ptr<RecorderTray> m_tray;
    PanelMaker m_makePanel;
    // The panel while its window lives.
    IPanel* m_panel = nullptr;
    QPointer<QWidget> m_panelWindow;
    QPointer<frmRecordingDisplay> m_display;
    QPointer<frmAreYouSure> m_quitDialog;
    QPointer<frmBrowser> m_browser;
    QPointer<frmLocalSearch> m_localSearch;
    QPointer<frmLibrary> m_library;
    QPointer<frmWhatPlays> m_whatPlays;
    std::unique_ptr<RecorderDesktopLink> m_link;
    std::unique_ptr<DesktopRecordings> m_recordings;
    frmMP3* m_displayRecorder = nullptr; // the recorder the display was made for
    bool m_unloading = false;
};
