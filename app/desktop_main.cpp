// The recorder with a display: the control panel, the recording display and
// the notification-area icon. This is a library of its own, loaded by the
// tonquill program only when a display is used.
#include "app/recorderrun.h"
#include "config/configuration.h"
#include "platform/atscheduler.h"
#include "platform/commandrunner.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/terminationsignals.h"
#include "recorder/frmmp3.h"
#include "recorder/headlessconsole.h" // TrackingMessageService
#include "ui/messageboxservice.h"
#include "ui/panel/frmrecord.h"
#include "ui/search/radiobrowserclicks.h"
#include "ui/shell/desktopprogram.h"
#include "ui/shell/dialogs.h"
#include "ui/tray/trayicon.h"

#include <QApplication>
#include <QMimeData>
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
    const QString commandLine = CommandLineOf(argc, argv);

    MessageBoxService shown(QStringLiteral("Tonquill"));
    TrackingMessageService messages(shown);
    if (const int status = PrepareRun(commandLine, messages); status >= 0)
        return status;

    RecorderRun run(messages, false);
    clsConfiguration& config = Configuration();
    frmMP3* recorderPtr = nullptr;
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
    DesktopProgram::PanelHooks panel;
    panel.create = [&](IDesktopShell& shell) -> QWidget* {
        PanelDeps deps;
        deps.recorder = recorderPtr;
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
    panel.loadBasedOnCR = [](QWidget* w) { static_cast<frmRecord*>(w)->LoadBasedOnCR(); };
    panel.dockDisplay = [](QWidget* w) { static_cast<frmRecord*>(w)->DockDisplay(); };
    panel.setPanelOpenMode = [](int mode) { frmRecord::PanelOpenMode = mode; };
    panel.appendStation = [](QWidget* w, const QString& name, const QString& url) {
        static_cast<frmRecord*>(w)->AppendStation(name, url);
    };
    panel.dropOnStationList = [](QWidget* w, const QString& address) {
        QMimeData data;
        data.setText(address);
        static_cast<frmRecord*>(w)->lstViewSongList_OLEDragDrop(&data);
    };
    auto desktop = std::make_unique<DesktopProgram>(services, panel);

    RecorderDeps deps = run.deps(desktop.get());
    // Windows and timers keep running through the stream's deliberate pauses.
    deps.holdStream = true;
    frmMP3 recorder(deps);
    recorderPtr = &recorder;
    run.attach(recorder);
    desktop->attach(&recorder);
    // Ended from outside (logging out, kill): the recording is closed and
    // tagged first.
    TerminationSignals terminate;
    terminate.Install();
    QObject::connect(&terminate, &TerminationSignals::Received, &recorder, [&] { recorder.ExitFromMenu(); });
    QObject::connect(
        &recorder, &frmMP3::quitRequested, &app, [](int code) { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    QTimer::singleShot(0, &recorder, [&] { desktop->Main(commandLine); });
    const int status = app.exec();
    desktop.reset();
    return status;
}
