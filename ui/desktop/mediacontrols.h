#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The recorder as the desktop's media controls see it (MPRIS 2 on the
// session bus): what they show and what they may ask for.
struct MediaState {
    bool recording = false;
    bool listening = false;
    bool paused = false;
    QString title;     // the song's name as the stream gives it, "Artist - Title"
    QString station;   // the recording's title
    QString file;      // the file being written
    QString artUrl;    // the song's cover as a cached file; "" when it has none
    int volume = 0;    // 0 to 100
    quint64 track = 0; // counts the songs of this run, for the track's id

    bool operator==(const MediaState&) const = default;
};

class IMediaCommands {
public:
    virtual ~IMediaCommands() = default;
    // Starts recording the last preset (or the servers it had).
    virtual void StartRecording() = 0;
    virtual void StopRecording() = 0;
    // Pauses a running recording, or resumes a paused one.
    virtual void TogglePause() = 0;
    virtual void SetVolume(int percent) = 0;
    // Shows the recording display or the panel, as the tray icon's click does.
    virtual void Raise() = 0;
    // Ends the program, asking first while a recording runs.
    virtual void Quit() = 0;
};

// A file the program plays itself (the library's player) as the media
// controls show it: while one plays or is paused they show and drive it
// instead of the recorder, and go back to the recorder when it stops.
struct FilePlayback {
    bool active = false; // a file plays or is paused
    bool paused = false;
    QString path;
    QString title;
    QString artist;        // "" when unknown
    QString station;       // "" when unknown
    qint64 lengthMs = -1;  // -1 when unknown
    qint64 positionMs = 0; // not signalled: readers ask for it
    int volume = 0;        // 0 to 100
    quint64 track = 0;     // counts the files played, for the track's id

    bool operator==(const FilePlayback&) const = default;
};

class IFilePlaybackCommands {
public:
    virtual ~IFilePlaybackCommands() = default;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void SeekTo(qint64 ms) = 0;
    virtual void SetVolume(int percent) = 0;
};

namespace mpris {
inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tonquill");
inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// "Playing" while recording or listening and not paused, "Paused" while
// paused, "Stopped" otherwise.
QString PlaybackStatus(const MediaState& s);
// Text as a D-Bus string carries it: control characters become spaces and
// what is not a character (a lone surrogate) becomes U+FFFD.
QString CleanText(const QString& text);
// The artist before the first " - " and the title after it, as the file's
// tag has them; without one the whole text is the title.
struct SongName {
    QString artist;
    QString title;
};
SongName SplitSongName(const QString& name);
// mpris:trackid, xesam:title/artist/album/url; only the "no track" id while
// nothing is recorded.
QVariantMap Metadata(const MediaState& s);
// The volume a caller asks for (1.0 is full) as the recorder's 0 to 100,
// clamped; NaN counts as 0.
int VolumePercent(double volume);
// The names of the Player properties that differ between two states.
QStringList ChangedPlayerProperties(const MediaState& before, const MediaState& after);
// What Play, Pause and PlayPause do in a state.
enum class Command { Play, Pause, PlayPause };
enum class Effect { None, Start, TogglePause };
Effect EffectOf(Command command, const MediaState& s);

// The file playing: "Playing", "Paused" or (no longer active) "Stopped".
QString PlaybackStatus(const FilePlayback& f);
// Its track id (a path of its own per file played), title, artist,
// station as the album, file and length (mpris:length, in microseconds,
// when known).
QVariantMap Metadata(const FilePlayback& f);
QString TrackId(const FilePlayback& f);
// The Player properties signalled when they change: PlaybackStatus,
// Metadata, Volume, CanGoNext, CanGoPrevious and CanSeek, of the file while
// one is active, else of the recorder.
QVariantMap PlayerProperties(const MediaState& s, const FilePlayback& f);
// Where Seek (by an offset) and SetPosition (to a position of a track) take
// the file, in microseconds as the bus gives them: nowhere (a stale track,
// a position outside the file, nothing to seek in), to a position, or on to
// the next file (Seek past the end).
struct SeekPlan {
    enum Effect { None, To, Next } effect = None;
    qint64 ms = 0;
    bool operator==(const SeekPlan&) const = default;
};
SeekPlan PlanSeek(const FilePlayback& f, qint64 offsetUs);
SeekPlan PlanSetPosition(const FilePlayback& f, const QString& trackId, qint64 positionUs);
} // namespace mpris

// The MPRIS 2 service: org.mpris.MediaPlayer2 and its .Player at
// /org/mpris/MediaPlayer2, under org.mpris.MediaPlayer2.tonquill, or the
// ".instance<pid>" name when another Tonquill holds that one. The state is
// pushed in by the program; every change of a shown property is signalled.
class MediaControls : public QObject {
    Q_OBJECT
public:
    MediaControls(IMediaCommands& commands, QDBusConnection bus, QObject* parent = nullptr);
    ~MediaControls() override;

    // Puts the object on the bus and asks for the name (without waiting).
    void Register();
    // Takes the object and the name off the bus.
    void Unregister();
    // The name held, empty until the bus has granted one.
    QString ServiceName() const { return m_serviceName; }

    void SetState(const MediaState& state);
    const MediaState& State() const { return m_state; }
    IMediaCommands& Commands() { return m_commands; }

    // While `playback` is active the controls show it and `commands` (null:
    // none) are what they drive; an inactive one gives them back to the
    // recorder.
    void SetFilePlayback(const FilePlayback& playback, IFilePlaybackCommands* commands);
    const FilePlayback& File() const { return m_file; }
    IFilePlaybackCommands* FileCommands() const { return m_file.active ? m_fileCommands : nullptr; }
    // The file playing jumped to `ms` (a seek): the Seeked signal.
    void FileSeeked(qint64 ms);

signals:
    void serviceRegistered(const QString& name);

private:
    void requestName(const QString& name, bool fallBack);
    void emitChanged(const QString& interface, const QVariantMap& changed);
    // Signals the properties that differ from `before`.
    void showChanges(const QVariantMap& before);

    IMediaCommands& m_commands;
    QDBusConnection m_bus;
    MediaState m_state;
    FilePlayback m_file;
    IFilePlaybackCommands* m_fileCommands = nullptr;
    QString m_serviceName;
    bool m_registered = false;
};
