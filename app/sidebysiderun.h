#pragma once

// "tonquill --record FILE [FILE ...]": every preset or playlist file given is
// a recording of its own, all side by side in one program without a display.
// Each station has its own recorder, configuration, messages, Live365 title
// reader and status lines (each line begins with "[its title] "); a relay
// that never listens stands in for the listening relay, so no station takes
// a port from another. The run is over when its last recording is.
//
// "--watch FILE ...": a watched station is read like a recorded one, but only
// the songs of the wish list that begin while it is watched are written (each
// into the station's folder as a recording would write it). Every station's
// titles go into the title history, and the last WatchMinutes of its audio
// are kept in memory: SIGUSR1 writes them to a file in its folder.

#include "app/presetopener.h"
#include "config/configuration.h"
#include "history/historywriter.h"
#include "history/watching.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/headlessconsole.h"
#include "recorder/recordingset.h"
#include "sources/live365reader.h"

#include <QObject>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <vector>

class SideBySideRun : public QObject {
    Q_OBJECT
public:
    // Status lines go to `out`, messages to stderr.
    explicit SideBySideRun(FILE* out = stdout, QObject* parent = nullptr);
    ~SideBySideRun() override;

    // Makes a recording for every file and starts them all (from the event
    // loop); a file that cannot be recorded says why and ends on its own.
    void Start(const QStringList& files, const QStringList& watched = {});
    // Adds a station while the run goes on and starts it from the event
    // loop; its recording id. Add takes a preset or playlist file,
    // AddAddress a playlist address recorded under `title` into the default
    // folder (a station of the station list).
    int Add(const QString& file, bool watched);
    int AddAddress(const QString& title, const QString& address, bool watched);
    bool Watched(int id) const;
    // Lets recording `id`, which has ended, go: its recorder and its
    // station's parts are deleted; false when it has not ended.
    bool Forget(int id);
    // SIGINT, SIGTERM and SIGHUP stop every recording (closing and tagging
    // its file); the run then ends with status 0.
    void InstallSignalHandlers();
    // What a signal does.
    void StopAll();
    // SIGUSR1 saves the last minutes of every station.
    void InstallSaveSignalHandler();
    // Writes the kept minutes of every station into its folder; the paths
    // written.
    QStringList SaveLastMinutes();
    // The history the run writes (null before Start).
    HistoryWriter* History() const { return m_history.get(); }

    RecordingSet& Recordings() { return m_set; }
    // 0 after a signal or when every station ended well; otherwise the
    // first failed station's status.
    int ExitStatus() const;

signals:
    void finished(int exitStatus);

private:
    struct Station;
    void startStation(Station& station);
    void setTitle(Station& station, const QString& title);
    // A watched station began writing a wished song.
    void watchCaught(int id, const WishCatches::Caught& caught);
    Station& makeStation(const QString& file, bool watched);
    // Starts `station` from the event loop; its id.
    int startLater(Station& station);
    void followPlays(Station& station, frmMP3& recorder);
    // `title`, or with " (2)", " (3)" ... when a station other than `id` has it.
    QString uniqueTitle(const QString& title, int id) const;

    FILE* m_out;
    SystemTickSource m_clock;
    ThreadSleeper m_sleeper;
    // The history outlives the stations, whose plays it takes; the
    // stations outlive the recorders, which hold their parts.
    std::unique_ptr<HistoryWriter> m_history;
    std::vector<std::unique_ptr<Station>> m_stations;
    // The wished songs being caught (told of by the recorders, so it
    // outlives them).
    WishCatches m_catches;
    RecordingSet m_set;
    bool m_signalled = false;
    StderrMessageService m_historyMessages{QStringLiteral("Tonquill")};
};
