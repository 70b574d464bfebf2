// The recorder with a display: the control panel, the recording display and
// the notification-area icon. This is a library of its own, loaded by the
// tonquill program only when a display is used.
#include "app/commandline.h"
#include "app/presetopener.h"
#include "app/programtranslations.h"
#include "app/recorderrun.h"
#include "config/configuration.h"
#include "config/usersettings.h"
#include "history/historywriter.h"
#include "platform/atscheduler.h"
#include "platform/commandrunner.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/terminationsignals.h"
#include "recorder/frmmp3.h"
#include "recorder/headlessconsole.h" // TrackingMessageService
#include "recorder/keepingrelay.h"
#include "sources/radiobrowserclicks.h"
#include "ui/desktop/desktopactions.h"
#include "ui/messageboxservice.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktopprogram.h"
#include "ui/shell/dialogs.h"
#include "ui/tray/trayicon.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>
#include <memory>

extern "C" Q_DECL_EXPORT int tonquillDesktopMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The recorder lives on in the notification area when its windows close.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TonquillIcon());
    // Lets the desktop match the windows to the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tonquill.Tonquill"));
    // Headless status lines stay English: scripts read them.
    InstallTranslations(QStringLiteral("tonquill"), QLocale::system().uiLanguages());
    const CommandLine commandLine = ParseCommandLine(CommandLineOf(argc, argv));
    // The menu entry's actions go to the Tonquill that runs already; without
    // one this start does them itself.
    const DesktopAction action = commandLine.action == CommandLine::Action::RecordLastPreset
                                     ? DesktopAction::RecordLastPreset
                                 : commandLine.action == CommandLine::Action::OpenSearch  ? DesktopAction::OpenSearch
                                 : commandLine.action == CommandLine::Action::OpenLibrary ? DesktopAction::OpenLibrary
                                                                                          : DesktopAction::None;
    CommandLine start = commandLine;
    QString presetProblem; // why the last preset cannot be recorded
    if (action != DesktopAction::None) {
        if (HandToRunningInstance(QDBusConnection::sessionBus(), action))
            return 0;
        // Without it the panel opens, and says why.
        start = CommandLine();
        if (action == DesktopAction::RecordLastPreset)
            start.file = LastPresetToRecord(&presetProblem);
        if (!start.file.isEmpty())
            start.action = CommandLine::Action::Open;
    }

    MessageBoxService boxes(QStringLiteral("Tonquill"));
    TrackingMessageService messages(boxes);
    if (const int status = PrepareRun(commandLine, messages); status >= 0) {
        // The program ends once the user has closed every message box.
        if (boxes.Idle())
            return status;
        boxes.AfterLast([status] { QCoreApplication::exit(status); });
        return app.exec();
    }

    RecorderRun run(messages, false);
    clsConfiguration& config = Configuration();
    frmMP3* recorderPtr = nullptr;
    DesktopRecordings* recordingsPtr = nullptr;
    QtTrayIcon trayIcon;
    QtProcessLauncher launcher;
    QtFileDialogs dialogs;
    DesktopUrlOpener urls;
    SystemCommandRunner commands;
    AtScheduler scheduler(commands);
    RadioBrowserClicks clicks;

    DesktopProgram::Services services;
    services.config = &config;
    services.messages = &messages;
    services.clock = &run.clock();
    services.tray = &trayIcon;
    services.launcher = &launcher;
    services.dialogs = &dialogs;
    services.urls = &urls;
    services.dismissMessages = [&boxes] { boxes.DismissAll(); };
    auto makePanel = [&](IDesktopShell& shell) -> IPanel* {
        PanelDeps deps;
        deps.recorder = recorderPtr;
        deps.recordings = recordingsPtr;
        deps.config = &config;
        deps.messages = &messages;
        deps.launcher = &launcher;
        deps.dialogs = &dialogs;
        deps.urls = &urls;
        deps.shell = &shell;
        deps.clock = &run.clock();
        deps.scheduler = &scheduler;
        deps.stationStarted = [&clicks](const QString& playlist) { clicks.Count(playlist); };
        return new frmRecord(deps);
    };
    // Every recording's titles go into the history; what opening it had to
    // do is said once.
    HistoryWriter history;
    QObject::connect(&history, &HistoryWriter::notice, &app,
                     [&messages](const QString& text) { messages.ShowMessage(text); });
    services.history = &history;
    std::unique_ptr<PresetOpener> opener;
    services.openPreset = [&opener](const QString& file, bool noop) { return opener && opener->Open(file, noop); };
    auto desktop = std::make_unique<DesktopProgram>(services, makePanel);

    RecorderDeps deps = run.deps(desktop.get());
    // Windows and timers keep running through the stream's deliberate pauses.
    deps.holdStream = true;
    IRelay* listeningRelay = deps.relay;
    // The last minutes of the panel's recording are kept in front of the relay.
    // The panel's station is recorded: its minutes are kept on disk.
    KeepingRelay primaryKept(*listeningRelay, qint64(WatchMinutes()) * 60 * 1000);
    primaryKept.Kept().KeepOnDisk();
    deps.relay = &primaryKept;
    frmMP3 recorder(deps);
    recorderPtr = &recorder;
    run.attach(recorder);
    // Stations recorded alongside the panel's own have recorders (and
    // Live365 title readers) of their own.
    RecorderDeps alongside = deps;
    alongside.live365 = nullptr;
    alongside.relay = listeningRelay;
    desktop->attach(&recorder, &alongside);
    recordingsPtr = desktop->recordings();
    recordingsPtr->SetPrimaryKept(&primaryKept);
    opener = std::make_unique<PresetOpener>(recorder, config, messages);
    opener->showPanel = [&desktop] { desktop->ShowPanelFromConfiguration(); };
    opener->showDisplay = [&desktop] { desktop->ShowRecordingDisplay(); };
    // Ended from outside (logging out, kill): the recording is closed and
    // tagged first.
    TerminationSignals terminate;
    terminate.Install();
    QObject::connect(&terminate, &TerminationSignals::Received, &recorder, [&] {
        boxes.DismissAll();
        recorder.ExitFromMenu();
    });
    // A message the recorder raised on its way out is read before the end.
    QObject::connect(
        &recorder, &frmMP3::quitRequested, &app,
        [&boxes](int code) { boxes.AfterLast([code] { QCoreApplication::exit(code); }); }, Qt::QueuedConnection);
    QTimer::singleShot(0, &recorder, [&] {
        if (start.action == CommandLine::Action::Open)
            desktop->Main(start.file, start.noop);
        else
            desktop->Main();
        if (!presetProblem.isEmpty())
            messages.ShowMessage(presetProblem);
        if (action == DesktopAction::OpenSearch)
            desktop->ShowDirectorySearch();
        if (action == DesktopAction::OpenLibrary)
            desktop->ShowLibrary();
        desktop->ResumeRecordings([&messages](const QString& preset, RecordingConfig& config) {
            return LoadPresetToResume(preset, config, messages);
        });
    });
    const int status = app.exec();
    desktop.reset();
    return status;
}
