#pragma once

// What the server asks of the recordings it runs: the program's side-by-side
// run answers, the server's tests put their own in its place.

#include "server/servedstations.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct RecordingInfo {
    int id = 0;
    QString station;   // the station's title
    QString stationId; // the served station it was started from
    // "connecting", "recording", "watching", "paused", "reconnecting", or,
    // once it has ended, "stopped" or "failed".
    QString state;
    QString title;      // the song being recorded or heard
    QString file;       // the open file's path, empty when none is open
    qint64 elapsed = 0; // seconds since the recording began
    qint64 bytes = 0;   // audio written
    bool operator==(const RecordingInfo&) const = default;
    bool Finished() const { return state == QLatin1String("stopped") || state == QLatin1String("failed"); }
};

class RecordingControl {
public:
    virtual ~RecordingControl() = default;
    virtual QList<RecordingInfo> Recordings() const = 0;
    virtual std::optional<RecordingInfo> Recording(int id) const = 0;
    // Records or watches `station`; the recording's id, or 0 with `problem`
    // said when it cannot start.
    virtual int Start(const ServedStation& station, bool watch, QString* problem) = 0;
    // Pauses or resumes recording `id`; false when it is not running.
    virtual bool SetPaused(int id, bool paused) = 0;
    // Stops recording `id`, its file closed and tagged; false when it is not running.
    virtual bool Stop(int id) = 0;
    // Forgets recording `id`, which has ended: it is neither listed nor found
    // from now on.
    virtual void Forget(int id) = 0;
    // The folders recordings are written into.
    virtual QStringList Folders() const = 0;
};
