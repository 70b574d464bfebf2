#pragma once

// The recordings one program runs side by side. Each has an id (counted from
// 1, never used again), its station's title and its own recorder, made with
// its own dependencies and started with its own configuration, so nothing one
// station does reaches another.

#include "recorder/frmmp3.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class RecordingSet : public QObject {
    Q_OBJECT
public:
    explicit RecordingSet(QObject* parent = nullptr);
    ~RecordingSet() override;

    // Makes a recorder for the station `title` with `deps`; its id. Nothing
    // is recorded until it is started.
    int Add(const QString& title, const RecorderDeps& deps);
    // Stops the recording and forgets it; its recorder is deleted once the
    // event in progress is over.
    void Remove(int id);

    // Records `config` on recording `id`; false (and the recording ended
    // with status 1) when it cannot start.
    bool Start(int id, const RecordingConfig& config);
    // Stops recording `id` (its file is closed and tagged); it has ended.
    void Stop(int id);
    void StopAll();
    // Recording `id` ended without its recorder saying so (it could not be
    // started): `exitStatus` is its status.
    void End(int id, int exitStatus);

    void SetTitle(int id, const QString& title);
    // An id no recording of the set has or will have, for a recording run
    // beside the set (the desktop panel's own recorder).
    int ReserveId() { return m_nextId++; }

    QList<int> Ids() const;
    bool Contains(int id) const { return find(id) != nullptr; }
    // Null for an id the set does not hold.
    frmMP3* Recorder(int id) const;
    QString Title(int id) const;
    bool Ended(int id) const;
    // The status a recording ended with (0 while it has not ended).
    int ExitStatus(int id) const;
    // The recordings that have not ended.
    int Running() const;

signals:
    void added(int id);
    void removed(int id);
    void titleChanged(int id, const QString& title);
    // Recording `id` ended: its recording or preparation is over, or its
    // recorder asked the program to end. Sent once per recording.
    void ended(int id, int exitStatus);
    // The last recording running ended (sent after its `ended`).
    void lastEnded();

private:
    struct Entry {
        int id = 0;
        QString title;
        std::unique_ptr<frmMP3> recorder;
        bool started = false; // its recorder has left the idle phase
        bool ended = false;
        int exitStatus = 0;
    };
    Entry* find(int id) const;
    void watch(Entry& entry);
    void end(int id, int exitStatus);

    std::vector<std::unique_ptr<Entry>> m_entries;
    int m_nextId = 1;
};
