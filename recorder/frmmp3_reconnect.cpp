// A stream that is lost is taken up again on the same server: at once when
// a connection that ran closes, then after 1, 2, 4, 8 and every 10 s while
// attempts time out or fail, until the user's give-up time without a stream
// has passed or a timed recording reaches its end. A server that is up but refuses, or
// answers with an error while its source is away, costs little to ask and is
// asked every second (refused) or every 2 s (error answer), so that the
// stream is taken up while the server's burst still holds its first seconds.
// A connection that brought less than a second of audio before it closed (a
// server that answers and hangs up, a playlist taken for a stream) did not
// bring the stream back: it is a failed attempt, and the status keeps saying
// that the recorder reconnects.
#include "config/configuration.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr int kReconnectDelaysMs[] = {1000, 2000, 4000, 8000, 10000};
constexpr int kRefusedRetryMs = 1000;
constexpr int kErrorAnswerDelaysMs[] = {1000, 2000};
// Enough for every byte a closed socket can still hold.
constexpr int kMaxDrainRounds = 256;
}  // namespace

void frmMP3::takeWaitingData()
{
    // A deliberate pause does not outlive the connection it held back.
    m_holdTimer.stop();
    for (int i = 0; i < kMaxDrainRounds && m_ws->BytesReceived() > 0; ++i) {
        m_ws->GetData(m_chunk);
        if (m_chunk.isEmpty())
            break;
        HandleStreamData(m_chunk);
        m_holdTimer.stop();
        if (!blnRecording || m_quitting)
            return;
    }
}

void frmMP3::onStreamLost()
{
    if (m_state == ConnectionState::Connecting || m_state == ConnectionState::WaitingToRetry || !blnRecording ||
        m_quitting || phase() != Phase::Recording)
        return;
    takeWaitingData();
    // What the server said before it closed has been acted on already (a
    // failover connects to the next server).
    if (!blnRecording || m_quitting || m_state == ConnectionState::Connecting ||
        m_state == ConnectionState::WaitingToRetry || m_dropStream || m_demux.Refused())
        return;
    if (bIcy) {
        // Closed before its response ended: this connection brought no
        // stream, so the next attempt waits its turn.
        scheduleReconnect();
        return;
    }
    if (!connectionRan()) {
        // What it brought is recorded; what its join found is not said.
        m_joinStatus.clear();
        scheduleReconnect();
        return;
    }
    showReconnecting();
    LastDataTick = m_deps.clock->GetTickCount();
    ConnectToServer(lServerNumber, recordingOpen());
}

bool frmMP3::connectionRan() const
{
    return m_arrival.bytes >= bytesPerSecond();
}

// What a reconnect found is said once its connection brings the stream back.
void frmMP3::sayJoinStatus(const QString& status)
{
    if (connectionRan())
        setSongCaption(status);
    else
        m_joinStatus = status;
}

void frmMP3::scheduleReconnect(RetryAfter why)
{
    m_ws->Close();
    setState(ConnectionState::WaitingToRetry);
    const auto nth = [this](const auto& delays) {
        return delays[std::min(m_retryCount, static_cast<int>(std::size(delays)) - 1)];
    };
    const int delay = why == RetryAfter::Refusal       ? kRefusedRetryMs
                      : why == RetryAfter::ErrorAnswer ? nth(kErrorAnswerDelaysMs)
                                                       : nth(kReconnectDelaysMs);
    ++m_retryCount;
    m_retryAt = static_cast<qint32>(static_cast<quint32>(m_deps.clock->GetTickCount()) + static_cast<quint32>(delay));
    showReconnecting();
}

void frmMP3::showReconnecting()
{
    showError(tr("[ERR] NETWORK: Reconnecting..."));
    setTrayTip(tr("%1 -- NETWORK: Reconnecting...").arg(m_config.sRecordingTitle));
    emit reconnecting();
}

bool frmMP3::outageEndsRecording(qint32 tick)
{
    const qint64 giveUpMs = static_cast<qint64>(m_options.giveUpMinutes) * 60000;
    if (giveUpMs > 0 && TickDifference(tick, m_streamTick) > giveUpMs) {
        m_deps.messages->ShowMessage(
            tr("Network errors have interrupted successful recording of %1!").arg(m_config.sRecordingTitle));
        StopRecording();
        emit gaveUp();
        endIfUnattended();
        return true;
    }
    // A timed recording ends at its time whether or not data flows.
    if (m_recordingClock.TimedEndReached(tick, m_config.bEnabledTimedRecording, m_config.lTimedRecording)) {
        StopRecording();
        if (m_config.bExitTimedRecording)
            endProgram();
        return true;
    }
    return false;
}
