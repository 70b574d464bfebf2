// The recorder's 100 ms main loop: failover, data watchdog, clock and status.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

#include <cmath>

namespace {
QString twoDigits(qint32 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// "m:ss", or "h:mm:ss" when hours are shown.
QString clockText(qint32 hours, qint32 minutes, qint32 seconds, bool withHours)
{
    if (!withHours)
        return QString::number(minutes) + QLatin1Char(':') + twoDigits(seconds);
    return QString::number(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds);
}

// Floor division for the negative minute counts of an overdue recording.
qint32 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return static_cast<qint32>(q);
}
}  // namespace

void frmMP3::setClockShown(bool shown)
{
    // Without a window nobody reads the tenths: the failover, the watchdog
    // and the timed end are served twice a second, and the system may
    // bundle the wake-up with others. What the stream sends meanwhile is
    // fetched at each turn (WakeForWaitingData) unless it fills 32 KiB first.
    constexpr int kShownMs = 100;
    constexpr int kCoarseMs = 500;
    constexpr int kCoarseWakeBytes = 32 * 1024;
    m_timer1.setTimerType(shown ? Qt::PreciseTimer : Qt::CoarseTimer);
    m_timer1.setInterval(shown ? kShownMs : kCoarseMs);
    m_session->SetWakeThreshold(shown ? 0 : kCoarseWakeBytes);
}

void frmMP3::Timer1_Timer()
{
    if (m_quitting)
        return;
    const Publish publish(*this);
    const qint32 tick = m_deps.clock->GetTickCount();
    const qint64 nowTick = CompensatedTick(tick, StartTick);
    // What waits in the socket is fetched; data a pause holds back is not a stalled stream.
    m_session->Poll(tick);

    // During an outage the recording ends at its give-up time or its own end.
    if (blnRecording && !blnPaused && (Reconnecting() || TickDifference(tick, LastDataTick) > 2000) &&
        outageEndsRecording(tick, nowTick))
        return;

    if (!blnRecording) {
        lngHoursPassed = lngMinutesPassed = lngSecondsPassed = 0;
        lngHoursLeft = lngMinutesLeft = lngSecondsLeft = 0;
    } else if (blnPaused) {
        setSongCaption(tr("PAUSED...%1").arg(strSongName));
        setTrayTip(tr("Tonquill -- PAUSED"));
    } else if (Reconnecting()) {
        showReconnecting();
    } else if (TickDifference(tick, LastDataTick) > 2000) {
        // No data for a while. The distance is taken across the counter's wrap.
        // An attempt to take up a lost stream says only that it reconnects.
        const bool attempt = m_session->Reattempting();
        const QString title = m_config.sRecordingTitle;
        if (attempt) {
            showReconnecting();
        } else {
            showError(tr("[ERR] NETWORK: Awaiting data..."));
            setTrayTip(tr("%1 -- NETWORK: Awaiting data...").arg(title));
        }
        // The data watchdog: after 10 s the connection goes.
        if (!m_session->CheckStalled(tick))
            return;
    } else {
        // Data are flowing: the clock and the status.
        const qint64 elapsedMs = nowTick - StartTick;
        qint32 m = floorDiv(elapsedMs, 60000);
        const qint32 s = static_cast<qint32>(std::nearbyint(static_cast<double>(elapsedMs) / 1000.0 - 60.0 * m));
        const QString title = m_config.sRecordingTitle;
        if (m_config.bEnabledTimedRecording) {
            lngRawLeft = m_config.lTimedRecording - m - 1;
            lngSecondsLeft = 60 - s;
            if (lngSecondsLeft == 60) {
                ++lngRawLeft;
                lngSecondsLeft = 0;
            }
            lngHoursPassed = floorDiv(m, 60);
            if (lngHoursPassed >= 1)
                m -= 60 * lngHoursPassed;
            lngHoursLeft = floorDiv(lngRawLeft, 60);
            lngMinutesLeft = lngHoursLeft >= 1 ? lngRawLeft - 60 * lngHoursLeft : lngRawLeft;
            lngMinutesPassed = m;
            lngSecondsPassed = s;
            const bool hours = lngHoursPassed >= 1 || lngHoursLeft >= 1;
            const QString passed = clockText(lngHoursPassed, lngMinutesPassed, lngSecondsPassed, hours);
            const QString left = clockText(lngHoursLeft, lngMinutesLeft, lngSecondsLeft, hours);
            setTrayTip(tr("RECORDING %1... (%2) (-%3 left)").arg(title, passed, left));
            if (m_config.lTimedRecording != 0 && lngRawLeft < 0) {
                StopRecording();
                if (m_config.bExitTimedRecording) {
                    endProgram();
                    return;
                }
            }
        } else {
            lngHoursPassed = floorDiv(m, 60);
            if (lngHoursPassed >= 1)
                m -= 60 * lngHoursPassed;
            lngMinutesPassed = m;
            lngSecondsPassed = s;
            const QString passed =
                clockText(lngHoursPassed, lngMinutesPassed, lngSecondsPassed, lngHoursPassed >= 1);
            setTrayTip(tr("RECORDING %1... (%2)").arg(title, passed));
        }
        // (a connection that has not brought the stream back yet leaves
        // the status saying that the recorder reconnects)
        if (blnRecording && m_state != ConnectionState::Connecting && !bIcy && ReconnectAttempts() == 0)
            showFileAgain();
    }

    // Every tick, paused or not.
    if (m_deps.relay->lSetVolume() != lngVolume)
        m_deps.relay->SetVolume(lngVolume);
}
