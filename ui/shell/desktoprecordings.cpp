#include "ui/shell/desktoprecordings.h"

#include "history/playtracker.h"
#include "recorder/frmmp3.h"
#include "recorder/live365titles.h"
#include "sources/live365reader.h"

#include <QDateTime>

void SwitchedRelay::SetOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (!on)
        return;
    // The program's relay learns the stream it is now given.
    if (m_begun)
        m_relay.BeginStream(m_contentType, m_ogg);
    if (!m_oggHeader.isEmpty())
        m_relay.OfferOggHeader(m_oggHeader);
    if (m_volume >= 0)
        m_relay.SetVolume(m_volume);
}

void SwitchedRelay::PushData(const char* data, qsizetype size)
{
    if (m_on)
        m_relay.PushData(data, size);
}

void SwitchedRelay::StartPreviewing()
{
    if (m_on)
        m_relay.StartPreviewing();
}

void SwitchedRelay::StopPreviewing()
{
    if (m_on)
        m_relay.StopPreviewing();
}

void SwitchedRelay::SetVolume(qint32 volume)
{
    m_volume = volume;
    if (m_on)
        m_relay.SetVolume(volume);
}

void SwitchedRelay::BeginStream(const QByteArray& contentType, bool ogg)
{
    m_begun = true;
    m_contentType = contentType;
    m_ogg = ogg;
    m_oggHeader.clear();
    if (m_on)
        m_relay.BeginStream(contentType, ogg);
}

void SwitchedRelay::OfferOggHeader(const QByteArray& headerPages)
{
    m_oggHeader = headerPages;
    if (m_on)
        m_relay.OfferOggHeader(headerPages);
}

DesktopRecordings::DesktopRecordings(frmMP3& primary, const RecorderDeps& alongside, QObject* parent)
    : QObject(parent), m_primary(primary), m_deps(alongside), m_relay(alongside.relay)
{
    // A recording alongside asks nothing of the windows: the program's own
    // recorder loads and unloads them.
    m_deps.host = &m_host;
    m_model = std::make_unique<RecordingsModel>(&m_set);
    connect(m_model.get(), &RecordingsModel::focusChanged, this, [this] { emit focusedChanged(&Focused()); });
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model.get(), signal, this, &DesktopRecordings::rowsChanged);
    connect(m_model.get(), &QAbstractItemModel::dataChanged, this, &DesktopRecordings::rowsChanged);
    connect(&m_primary, &frmMP3::statusChanged, this, &DesktopRecordings::followPrimary);
    // A song being saved ends with its station's recording.
    connect(&m_set, &RecordingSet::ended, this, [this](int id) {
        if (KeepingRelay* kept = keeping(id))
            kept->Saver().Finish();
    });
    connect(&m_primary, &frmMP3::clockChanged, this, &DesktopRecordings::followPrimary);
}

DesktopRecordings::~DesktopRecordings()
{
    m_primary.disconnect(this);
    m_model.reset();
}

// The panel's recorder gets a new row for every recording it starts; the
// row of its last one stays, stopped, until the next.
void DesktopRecordings::followPrimary(const RecorderStatus& status)
{
    if (status.blnRecording && !m_primaryRecording) {
        m_primaryRecording = true;
        if (m_primaryId)
            m_model->Untrack(m_primaryId);
        m_primaryId = m_set.ReserveId();
        m_model->Track(m_primaryId, titleOf(m_primary.Config()));
    } else if (!status.blnRecording && m_primaryRecording) {
        m_primaryRecording = false;
        if (m_primaryKept)
            m_primaryKept->Saver().Finish();
        m_model->Update(m_primaryId, status, m_primary.AudioBytesWritten());
        m_model->End(m_primaryId, 0);
        return;
    }
    if (m_primaryId)
        m_model->Update(m_primaryId, status, m_primary.AudioBytesWritten());
}

QString DesktopRecordings::titleOf(const RecordingConfig& config) const
{
    return config.sRecordingTitle.isEmpty() ? config.sShoutCastFile : config.sRecordingTitle;
}

frmMP3* DesktopRecordings::Recorder(int id) const
{
    if (id != 0 && id == m_primaryId)
        return &m_primary;
    return m_set.Recorder(id);
}

frmMP3& DesktopRecordings::Focused() const
{
    frmMP3* focused = Recorder(m_model->Focused());
    return focused ? *focused : m_primary;
}

bool DesktopRecordings::running(int id) const
{
    if (id == m_primaryId)
        return m_primaryRecording;
    return m_set.Contains(id) && !m_set.Ended(id);
}

int DesktopRecordings::AlongsideOf(const QString& station) const
{
    for (const auto& [id, config] : m_configs)
        if (config.sShoutCastFile == station && running(id))
            return id;
    return 0;
}

bool DesktopRecordings::IsRecording(const QString& station) const
{
    if (m_primaryRecording && m_primary.Config().sShoutCastFile == station)
        return true;
    return AlongsideOf(station) != 0;
}

// A stopped row of the station goes when the station starts again.
void DesktopRecordings::removeEnded(const QString& station)
{
    for (auto it = m_configs.begin(); it != m_configs.end();) {
        const int id = it->first;
        if (it->second.sShoutCastFile == station && !running(id)) {
            it = m_configs.erase(it);
            m_set.Remove(id);
        } else {
            ++it;
        }
    }
}

DesktopRecordings::Started DesktopRecordings::RecordAlongside(const RecordingConfig& config)
{
    return start(config, false);
}

DesktopRecordings::Started DesktopRecordings::Watch(const RecordingConfig& config)
{
    return start(config, true);
}

DesktopRecordings::Started DesktopRecordings::start(const RecordingConfig& config, bool watched)
{
    if (IsRecording(config.sShoutCastFile))
        return Started::AlreadyRecording;
    removeEnded(config.sShoutCastFile);
    Relays relays;
    relays.switched = std::make_unique<SwitchedRelay>(*m_relay);
    relays.keeping = std::make_unique<KeepingRelay>(*relays.switched, qint64(WatchMinutes()) * 60 * 1000);
    // A recorded station's minutes are kept on disk, a watched one's in
    // memory.
    if (!watched)
        relays.keeping->Kept().KeepOnDisk();
    RecorderDeps deps = m_deps;
    deps.relay = relays.keeping.get();
    deps.joinMemoryOnDisk = true;
    // A Live365 station's titles are read for each recording on its own.
    relays.live365 = std::make_unique<ctlLive365TitleReader>(deps.clock);
    deps.live365 = relays.live365.get();
    RecordingConfig copy = config;
    copy.bPreviewModeOnly = false;
    // Only one station is heard at a time: the new one is listened to from
    // its row.
    copy.bStartInListenMode = false;
    if (watched) {
        MakeWatching(deps);
        MakeWatching(copy);
    }
    const int id = m_set.Add(titleOf(copy), deps);
    m_relays[id] = std::move(relays);
    m_configs[id] = copy;
    frmMP3* recorder = m_set.Recorder(id);
    ConnectLive365(*m_relays[id].live365, recorder->Live365(), recorder);
    if (watched) {
        m_watched.insert(id);
        m_model->SetWatching(id);
        m_catches.Follow(id, *recorder, [this](int at, const WishCatches::Caught& c) {
            if (!c.firstBy)
                emit caught(m_set.Title(at), c.title, c.file);
        });
        connect(recorder, &frmMP3::songEvent, this, [this, id](const SongEvent& e) {
            if (e.kind == SongEvent::Kind::TitleBegan)
                m_model->SetHeard(id, PlayTracker::TitleOfName(e.name));
        });
    }
    followPlays(id, *recorder, watched);
    markTitles(*recorder, *m_relays[id].keeping);
    recorder->Form_Load();
    return m_set.Start(id, copy) ? Started::Started : Started::Failed;
}

void DesktopRecordings::SetHistory(HistoryWriter* history)
{
    m_history = history;
    if (history && !m_plays.count(0))
        followPlays(0, m_primary, false);
}

void DesktopRecordings::followPlays(int id, frmMP3& recorder, bool watched)
{
    if (!m_history)
        return;
    PlayTracker::Setup setup = PlayTracker::SetupFor(recorder);
    if (watched) {
        // A watched station's titles are heard, not skipped: each plays from
        // title to title, and only a caught one has a file.
        setup.filePerSong = [] { return false; };
        setup.openFile = [] { return QString(); };
    }
    auto plays = std::make_unique<PlayTracker>(*m_history, std::move(setup));
    plays->Attach(recorder);
    m_plays[id] = std::move(plays);
}

KeepingRelay* DesktopRecordings::keeping(int id) const
{
    if (id != 0 && id == m_primaryId)
        return m_primaryKept;
    const auto it = m_relays.find(id);
    return it == m_relays.end() ? nullptr : it->second.keeping.get();
}

void DesktopRecordings::SetPrimaryKept(KeepingRelay* kept)
{
    m_primaryKept = kept;
    if (kept)
        markTitles(m_primary, *kept);
}

// What is kept knows where each title began, so that its song can be saved.
void DesktopRecordings::markTitles(frmMP3& recorder, KeepingRelay& keeping)
{
    connect(&recorder, &frmMP3::songEvent, this, [&keeping](const SongEvent& e) {
        if (e.kind == SongEvent::Kind::TitleBegan)
            keeping.MarkTitle(PlayTracker::TitleOfName(e.name));
    });
}

bool DesktopRecordings::HasKept(int id) const
{
    const KeepingRelay* kept = keeping(id);
    return kept && kept->Kept().KeptUnits() > 0;
}

QString DesktopRecordings::SaveThisSong(int id, QString* problem)
{
    KeepingRelay* kept = keeping(id);
    if (!kept || !running(id)) {
        *problem = tr("the station is not being read");
        return QString();
    }
    return kept->Saver().Start(Folder(id), problem);
}

QString DesktopRecordings::SaveLastMinutes(int id, QString* problem)
{
    static const LastMinutes nothingKept;
    const KeepingRelay* kept = keeping(id);
    const LastMinutes& m = kept ? kept->Kept() : nothingKept;
    const QString station = id == m_primaryId ? titleOf(m_primary.Config()) : m_set.Title(id);
    return m.Save(Folder(id), station, QDateTime::currentDateTime(), int(m.KeepMs() / 60000), problem);
}

bool DesktopRecordings::RestartAlongside(const RecordingConfig& config)
{
    const int id = AlongsideOf(config.sShoutCastFile);
    if (!id)
        return false;
    m_set.Stop(id);
    RecordAlongside(config);
    return true;
}

bool DesktopRecordings::AlongsideRecording() const
{
    for (const auto& [id, config] : m_configs)
        if (running(id) && !m_set.Recorder(id)->Status().blnPaused)
            return true;
    return false;
}

int DesktopRecordings::Running() const
{
    int count = m_primaryRecording ? 1 : 0;
    for (const auto& [id, config] : m_configs)
        count += running(id) ? 1 : 0;
    return count;
}

void DesktopRecordings::Stop(int id)
{
    if (id == m_primaryId) {
        if (m_primary.Status().blnRecording)
            m_primary.StopRecording();
        return;
    }
    if (m_relays.count(id) && m_set.Contains(id) && m_set.Recorder(id)->Status().blnPreviewToggle)
        Listen(id);
    m_set.Stop(id);
}

void DesktopRecordings::TogglePause(int id)
{
    if (frmMP3* recorder = Recorder(id); recorder && running(id))
        recorder->TogglePause();
}

void DesktopRecordings::stopListening(bool primaryToo, int except)
{
    if (primaryToo && m_primary.Status().blnPreviewToggle)
        m_primary.Listen();
    for (auto& [id, relays] : m_relays) {
        frmMP3* recorder = m_set.Recorder(id);
        if (id == except || !recorder)
            continue;
        if (recorder->Status().blnPreviewToggle)
            recorder->Listen();
        relays.switched->SetOn(false);
    }
}

void DesktopRecordings::Listen(int id)
{
    frmMP3* recorder = Recorder(id);
    if (!recorder || !running(id))
        return;
    const bool listening = recorder->Status().blnPreviewToggle;
    if (!listening)
        stopListening(id != m_primaryId, id);
    const auto relay = m_relays.find(id);
    if (relay != m_relays.end() && !listening)
        relay->second.switched->SetOn(true);
    recorder->Listen();
    if (relay != m_relays.end() && listening)
        relay->second.switched->SetOn(false);
}

bool DesktopRecordings::ListenTo(frmMP3& recorder)
{
    if (&recorder == &m_primary) {
        if (!m_primary.Status().blnPreviewToggle)
            stopListening(false, 0);
        return false;
    }
    if (const int id = IdOf(&recorder))
        Listen(id);
    return true;
}

int DesktopRecordings::IdOf(const frmMP3* recorder) const
{
    if (recorder == &m_primary)
        return m_primaryId;
    for (const int id : m_set.Ids())
        if (m_set.Recorder(id) == recorder)
            return id;
    return 0;
}

QString DesktopRecordings::Folder(int id) const
{
    if (id != 0 && id == m_primaryId)
        return m_primary.Config().sMP3Path;
    const auto it = m_configs.find(id);
    return it == m_configs.end() ? QString() : it->second.sMP3Path;
}

void DesktopRecordings::StopAll()
{
    stopListening(true, 0);
    if (m_primary.Status().blnRecording)
        m_primary.StopRecording();
    m_set.StopAll();
}

QList<ResumeEntry> DesktopRecordings::ResumeEntries() const
{
    QList<ResumeEntry> entries;
    const auto add = [&entries](const RecordingConfig& c, bool watch = false) {
        entries.append({c.sConfigFileName, c.sShoutCastFile, c.sRecordingTitle, c.sMP3Path, watch});
    };
    // In the order they were started.
    for (const int id : m_model->Ids()) {
        if (!running(id))
            continue;
        if (id == m_primaryId)
            add(m_primary.Config());
        else if (const auto it = m_configs.find(id); it != m_configs.end())
            add(it->second, Watched(id));
    }
    return entries;
}
