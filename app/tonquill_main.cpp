// The recorder's composition root: builds the services and the recorder
// window, reads the command line and runs the event loop.
#include "config/configuration.h"
#include "config/settings.h"
#include "listen/ctlmp3server.h"
#include "listen/streamplayer.h"
#include "platform/atscheduler.h"
#include "platform/commandrunner.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/headlessconsole.h"
#include "sources/live365reader.h"
#include "platform/process.h"
#include "platform/terminationsignals.h"
#include "ui/messageboxservice.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktopprogram.h"
#include "ui/shell/dialogs.h"
#include "ui/search/radiobrowserclicks.h"
#include "ui/tray/trayicon.h"
#include "infoswitches.h"
#include "programtranslations.h"

#include <QApplication>
#include <QIcon>
#include <QMimeData>
#include <QCoreApplication>
#include <QTimer>

#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// A fast stream passes through buffers of a few hundred KiB that the socket
// (and its TLS layer) allocates and frees for every chunk. With glibc's
// default thresholds such buffers are mapped and unmapped, or trimmed off the
// heap, each time, so every received byte lands on a page the kernel has to
// fault in and clear again: that cost more than decrypting and writing the
// stream together. Freed memory stays in the heap for the next chunk instead.
void keepStreamBuffersInHeap()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

const char* const kUsage =
    "Usage:\n"
    "  tonquill                    open the control panel\n"
    "  tonquill FILE.tvp           record the preset\n"
    "  tonquill FILE.pls           record the playlist file into the default folder\n"
    "  tonquill FILE.tvp -noop     open the control panel filled from the preset\n"
    "  tonquill -installassc       open .tvp and .pls files with Tonquill\n"
    "  tonquill -uninstallassc     give those file types back to their earlier programs\n"
    "  tonquill --help             show this text and end\n"
    "  tonquill --version          show the version and end\n"
    "\n"
    "Without a display the recorder runs headless: it prints its status on\n"
    "standard output and ends when the recording ends; Ctrl-C (SIGINT), SIGTERM\n"
    "or SIGHUP close and tag the file before it quits with status 0.\n"
    "\n"
    "Environment:\n"
    "  TONQUILL_HEADLESS=1         run headless on a desktop too\n"
    "  TONQUILL_HOME               the folder of the INI files, presets and per-user\n"
    "                              settings, instead of ~/.config/tonquill and\n"
    "                              ~/.local/share/tonquill\n"
    "  TONQUILL_CA_FILE            a PEM file of further certificate authorities to trust\n"
    "  TONQUILL_LIVE365_HOST       the host Live365 pages are fetched from\n"
    "  TONQUILL_NO_PAUSES=1        leave out the deliberate pauses (for measuring)\n"
    "  TONQUILL_LISTEN=1           play what is recorded when headless too\n";

// The whole argument text, as one line.
QString commandLineOf(int argc, char** argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts.append(QString::fromLocal8Bit(argv[i]));
    return parts.join(QLatin1Char(' '));
}
}  // namespace

int main(int argc, char** argv)
{
    if (const int answered = AnswerInfoSwitch(argc, argv, "tonquill", kUsage); answered >= 0)
        return answered;
    keepStreamBuffersInHeap();
    const QString commandLine = commandLineOf(argc, argv);
    const bool headless = IsHeadless();
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tonquill"));
    if (!headless) {
        // The recorder lives on in the notification area when its windows close.
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setWindowIcon(TonquillIcon());
        // Lets the desktop match the windows to the menu entry.
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tonquill.Tonquill"));
        // Headless status lines stay English: scripts read them.
        InstallTranslations(QStringLiteral("tonquill"), QLocale::system().uiLanguages());
    }

    std::unique_ptr<IMessageService> shown;
    if (headless)
        shown = std::make_unique<StderrMessageService>(QStringLiteral("Tonquill"));
    else
        shown = std::make_unique<MessageBoxService>(QStringLiteral("Tonquill"));
    TrackingMessageService messages(*shown);
    HeadlessConsole console(messages);

    if (commandLine == QLatin1String("-installassc")) {
        console.InstallAssociations();
        return messages.count() > 0 ? 1 : 0;
    }
    if (commandLine == QLatin1String("-uninstallassc")) {
        console.UninstallAssociations();
        return messages.count() > 0 ? 1 : 0;
    }
    SetAdvanced(GetAdvanced());

    if (headless && commandLine.isEmpty()) {
        messages.ShowMessage(QStringLiteral("Give a preset file (.tvp) or a playlist file (.pls) to record; "
                                            "the control panel needs a display."));
        return 1;
    }

    SystemTickSource clock;
    ThreadSleeper sleeper;
    ctlMP3Server relay(messages, EmbeddedPlayerFor(headless), nullptr);
    clsConfiguration& config = Configuration();
    config.setMessageService(&messages);

    ctlLive365TitleReader live365(&clock);

    RecorderDeps deps;
    deps.clock = &clock;
    deps.messages = &messages;
    deps.sleeper = &sleeper;
    deps.config = &config;
    deps.relay = &relay;
    deps.host = &console;
    deps.live365 = &live365;
    if (qEnvironmentVariableIntValue("TONQUILL_NO_PAUSES") == 1) {
        // For measuring the engine alone: the deliberate blocks after a
        // response header and after a new file are left out.
        deps.headerPauseMs = 0;
        deps.filePauseMs = 0;
    }
    std::unique_ptr<DesktopProgram> desktop;
    frmMP3* recorderPtr = nullptr;
    QtTrayIcon trayIcon;
    QtProcessLauncher launcher;
    QtFileDialogs dialogs;
    DesktopUrlOpener urls;
    SystemCommandRunner commands;
    AtScheduler scheduler(commands);
    std::unique_ptr<RadioBrowserClicks> clicks;
    if (!headless) {
        clicks = std::make_unique<RadioBrowserClicks>();
        DesktopProgram::Services services;
        services.config = &config;
        services.messages = &messages;
        services.clock = &clock;
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
            deps.clock = &clock;
            deps.scheduler = &scheduler;
            deps.stationStarted = [&clicks](const QString& playlist) { clicks->Count(playlist); };
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
        desktop = std::make_unique<DesktopProgram>(services, panel);
        deps.host = desktop.get();
        // Windows and timers keep running through the stream's deliberate pauses.
        deps.holdStream = true;
    }
    frmMP3 recorder(deps);
    recorderPtr = &recorder;
    QObject::connect(&live365, &ctlLive365TitleReader::TitleChange, &recorder, &frmMP3::ctlLive365_TitleChange);
    QObject::connect(&live365, &ctlLive365TitleReader::TitleCallBack, &recorder, &frmMP3::ctlLive365_TitleCallBack);
    QObject::connect(&live365, &ctlLive365TitleReader::Error, &recorder, &frmMP3::ctlLive365_Error);
    QObject::connect(&relay, &ctlMP3Server::RelayTaken, &recorder, &frmMP3::RelayTaken);
    if (desktop) {
        desktop->attach(&recorder);
        // Ended from outside (logging out, kill): the recording is closed
        // and tagged first.
        TerminationSignals terminate;
        terminate.Install();
        QObject::connect(&terminate, &TerminationSignals::Received, &recorder, [&] { recorder.ExitFromMenu(); });
        QObject::connect(&recorder, &frmMP3::quitRequested, app.get(),
                         [](int code) { QCoreApplication::exit(code); }, Qt::QueuedConnection);
        QTimer::singleShot(0, &recorder, [&] { desktop->Main(commandLine); });
        const int status = app->exec();
        desktop.reset();
        return status;
    }
    console.attach(&recorder);
    QObject::connect(&relay, &ctlMP3Server::PlayerStatus, &console, &HeadlessConsole::showStatus);
    console.installSignalHandlers();
    QObject::connect(&console, &HeadlessConsole::finished, app.get(),
                     [](int code) { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    QTimer::singleShot(0, &recorder, [&] { recorder.Form_Load(commandLine); });
    return app->exec();
}
