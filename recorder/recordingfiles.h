#pragma once

#include "platform/filenames.h"
#include "platform/sleeper.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <vector>

// File-level pieces of a recording: naming, cleaning, the one open
// recording file, the ID3v1 tag and the removal of old dated archives.

// How long the thread is held after a recording file has been created.
constexpr int kCreateFilePauseMs = 500;

// Month, day and year of `date` as "MMDDYYYY" (e.g. "12052026").
QString DateStampMMDDYYYY(const QDate& date);

// `name` cleaned as a file name (FileNameText) before its recording
// extension (".mp3", ".aac", ".ogg", ".opus"), which stays: "/.mp3" and
// "...mp3" never become hidden files. A name of which nothing is left
// before the extension is "_" with it.
QString CleanRecordingName(const QString& name);

// Folder and cleaned name joined with one "/" when the folder does not
// already end with a separator; "\" separators become "/". A name longer
// than the folder takes is shortened (FitFileName); the name itself, which
// the tag and the status show, is not.
QString FullRecordingPath(const QString& sMP3Path, const QString& name);

struct TagInfo {
    QString Artist, Title, Album;
};

// The tag texts of a finished file. In title mode the name (with its
// ".mp3") is split at the first " - " into artist and title; otherwise the
// recording title is the title.
TagInfo TagInfoForRecording(const QString& name, bool titleMode, const QString& sRecordingTitle);

// The 128 bytes of an ID3v1 tag. Texts are Latin-1 ("?" for anything else),
// cut to 30 bytes and zero-filled; the comment carries the tagging date.
QByteArray BuildID3v1Tag(const TagInfo& tag, const QDate& taggingDate);

// Writes the tag over an existing one at the end of the file, or appends
// it. False when all three texts are empty, the file is missing or any
// step fails.
bool WriteID3Tag(const QString& path, const TagInfo& tag, const QDate& taggingDate);

// Tags the file `name` in `sMP3Path` as TagInfoForRecording says; false
// when there was a tag to write and it could not be written.
bool TagRecording(const QString& sMP3Path, const QString& name, bool titleMode,
                  const QString& sRecordingTitle, const QDate& today);

// The file extension for a stream of `contentType`: ".aac" for AAC
// ("audio/aac", "audio/aacp"), ".opus" for "audio/opus", ".ogg" for the
// other Ogg types ("audio/ogg", "application/ogg", "audio/vorbis"), ".mp3"
// for anything else.
QString RecordingExtension(const QByteArray& contentType);
// ".aac", ".ogg" or ".opus" when `name` ends so (any letter case), else ".mp3".
QString RecordingExtensionOf(const QString& name);

// Where a song that plays again is recorded while the earlier recording of
// it stays: a hidden file beside `path` ("dir/.name.repeat").
QString RepeatPathFor(const QString& path);

// Ends a repeat recorded at `repeatPath` for the file `earlierPath` that
// played to its end: the repeat takes the earlier file's place in one step.
// Returns the path that holds the song.
QString SettleRepeat(const QString& repeatPath, const QString& earlierPath);

// The playing time of the audio in a recording file: from its MP3 frames,
// or, for other audio, from its size at `kbps` (128 when not known).
double AudioSecondsOf(const QString& path, qint32 kbps);

// Keeps a repeat recorded at `repeatPath` beside `earlierPath` as the first
// free numbered version ("Title (2).mp3", "Title (3).mp3", ...). Returns the
// version's path; "" when no number was free (the repeat then stays).
QString KeepRepeatAsVersion(const QString& repeatPath, const QString& earlierPath);

// The one open recording file. Writes are buffered; Close flushes.
class RecordingFile {
public:
    RecordingFile() = default;
    ~RecordingFile() { Close(); }
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Closes any open file, removes the file at exactly `path` if there is
    // one, and opens `path` new and empty for reading and writing. While
    // KeepEarlierFile is on, an existing file at `path` stays instead and
    // the new one is opened at RepeatPathFor(path); Replaces() then names
    // the earlier file.
    bool Create(const QString& path);
    void KeepEarlierFile(bool on) { m_keepEarlier = on; }
    // Opens the existing file at `path` to go on writing at its end, after
    // taking off an ID3v1 tag it was closed with (a recording that continues
    // on another server). `replaces` is the earlier file a repeat at `path`
    // stands for, "" when none.
    bool Append(const QString& path, const QString& replaces = QString());
    // Appends; false (and lastError() set) when the bytes were not taken.
    // Anything queued is written first.
    bool Write(const char* data, qsizetype size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Queues bytes for the next Flush without copying them: they must stay
    // valid until Flush, Write or Close. Many small pieces (the audio
    // between metadata blocks) then reach the disk in one system call.
    void Queue(const char* data, qsizetype size);
    // Writes what is queued; false (and lastError() set) when not all of it
    // was taken. The queue is empty afterwards either way.
    bool Flush();
    qsizetype QueuedBytes() const { return m_queuedBytes; }
    // The last `n` bytes written (fewer when the file is shorter); what is
    // queued is written first.
    QByteArray ReadTail(qint64 n);
    // Takes the last `n` bytes off the end of the file.
    bool DropTail(qint64 n);
    // Writes what is queued, then closes.
    void Close();
    bool IsOpen() const { return m_file.isOpen(); }
    QString Path() const { return m_path; }  // the file last created; "" after a failure
    QString Replaces() const { return m_replaces; }  // the earlier file of a repeat; "" when none
    // The path Create was asked for when another recorder held it locked
    // and a numbered name ("Title (2).mp3") was taken instead; "" otherwise.
    QString TakenBy() const { return m_takenBy; }
    qint64 BytesWritten() const { return m_bytesWritten; }
    // The last failure of Create, Write or Close; "" when none.
    QString lastError() const { return m_lastError; }

private:
    struct Piece {
        const char* data;
        qsizetype size;
    };
    bool writePieces(const Piece* pieces, qsizetype count);
    // An advisory lock (flock) that tells other recorders this file is
    // being written; false when another one holds it.
    bool lock();
    void dropQueue();

    QFile m_file;
    QString m_path;
    QString m_replaces;
    QString m_takenBy;
    bool m_keepEarlier = false;
    qint64 m_bytesWritten = 0;
    QString m_lastError;
    std::vector<Piece> m_queue;
    qsizetype m_queuedBytes = 0;
};

// Creates the recording file `name` in `sMP3Path` and holds the thread for
// `pauseMs`; true when that worked. Otherwise `name` becomes
// "unknown-<0..59999>-MMDDYYYY" with `today`'s date and the name's extension,
// that file is opened instead without a pause, and the result is false. When
// even that cannot be created, `file` stays closed (check file.IsOpen() and
// file.lastError()).
// Numbered names tried when another recorder writes the one asked for.
constexpr int kMaxNumberedNames = 99;
// "dir/Title.mp3" numbered `n`: "dir/Title (n).mp3".
QString NumberedPath(const QString& path, int n);
// `path` when no file is there, else its first numbered version that is
// free; `path` when every number is taken.
QString FreePath(const QString& path);
// Another process holds an advisory lock on the file at `path`.
bool LockedByAnother(const QString& path);

bool CreateRecordingFile(const QString& sMP3Path, QString& name, RecordingFile& file, const QDate& today,
                         ISleeper& sleeper, int pauseMs = kCreateFilePauseMs);
// The same at `path`, a name that fits its folder already; the "unknown-"
// name goes into the same folder.
bool CreateRecordingFileAt(const QString& path, QString& name, RecordingFile& file, const QDate& today,
                           ISleeper& sleeper, int pauseMs = kCreateFilePauseMs);

// The date read from the MMDDYYYY digits before a name's extension
// (".mp3", ".aac", ".ogg", ".opus"; else its last four characters), or before the " (N)" of a numbered version; month and day
// beyond their range roll over. False when the name is too short or those
// characters are not all digits.
bool ArchiveDateOf(const QString& fileName, QDate& date);

// Deletes the "*.mp3", "*.aac", "*.ogg" and "*.opus" files in `sMP3Path` whose archive date (at midnight)
// is earlier than `now` minus `lDaysToKeepRecording` days. Nothing happens
// when deleting is off or the number of days is not positive. Returns the
// number of files deleted.
int MP3Cleanup(const QString& sMP3Path, bool bDeleteArchivesAfterTime,
               qint32 lDaysToKeepRecording, const QDateTime& now);
