#pragma once

// The recordings of "--serve": the side-by-side run of "--record" and
// "--watch", with stations added and stopped while it goes on.

#include "app/sidebysiderun.h"
#include "server/recordingcontrol.h"

#include <QHash>
#include <QObject>
#include <QSet>

class ServeEngine : public QObject, public RecordingControl {
    Q_OBJECT
public:
    explicit ServeEngine(SideBySideRun& run, QObject* parent = nullptr);

    QList<RecordingInfo> Recordings() const override;
    std::optional<RecordingInfo> Recording(int id) const override;
    int Start(const ServedStation& station, bool watch, QString* problem) override;
    bool SetPaused(int id, bool paused) override;
    bool Stop(int id) override;
    void Forget(int id) override;
    QStringList Folders() const override;

signals:
    // Recording `id` changed: its state, its song, its file.
    void changed(int id);

private:
    SideBySideRun& m_run;
    QHash<int, QString> m_stationIds;
    // Forgotten, but still in the run until the event loop lets it go.
    QSet<int> m_forgotten;
};

// The state a recording is in, as the API names it.
QString RecordingState(const RecorderStatus& status, bool reconnecting, bool watched, bool ended, int exitStatus);
