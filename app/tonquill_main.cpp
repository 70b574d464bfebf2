// The recorder's program: answers the information switches, records
// without a display itself and hands a run with a display to the desktop
// part, a library loaded only then, so a recorder without windows loads no
// widgets, graphics or sound libraries.
#include "app/commandline.h"
#include "app/infoswitches.h"
#include "app/presetopener.h"
#include "app/recorderrun.h"
#include "app/sidebysiderun.h"
#include "config/configuration.h"
#include "config/usersettings.h"
#include "history/historyprint.h"
#include "history/historystore.h"
#include "history/historywriter.h"
#include "history/playtracker.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "recorder/frmmp3.h"
#include "recorder/headlessconsole.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>

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

// What the heap keeps for the next chunk but has not used for half a minute
// (the start-up's reading and parsing, a burst of data) goes back to the
// system: a recorder among many then holds only what it uses.
void returnIdleHeapEveryHalfMinute(QObject* owner)
{
#ifdef __GLIBC__
    auto* timer = new QTimer(owner);
    timer->setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(timer, &QTimer::timeout, [] { malloc_trim(0); });
    timer->start(30 * 1000);
#else
    (void)owner;
#endif
}

const char* const kUsage = "Usage:\n"
                           "  tonquill                    open the control panel\n"
                           "  tonquill FILE.tvp           record the preset\n"
                           "  tonquill FILE.pls           record the playlist file into the default folder\n"
                           "  tonquill FILE.tvp -noop     open the control panel filled from the preset\n"
                           "  tonquill -installassc       open .tvp and .pls files with Tonquill\n"
                           "  tonquill -uninstallassc     give those file types back to their earlier programs\n"
                           "  tonquill --record FILE...   record every preset or playlist file given side by\n"
                           "                              side, without windows; each line begins with its\n"
                           "                              station's title in brackets\n"
                           "  tonquill --watch FILE...    watch every station given: its titles go into the\n"
                           "                              history, the songs on the wish list are recorded,\n"
                           "                              nothing else is written (may follow --record FILE...)\n"
                           "  tonquill --history [--json] [--station NAME] [--since YYYY-MM-DD] [--title TEXT]\n"
                           "                              print the titles played, newest first, and end\n"
                           "  tonquill --record-last-preset  record the preset recorded last (in the running\n"
                           "                              Tonquill if there is one)\n"
                           "  tonquill --open-search      open the station search (in the running Tonquill)\n"
                           "  tonquill --open-library     open the Recordings window (in the running Tonquill)\n"
                           "  tonquill --help             show this text and end\n"
                           "  tonquill --version          show the version and end\n"
                           "\n"
                           "Without a display the recorder runs headless: it prints its status on\n"
                           "standard output and ends when the recording ends; Ctrl-C (SIGINT), SIGTERM\n"
                           "or SIGHUP close and tag the file before it quits with status 0.\n"
                           "With --record the program ends when its last station's recording ends; a\n"
                           "station that cannot start says why and the others go on. Ctrl-C (SIGINT),\n"
                           "SIGTERM or SIGHUP close and tag every station's file. SIGUSR1 saves the last\n"
                           "WatchMinutes (5 unless set) of every station's audio as \"<station> - <date>\n"
                           "<time> - last 5 minutes.mp3\" in its folder.\n"
                           "Every title a station plays is kept in history.sqlite in the data folder.\n"
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

// "--record FILE...": the stations recorded side by side, headless with a
// display too.
int recordSideBySide(int argc, char** argv, const CommandLine& commandLine)
{
    QCoreApplication app(argc, argv);
    StderrMessageService shown(QStringLiteral("Tonquill"));
    TrackingMessageService messages(shown);
    if (const int status = PrepareRun(commandLine, messages); status >= 0)
        return status;
    if (commandLine.files.isEmpty() && commandLine.watched.isEmpty()) {
        messages.ShowMessage(commandLine.action == CommandLine::Action::Watch
                                 ? QStringLiteral("Give one or more preset files (.tvp) or playlist files (.pls) "
                                                  "after --watch.")
                                 : QStringLiteral("Give one or more preset files (.tvp) or playlist files (.pls) "
                                                  "after --record."));
        return 1;
    }
    SideBySideRun run;
    run.InstallSignalHandlers();
    run.InstallSaveSignalHandler();
    QObject::connect(
        &run, &SideBySideRun::finished, &app, [](int code) { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    returnIdleHeapEveryHalfMinute(&app);
    run.Start(commandLine.files, commandLine.watched);
    return app.exec();
}

// "--history ...": the plays asked for, newest first, on standard output.
int printHistory(int argc, char** argv, const CommandLine& commandLine)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tonquill"));
    if (!commandLine.problem.isEmpty()) {
        std::fprintf(stderr, "Tonquill: %s\n", qPrintable(commandLine.problem));
        return 2;
    }
    std::vector<Play> plays;
    const QString path = HistoryStore::DefaultPath();
    if (QFile::exists(path)) {
        HistoryStore store(path);
        if (!store.Open()) {
            std::fprintf(stderr, "Tonquill: %s\n", qPrintable(store.Error()));
            return 1;
        }
        if (!store.Notice().isEmpty())
            std::fprintf(stderr, "Tonquill: %s\n", qPrintable(store.Notice()));
        HistoryFilter filter;
        filter.station = commandLine.station;
        filter.since = commandLine.since;
        filter.title = commandLine.title;
        plays = store.Plays(filter);
    }
    const QByteArray out = commandLine.json ? PlaysAsJson(plays) : PlaysAsText(plays);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const CommandLine given = ParseCommandLine(CommandLineOf(argc, argv));
    if (given.action == CommandLine::Action::Help || given.action == CommandLine::Action::Version)
        return AnswerInfoSwitch(given.action == CommandLine::Action::Help, "tonquill", kUsage);
    keepStreamBuffersInHeap();
    if (given.action == CommandLine::Action::History)
        return printHistory(argc, argv, given);
    if (given.action == CommandLine::Action::Record || given.action == CommandLine::Action::Watch)
        return recordSideBySide(argc, argv, given);
    if (!IsHeadless()) {
        QString problem;
        using DesktopMain = int (*)(int, char**);
        const auto desktop = reinterpret_cast<DesktopMain>(
            ModuleFunction(QStringLiteral("tonquill-desktop"), "tonquillDesktopMain", problem));
        if (!desktop) {
            std::fprintf(stderr,
                         "Tonquill: the windows cannot be loaded (%s); TONQUILL_HEADLESS=1 records without them.\n",
                         qPrintable(problem));
            return 1;
        }
        return desktop(argc, argv);
    }

    QCoreApplication app(argc, argv);
    CommandLine commandLine = given;
    // The station search and the library need a display: without one the
    // switch is a file that cannot be opened.
    if (commandLine.action == CommandLine::Action::OpenSearch ||
        commandLine.action == CommandLine::Action::OpenLibrary) {
        commandLine.action = CommandLine::Action::Open;
        commandLine.file = CommandLineOf(argc, argv).remove(QLatin1Char('"'));
    }
    StderrMessageService shown(QStringLiteral("Tonquill"));
    TrackingMessageService messages(shown);
    if (const int status = PrepareRun(commandLine, messages); status >= 0)
        return status;
    if (commandLine.action == CommandLine::Action::RecordLastPreset) {
        QString problem;
        commandLine.file = LastPresetToRecord(&problem);
        commandLine.action = CommandLine::Action::Open;
        if (commandLine.file.isEmpty()) {
            messages.ShowMessage(problem);
            return 1;
        }
    }
    HeadlessConsole console(messages);
    if (commandLine.action != CommandLine::Action::Open) {
        messages.ShowMessage(QStringLiteral("Give a preset file (.tvp) or a playlist file (.pls) to record; "
                                            "the control panel needs a display."));
        return 1;
    }

    RecorderRun run(messages, true);
    // Every title the recorder begins goes into the history.
    HistoryWriter history;
    QObject::connect(&history, &HistoryWriter::notice, &app,
                     [&shown](const QString& text) { shown.ShowMessage(text); });
    frmMP3 recorder(run.deps(&console));
    PlayTracker plays(history, PlayTracker::SetupFor(recorder));
    plays.Attach(recorder);
    run.attach(recorder);
    console.attach(&recorder);
    PresetOpener opener(recorder, Configuration(), messages);
    opener.showPanel = [&console] { console.ShowPanelFromConfiguration(); };
    QObject::connect(&run.relay(), &ctlMP3Server::PlayerStatus, &console, &HeadlessConsole::showStatus);
    console.installSignalHandlers();
    QObject::connect(
        &console, &HeadlessConsole::finished, &app, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
    returnIdleHeapEveryHalfMinute(&app);
    QTimer::singleShot(0, &recorder, [&] {
        recorder.Form_Load();
        if (!opener.Open(commandLine.file, commandLine.noop))
            recorder.QuitProgram(1);
    });
    return app.exec();
}
