#include "app/serveengine.h"

#include "config/settings.h"

#include <QTimer>

QString RecordingState(const RecorderStatus& status, bool reconnecting, bool watched, bool ended, int exitStatus)
{
    if (ended)
        return exitStatus == 0 ? QStringLiteral("stopped") : QStringLiteral("failed");
    if (status.blnPaused)
        return QStringLiteral("paused");
    if (reconnecting || status.connection == ConnectionState::WaitingToRetry)
        return QStringLiteral("reconnecting");
    if (status.connection != ConnectionState::Streaming)
        return QStringLiteral("connecting");
    return watched ? QStringLiteral("watching") : QStringLiteral("recording");
}

ServeEngine::ServeEngine(SideBySideRun& run, QObject* parent) : QObject(parent), m_run(run)
{
    RecordingSet& set = m_run.Recordings();
    connect(&set, &RecordingSet::added, this, [this, &set](int id) {
        frmMP3* recorder = set.Recorder(id);
        connect(recorder, &frmMP3::statusChanged, this, [this, id] { emit changed(id); });
    });
    connect(&set, &RecordingSet::titleChanged, this, [this](int id) { emit changed(id); });
    connect(&set, &RecordingSet::ended, this, [this](int id) { emit changed(id); });
}

std::optional<RecordingInfo> ServeEngine::Recording(int id) const
{
    const RecordingSet& set = m_run.Recordings();
    const frmMP3* recorder = set.Recorder(id);
    if (!recorder || m_forgotten.contains(id))
        return std::nullopt;
    const RecorderStatus status = recorder->Status();
    RecordingInfo info;
    info.id = id;
    info.station = set.Title(id);
    info.stationId = m_stationIds.value(id);
    info.state = RecordingState(status, recorder->Reconnecting(), m_run.Watched(id), set.Ended(id), set.ExitStatus(id));
    info.title = status.strSongName;
    info.file = status.file;
    info.elapsed =
        qint64(status.clock.lngHoursPassed) * 3600 + status.clock.lngMinutesPassed * 60 + status.clock.lngSecondsPassed;
    info.bytes = recorder->AudioBytesWritten();
    return info;
}

QList<RecordingInfo> ServeEngine::Recordings() const
{
    QList<RecordingInfo> all;
    for (const int id : m_run.Recordings().Ids())
        if (const auto info = Recording(id))
            all.append(*info);
    return all;
}

int ServeEngine::Start(const ServedStation& station, bool watch, QString* problem)
{
    if (station.address.isEmpty() && station.preset.isEmpty()) {
        *problem = QStringLiteral("The station %1 has no address.").arg(station.title);
        return 0;
    }
    const int id = station.preset.isEmpty() ? m_run.AddAddress(station.title, station.address, watch)
                                            : m_run.Add(station.preset, watch);
    m_stationIds.insert(id, station.id);
    return id;
}

bool ServeEngine::SetPaused(int id, bool paused)
{
    RecordingSet& set = m_run.Recordings();
    frmMP3* recorder = set.Recorder(id);
    if (!recorder || set.Ended(id) || !recorder->Status().blnRecording)
        return false;
    if (recorder->Status().blnPaused != paused)
        recorder->TogglePause();
    return true;
}

bool ServeEngine::Stop(int id)
{
    RecordingSet& set = m_run.Recordings();
    if (!set.Contains(id) || set.Ended(id))
        return false;
    set.Stop(id);
    return true;
}

void ServeEngine::Forget(int id)
{
    if (!m_run.Recordings().Ended(id) || m_forgotten.contains(id))
        return;
    // The server may ask while the set tells of an end: the recording leaves
    // the run from the event loop.
    m_forgotten.insert(id);
    m_stationIds.remove(id);
    QTimer::singleShot(0, this, [this, id] {
        m_run.Forget(id);
        m_forgotten.remove(id);
    });
}

QStringList ServeEngine::Folders() const
{
    QStringList folders;
    const auto add = [&folders](QString folder) {
        if (folder.isEmpty())
            return;
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        if (!folders.contains(folder))
            folders << folder;
    };
    add(GetDefaultFolder(true));
    const RecordingSet& set = m_run.Recordings();
    for (const int id : set.Ids())
        if (const frmMP3* recorder = set.Recorder(id))
            add(recorder->Config().sMP3Path);
    return folders;
}
