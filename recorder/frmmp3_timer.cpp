// The recorder's main loop: failover, data watchdog, clock and status.
// A lost stream is taken up again by the session (see IcySession) until the
// user's give-up time without a stream has passed or a timed recording
// reaches its end. A connection that brought less than a second of audio
// before it closed (a server that answers and hangs up, a playlist taken for
// a stream) did not bring the stream back: the status keeps saying that the
// recorder reconnects.
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/recordercaptions.h"

// Without a window nobody reads the tenths: the failover, the watchdog and
// the timed end are served once a second (twice while the relay plays, so
// the player gets half seconds), and the system may bundle the wake-up with
// others. What the stream sends meanwhile is fetched at each turn
// (WakeForWaitingData) unless it fills 32 KiB first.
void frmMP3::setClockShown(bool shown)
{
    m_clockShown = shown;
    m_timer1.setTimerType(shown ? Qt::PreciseTimer : Qt::CoarseTimer);
    keepCadence();
    m_session->SetWakeThreshold(shown ? 0 : 32 * 1024);
}

void frmMP3::keepCadence()
{
    const int ms = m_clockShown ? 100 : m_listening.On() ? 500 : 1000;
    if (m_timer1.interval() != ms)
        m_timer1.setInterval(ms);
}

void frmMP3::Timer1_Timer()
{
    if (m_quitting)
        return;
    keepCadence();
    const Publish publish(*this);
    const qint32 tick = m_deps.clock->GetTickCount();
    // What waits in the socket is fetched; data a pause holds back is not a stalled stream.
    m_session->Poll(tick);

    // During an outage the recording ends at its give-up time or its own end.
    if (blnRecording && !m_writer.Paused() &&
        (Reconnecting() || TickDifference(tick, m_session->LastDataTick()) > 2000) && outageEndsRecording(tick))
        return;

    if (!blnRecording) {
        m_recordingClock.Clear();
    } else if (m_writer.Paused()) {
        say(RecorderCaptions::Turn::Paused);
    } else if (Reconnecting()) {
        showReconnecting();
    } else if (TickDifference(tick, m_session->LastDataTick()) > 2000) {
        // No data for a while. The distance is taken across the counter's wrap.
        // An attempt to take up a lost stream says only that it reconnects.
        if (m_session->Reattempting())
            showReconnecting();
        else
            say(RecorderCaptions::Turn::AwaitingData);
        // The data watchdog: after 10 s the connection goes.
        if (!m_session->CheckStalled(tick))
            return;
    } else {
        // Data are flowing: the clock and the status.
        m_recordingClock.Show(tick, m_config.bEnabledTimedRecording, m_config.lTimedRecording);
        m_status.SetTip(m_recordingClock.TrayTip(m_config.sRecordingTitle));
        if (m_recordingClock.Overdue()) {
            endTimedRecording();
            if (m_quitting)
                return;
        }
        // (a connection that has not brought the stream back yet leaves
        // the status saying that the recorder reconnects)
        if (blnRecording && m_session->State() != ConnectionState::Connecting && !m_session->HeaderPending() &&
            ReconnectAttempts() == 0)
            if (m_writer.FileOpen())
                m_status.NameFileAgain();
    }

    // Every tick, paused or not.
    m_listening.ApplyVolume();
}

void frmMP3::say(RecorderCaptions::Turn turn)
{
    const RecorderCaptions::Said said = RecorderCaptions::ForTurn(turn, m_config.sRecordingTitle, m_writer.SongName());
    m_status.Show(said.status, said.tip);
}

void frmMP3::showReconnecting()
{
    say(RecorderCaptions::Turn::Reconnecting);
    emit reconnecting();
}

bool frmMP3::outageEndsRecording(qint32 tick)
{
    const qint64 giveUpMs = static_cast<qint64>(m_options.giveUpMinutes) * 60000;
    if (giveUpMs > 0 && TickDifference(tick, m_session->StreamTick()) > giveUpMs) {
        m_deps.messages->ShowMessage(
            tr("Network errors have interrupted successful recording of %1!").arg(m_config.sRecordingTitle));
        StopRecording();
        emit gaveUp();
        endIfUnattended();
        return true;
    }
    // A timed recording ends at its time whether or not data flows.
    if (m_recordingClock.TimedEndReached(tick, m_config.bEnabledTimedRecording, m_config.lTimedRecording)) {
        endTimedRecording();
        return true;
    }
    return false;
}

void frmMP3::endTimedRecording()
{
    StopRecording();
    if (m_config.bExitTimedRecording)
        endProgram();
}
