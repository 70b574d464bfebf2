#pragma once

// The library's player: Previous, Play/Pause, Next, a seek slider and the
// time and length of what plays. It plays the rows of the list in the
// order shown; a file that holds no audio is not played, and says why.

#include "listen/fileplayer.h"
#include "ui/library/librarymodel.h"

#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>
#include <memory>

class QAbstractItemModel;
class QItemSelectionModel;
class QLabel;
class QPushButton;
class QSlider;

class LibraryPlayerBar : public QWidget {
    Q_OBJECT
public:
    // Makes the player at the first file played; null with why.
    using PlayerMaker = std::function<std::unique_ptr<IFilePlayer>(QString& problem)>;

    // `rows` is the list as shown (the filter), `selection` its selection.
    LibraryPlayerBar(QAbstractItemModel& rows, QItemSelectionModel& selection, QWidget* parent = nullptr);
    ~LibraryPlayerBar() override;

    void SetPlayerMaker(PlayerMaker maker) { m_maker = std::move(maker); }
    // The volume the recording display uses, 0..100.
    void SetVolume(int percent);

    // Plays the row of the list (a row index of `rows`).
    void PlayRow(int row);
    // Play when nothing plays (the selected row, else the first), else pause
    // or go on.
    void PlayOrPause();
    void Next();
    void Previous();
    void Stop();
    // Goes to `ms` in the file playing or paused (0 and later).
    void Seek(qint64 ms);

    IFilePlayer::State State() const { return m_state; }
    // The file playing or paused; "" when stopped.
    QString Playing() const { return m_state == IFilePlayer::State::Stopped ? QString() : m_path; }
    // The row of the file played last, as it was when it began.
    const LibraryEntry& NowPlaying() const { return m_entry; }
    // Counts the files begun; a file played again counts again.
    quint64 PlayCount() const { return m_plays; }
    qint64 Position() const { return m_position; }
    // -1 when unknown.
    qint64 Duration() const { return m_duration; }
    int Volume() const { return m_volume; }
    QString TimeText() const;

signals:
    // What plays, its state, time, length or volume changed.
    void playbackChanged();
    // The file went to `ms` at the user's or the media controls' asking.
    void seeked(qint64 ms);
    // A file began to play (the listening to a station stops for it).
    void playingStarted();
    // Why a file is not played.
    void problem(const QString& text);

private:
    bool ensurePlayer();
    void step(int by);
    void showTimes();

    QAbstractItemModel& m_rows;
    QItemSelectionModel& m_selection;
    PlayerMaker m_maker;
    std::unique_ptr<IFilePlayer> m_player;
    QPersistentModelIndex m_current;
    QString m_path;
    LibraryEntry m_entry;
    quint64 m_plays = 0;
    IFilePlayer::State m_state = IFilePlayer::State::Stopped;
    qint64 m_position = 0;
    qint64 m_duration = -1;
    int m_volume = 100;
    bool m_dragging = false;
    QPushButton* m_previous;
    QPushButton* m_play;
    QPushButton* m_next;
    QSlider* m_seek;
    QLabel* m_time;
};
