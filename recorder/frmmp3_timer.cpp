// The recorder's 100 ms main loop: failover, data watchdog, clock and status.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

#include <cmath>

namespace {
QString twoDigits(qint32 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
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
    m_ws->setWakeThreshold(shown ? 0 : kCoarseWakeBytes);
}

void frmMP3::Timer1_Timer()
{
    if (m_quitting)
        return;
    m_ws->WakeForWaitingData();
    const qint32 tick = m_deps.clock->GetTickCount();
    const qint64 nowTick = CompensatedTick(tick, StartTick);

    // Failover requested by the stream handler.
    if (blnDisconnect) {
        blnDisconnect = false;
        // The next server continues the file this one was writing.
        settleJoin();
        finishCleanCut();
        m_continueName = m_file.IsOpen() ? m_fileSongName : QString();
        CloseRecording();
        lngMetaDataLength = 0;
        ++lServerNumber;
        blnRecording = true;
        if (lServerNumber > Servers.Last()) {
            m_deps.messages->ShowMessage(QStringLiteral("All servers are full!"));
            if (!m_config.bCalledFromGUI && m_config.bExitTimedRecording) {
                StopRecording();
                endProgram();
                return;
            }
            StopRecording();
        } else {
            ConnectToServer(lServerNumber, false);
        }
        if (m_quitting)
            return;
    }

    // Data held back by a deliberate pause is not a stalled stream.
    if (m_holdTimer.isActive() && m_ws->BytesReceived() > 0) {
        LastDataTick = tick;
        if (!bIcy)
            m_streamTick = tick;
    }

    // A lost stream's next reconnect attempt, when its turn has come.
    if (m_retrying && blnRecording && TickDifference(tick, m_retryAt) >= 0) {
        m_retrying = false;
        LastDataTick = tick;
        ConnectToServer(lServerNumber, m_file.IsOpen());
    }
    // During an outage the recording ends at its give-up time or its own end.
    if (blnRecording && !blnPaused && (m_retrying || TickDifference(tick, LastDataTick) > 2000) &&
        outageEndsRecording(tick, nowTick))
        return;

    if (!blnRecording) {
        lngHoursPassed = lngMinutesPassed = lngSecondsPassed = 0;
        lngHoursLeft = lngMinutesLeft = lngSecondsLeft = 0;
    } else if (blnPaused) {
        setSongCaption(QStringLiteral("PAUSED...") + strSongName);
        setTrayTip(QStringLiteral("Tonquill -- PAUSED"));
    } else if (m_retrying) {
        showReconnecting();
    } else if (TickDifference(tick, LastDataTick) > 2000) {
        // No data for a while. The distance is taken across the counter's wrap.
        // An attempt to take up a lost stream says only that it reconnects.
        const bool attempt = m_connectReconnect && (m_connecting || bIcy);
        const QString title = m_config.sRecordingTitle;
        if (attempt) {
            showReconnecting();
        } else {
            setSongCaption(QStringLiteral("[ERR] NETWORK: Awaiting data..."));
            setTrayTip(title + QStringLiteral(" -- NETWORK: Awaiting data..."));
        }
        if (LastDataTick != 0 && TickDifference(tick, LastDataTick) > 10000) {
            if (!attempt) {
                setTrayTip(title + QStringLiteral(" -- TIMEOUT! Reconnecting..."));
                setSongCaption(QStringLiteral("[ERR] TIMEOUT! Reconnecting..."));
            }
            // Whatever did arrive is kept before the connection goes.
            takeWaitingData();
            if (!blnRecording || m_quitting)
                return;
            ++TimeoutCount;
            if (!m_retrying && !blnDisconnect)
                ConnectToServer(lServerNumber, m_file.IsOpen());
            LastDataTick = m_deps.clock->GetTickCount();
        }
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
            if (lngHoursPassed < 1 && lngHoursLeft < 1) {
                setTrayTip(QStringLiteral("RECORDING ") + title + QStringLiteral("... (") + QString::number(lngMinutesPassed) +
                           QLatin1Char(':') + twoDigits(lngSecondsPassed) + QStringLiteral(") (-") +
                           QString::number(lngMinutesLeft) + QLatin1Char(':') + twoDigits(lngSecondsLeft) +
                           QStringLiteral(" left)"));
            } else {
                setTrayTip(QStringLiteral("RECORDING ") + title + QStringLiteral("... (") + QString::number(lngHoursPassed) +
                           QLatin1Char(':') + twoDigits(lngMinutesPassed) + QLatin1Char(':') + twoDigits(lngSecondsPassed) +
                           QStringLiteral(") (-") + QString::number(lngHoursLeft) + QLatin1Char(':') +
                           twoDigits(lngMinutesLeft) + QLatin1Char(':') + twoDigits(lngSecondsLeft) +
                           QStringLiteral(" left)"));
            }
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
            if (lngHoursPassed < 1) {
                setTrayTip(QStringLiteral("RECORDING ") + title + QStringLiteral("... (") +
                           QString::number(lngMinutesPassed) + QLatin1Char(':') + twoDigits(lngSecondsPassed) +
                           QLatin1Char(')'));
            } else {
                setTrayTip(QStringLiteral("RECORDING ") + title + QStringLiteral("... (") + QString::number(lngHoursPassed) +
                           QLatin1Char(':') + twoDigits(lngMinutesPassed) + QLatin1Char(':') +
                           twoDigits(lngSecondsPassed) + QLatin1Char(')'));
            }
        }
        if (blnRecording && !m_connecting && !bIcy)
            showFileAgain();
    }

    // Every tick, paused or not.
    if (m_deps.relay->lSetVolume() != lngVolume)
        m_deps.relay->SetVolume(lngVolume);
    const QString listenCaption =
        blnPreviewToggle ? QStringLiteral("Stop listening to recording") : QStringLiteral("Listen to recording");
    if (m_menu.mnuListenCaption != listenCaption) {
        RecorderMenuState m = m_menu;
        m.mnuListenCaption = listenCaption;
        setMenu(m);
    }
}
