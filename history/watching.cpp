#include "history/watching.h"

#include "history/playtracker.h"
#include "recorder/frmmp3.h"

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
    recorder.SetSongClaim([this, station, began](const QString& song) {
        Caught caught;
        if (Claim(station, song, &caught))
            return true;
        if (began)
            began(station, caught);
        return false;
    });
    QObject::connect(&recorder, &frmMP3::songEvent, &recorder, [this, station, &recorder, began](const SongEvent& e) {
        if (e.kind != SongEvent::Kind::Opened)
            return;
        const Caught caught = Open(station, recorder.RecordingPath(), e.song);
        if (began)
            began(station, caught);
    });
    QObject::connect(&recorder, &frmMP3::fileClosed, &recorder, [this, station](const QString&) { Close(station); });
}

void WishCatches::Forget(int station)
{
    const auto it = m_open.constFind(station);
    if (it == m_open.cend())
        return;
    if (m_catching.value(it->title) == station)
        m_catching.remove(it->title);
    m_open.erase(it);
}

bool WishCatches::Claim(int station, const QString& song, Caught* caught) const
{
    const QString title = PlayTracker::TitleOfName(song);
    const auto first = m_catching.constFind(title);
    if (first == m_catching.cend() || *first == station)
        return true;
    *caught = Caught{title, QString(), *first};
    return false;
}

WishCatches::Caught WishCatches::Open(int station, const QString& file, const QString& song)
{
    Forget(station);
    Catch open{file, PlayTracker::TitleOfName(song)};
    // (A station that opens a title another one catches was not asked:
    // the title stays the first one's.)
    const auto first = m_catching.constFind(open.title);
    const int firstBy = first != m_catching.cend() ? *first : 0;
    if (!firstBy)
        m_catching.insert(open.title, station);
    m_open.insert(station, open);
    return Caught{open.title, file, firstBy};
}

void WishCatches::Close(int station)
{
    Forget(station);
}
