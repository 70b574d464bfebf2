#include "app/sidebysiderun.h"

#include "app/recorderrun.h"
#include "app/sidebysidestation.h"
#include "config/settings.h"

#include <QFileInfo>
#include <QTimer>

SideBySideRun::SideBySideRun(FILE* out, QObject* parent) : QObject(parent), m_out(out)
{
    connect(&m_set, &RecordingSet::lastEnded, this, [this] { emit finished(ExitStatus()); });
}

SideBySideRun::~SideBySideRun() = default;

QString SideBySideRun::uniqueTitle(const QString& title, int id) const
{
    const auto taken = [this, id](const QString& t) {
        for (const int other : m_set.Ids())
            if (other != id && m_set.Title(other) == t)
                return true;
        return false;
    };
    QString unique = title;
    for (int n = 2; taken(unique); ++n)
        unique = title + QStringLiteral(" (%1)").arg(n);
    return unique;
}

void SideBySideRun::setTitle(Station& station, const QString& title)
{
    if (title.isEmpty())
        return;
    const QString unique = uniqueTitle(title, station.id);
    m_set.SetTitle(station.id, unique);
    const QString prefix = QLatin1Char('[') + unique + QLatin1Char(']');
    station.console.setLinePrefix(prefix + QLatin1Char(' '));
    station.errors.setTitle(EscapeForTerminal(prefix) + QStringLiteral(" Tonquill"));
}

void SideBySideRun::Start(const QStringList& files, const QStringList& watched)
{
    m_history = std::make_unique<HistoryWriter>();
    connect(m_history.get(), &HistoryWriter::notice, this,
            [this](const QString& text) { m_historyMessages.ShowMessage(text); });
    // Every recording is made before any starts: one that cannot start is
    // not the last one running while others wait for their turn.
    for (const QString& file : files)
        makeStation(file, false);
    for (const QString& file : watched)
        makeStation(file, true);
    QTimer::singleShot(0, this, [this] {
        for (const auto& station : m_stations)
            startStation(*station);
    });
}

SideBySideRun::Station& SideBySideRun::makeStation(const QString& file, bool watched)
{
    auto station = std::make_unique<Station>(m_out, &m_clock, qint64(WatchMinutes()) * 60 * 1000);
    station->file = file;
    station->watched = watched;
    // A recorded station's minutes are kept on disk, a watched one's in
    // memory.
    Station* s = station.get();
    station->keeping.Kept().SetNotice([s](const QString& text) { s->console.showStatus(text); });
    if (!watched)
        station->keeping.Kept().KeepOnDisk();
    RecorderDeps deps;
    deps.clock = &m_clock;
    deps.messages = &station->messages;
    deps.sleeper = &m_sleeper;
    deps.relay = &station->keeping;
    deps.host = &station->console;
    deps.live365 = &station->live365;
    deps.joinMemoryOnDisk = true;
    if (watched)
        MakeWatching(deps);
    LeavePausesOutWhenAsked(deps);
    station->id = m_set.Add(QString(), deps);
    // Until its own title is read, a station is named by its file.
    setTitle(*station, QFileInfo(file).fileName().isEmpty() ? file : QFileInfo(file).fileName());
    frmMP3& recorder = *m_set.Recorder(station->id);
    ConnectLive365(station->live365, recorder.Live365(), &recorder);
    station->console.attach(&recorder);
    station->opener = std::make_unique<PresetOpener>(recorder, station->config, station->messages);
    // A playlist file's station is named by the title the playlist gives.
    connect(&recorder, &frmMP3::playlistRead, this, [this, s](const QString& title) { setTitle(*s, title); });
    followPlays(*s, recorder);
    m_stations.push_back(std::move(station));
    return *s;
}

int SideBySideRun::Add(const QString& file, bool watched)
{
    return startLater(makeStation(file, watched));
}

int SideBySideRun::startLater(Station& station)
{
    QTimer::singleShot(0, this, [this, id = station.id] {
        for (const auto& s : m_stations)
            if (s->id == id)
                startStation(*s);
    });
    return station.id;
}

int SideBySideRun::AddAddress(const QString& title, const QString& address, bool watched)
{
    Station& station = makeStation(title, watched);
    RecordingConfig config;
    config.sShoutCastFile = address;
    config.sRecordingTitle = title;
    config.sMP3Path = GetDefaultFolder(true);
    // Every recording path is the folder followed by the file name.
    if (!config.sMP3Path.isEmpty() && !config.sMP3Path.endsWith(QLatin1Char('/')))
        config.sMP3Path += QLatin1Char('/');
    config.bEnabledTimedRecording = false;
    config.lTimedRecording = 0;
    config.bConfigOK = true;
    station.given = config;
    return startLater(station);
}

bool SideBySideRun::Watched(int id) const
{
    for (const auto& s : m_stations)
        if (s->id == id)
            return s->watched;
    return false;
}

bool SideBySideRun::Forget(int id)
{
    if (!m_set.Contains(id) || !m_set.Ended(id))
        return false;
    const auto it = std::find_if(m_stations.begin(), m_stations.end(), [id](const auto& s) { return s->id == id; });
    if (it != m_stations.end()) {
        // The station's parts serve the recorder until it is gone, whose
        // deletion waits for the event loop, as the station's does then.
        Station* station = it->release();
        m_stations.erase(it);
        connect(m_set.Recorder(id), &QObject::destroyed, this, [this, station] {
            QMetaObject::invokeMethod(
                this, [station] { delete station; }, Qt::QueuedConnection);
        });
    }
    m_set.Remove(id);
    return true;
}

void SideBySideRun::startStation(Station& station)
{
    if (m_set.Ended(station.id))
        return;
    frmMP3& recorder = *m_set.Recorder(station.id);
    // A preset is read first, so that every line of its station, the first
    // included, is under the preset's title.
    PresetStart start;
    if (station.given) {
        start.action = PresetStart::Action::Record;
        start.config = *station.given;
    } else {
        start = LoadPresetToRecord(station.file, false, station.config, station.messages);
    }
    if (start.action == PresetStart::Action::Record)
        setTitle(station, start.config.sRecordingTitle);
    recorder.Form_Load();
    RecordingConfig config = start.config;
    if (station.watched)
        MakeWatching(config);
    switch (start.action) {
    case PresetStart::Action::Record:
        m_set.Start(station.id, config);
        return;
    case PresetStart::Action::Playlist:
        recorder.ReadPlaylist(config);
        return;
    case PresetStart::Action::Panel:
    case PresetStart::Action::Failed:
        break;
    }
    m_set.End(station.id, 1);
}

void SideBySideRun::InstallSignalHandlers()
{
    OnStopSignals(this, [this] { StopAll(); });
}

void SideBySideRun::StopAll()
{
    m_signalled = true;
    for (const auto& station : m_stations)
        if (!m_set.Ended(station->id))
            station->console.stopFromSignal();
    m_set.StopAll();
}

int SideBySideRun::ExitStatus() const
{
    if (m_signalled)
        return 0;
    for (const auto& station : m_stations) {
        if (const int status = m_set.ExitStatus(station->id); status != 0)
            return status;
        if (station->messages.count() > 0)
            return 1;
    }
    return 0;
}
