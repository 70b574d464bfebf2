#pragma once

// Watching a station: its stream is read like a recording's, but only the
// songs of the wish list that begin while it is watched are written, each
// from its title change to the next, into the station's folder as a
// recording of the station would write it. The same title beginning on two
// watched stations at once is caught once: by the station that began it
// first; the other does not open a file for it at all.

#include "config/usersettings.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class frmMP3;
struct RecorderDeps;
struct RecordingConfig;

// The per-user options as a watched station records with them: only
// wished songs, and only from their title on.
RecordingOptions WatchingOptions(RecordingOptions options);
// Makes `deps` record as a watched station does.
void MakeWatching(RecorderDeps& deps);
// A watched station's recording: a wished song is caught as a song of its own.
void MakeWatching(RecordingConfig& config);

class WishCatches {
public:
    struct Caught {
        QString title;   // the song's title
        QString file;    // the file it is being written to (none when firstBy)
        int firstBy = 0; // 0, or the station that catches it already
    };
    // Told when a station begins writing a wished song, and when it began
    // one another station catches already (which it does not write).
    using Began = std::function<void(int station, const Caught& caught)>;

    // Follows the watched station `station`'s recorder: every file it opens
    // is a wished song; a song another station catches already is not
    // written at all. Stops following when `recorder` goes.
    void Follow(int station, frmMP3& recorder, Began began);
    // The station is no longer watched: its title is free for another.
    void Forget(int station);

    // What Follow does for the recorder: whether `station` may write the
    // song `song` (named as its file would be); when not, `caught` says who
    // catches it.
    bool Claim(int station, const QString& song, Caught* caught) const;
    // The station opened `file` for `song`.
    Caught Open(int station, const QString& file, const QString& song);
    // The station's caught file was closed: its title is free again.
    void Close(int station);
    // The titles being caught now, and the station catching each.
    const QHash<QString, int>& Catching() const { return m_catching; }

private:
    struct Catch {
        QString file;
        QString title;
    };
    QHash<int, Catch> m_open;       // each station's song being caught
    QHash<QString, int> m_catching; // title -> station catching it first
};
