#pragma once

#include <QMetaType>
#include <QString>

// Where the recorder's connection to its station stands.
enum class ConnectionState {
    Idle,             // nothing asked yet
    FetchingPlaylist, // the station's playlist is being read
    Connecting,       // a server is being connected to
    AwaitingHeader,   // connected; the response header has not ended
    Streaming,        // audio flows
    WaitingToRetry,   // a lost stream is taken up again when its turn comes
    FailingOver,      // this server failed: the next one is being tried
    Stopped,          // a recording ended
};

// The recording's clock: time passed, and for a timed recording time left
// (negative once it is overdue).
// Where a recording is in its life: nothing going, its station being looked
// up, or a connection to it (recording, connecting or reconnecting).
enum class RecorderPhase { Idle, Resolving, Recording };

inline RecorderPhase PhaseOf(ConnectionState state)
{
    switch (state) {
    case ConnectionState::Idle:
    case ConnectionState::Stopped:
        return RecorderPhase::Idle;
    case ConnectionState::FetchingPlaylist:
        return RecorderPhase::Resolving;
    default:
        return RecorderPhase::Recording;
    }
}

struct RecorderClock {
    qint32 lngHoursPassed = 0, lngMinutesPassed = 0, lngSecondsPassed = 0;
    qint32 lngHoursLeft = 0, lngMinutesLeft = 0, lngSecondsLeft = 0;
    bool operator==(const RecorderClock&) const = default;
};

// What the windows show of the recorder, as one value.
struct RecorderStatus {
    bool blnRecording = false;
    bool blnPaused = false;
    bool blnPreviewToggle = false; // listening
    ConnectionState connection = ConnectionState::Idle;
    QString sSongCaption;   // the status as said
    QString displayCaption; // the same, with the song's own name where the status names its file
    QString strSongName;    // the song recording now
    QString file;           // the open recording file's path, empty when none is open
    bool wished = false;    // the open file's song is on the wish list
    qint32 lngBitRate = 0;
    qint32 lngVolume = 0;
    QString lastError;     // the error the status shows now; empty when it shows none
    QString strConfigName; // the preset the recording was started from
    RecorderClock clock;

    bool operator==(const RecorderStatus&) const = default;
};

Q_DECLARE_METATYPE(RecorderStatus)
