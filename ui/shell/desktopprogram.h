#pragma once

#include "recorder/recorderhost.h"
#include "ui/shell/desktopshell.h"
#include "ui/shell/panel.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/tray/frmareyousure.h"
#include "ui/tray/recordertray.h"
#include "ui/search/frmbrowser.h"
#include "ui/search/frmlocalsearch.h"
#include "ui/desktop/recorderdesktoplink.h"

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
        // Closes the message boxes on screen: the user who ends the program
        // has seen them. Those raised on the way out are still read.
        std::function<void()> dismissMessages;
    };

    // Makes the control panel; the panel belongs to its window.
    using PanelMaker = std::function<IPanel*(IDesktopShell& shell)>;

    static constexpr int kTrayWatchMs = 2000;

    DesktopProgram(const Services& services, PanelMaker makePanel, QObject* parent = nullptr);
    ~DesktopProgram() override;

    void attach(frmMP3* recorder);

    // The program's start: the panel for an empty command line, then the
    // recorder with its icon (or, without a notification area, its display).
    void Main(const QString& commandLine);

    RecorderTray* tray() const { return m_tray.get(); }
    QWidget* panel() const { return m_panelWindow; }
    frmRecordingDisplay* display() const { return m_display; }
    frmBrowser* directorySearch() const { return m_browser; }
    frmLocalSearch* presetSearch() const { return m_localSearch; }
    // The recorder on the session bus (media controls, notifications, the
    // menu entry's actions); null before the recorder loads and after quitting.
    RecorderDesktopLink* desktopLink() const { return m_link.get(); }
    // Brings the display or the panel to the front, whichever is shown; with
    // neither, the display while recording, else the panel.
    void RaiseWindows();

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
    IPanel* loadPanel();
    IPanel* openPanel() const;
    void linkToDesktop();
    bool closeModalDialogs();
    frmRecordingDisplay* loadDisplay();
    void watchRefreshGaps();
    SearchDeps searchDeps();
    static void bringUp(QWidget* window);
    void centreOnPanel(QWidget* window);

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
    std::unique_ptr<RecorderDesktopLink> m_link;
    bool m_unloading = false;
};
