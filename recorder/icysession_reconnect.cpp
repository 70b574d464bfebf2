// A lost stream, its reconnects and their back-off, the data watchdog, and
// the hold on the stream's data.
#include "platform/eventsocket.h"
#include "platform/tickcount.h"
#include "recorder/icysession.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr int kReconnectDelaysMs[] = {1000, 2000, 4000, 8000, 10000};
constexpr int kRefusedRetryMs = 1000;
constexpr int kErrorAnswerDelaysMs[] = {1000, 2000};
// Enough for every byte a closed socket can still hold.
constexpr int kMaxDrainRounds = 256;
// No data for longer than this reconnects.
constexpr qint64 kStallMs = 10000;
} // namespace

void IcySession::takeWaitingData()
{
    // A deliberate pause does not outlive the connection it held back.
    m_holdTimer.stop();
    for (int i = 0; i < kMaxDrainRounds && m_ws->BytesReceived() > 0; ++i) {
        m_ws->GetData(m_chunk);
        if (m_chunk.isEmpty())
            break;
        Feed(m_chunk);
        m_holdTimer.stop();
        if (!m_listener.Recording() || m_listener.Quitting())
            return;
    }
}

void IcySession::onStreamLost()
{
    if (m_state == ConnectionState::Connecting || m_state == ConnectionState::WaitingToRetry ||
        !m_listener.Recording() || m_listener.Quitting() || !running())
        return;
    takeWaitingData();
    // What the server said before it closed has been acted on already (a
    // failover connects to the next server).
    if (!m_listener.Recording() || m_listener.Quitting() || m_state == ConnectionState::Connecting ||
        m_state == ConnectionState::WaitingToRetry || m_dropStream || m_demux.Refused())
        return;
    if (m_headerPending) {
        // Closed before its response ended: this connection brought no
        // stream, so the next attempt waits its turn.
        scheduleReconnect();
        return;
    }
    if (!m_listener.ConnectionRan()) {
        m_listener.OnLost(false);
        scheduleReconnect();
        return;
    }
    m_listener.OnLost(true);
    m_listener.OnReconnecting(0, m_clock.GetTickCount());
    m_lastDataTick = m_clock.GetTickCount();
    ConnectToServer(m_server, m_listener.RecordingOpen());
}

void IcySession::scheduleReconnect(RetryAfter why)
{
    m_ws->Close();
    SetState(ConnectionState::WaitingToRetry);
    const auto nth = [this](const auto& delays) {
        return delays[std::min(m_retryCount, static_cast<int>(std::size(delays)) - 1)];
    };
    const int delay = why == RetryAfter::Refusal       ? kRefusedRetryMs
                      : why == RetryAfter::ErrorAnswer ? nth(kErrorAnswerDelaysMs)
                                                       : nth(kReconnectDelaysMs);
    ++m_retryCount;
    m_retryAt = static_cast<qint32>(static_cast<quint32>(m_clock.GetTickCount()) + static_cast<quint32>(delay));
    m_retryTimer->Start(delay);
    m_listener.OnReconnecting(m_retryCount, m_retryAt);
}

void IcySession::onRetryDue()
{
    const Event event(m_listener);
    if (m_state != ConnectionState::WaitingToRetry || !m_listener.Recording() || m_listener.Quitting())
        return;
    m_lastDataTick = m_clock.GetTickCount();
    ConnectToServer(m_server, m_listener.RecordingOpen());
}

bool IcySession::Reattempting() const
{
    return m_connectReconnect && (m_state == ConnectionState::Connecting || m_headerPending);
}

void IcySession::Poll(qint32 tick)
{
    m_ws->WakeForWaitingData();
    // Data held back by a deliberate pause is not a stalled stream.
    if (m_holdTimer.isActive() && m_ws->BytesReceived() > 0) {
        m_lastDataTick = tick;
        if (!m_headerPending)
            m_streamTick = tick;
    }
}

bool IcySession::CheckStalled(qint32 tick)
{
    if (m_lastDataTick == 0 || TickDifference(tick, m_lastDataTick) <= kStallMs)
        return true;
    const Event event(m_listener);
    m_listener.OnTimedOut(Reattempting());
    // Whatever did arrive is kept before the connection goes.
    const int attempts = m_connectAttempts;
    takeWaitingData();
    if (!m_listener.Recording() || m_listener.Quitting())
        return false;
    // (what arrived may have moved on to another server already)
    if (!Reconnecting() && attempts == m_connectAttempts)
        ConnectToServer(m_server, m_listener.RecordingOpen());
    m_lastDataTick = m_clock.GetTickCount();
    return true;
}

void IcySession::StreamHold::Sleep(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    QTimer& timer = m_owner.m_holdTimer;
    const int left = timer.isActive() ? std::max(0, timer.remainingTime()) : 0;
    timer.start(left + milliseconds);
}

void IcySession::ReleaseHold()
{
    const Event event(m_listener);
    m_holdTimer.stop();
    if (m_ws->BytesReceived() > 0)
        m_ws->RaiseDataArrival();
}
