#pragma once

#include "listen/fileplayer.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

// The file player on Qt Multimedia's player and the default audio output.
class MediaFilePlayer : public QObject, public IFilePlayer {
    Q_OBJECT
public:
    MediaFilePlayer();
    ~MediaFilePlayer() override;

    void SetCallbacks(Callbacks callbacks) override { m_callbacks = std::move(callbacks); }
    void Play(const QString& path) override;
    void Pause() override;
    void Resume() override;
    void Stop() override;
    void Seek(qint64 ms) override;
    void SetVolume(int percent) override;
    State CurrentState() const override { return m_state; }

private:
    void setState(State state);
    void fail(const QString& text);

    QMediaPlayer* m_player;
    QAudioOutput* m_output;
    State m_state = State::Stopped;
    Callbacks m_callbacks;
};
