#pragma once

#include "config/usersettings.h"
#include "recorder/coverchooser.h"
#include "recorder/icydemuxer.h"
#include "recorder/oggrecording.h"
#include "recorder/overlapfinder.h"
#include "recorder/recordingfiles.h"
#include "recorder/songkeeper.h"
#include "recorder/songrulescompiler.h"
#include "recorder/streamsession.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ISleeper;
class ITickSource;

// What the song writer did, as values: the recorder says it (its status
// texts are its own) or acts on it. Events come in the order things happen.
struct SongEvent {
    enum class Kind {
        Say,          // `text`, made by a part (the song rules, an Ogg recording), said as it is
        Opened,       // a file was opened: `name` as on disk, `song` the name it was started under
        Continued,    // the same file goes on (said when it was opened): `name`, `song` as for Opened
        OggOpened,    // an Ogg song's file was opened: `name` as on disk
        Closed,       // a recording file was closed (and tagged): `path`
        KeptVersion,  // a repeat was kept as another recording: `name` of the version
        Replaced,     // a repeat replaced its earlier play: `name` of that file
        NoFreeName,   // a repeat found no free name beside `name`; it stays as `other`
        TagFailed,    // `path` could not be tagged
        TooShort,     // `name` was deleted, shorter than `count` seconds
        SavedAlready, // `name` is not recorded: it is saved already
        TakenBy,      // another recorder writes `other`; the recording goes to `name`
        FolderGone,   // the recording folder `path` was gone and is made again
        CreateFailed, // no file could be created in `path`
        WriteFailed,  // the recording could not be written: `text` says why
        NoFile,       // audio came with no recording file open
        RulesLate,    // titles waited for the song rules in vain and are recorded without them
        Joined,       // a reconnect joined the recording: `seconds` already recorded left out
        Gap,          // a reconnect did not meet the recording: `count` bytes dropped, `missedMs`
        OggJoined,    // an Ogg reconnect: `count` pages left out, `missed` pages missed
        StartPaused,  // the recording starts paused: nothing is written until it resumes
        NewFile,      // a file under another name begins: a continuous recording's clock starts again
        TitleBegan,   // a stream title began another song: `name` its song name (after the title rules)
        Claimed,      // `name` is not recorded: another recording writes this song (it says so)
    };
    SongEvent(Kind k = Kind::Say) : kind(k) {} // NOLINT: a kind is an event
    Kind kind;
    QString text;
    QString name;
    QString song;
    QString other;
    QString path;
    qint64 count = 0;
    qint64 missed = 0;
    qint64 missedMs = 0;
    double seconds = 0;
};

// What the song writer reads of the recording's settings and the system.
struct SongWriterSetup {
    enum class Mode { SingleFile, PerSong, DatedArchive };
    std::function<QString()> folder; // where recordings go, as the user set it
    std::function<Mode()> mode;
    std::function<QString()> stationTitle; // the station's name, for tags and file names
    // The file a recording that is not cut into songs goes into, as the
    // user named it (an archive adds the day to it).
    std::function<QString()> streamFile;
    std::function<bool()> startPaused; // the next file opened starts the recording paused
    std::function<QDateTime()> now;    // wall clock for file names, tags and versions
    ITickSource* clock = nullptr;
    ISleeper* sleeper = nullptr; // the deliberate pauses
    int headerPauseMs = 500;
    int filePauseMs = kCreateFilePauseMs;
    // The connection's metadata has not brought its first block yet (and
    // brings them often enough to wait for it).
    std::function<bool()> awaitingFirstBlock;
    SongRulesCompiler::Compile compileRules;
    // Asked before a file is opened for a song a stream title names (its
    // name as the file would have it): false when the song is another
    // recording's to write; it is then followed but not written. Unset: every
    // song is this recording's.
    std::function<bool(const QString& name)> claimSong;
    std::function<void(const SongEvent&)> onEvent;
    // What is kept to join a reconnected stream goes on disk (RecorderDeps).
    bool joinMemoryOnDisk = false;
};

// From a stream's audio and titles to recording files: naming, repeats and
// song rules, clean cuts, the first whole frame of a file, joins after
// reconnects, tags, Ogg songs. It never touches a connection: what it needs
// of one is told to it; what it did is told as SongEvents.
class SongWriter {
public:
    using Mode = SongWriterSetup::Mode;
    // How much of what was recorded is kept, to find it again in a
    // reconnected stream: at least a server's usual burst.
    static constexpr qint64 kMinJoinMemoryBytes = 128 * 1024;

    explicit SongWriter(SongWriterSetup setup);
    ~SongWriter();
    SongWriter(const SongWriter&) = delete;
    SongWriter& operator=(const SongWriter&) = delete;

    // ---- the recording
    // A recording begins: its options, and the folder of its song rules
    // (compiled off the thread; titles wait for them).
    void Start(const RecordingOptions& options, const QString& rulesFolder);
    // The recording ended; a repeat a failover left open is settled.
    void Stop();
    // Back to nothing: the file closed unfinished, nothing paused or waiting.
    void Reset();
    // Closes and tags what is open.
    void Close();
    // A file to record into (`titled`: named after a stream title).
    // (A copy: the name may be one of the writer's own, which opening changes.)
    void Open(QString name, bool titled);
    void Pause();
    void Resume();
    // The next server goes on with the file open now.
    void ContinueOnNextServer();
    bool Continuing() const { return !m_continueName.isEmpty(); }

    // ---- the song rules
    SongRulesCompiler& Compiler() { return *m_rulesCompiler; }
    // The compiler has rules: the recording that waits for them takes them.
    void RulesCompiled();
    bool RulesReady() const { return !m_rulesWanted; }
    // The titles held for the rules, and their audio, go where they belong.
    void ReleaseHeld();

    // ---- the stream
    // A new connection began; `reconnect`: it takes up a lost stream. A
    // recording that is not cut into songs opens its file now. Returns
    // whether the stream's titles are wanted (they name the files).
    bool ConnectionBegins(bool reconnect);
    // The stream's response head: the connection's stream begins.
    // `lostTick`: when the lost connection's last audio came. Returns
    // whether titles go on naming the files.
    bool BeginStream(const StreamHead& head, qint32 lostTick);
    // The stream's titles name the files.
    bool Titled() const { return m_titled; }
    void SetBitRate(qint32 kbps) { m_bitRate = kbps; }
    qint32 BitRate() const { return m_bitRate; }
    // A stream title, decoded; `firstBlock`: named by the connection's first
    // metadata block.
    void Title(const QString& title, bool firstBlock);
    // Audio that arrived at `tick`.
    void Audio(const char* data, qsizetype size, qint32 tick);
    // Writes the audio queued from the current chunk.
    void Flush() { flushAudio(); }
    // The connection brought at least a second of audio: the stream ran.
    bool ConnectionRan() const { return m_arrival.bytes >= bytesPerSecond(); }
    // The connection closed before it ran: what its join found is not said.
    void ConnectionLostEarly() { m_joinStatus.reset(); }

    // ---- what it holds
    QString SongName() const { return m_songName; }
    bool Paused() const { return m_paused; }
    bool FileOpen() const { return m_file.IsOpen(); }
    QString FilePath() const { return m_file.Path(); }
    bool FileWished() const { return m_fileWished; }
    qint64 AudioBytesWritten() const { return m_audioWritten; }
    // A file, or an Ogg recording's files, are open; or the title playing
    // is followed without being written (the rules skip it): a lost stream
    // is taken up again either way.
    bool RecordingOpen() const { return m_file.IsOpen() || m_ogg.Active() || (m_recording && m_skipping); }
    const OggRecording& Ogg() const { return m_ogg; }

    // ---- covers
    // The songs' covers, by song name; a song's file is tagged with what
    // its song has when it closes (a picture that comes later is not waited for).
    CoverChooser& Covers() { return m_covers; }
    const CoverChooser& Covers() const { return m_covers; }
    // The song name a stream title gives (after the title rules).
    QString SongNameFor(const QString& title) const;
    int RulesCompilations() const { return m_rulesCompiler->Compilations(); }

private:
    void say(const SongEvent& event);
    void sayText(SongEvent::Kind kind, const QString& text);
    QDateTime now() const { return m_setup.now(); }
    QString folder() const { return m_setup.folder(); }
    Mode mode() const { return m_setup.mode(); }

    // titles and audio
    void takeTitle(const QString& title, bool firstBlock);
    void switchTitle(const QString& name);
    void writeAudio(const char* data, qsizetype size);
    // Audio to the recording, the join, the leading frame or nowhere (paused).
    void routeAudio(const char* data, qsizetype size);
    // Audio that goes into the recording (and into its memory).
    void recordAudio(const char* data, qsizetype size);
    void flushAudio();
    bool reopenAfterDiskError();
    void useSongRules(std::shared_ptr<const SongRules> rules);

    // files
    void announceFile(SongEvent::Kind kind);
    // `titleChange`: the file ends because the next title began.
    void closeFile(bool titleMode, bool titleChange = false);
    QString finishFile(const QString& path, const QString& earlier, bool titleChange);
    // The song rules' say on a closed file: kept (finishFile), set aside, or
    // deleted ("" then).
    QString settleSong(const QString& path, const QString& earlier, bool titleChange);
    void settlePendingRepeat();
    void tagFile(const QString& path, const QString& name, bool titleMode);
    // The song's cover into its file (an Ogg song) or beside it (AAC); false when that failed.
    bool coverFile(const QString& path, const QString& name);

    // clean cuts and the leading frame
    bool cleanCutApplies() const;
    void beginCleanCut(const QString& name);
    void holdForCut(const char* data, qsizetype size);
    void finishCleanCut();
    void beginLeadingFrame();
    void leadAudio(const char* data, qsizetype size);
    void writeLead(qsizetype from);
    void writeHeld(const QByteArray& held, qsizetype from);
    void settleLead();
    // Takes off the frame a lost connection left unfinished; the bytes dropped.
    qint64 dropPartialFrame();

    // joins
    void beginJoin(qint32 lostTick);
    void joinAudio(const char* data, qsizetype size);
    void tryJoin(bool final);
    void finishJoin(const Overlap& overlap);
    void replayJoin(const QByteArray& audio, qsizetype from, const QString& firstTitle);
    QString joinTitleChange(qsizetype from, bool found, qsizetype* at) const;
    SongEvent gapEvent(qint64 droppedBytes) const;
    void settleJoin();
    // Said once the connection brings the stream back.
    void sayJoinStatus(const SongEvent& status);
    void noteArrival(qsizetype size, qint32 tick);
    qint64 bytesPerSecond() const;
    AudioFraming framing() const;

    // Ogg
    bool beginOgg(const StreamHead& head, bool& titled);
    void writeOgg(const char* data, qsizetype size);
    bool openOggSong(const QString& name, bool titled, RecordingFile& file);

    SongWriterSetup m_setup;
    RecordingOptions m_options;
    RecordingFile m_file;
    SongKeeper m_songs;
    OggRecording m_ogg;
    CoverChooser m_covers;
    QString m_oggSongName; // the name of the Ogg song whose file is open
    std::unique_ptr<SongRulesCompiler> m_rulesCompiler;
    bool m_rulesWanted = false; // the recording waits for its compiled rules
    QString m_rulesFolder;
    bool m_recording = false;
    bool m_titled = false; // the stream's titles name the files
    qint32 m_bitRate = 0;
    QString m_extension = QStringLiteral(".mp3"); // of the files named here, from the stream's type

    // the song and its file
    QString m_songName;           // the song recording now
    QString m_fileSongName;       // the name the open file was started under
    bool m_fileFromTitle = false; // the open file is named after a stream title
    bool m_fileWished = false;    // the open file's song is on the wish list
    QString m_continueName;       // the file a failover closed, continued by the next server
    QString m_pendingRepeat;      // a repeat a failover closed, continued with m_continueName
    QString m_pendingRepeatOf;    // the earlier file that repeat stands for
    QString m_pendingRepeatName;  // the name that repeat was started under
    bool m_pendingRepeatFromTitle = false;
    bool m_skipping = false; // the title playing is saved already and not recorded again
    bool m_writeErrorShown = false;
    qint32 m_diskRetryTick = 0;
    qint64 m_audioWritten = 0;

    // pausing
    bool m_paused = false;
    bool m_pausedOnTitle = false; // the name the recording resumes with came from a stream title
    bool m_resuming = false;      // Open runs for a resume after a pause
    QString m_pausedFileName;
    QString m_pendingFile; // the file a recording started paused opens on resuming

    // titles held for the rules
    struct HeldTitle {
        qsizetype at; // in m_heldAudio
        QString title;
        bool firstBlock; // named by the connection's first metadata block
    };
    std::vector<HeldTitle> m_heldTitles;
    QByteArray m_heldAudio; // the audio since the first of them

    // clean cuts and the leading frame
    bool m_cutPending = false; // a title change waits for its clean cut
    QString m_cutName;         // the file the cut opens
    QByteArray m_cutAfter;     // the audio since the title change
    qint64 m_cutWindowBytes = 0;
    bool m_leadPending = false; // a new file's audio waits for the stream's first whole frame
    QByteArray m_leadBuffer;

    // the connection and joins
    bool m_reconnect = false;              // the current connection continues the open file
    bool m_streamContinues = false;        // the current connection goes on with the recording
    bool m_joinPending = false;            // a reconnect's audio waits until it is known where it joins
    std::optional<SongEvent> m_joinStatus; // what the join found, said once the stream is back
    QByteArray m_joinBuffer;
    struct JoinTitle {
        qsizetype at; // in m_joinBuffer
        QString name;
        bool firstBlock; // named by the connection's first metadata block
    };
    std::vector<JoinTitle> m_joinTitles;
    std::unique_ptr<OverlapFinder> m_overlap;
    StreamMemory m_memory; // the last seconds recorded
    struct RecordedTitle {
        qint64 from; // m_memory.Total() when it began
        QString name;
    };
    std::vector<RecordedTitle> m_recentTitles;
    // How far a connection's audio ran ahead of the clock in its first seconds (its burst).
    struct Arrival {
        qint32 firstTick = 0;
        qint64 bytes = 0;
        qint64 aheadMs = 0;
    };
    Arrival m_arrival;
    Arrival m_lostArrival;        // of the connection that was lost
    qint32 m_lostTick = 0;        // when its last audio came
    qint32 m_lastTick = 0;        // when the last audio came
    qint64 m_connectionStart = 0; // where in the recording (m_memory.Total()) the connection's first byte belongs
};
