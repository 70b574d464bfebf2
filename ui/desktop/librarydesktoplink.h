#pragma once

#include "ui/desktop/mediacontrols.h"

#include <QObject>
#include <QPointer>

class LibraryPlayerBar;

// The library's player in the desktop's media controls: while it plays or
// pauses a file, the controls show that file (title, artist, station,
// length, position, state) and their Play, Pause, Next, Previous, Seek,
// SetPosition and Volume drive the player; once it stops they show the
// recorder again. Made a child of the player, it goes with it.
class LibraryDesktopLink : public QObject, public IFilePlaybackCommands {
    Q_OBJECT
public:
    LibraryDesktopLink(LibraryPlayerBar& player, MediaControls& controls);
    ~LibraryDesktopLink() override;

    // What the controls are told of the player now.
    FilePlayback Playback() const;

    // IFilePlaybackCommands
    void Pause() override;
    void Resume() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void SeekTo(qint64 ms) override;
    void SetVolume(int percent) override;

private:
    // The player tells of every tick and of the stop between two files:
    // the controls hear of it once the player's turn is over.
    void refreshSoon();
    void refresh();

    LibraryPlayerBar& m_player;
    QPointer<MediaControls> m_controls;
    bool m_refreshQueued = false;
};
