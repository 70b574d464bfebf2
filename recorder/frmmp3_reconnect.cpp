// A lost stream as the recording sees it: the session takes it up again
// (see IcySession) until the user's give-up time without a stream has passed
// or a timed recording reaches its end. A connection that brought less than
// a second of audio before it closed (a server that answers and hangs up, a
// playlist taken for a stream) did not bring the stream back: the status
// keeps saying that the recorder reconnects.
#include "config/configuration.h"
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

void frmMP3::showReconnecting()
{
    showError(tr("[ERR] NETWORK: Reconnecting..."));
    setTrayTip(tr("%1 -- NETWORK: Reconnecting...").arg(m_config.sRecordingTitle));
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
        StopRecording();
        if (m_config.bExitTimedRecording)
            endProgram();
        return true;
    }
    return false;
}
