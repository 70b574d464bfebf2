#pragma once

#include "recorder/songwriter.h"
#include "recorder/streamsession.h"

#include <QCoreApplication>
#include <QString>
#include <optional>

// A status the recorder says.
struct Caption {
    QString text;
    bool error = false; // an error: the status keeps it as its last error
};

// What the recorder says for what its parts did: the status texts for the
// song writer's events, the servers' error answers and the ends of a session.
// The texts belong to the recorder (their translations are the recorder's).
class RecorderCaptions {
    Q_DECLARE_TR_FUNCTIONS(frmMP3)
public:
    // The status for what the song writer did; nothing for what it does
    // without saying (a file opened names itself through NowRecording).
    static std::optional<Caption> ForSongEvent(const SongEvent& event);
    // "Now Recording: " and a file's name.
    static QString NowRecording(const QString& name);

    // A status with the tray tip that goes with it (none: the tip stays).
    struct Said {
        Caption status;
        QString tip;
    };
    // A server's answer that moves the recording on to another server.
    static Said ForProblem(SessionProblem problem, qint32 server, const QString& station, const QString& detail);
    // Where a recording without a flowing stream stands at a turn of the clock.
    enum class Turn {
        Paused,       // by the user: nothing is written
        Reconnecting, // a lost stream is being taken up
        AwaitingData, // the connection is open, no data came for a while
        TimedOut,     // no data for ten seconds: the connection goes
    };
    static Said ForTurn(Turn turn, const QString& station, const QString& song);
    // Why the session ended the recording, as a message to the user.
    static QString ForEnd(SessionEnd why);
};
