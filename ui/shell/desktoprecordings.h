#pragma once

// The recordings the desktop program runs at the same time: the panel's own
// recorder, which "Record" stops and starts again, and any number recorded
// alongside it, each with its own recorder and its own copy of the
// configuration. All of them are rows of one list; one is in focus (the last
// started, until the user picks another), and the recording display, the
// tray and the media controls follow that one. One station is heard at a
// time: the listening relay is handed to the recording being listened to.

#include "config/usersettings.h"
#include "history/watching.h"
#include "listen/relay.h"
#include "recorder/keepingrelay.h"
#include "recorder/recorderhost.h"
#include "recorder/recordingset.h"
#include "ui/shell/recordingsmodel.h"

#include <QObject>
#include <QString>
#include <map>
#include <set>
#include <memory>

class ctlLive365TitleReader;

class frmMP3;
class HistoryWriter;
class PlayTracker;

// The relay of a recording alongside: silent until its recording is the one
// listened to, then everything goes to the program's relay. What a stream's
// beginning told it is handed on when it is switched on mid-stream.
class SwitchedRelay : public IRelay {
public:
    explicit SwitchedRelay(IRelay& relay) : m_relay(relay) {}
    void SetOn(bool on);
    bool On() const { return m_on; }

    void PushData(const char* data, qsizetype size) override;
    void StartPreviewing() override;
    void StopPreviewing() override;
    void SetVolume(qint32 volume) override;
    qint32 lSetVolume() const override { return m_volume; }
    bool blnEnablePreviewStream() const override { return m_on && m_relay.blnEnablePreviewStream(); }
    qint32 MixerVolume() override { return m_relay.MixerVolume(); }
    void BeginStream(const QByteArray& contentType, bool ogg) override;
    void OfferOggHeader(const QByteArray& headerPages) override;

private:
    IRelay& m_relay;
    bool m_on = false;
    qint32 m_volume = -1;
    bool m_begun = false;
    QByteArray m_contentType;
    bool m_ogg = false;
    QByteArray m_oggHeader;
};

class DesktopRecordings : public QObject {
    Q_OBJECT
public:
    enum class Started { Started, AlreadyRecording, Failed };

    // `alongside` is what each recorder alongside is made with; its relay is
    // the program's listening relay, handed on as listening moves.
    DesktopRecordings(frmMP3& primary, const RecorderDeps& alongside, QObject* parent = nullptr);
    ~DesktopRecordings() override;

    // Every recording's titles go into `history` from now on (null: none).
    void SetHistory(HistoryWriter* history);
    // What the panel's recorder hands its relay is kept by `kept`, which
    // stands in front of the program's relay.
    void SetPrimaryKept(KeepingRelay* kept);

    RecordingSet& Set() { return m_set; }
    RecordingsModel& Model() { return *m_model; }
    frmMP3& Primary() const { return m_primary; }
    // The row of the panel's recording; 0 before its first recording.
    int PrimaryId() const { return m_primaryId; }
    frmMP3* Recorder(int id) const;
    // The recorder in focus: the panel's while no row is.
    frmMP3& Focused() const;

    // The station (its address or playlist) is being recorded, by the panel's
    // recorder or alongside it.
    bool IsRecording(const QString& station) const;
    // The running recording alongside of `station`, 0 when there is none.
    int AlongsideOf(const QString& station) const;
    // Starts `config`'s station beside every other recording, with a copy of
    // `config`.
    Started RecordAlongside(const RecordingConfig& config);
    // Stops the recording alongside of `config`'s station and starts it again
    // with `config`; false when that station is not recorded alongside.
    bool RestartAlongside(const RecordingConfig& config);
    // Watches `config`'s station beside every recording: its titles go
    // into the history and only the songs of the wish list are written.
    Started Watch(const RecordingConfig& config);
    bool Watched(int id) const { return m_watched.count(id) > 0; }
    // Writes the last minutes kept of recording `id` into its folder: the
    // file's path, or "" and `problem` says why.
    QString SaveLastMinutes(int id, QString* problem);
    // Minutes of recording `id`'s audio are kept.
    bool HasKept(int id) const;
    // Writes recording `id`'s song playing to a file of its own in its
    // folder, from its title on and on to its end: the file's path, or ""
    // and `problem` says why.
    QString SaveThisSong(int id, QString* problem);

    // A recording alongside runs and is not paused.
    bool AlongsideRecording() const;
    // The recordings running, the panel's included.
    int Running() const;

    // The row actions.
    void Stop(int id);
    void TogglePause(int id);
    // Listens to recording `id` (or stops listening to it); whatever was
    // heard before stops being heard, and neither recording is touched.
    void Listen(int id);
    // The same for the recorder `recorder`; false when it is the panel's:
    // the others are then silent, and the caller asks the recorder itself.
    bool ListenTo(frmMP3& recorder);
    // The row of `recorder`, 0 when it has none.
    int IdOf(const frmMP3* recorder) const;
    QString Folder(int id) const;
    // Ends every recording, closing and tagging its file.
    void StopAll();

    // What is needed to start the running recordings again.
    QList<ResumeEntry> ResumeEntries() const;

signals:
    void focusedChanged(frmMP3* recorder);
    // The rows changed: how many run, or what one of them shows.
    void rowsChanged();
    // A watched station began writing the wished song `title` to `file`.
    void caught(const QString& station, const QString& title, const QString& file);

private:
    struct NoHost : IRecorderHost {
        void UnloadWindows() override {}
        void InstallAssociations() override {}
        void UninstallAssociations() override {}
    };
    void followPrimary(const RecorderStatus& status);
    void removeEnded(const QString& station);
    bool running(int id) const;
    QString titleOf(const RecordingConfig& config) const;
    void stopListening(bool primaryToo, int except);
    Started start(const RecordingConfig& config, bool watched);
    void followPlays(int id, frmMP3& recorder, bool watched);
    KeepingRelay* keeping(int id) const;
    void markTitles(frmMP3& recorder, KeepingRelay& keeping);

    frmMP3& m_primary;
    RecorderDeps m_deps;
    IRelay* m_relay = nullptr; // the program's
    NoHost m_host;
    // The relays of each recording alongside, kept while the program runs:
    // a removed recorder is deleted later. Its recorder hands its audio to
    // the keeping relay, which keeps the last minutes and hands it on to the
    // switched one.
    // What each recording has of its own beside its recorder.
    struct Relays {
        std::unique_ptr<SwitchedRelay> switched;
        std::unique_ptr<KeepingRelay> keeping;
        std::unique_ptr<ctlLive365TitleReader> live365;
    };
    std::map<int, Relays> m_relays;
    KeepingRelay* m_primaryKept = nullptr;
    HistoryWriter* m_history = nullptr;
    // Each recording's titles into the history (the panel's under 0); the
    // trackers outlive the recorders they follow.
    std::map<int, std::unique_ptr<PlayTracker>> m_plays;
    WishCatches m_catches; // told of by the recorders, so it outlives them
    std::set<int> m_watched;
    RecordingSet m_set;
    std::unique_ptr<RecordingsModel> m_model;
    int m_primaryId = 0;
    bool m_primaryRecording = false;
    // The configuration each recording alongside was started with.
    std::map<int, RecordingConfig> m_configs;
};
