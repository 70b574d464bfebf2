#pragma once

#include "config/recordingconfig.h"
#include "recorder/listening.h"
#include "recorder/live365titles.h"
#include "recorder/recordercaptions.h"
#include "recorder/recordercovers.h"
#include "recorder/recorderdeps.h"
#include "recorder/recorderstatus.h"
#include "recorder/recordingclock.h"
#include "recorder/serverlist.h"
#include "recorder/songwriter.h"
#include "recorder/stationresolver.h"
#include "recorder/stationsession.h"
#include "recorder/statusline.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// The hidden recorder window: holds the recording in progress, its state and
// operations. Windows read its state as one value (Status()), follow its
// signals when it changes and act through its commands; it never touches a
// widget.
class frmMP3 : public QObject, private StreamSession::Listener {
    Q_OBJECT
public:
    using Phase = RecorderPhase;

    explicit frmMP3(const RecorderDeps& deps, QObject* parent = nullptr);
    ~frmMP3() override;

    // ---- operations
    // The recorder's state at the program's start, before anything is recorded.
    void Form_Load();
    // Records `config`: its playlist is fetched, then its servers recorded.
    bool InitializeMP3Recorder(const RecordingConfig& config);
    // Records a playlist file given on its own (".pls"): its servers, under
    // the first title it names (playlistRead tells it).
    void ReadPlaylist(const RecordingConfig& config);
    // Records `config` on the servers added.
    void StartRecording(const RecordingConfig& config);
    // Records the servers added again, with the configuration it has.
    void StartRecording();
    // The configuration of the recording, as the recorder keeps it.
    const RecordingConfig& Config() const { return m_config; }
    void StopRecording();
    void TogglePause();
    // Listening to the recording on and off.
    void Listen();
    // Starts again: on the preset the last recording came from when there is
    // one (presetWanted asks for it), else on the servers it had; with
    // neither nothing happens.
    void Restart();
    // The listening volume in percent, applied by the next clock tick.
    void SetVolume(qint32 volume);
    // The relay could not listen: listening is off; its status is said once
    // however often a reconnect tries again.
    void RelayTaken(const QString& status);
    void Timer1_Timer();
    // The clock is shown in a window: the main loop runs ten times a
    // second. Otherwise (the default) once a second (twice while the relay
    // plays), on a coarse timer, and the stream's data wake the program in
    // larger pieces.
    void setClockShown(bool shown);
    void QuitProgram(int exitCode = 0);
    void AddServer(const QString& sIPAddress, const QString& sPath, const QString& sPort, const QString& sQueryString,
                   bool secure = false);
    // Forgets the servers (another station follows).
    void ClearServers() { m_session->Servers().Clear(); }
    const ServerList& ServerEntries() const { return m_session->Servers(); }
    // The server in use, counted from 1.
    qint32 ServerNumber() const { return m_session->ServerNumber(); }
    // Gives up the server in use for the next one and goes on with the
    // recording there, as an error answer to a new connection does.
    void FailOver();
    // Connects to the server at `position` (the server in use from then on),
    // moving on to the following ones while the connection is refused.
    void ConnectToServer(qint32 position, bool reconnect);
    void OpenMP3File(QString strFileName, bool blnICYName = false);
    void CloseRecording();
    // The exit item of the tray menu: closes and tags the recording, then quits.
    void ExitFromMenu();

    // Where Live365's answers go, for a Live365 station.
    Live365Titles& Live365() { return m_live365; }

    Phase phase() const { return PhaseOf(m_session->State()); }
    bool quitting() const { return m_quitting; }
    int exitCode() const { return m_exitCode; }
    QString TrayTip() const { return m_status.Tip(); }
    // The status as the recording display shows it: the song's own name
    // where the status names its file on disk.
    QString DisplayCaption() const { return m_status.DisplayText(); }
    RecorderStatus Status() const;
    bool Timer1Enabled() const { return m_timer1.isActive(); }
    // Received stream data not yet taken (a pause holds it back).
    qint64 StreamBytesWaiting() const { return m_session->BytesWaiting(); }
    // Every stream byte taken from the network since the recorder was made.
    qint64 StreamBytesTaken() const { return m_session->BytesTaken(); }
    QString RecordingPath() const { return m_writer.FilePath(); }
    // Asked before a file is opened for a song a stream title names: false
    // keeps the song from being written here (another station writes it).
    void SetSongClaim(std::function<bool(const QString& name)> claim) { m_songClaim = std::move(claim); }
    qint64 AudioBytesWritten() const { return m_writer.AudioBytesWritten(); }
    // The song rules of the recording are compiled and in use; until then
    // its titles, and the audio after them, wait.
    bool SongRulesReady() const { return m_writer.RulesReady(); }
    // How often the lists were compiled since the recorder was made.
    int SongRulesCompilations() const { return m_writer.RulesCompilations(); }
    // The recording's covers (coverChanged tells a song's new one).
    RecorderCovers& Covers() { return m_covers; }
    // The stream's data waits for a deliberate pause to end.
    bool StreamHeld() const { return m_session->Held(); }
    // Ends the pause now and takes the data that waited.
    void ReleaseStreamHold();
    // A lost stream is being reconnected: the next attempt waits for its
    // turn in the back-off (1, 2, 4, 8, then every 10 s).
    bool Reconnecting() const { return m_session->Reconnecting(); }
    int ReconnectAttempts() const { return m_session->ReconnectAttempts(); }
    // The tick at which the next reconnect attempt is made.
    qint32 NextReconnectTick() const { return m_session->NextReconnectTick(); }

signals:
    // Anything of the status but its clock changed; sent once an operation
    // or an event is handled, with the status it left.
    void statusChanged(const RecorderStatus& status);
    // The song recording now has another name (sent before statusChanged).
    void titleChanged(const QString& songName);
    // The clock moved on (at most once a second; sent after statusChanged).
    void clockChanged(const RecorderStatus& status);
    // Each status said, as it is said (the headless console prints them).
    void songCaptionChanged(const QString& caption);
    void trayTipChanged(const QString& tip);
    void phaseChanged(frmMP3::Phase phase);
    void quitRequested(int exitCode);
    // A recording file was closed (and tagged when it had a name).
    void fileClosed(const QString& path);
    // What the song writer did, as it happens (before the recorder says it).
    void songEvent(const SongEvent& event);
    // Restart wants the preset the last recording came from loaded and
    // recorded again.
    void presetWanted(const QString& preset);
    // A playlist file given on its own was read: `title` is the station's,
    // recorded under from now on. Sent before its recording starts.
    void playlistRead(const QString& title);
    // A lost stream is being taken up again (at every attempt).
    void reconnecting();
    // Reconnecting went on for longer than the user allows: the recording ended.
    void gaveUp();

private:
    // The stream's session: the connection, its state and its data.
    std::unique_ptr<StreamSession> m_session;

    // The recorder's state. The windows see it through Status().
    bool blnRecording = false;
    QString strConfigName;

    // StreamSession::Listener
    void EventBegins() override { ++m_publishDepth; }
    void EventEnds() override;
    void OnStateChanged(ConnectionState from, ConnectionState to) override;
    bool Recording() const override { return blnRecording; }
    bool Quitting() const override { return m_quitting; }
    bool RecordingOpen() const override { return recordingOpen(); }
    bool ConnectionRan() const override { return connectionRan(); }
    void OnConnecting(const ServerEntry& server, bool reconnect) override;
    bool OnConnected(const ServerEntry& server, bool reconnect) override;
    void OnStreamBegan(const StreamHead& header) override;
    void OnAudio(const char* data, qsizetype size) override;
    void OnTitle(const QString& decoded, qint64 position, bool firstBlock) override;
    void OnPictureUrl(const QString& title, const QByteArray& url) override { m_covers.StreamUrl(title, url); }
    void OnStreamPicture(const QString& title, const QByteArray& bytes, const QByteArray& type) override
    {
        m_covers.StreamPicture(title, bytes, type);
    }
    void OnChunkDone() override { m_writer.Flush(); }
    void OnProblem(SessionProblem problem, qint32 server, const QString& detail) override;
    void OnLost(bool ran) override;
    void OnTimedOut(bool attempt) override;
    void OnReconnecting(int attempt, qint32 atTick) override;
    void OnFailingOver(qint32 server) override;
    void OnGaveUp(SessionEnd why) override;
    // What the song writer did, said as the recorder's status and signals.
    void onSongEvent(const SongEvent& event);
    bool recordingOpen() const { return m_writer.RecordingOpen(); }

    // Sends the signals for what an operation changed when the outermost
    // operation in progress ends, so windows never see a state half made.
    class Publish {
    public:
        explicit Publish(frmMP3& owner) : m_owner(owner) { m_owner.EventBegins(); }
        ~Publish() { m_owner.EventEnds(); }
        Publish(const Publish&) = delete;
        Publish& operator=(const Publish&) = delete;

    private:
        frmMP3& m_owner;
    };
    void publishStatus();
    // The station's servers are known, or why there are none.
    void onStationResolved(const StationResolution& result);
    // The recording from now on is `config`'s.
    void adopt(const RecordingConfig& config);
    // The station's playlist (`playlistFile`: a playlist file given on its own) is read.
    void resolve(bool playlistFile);

    void onSongRulesCompiled();
    void endIfUnattended();
    // Ending from the recorder's own paths: the file is already closed.
    void endProgram() { QuitProgram(m_exitCode); }
    // The connection brought at least a second of audio: the stream ran.
    bool connectionRan() const { return m_writer.ConnectionRan(); }
    void showReconnecting();
    void keepCadence(); // the main loop's interval for the window and the relay
    void say(RecorderCaptions::Turn turn);
    // Ends the recording when no stream came for longer than the user allows,
    // or a timed recording when its time is up; true when it ended.
    bool outageEndsRecording(qint32 tick);
    // A timed recording reached its end; the program ends with it when asked.
    void endTimedRecording();
    void stopWithMessage(const QString& message);
    QDateTime now() const { return m_deps.now(); }
    // What a pause holds the stream with.
    ISleeper& pauseSleeper() { return m_deps.holdStream ? m_session->Hold() : *m_deps.sleeper; }
    // What the song writer reads of the recording's settings and the system.
    SongWriterSetup songWriterSetup();

    RecorderDeps m_deps;
    std::function<bool(const QString& name)> m_songClaim;
    Listening m_listening;
    Live365Titles m_live365;
    RecordingConfig m_config;
    // The recording was started from the control panel and no stream has
    // answered since: a failure until then leaves the program running.
    bool m_calledFromGUI = false;
    StationResolver* m_resolver = nullptr;
    bool m_resolvingPlaylistFile = false; // the station resolving is a playlist file, not a preset's
    RecordingClock m_recordingClock;
    StatusLine m_status;
    QTimer m_timer1;
    bool m_clockShown = false;
    int m_publishDepth = 0;
    RecorderStatus m_published;
    bool m_quitting = false;
    int m_exitCode = 0;

    RecordingOptions m_options;
    SongWriter m_writer;
    RecorderCovers m_covers{m_writer};
};
