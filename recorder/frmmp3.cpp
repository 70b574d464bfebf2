#include "recorder/frmmp3.h"

#include "config/settings.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/recordercaptions.h"
#include "recorder/recorderhost.h"
#include "recorder/writersetup.h"

#include <utility>

frmMP3::frmMP3(const RecorderDeps& deps, QObject* parent)
    : QObject(parent), m_session(std::make_unique<StationSession>(
                           *deps.clock, static_cast<StreamSession::Listener&>(*this),
                           [this] { return m_deps.ieAgent(); }, kStreamReadBytes)),
      m_deps(deps), m_listening(*deps.relay),
      m_live365(deps.live365, deps.messages, [this](const QString& name) { OpenMP3File(name, true); }),
      m_writer(songWriterSetup())
{
    if (!m_deps.ieAgent)
        m_deps.ieAgent = [] { return GetIEAgent(); };

    connect(&m_writer.Compiler(), &SongRulesCompiler::compiled, this, &frmMP3::onSongRulesCompiled);
    m_status.captionSaid = [this](const QString& caption) { emit songCaptionChanged(caption); };
    m_status.tipChanged = [this](const QString& tip) { emit trayTipChanged(tip); };

    m_resolver = new StationResolver(m_deps.clock, m_deps.messages, this);
    connect(m_resolver, &StationResolver::resolved, this, &frmMP3::onStationResolved);

    setClockShown(false);
    connect(&m_timer1, &QTimer::timeout, this, &frmMP3::Timer1_Timer);
}

SongWriterSetup frmMP3::songWriterSetup()
{
    if (!m_deps.now)
        m_deps.now = [] { return QDateTime::currentDateTime(); };
    SongWriterSetup setup = WriterSetupFor(m_config, m_deps, pauseSleeper());
    setup.awaitingFirstBlock = [this] { return m_session->AwaitingFirstBlock(); };
    setup.claimSong = [this](const QString& name) { return !m_songClaim || m_songClaim(name); };
    setup.onEvent = [this](const SongEvent& event) { onSongEvent(event); };
    return setup;
}

void frmMP3::ReleaseStreamHold()
{
    const Publish publish(*this);
    m_session->ReleaseHold();
}

frmMP3::~frmMP3() = default;

void frmMP3::Form_Load()
{
    const Publish publish(*this);
    m_writer.Reset();
    m_session->Servers().Clear();
    blnRecording = false;
    m_listening.Reset();

    m_status.SetTip(QStringLiteral("Tonquill"));
    m_deps.host->RecorderLoaded();
    m_status.Say(tr("Initializing..."));
}

void frmMP3::ReadPlaylist(const RecordingConfig& config)
{
    const Publish publish(*this);
    adopt(config);
    resolve(true);
}

bool frmMP3::InitializeMP3Recorder(const RecordingConfig& config)
{
    const Publish publish(*this);
    adopt(config);
    m_status.Say(tr("Connecting to %1...").arg(m_config.sRecordingTitle));
    m_session->Servers().Clear();
    blnRecording = false;
    if (m_config.lRecordingMode == RecordingMode::DatedArchive)
        MP3Cleanup(m_config.sMP3Path, m_config.bDeleteArchivesAfterTime, m_config.lDaysToKeepRecording, now());
    resolve(false);
    strConfigName = m_config.sConfigFileName;
    return true;
}

void frmMP3::adopt(const RecordingConfig& config)
{
    m_config = config;
    m_calledFromGUI = config.bCalledFromGUI;
}

void frmMP3::resolve(bool playlistFile)
{
    m_session->SetState(ConnectionState::FetchingPlaylist);
    m_resolvingPlaylistFile = playlistFile;
    m_resolver->Resolve(m_config.sShoutCastFile);
}

void frmMP3::StartRecording(const RecordingConfig& config)
{
    const Publish publish(*this);
    adopt(config);
    StartRecording();
}

void frmMP3::StartRecording()
{
    const Publish publish(*this);
    const qint32 start = m_deps.clock->GetTickCount();
    m_recordingClock.Start(start);
    m_session->Prepare(start);
    blnRecording = true;
    m_options = m_deps.options ? m_deps.options() : ReadRecordingOptions();
    m_covers.SetEnabled(m_options.coverArt);
    m_covers.SetLookupEnabled(m_options.coverLookup);
    m_covers.LoadStationLogo(m_config.sShoutCastFile);
    // The lists are compiled off this thread when they changed: the
    // recording starts now, and its titles wait for them.
    m_writer.Start(m_options, m_deps.rulesFolder ? m_deps.rulesFolder() : SongRulesFolder());
    m_session->Start();
}

void frmMP3::StopRecording()
{
    const Publish publish(*this);
    if (blnRecording) {
        CloseRecording();
        blnRecording = false;
    }
    // Rules compiled from now on wait for the next recording; a repeat left
    // by a failover that found no server to go on is settled.
    m_writer.Stop();

    m_recordingClock.Clear();
    m_listening.Stop();
    m_live365.Clear();

    m_status.SetTip(QStringLiteral("Tonquill"));
    // A connection still being made, or waiting for its turn, is abandoned.
    m_session->SetState(ConnectionState::Stopped);
}

void frmMP3::TogglePause()
{
    const Publish publish(*this);
    // Titles held for the rules go where they belong before the pause
    // changes what is recorded.
    m_writer.ReleaseHeld();
    if (!m_writer.Paused()) {
        m_writer.Pause();
        m_recordingClock.Pause(m_deps.clock->GetTickCount());
        return;
    }

    m_recordingClock.Resume(m_deps.clock->GetTickCount());
    m_writer.Resume();
}

void frmMP3::Listen()
{
    const Publish publish(*this);
    m_listening.Toggle(blnRecording);
}

void frmMP3::RelayTaken(const QString& status)
{
    const Publish publish(*this);
    if (m_listening.Taken(status))
        m_status.Say(status);
}

void frmMP3::QuitProgram(int exitCode)
{
    if (m_quitting)
        return;
    const Publish publish(*this);
    m_quitting = true;
    m_exitCode = exitCode;
    m_timer1.stop();
    m_deps.host->UnloadWindows();
    emit quitRequested(exitCode);
}

void frmMP3::ExitFromMenu()
{
    const Publish publish(*this);
    if (blnRecording)
        CloseRecording();
    QuitProgram(0);
}

void frmMP3::endIfUnattended()
{
    if (m_config.bExitTimedRecording && !m_calledFromGUI)
        endProgram();
}

void frmMP3::stopWithMessage(const QString& message)
{
    m_deps.messages->ShowMessage(message);
    StopRecording();
    endIfUnattended();
}
