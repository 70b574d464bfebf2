#include "history/watching.h"

#include "history/playtracker.h"
#include "recorder/frmmp3.h"

#include <QFile>

RecordingOptions WatchingOptions(RecordingOptions options)
{
    options.wishOnly = true;
    options.titledSongsOnly = true;
    return options;
}

void MakeWatching(RecorderDeps& deps)
{
    std::function<RecordingOptions()> read = deps.options ? deps.options : [] { return ReadRecordingOptions(); };
    deps.options = [read = std::move(read)] { return WatchingOptions(read()); };
}

void MakeWatching(RecordingConfig& config)
{
    config.lRecordingMode = RecordingMode::PerSong;
}

void WishCatches::Follow(int station, frmMP3& recorder, Began began)
{
    QObject::connect(&recorder, &frmMP3::songEvent, &recorder, [this, station, &recorder, began](const SongEvent& e) {
        if (e.kind != SongEvent::Kind::Opened)
            return;
        const Caught caught = Open(station, recorder.RecordingPath(), e.song);
        if (began)
            began(station, caught);
    });
    QObject::connect(&recorder, &frmMP3::fileClosed, &recorder,
                     [this, station](const QString& path) { Close(station, path); });
}

void WishCatches::Forget(int station)
{
    const auto it = m_open.constFind(station);
    if (it == m_open.cend())
        return;
    if (!it->duplicate && m_catching.value(it->title) == station)
        m_catching.remove(it->title);
    m_open.erase(it);
}

WishCatches::Caught WishCatches::Open(int station, const QString& file, const QString& song)
{
    Forget(station);
    Catch open{file, PlayTracker::TitleOfName(song), false};
    const auto first = m_catching.constFind(open.title);
    open.duplicate = first != m_catching.cend() && *first != station;
    const Caught caught{open.title, file, open.duplicate ? *first : 0};
    if (!open.duplicate)
        m_catching.insert(open.title, station);
    m_open.insert(station, open);
    return caught;
}

bool WishCatches::Close(int station, const QString& path)
{
    const auto it = m_open.constFind(station);
    if (it == m_open.cend())
        return false;
    const bool duplicate = it->duplicate;
    Forget(station);
    // The same title, caught on another station first, is kept once.
    return duplicate && !path.isEmpty() && QFile::remove(path);
}
