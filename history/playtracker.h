#pragma once

// Follows one station's titles and files and keeps each title it plays in
// the title history: a play begins when its title does and ends when the
// next title (or the stream) does; its file and state are known once its
// file is closed.

#include "history/historystore.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class HistoryWriter;
class frmMP3;

class PlayTracker {
public:
    struct Setup {
        std::function<QString()> station; // the station's name
        std::function<QString()> address; // its address
        std::function<QDateTime()> now;
        // Every title gets a file of its own (songs cut from the stream):
        // a title that got none was skipped. Otherwise a title is in the
        // file that is open while it plays (`openFile`).
        std::function<bool()> filePerSong;
        std::function<QString()> openFile;
    };
    PlayTracker(HistoryWriter& writer, Setup setup);
    ~PlayTracker();
    PlayTracker(const PlayTracker&) = delete;
    PlayTracker& operator=(const PlayTracker&) = delete;

    // The title `name` began (a song name as the song writer gives it, its
    // extension included, or a plain title); "" ends the title playing.
    void Title(const QString& name);
    // The stream broke off or ended: the next title does not follow the one
    // that played, which ends now.
    void StreamEnded();
    // The song writer opened `path` for the song `name` (a file of a song
    // no title began, such as the audio before the first title, is none of
    // the history's).
    void FileOpened(const QString& name, const QString& path);
    // The file open was kept as another version of an earlier recording.
    void KeptVersion();
    // The song playing is not recorded: it is saved already, or another
    // station is writing it.
    void SavedAlready();
    // The file open was deleted (too short).
    void FileDeleted();
    // The song writer closed its file (and put it at `path`).
    void FileClosed(const QString& path);

    // What a tracker of `recorder`'s plays reads of it; `station` names
    // the station (its title in the recorder's configuration when empty).
    static Setup SetupFor(const frmMP3& recorder, std::function<QString()> station = {});
    // Follows `recorder`'s titles, files and phases.
    void Attach(frmMP3& recorder);

    // The title without a song writer's file extension.
    static QString TitleOfName(const QString& name);

private:
    struct Live {
        qint64 id = 0;
        Play play;
        bool fromStart = false; // it began where the title before it ended
        bool toEnd = false;     // the next title followed it
        bool hasFile = false;   // a file of its own was opened
        bool fileOpen = false;  // and is not closed yet
        bool ended = false;
        bool version = false;
        bool skipped = false;
        bool fileState = false; // its file's place decided its state
    };
    void begin(const QString& title);
    void end(bool byNextTitle);
    void settle(Live& live);
    void write(const Live& live);

    HistoryWriter& m_writer;
    Setup m_setup;
    QObject m_context;             // what Attach connects ends with the tracker
    std::optional<Live> m_current; // the title playing
    std::optional<Live> m_closing; // the title before it, its file still open
    bool m_streamRuns = false;     // a title played in this stream before
};
