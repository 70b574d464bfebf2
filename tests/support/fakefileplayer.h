#pragma once

#include "listen/fileplayer.h"

#include <QStringList>

// Plays nothing: logs what it was asked ("play <path>", "pause", "resume",
// "stop", "seek <ms>", "volume <percent>") and is in the state asked at
// once; a test tells it more through `set` and the callbacks `c`.
class FakeFilePlayer : public IFilePlayer {
public:
    explicit FakeFilePlayer(QStringList& log) : m_log(log) {}
    void SetCallbacks(Callbacks callbacks) override { c = std::move(callbacks); }
    void Play(const QString& path) override
    {
        m_log << "play " + path;
        set(State::Playing);
    }
    void Pause() override
    {
        m_log << QStringLiteral("pause");
        set(State::Paused);
    }
    void Resume() override
    {
        m_log << QStringLiteral("resume");
        set(State::Playing);
    }
    void Stop() override
    {
        m_log << QStringLiteral("stop");
        set(State::Stopped);
    }
    void Seek(qint64 ms) override { m_log << QStringLiteral("seek %1").arg(ms); }
    void SetVolume(int percent) override { m_log << QStringLiteral("volume %1").arg(percent); }
    State CurrentState() const override { return m_state; }

    void set(State s)
    {
        m_state = s;
        if (c.stateChanged)
            c.stateChanged(s);
    }
    Callbacks c;

private:
    QStringList& m_log;
    State m_state = State::Stopped;
};
