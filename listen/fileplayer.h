#pragma once

// Plays a recording file from its start: pause, resume, a position to go
// to, the length, the volume. The system's one (Qt Multimedia) lives in the
// sound part and is loaded at the first file played; what it has to tell
// comes through the callbacks set (on the thread it was made on).

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class IFilePlayer {
public:
    enum class State { Stopped, Playing, Paused };

    struct Callbacks {
        std::function<void(State)> stateChanged;
        std::function<void(qint64 ms)> positionChanged;
        std::function<void(qint64 ms)> durationChanged;
        std::function<void()> finished;             // played to its end
        std::function<void(const QString&)> failed; // cannot be played; why
    };

    virtual ~IFilePlayer() = default;
    virtual void SetCallbacks(Callbacks callbacks) = 0;
    // Plays `path` from its start (what played before stops).
    virtual void Play(const QString& path) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    virtual void Seek(qint64 ms) = 0;
    // 0..100.
    virtual void SetVolume(int percent) = 0;
    virtual State CurrentState() const = 0;
};

// The system's file player, or null with the reason in `problem`.
std::unique_ptr<IFilePlayer> SystemFilePlayer(QString& problem);
