#include "recorder/recordingset.h"

#include <algorithm>

RecordingSet::RecordingSet(QObject* parent) : QObject(parent)
{
}

RecordingSet::~RecordingSet()
{
    // The recorders go first, with nothing listening to what they say then.
    for (auto& entry : m_entries)
        if (entry->recorder)
            entry->recorder->disconnect(this);
}

RecordingSet::Entry* RecordingSet::find(int id) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e->id == id; });
    return it == m_entries.end() ? nullptr : it->get();
}

int RecordingSet::Add(const QString& title, const RecorderDeps& deps)
{
    auto entry = std::make_unique<Entry>();
    entry->id = m_nextId++;
    entry->title = title;
    entry->recorder = std::make_unique<frmMP3>(deps);
    const int id = entry->id;
    watch(*entry);
    m_entries.push_back(std::move(entry));
    emit added(id);
    return id;
}

void RecordingSet::watch(Entry& entry)
{
    const int id = entry.id;
    frmMP3* recorder = entry.recorder.get();
    connect(recorder, &frmMP3::phaseChanged, this, [this, id](frmMP3::Phase phase) {
        Entry* e = find(id);
        if (!e)
            return;
        if (phase != frmMP3::Phase::Idle)
            e->started = true;
        else if (e->started)
            end(id, 0); // the recording or its preparation is over
    });
    connect(recorder, &frmMP3::quitRequested, this, [this, id](int code) { end(id, code); });
}

void RecordingSet::end(int id, int exitStatus)
{
    Entry* e = find(id);
    if (!e || e->ended)
        return;
    e->ended = true;
    e->exitStatus = exitStatus;
    emit ended(id, exitStatus);
    if (Running() == 0)
        emit lastEnded();
}

void RecordingSet::Remove(int id)
{
    if (!find(id))
        return;
    Stop(id);
    // What `ended` set off may have changed the set: the entry is found again.
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e->id == id; });
    if (it == m_entries.end())
        return;
    std::unique_ptr<Entry> entry = std::move(*it);
    m_entries.erase(it);
    entry->recorder->disconnect(this);
    // The recorder may be the sender of the signal being handled.
    entry->recorder.release()->deleteLater();
    emit removed(id);
}

bool RecordingSet::Start(int id, const RecordingConfig& config)
{
    Entry* e = find(id);
    if (!e)
        return false;
    if (e->recorder->InitializeMP3Recorder(config))
        return true;
    end(id, 1);
    return false;
}

void RecordingSet::Stop(int id)
{
    Entry* e = find(id);
    if (!e)
        return;
    if (e->recorder->Status().blnRecording)
        e->recorder->StopRecording();
    end(id, 0);
}

void RecordingSet::StopAll()
{
    // Stopping one may end another's wait: the ids are read first.
    for (const int id : Ids())
        Stop(id);
}

void RecordingSet::End(int id, int exitStatus)
{
    end(id, exitStatus);
}

void RecordingSet::SetTitle(int id, const QString& title)
{
    Entry* e = find(id);
    if (!e || e->title == title)
        return;
    e->title = title;
    emit titleChanged(id, title);
}

QList<int> RecordingSet::Ids() const
{
    QList<int> ids;
    for (const auto& e : m_entries)
        ids.append(e->id);
    return ids;
}

frmMP3* RecordingSet::Recorder(int id) const
{
    const Entry* e = find(id);
    return e ? e->recorder.get() : nullptr;
}

QString RecordingSet::Title(int id) const
{
    const Entry* e = find(id);
    return e ? e->title : QString();
}

bool RecordingSet::Ended(int id) const
{
    const Entry* e = find(id);
    return e && e->ended;
}

int RecordingSet::ExitStatus(int id) const
{
    const Entry* e = find(id);
    return e ? e->exitStatus : 0;
}

int RecordingSet::Running() const
{
    return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return !e->ended; }));
}
