#pragma once

#include "recorder/oggdemuxer.h"
#include "recorder/recordingfiles.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>

// True for the content types of Ogg streams (audio/ogg, application/ogg,
// audio/opus, audio/vorbis), or when `bodyStart` begins with "OggS".
bool IsOggStream(const QByteArray& contentType, const QByteArray& bodyStart);

// The extension of a stream's files: ".opus" for audio/opus, ".ogg" for
// the other Ogg streams, else RecordingExtension(contentType).
QString StreamExtension(const QByteArray& contentType, const QByteArray& bodyStart);
// `name` with its extension (".mp3", ".aac", ".ogg" or ".opus", any case)
// replaced by `extension`, or with `extension` added when it has none of them.
QString WithExtension(const QString& name, const QString& extension);

// The name of a song's file: "ARTIST - TITLE", the title alone without an
// artist, and `fallback` (the station and date) when neither is given; with
// the codec's extension.
QString OggSongName(const OggStreamInfo& info, const QString& fallback);

// Records an Ogg stream: in song mode each logical stream into its own
// file in `folder`, named after its comments; in one-file mode the good
// pages of the chained stream are collected for the caller to write. Only
// whole pages that passed their CRC are written; no tag is added (the
// comments are the tags).
class OggRecording : private OggDemuxer::Sink {
public:
    // Song mode: `fallback` names a song without comments.
    // A connection that `continues` the recording after an outage and
    // brings the song that was cut again (the same serial, or the same
    // header bytes as a new logical stream) goes on with that song's file:
    // its pages not yet written follow (by their sequence numbers), its
    // header pages and the pages written already are left out. Any other
    // song ends the cut song's file.
    void BeginSongs(const QString& folder, const QString& fallback, bool continues = false);
    // One-file mode: Feed returns the pages to write; a connection that
    // `continues` goes on with the cut song as above.
    void BeginOneFile(bool continues = false);
    bool Active() const { return m_active; }
    // Feeds a chunk of the stream. In one-file mode returns the pages to
    // write, whole and in order; in song mode "" (the files are written).
    QByteArray Feed(const char* data, qsizetype size);
    // The stream ended or the recording stops: a song's file is closed as
    // it is (a cut song), and the recording is no longer active.
    void Finish();

    const OggDemuxer& Demuxer() const { return m_demux; }
    QString Path() const { return m_file.Path(); }
    // A short status of bad input seen so far; "" when none.
    QString Problems() const;
    // Problems() when it changed since the last call; "" otherwise.
    QString NewProblems();
    // While paused nothing is written; a song's file open then is closed,
    // and the next file begins with the next song.
    void SetPaused(bool paused);

    // Song mode: opens `file` for a song, `name` being what OggSongName
    // gives it and `titled` whether its comments name it; false leaves the
    // song out (none of its pages is written). Without it the song's file is
    // `name` in the folder, or the first free numbered version of it.
    std::function<bool(const QString& name, bool titled, RecordingFile& file)> openFile;
    // Settles a song's file once closed: `replaces` is the earlier file a
    // repeat was recorded beside ("" when none), `complete` says whether the
    // song played to its end. Returns the path that holds the song; without
    // it the file stays where it is.
    std::function<QString(const QString& path, const QString& replaces, bool complete)> settleFile;
    // Told when a song's file is opened (its path; for a repeat the earlier
    // file it is recorded beside) and when it is closed (the path that holds
    // the song).
    std::function<void(const QString&)> onOpened, onClosed;
    // Told a failure to create or write a file.
    std::function<void(const QString&)> onError;
    // Told when the cut song goes on after an outage: how many of the pages
    // sent again were written before, and how many the outage lost.
    std::function<void(int leftOut, qint64 missed)> onJoined;

private:
    void OnStreamStart(const OggStreamInfo& info) override;
    void OnPage(const char* data, qsizetype size) override;
    void OnStreamEnd(bool complete) override;
    void OnPageBeforeStart(const char* data, qsizetype size) override;
    void tellJoined(quint32 sequence);
    void beginConnection(bool continues);
    void openSong(const OggStreamInfo& info);
    void write(const char* data, qsizetype size);
    void writeFailed();
    void closeSong(bool complete = false);

    // The logical stream being written.
    struct Song {
        quint32 serial = 0;
        QByteArray headerPages;
        quint32 lastSequence = 0; // of the last page written
    };

    OggDemuxer m_demux;
    RecordingFile m_file;
    QString m_folder, m_fallback;
    bool m_active = false;
    bool m_songs = false;
    bool m_paused = false;
    bool m_writing = false; // the current stream's header pages were written
    Song m_song;
    bool m_resume = false;      // the song an outage cut waits for the next connection's first stream
    bool m_skipWritten = false; // the cut song goes on: its pages written already are left out
    int m_leftOut = 0;
    bool m_joinTold = false;       // the status said already how the cut song goes on
    bool m_headersPending = false; // the stream's header pages wait for its first page of audio
    bool m_newFile = false;        // ... and open a file of their own
    QString m_toldProblems;
    QByteArray m_out; // one-file mode: the pages of the chunk being fed
};
