#pragma once

#include "recorder/recorderhost.h"
#include "ui/shell/desktopshell.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/tray/frmareyousure.h"
#include "ui/tray/recordertray.h"
#include "ui/search/frmbrowser.h"
#include "ui/search/frmlocalsearch.h"

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
        std::function<qint32()> masterVolume;  // empty: the system's mixer
    };

    // The control panel, made by the program around it.
    struct PanelHooks {
        std::function<QWidget*(IDesktopShell& shell)> create;
        // Fills the panel from the shared configuration.
        std::function<void(QWidget* panel)> loadBasedOnCR;
        // Puts the recording display below the panel.
        std::function<void(QWidget* panel)> dockDisplay;
        // Minimising the panel hides it (set by "Set up new recording").
        std::function<void(int mode)> setPanelOpenMode;
        // Appends a station to the panel's station list (the search windows).
        std::function<void(QWidget* panel, const QString& name, const QString& url)> appendStation;
        // Gives the station list a dropped address.
        std::function<void(QWidget* panel, const QString& address)> dropOnStationList;
    };

    static constexpr int kTrayWatchMs = 2000;

    DesktopProgram(const Services& services, PanelHooks panel, QObject* parent = nullptr);
    ~DesktopProgram() override;

    void attach(frmMP3* recorder);

    // The program's start: the panel for an empty command line, then the
    // recorder with its icon (or, without a notification area, its display).
    void Main(const QString& commandLine);

    RecorderTray* tray() const { return m_tray.get(); }
    QWidget* panel() const { return m_panel; }
    frmRecordingDisplay* display() const { return m_display; }
    frmBrowser* directorySearch() const { return m_browser; }
    frmLocalSearch* presetSearch() const { return m_localSearch; }

    // IRecorderHost
    void ShowPanelFromConfiguration() override;
    void ShowRecordingDisplay() override;
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

    // ITrayWindows
    QWidget* RecordingDisplay(bool load) override;
    QWidget* Panel() override;
    void ShowPanelForSetup() override;

private:
    QWidget* loadPanel();
    bool closeModalDialogs();
    frmRecordingDisplay* loadDisplay();
    void watchRefreshGaps();
    SearchDeps searchDeps();
    static void bringUp(QWidget* window);
    void centreOnPanel(QWidget* window);

    Services m_services;
    frmMP3* m_recorder = nullptr;
    std::unique_ptr<RecorderTray> m_tray;
    PanelHooks m_panelHooks;
    QPointer<QWidget> m_panel;
    QPointer<frmRecordingDisplay> m_display;
    QPointer<frmAreYouSure> m_quitDialog;
    QPointer<frmBrowser> m_browser;
    QPointer<frmLocalSearch> m_localSearch;
    bool m_unloading = false;
};
