#include "ui/desktop/librarydesktoplink.h"

#include "ui/library/libraryplayerbar.h"

LibraryDesktopLink::LibraryDesktopLink(LibraryPlayerBar& player, MediaControls& controls)
    : QObject(&player), m_player(player), m_controls(&controls)
{
    connect(&m_player, &LibraryPlayerBar::playbackChanged, this, &LibraryDesktopLink::refreshSoon);
    connect(&m_player, &LibraryPlayerBar::seeked, this, [this](qint64 ms) {
        // The position read after the signal is the one it names.
        refresh();
        if (m_controls)
            m_controls->FileSeeked(ms);
    });
    refresh();
}

LibraryDesktopLink::~LibraryDesktopLink()
{
    if (m_controls && m_controls->FileCommands() == this)
        m_controls->SetFilePlayback({}, nullptr);
}

FilePlayback LibraryDesktopLink::Playback() const
{
    FilePlayback f;
    const IFilePlayer::State state = m_player.State();
    f.active = state != IFilePlayer::State::Stopped;
    if (!f.active)
        return f;
    const LibraryEntry& e = m_player.NowPlaying();
    f.paused = state == IFilePlayer::State::Paused;
    f.path = e.path;
    f.title = e.title;
    f.artist = e.artist;
    f.station = e.station;
    f.lengthMs = m_player.Duration();
    f.positionMs = m_player.Position();
    f.volume = m_player.Volume();
    f.track = m_player.PlayCount();
    return f;
}

void LibraryDesktopLink::refreshSoon()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(this, &LibraryDesktopLink::refresh, Qt::QueuedConnection);
}

void LibraryDesktopLink::refresh()
{
    m_refreshQueued = false;
    if (m_controls)
        m_controls->SetFilePlayback(Playback(), this);
}

void LibraryDesktopLink::Pause()
{
    if (m_player.State() == IFilePlayer::State::Playing)
        m_player.PlayOrPause();
}

void LibraryDesktopLink::Resume()
{
    if (m_player.State() == IFilePlayer::State::Paused)
        m_player.PlayOrPause();
}

void LibraryDesktopLink::Stop()
{
    m_player.Stop();
}

void LibraryDesktopLink::Next()
{
    m_player.Next();
}

void LibraryDesktopLink::Previous()
{
    m_player.Previous();
}

void LibraryDesktopLink::SeekTo(qint64 ms)
{
    m_player.Seek(ms);
}

void LibraryDesktopLink::SetVolume(int percent)
{
    m_player.SetVolume(percent);
}
