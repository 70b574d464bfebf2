#pragma once

#include "config/recordingconfig.h"
#include "recorder/recorderstatus.h"
#include "ui/panel/keptvalue.h"
#include "ui/shell/panel.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class frmRecord;
class StationsPage;
class OptionsPage;
class OtherPage;
} // namespace Ui

class IDesktopShell;
class IFileDialogs;
class IMessageService;
class IProcessLauncher;
class ITickSource;
class IUrlOpener;
class QAction;
class QMenu;
class QMimeData;
class QTimer;
class clsConfiguration;
class ctlURIGrabber;
class frmHelp;
class QUrl;
class frmMP3;
class ITaskScheduler;
class DesktopRecordings;
class RecordingsPane;
class QToolButton;
struct ScheduledTask;

// What the control panel reaches outside itself.
struct PanelDeps {
    frmMP3* recorder = nullptr;
    clsConfiguration* config = nullptr;
    IMessageService* messages = nullptr;
    IProcessLauncher* launcher = nullptr;
    IFileDialogs* dialogs = nullptr;
    IUrlOpener* urls = nullptr;
    IDesktopShell* shell = nullptr;
    ITickSource* clock = nullptr;
    // The add/edit dialog: shows `caption` with the fields, true when the
    // user confirmed. Empty: the real modal dialog.
    std::function<bool(QWidget* owner, const QString& caption, QString& name, QString& url)> stationDialog;
    // Told the playlist address of each recording or listening the user
    // starts from the panel.
    std::function<void(const QString& playlist)> stationStarted;
    // The station list file, relative to the current folder unless a path.
    QString stationFile = QStringLiteral("Playlist.txt");
    // The scheduler the "Scheduler" group adds tasks to.
    ITaskScheduler* scheduler = nullptr;
    // The folder of the program a task starts. Empty: the running program's.
    QString programFolder;
    // The name prompt: shows `prompt` and `title` with `text` proposed, true
    // when the user confirmed (then `text` holds the answer). Empty: the
    // real modal input box.
    std::function<bool(QWidget* owner, const QString& prompt, const QString& title, QString& text)> inputBox;
    // The recordings run at once: with them the panel offers "Record
    // Alongside" and lists the recordings on a page of its own.
    DesktopRecordings* recordings = nullptr;
    // The task's property dialog. Empty: the real modal dialog.
    std::function<void(QWidget* owner, ITaskScheduler& scheduler, const ScheduledTask& task)> taskDialog;
};

// The control panel: the station list, the recording options and the
// actions that start a recording, in four pages chosen from a column of
// buttons, with the menus of the program's tools, searches and help.
class frmRecord : public QMainWindow, public IPanel {
    Q_OBJECT
public:
    static const QString kCaption; // "Tonquill v2.01"
    static const QString kWebSite; // "Tonquill on the Web"
    // 1 after "Set up new recording": minimising the panel then hides it.
    static int PanelOpenMode;

    explicit frmRecord(const PanelDeps& deps, QWidget* parent = nullptr);
    ~frmRecord() override;

    // IPanel
    QWidget* PanelWindow() override { return this; }
    void SetPanelOpenMode(int mode) override { PanelOpenMode = mode; }
    void DropOnStationList(const QString& address) override;

    // ---- station list
    bool AddList(QString& URL);
    void cmdAddtoList_Click();
    void cmdEdit_Click();
    // "Set Picture…": a picture file the selected station's songs carry when they have no cover of their own.
    void mnuSetPicture_Click();
    void cmdRemoveList_Click();
    void mnuRemoveAll_Click();
    void lstViewSongList_DblClick();
    void cmdOK_Click();
    void ctlURIGrabber_Done();
    void ctlURIGrabber_Error(int lngErrorCode);
    // Every drop target of the panel hands its data here.
    void lstViewSongList_OLEDragDrop(const QMimeData* data);
    void LoadBasedOnCR() override;
    void PutInCR();
    void AppendStation(const QString& name, const QString& url) override;
    int StationCount() const;
    QString StationName(int index) const;
    QString StationUrl(int index) const;

    // ---- options and actions
    void EnablePanel();
    void DisablePanel();
    bool CheckReady(bool QueryOnly);
    static bool IsPathWritable(const QString& path);
    void LoadPanelSettings();
    void SavePanelSettings();
    void cmdRecord_Click();
    // Starts the selected station beside the recordings running.
    void cmdRecordAlongside_Click();
    void cmdWatch_Click();
    void startAlongside(bool watch);
    void saveLastMinutes(int id);
    void saveThisSong(int id);
    // The recordings list (null without recordings alongside) and its page.
    RecordingsPane* RecordingsList() const { return m_recordingsPane; }
    static constexpr int kRecordingsPage = 4;
    void cmdPreview_Click();
    void cmdLoadConfiguration_Click();
    void cmdSave_Click();
    void cmdPathToSave_Click();
    void txtMP3Path_GotFocus();
    void txtMP3Path_LostFocus();
    void txtMP3Path_OLEDragDrop(const QMimeData* data);
    void optNormal_Click();
    void optDated_Click();
    void optFile_Click();
    void chkUseEnternal_Click();
    void cmdBrowsePlayer_Click();
    void mnuIEWebHeader_Click();
    void spnTimeInMinutes_Validate();
    // The recorder's status changed: Record and Listen follow it at once.
    void RecorderStatusChanged(const RecorderStatus& status);
    // Record and Listen are offered while nothing records, or the panel was
    // edited since the recording started, and the panel is ready.
    void tmrRecMon_Timer();
    void cmdHelp_Click();
    void StartTool(const QString& program);
    // The path a tool program would be started from: beside the executable,
    // else on the PATH; "" when it is neither.
    QString FindTool(const QString& program) const;
    // Each tool item is enabled exactly when its program is there.
    void UpdateToolItems();
    void mnuTonquillWeb_Click();
    // Opens a web address with the desktop's programs; when none can, says
    // so and shows the address to copy.
    void OpenWebAddress(const QUrl& url);
    // The help window, once Help was asked for.
    frmHelp* HelpWindow() const;
    // Keeps the recording display directly below the panel.
    void DockDisplay() override;
    void ShowPage(int page);

    // ---- scheduler
    void cmdAddTask_Click();
    // Asks for the task's name and makes the task; the name prompt comes
    // back after every failure until the user cancels it or the task is
    // made. Returns at once: the scheduler answers later.
    void AddTask(QString& Path, QString& CMD, QString DateSt, QString TimeSt);
    // A task is being added: from the name prompt to the last message.
    bool AddingTask() const { return m_addingTask; }

    bool PanelEdited = false;
    bool PathValid = false;
    // The station in txtPlaylist can be recorded: its playlist was fetched,
    // or it came with a loaded preset. Cleared while a fetch runs and after
    // one failed.
    bool StationReady = false;
    QString FolderText;
    QString FileText;

    // Fetches the playlist of the station being accepted.
    ctlURIGrabber* URIGrabber = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPages();
    void buildRecordingsPage();
    // The station and options shown, as a recording alongside is started.
    RecordingConfig shownRecording();
    // "Record" of a station recorded alongside starts that one again.
    bool restartAlongside();
    void connectRadioPage();
    void connectAdvancedPage();
    void connectOtherPage();
    void proposeTask();
    struct TaskRequest {
        QString path, command, date, time;
    };
    using TaskMade = std::function<void(const QString& failure, const ScheduledTask& stored)>;
    void askTaskName(const TaskRequest& request);
    // Makes the task; `done` gets what to tell the user when it could not be
    // made (else nothing) and the stored task.
    void createTask(const QString& name, const TaskRequest& request, TaskMade done);
    void taskMade(const TaskRequest& request, const QString& failure, const ScheduledTask& stored);
    bool m_addingTask = false;
    void buildMenus();
    void Form_Load();
    void Form_QueryUnload();
    void startAction(bool listen);
    bool runStationDialog(const QString& caption, QString& name, QString& url, bool presetFields);
    bool folderMode() const;
    void setSavePathText(const QString& text);
    void selectCapture(int mode);
    void setPanelControlsEnabled(bool on);
    void useDefaultFolder();
    QString presetDialogPath() const;
    void showSavePathProblem(const QString& text);
    void selectOrAppendStation(const QString& name, const QString& url);

    PanelDeps m_deps;
    // The window's form and the forms of its pages.
    std::unique_ptr<Ui::frmRecord> m_ui;
    Ui::StationsPage* m_radio = nullptr;
    Ui::OptionsPage* m_advanced = nullptr;
    Ui::OtherPage* m_other = nullptr;
    QTimer* tmrRecMon = nullptr;

    // The menus.
    QMenu *mnuPlaylist = nullptr, *mnuToolsPopup = nullptr, *mnuSearch = nullptr;
    QAction *mnuExit = nullptr, *mnuPlay1 = nullptr, *mnuRecord1 = nullptr, *mnuStop1 = nullptr, *mnuAdd1 = nullptr,
            *mnuEdit1 = nullptr, *mnuRemove1 = nullptr, *mnuRemoveAll1 = nullptr, *mnuMedia1 = nullptr,
            *mnuCreator = nullptr, *mnuPressling1 = nullptr, *mnuScheduler1 = nullptr, *mnuSearchShoutcast1 = nullptr,
            *mnuSearchPresets1 = nullptr, *mnuHelp2 = nullptr, *mnuTonquillWeb = nullptr, *mnuAbout1 = nullptr;
    QAction *mnuAdd = nullptr, *mnuRemove = nullptr, *mnuRemoveAll = nullptr, *mnuEdit = nullptr, *mnuPlay = nullptr,
            *mnuRecord = nullptr, *mnuSchedule = nullptr;
    QAction *mnuConverter = nullptr, *mnuCreator1 = nullptr, *mnuPressling = nullptr;
    QAction *mnuShoutCast = nullptr, *mnuLocalDirectory = nullptr;
    QAction *mnuRecordAlongside1 = nullptr, *mnuRecordAlongside = nullptr;
    QAction *mnuWatch1 = nullptr, *mnuWatch = nullptr;
    RecordingsPane* m_recordingsPane = nullptr;
    QToolButton* cmdRecordings = nullptr;
    bool m_closing = false;
    bool m_recording = false; // as the recorder's status last said
    // Configuration values the panel cannot show as they are, given back
    // unless the user changes what is shown in their place.
    KeptSpinnerValue* m_keptMinutes = nullptr;
    KeptSpinnerValue* m_keptDays = nullptr;
    KeptFilePath m_keptFile;
    QPointer<frmHelp> m_help;
    // The station file was there but could not be read: it is never
    // written over, so the stations it holds are not lost.
    bool m_stationFileUnread = false;
};
