#pragma once

#include <QString>
#include <QtGlobal>

// The player that the relay points at its own stream: open an address, play,
// stop, close, and a volume operation with three values.
class IMP3Player {
public:
    virtual ~IMP3Player() = default;
    virtual void Open(const QString& address) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;
    // `balance` (50 is the middle), the system's master volume in percent (-1
    // when unknown) and the recorder's volume 0 to 100 (the player's own).
    virtual void Volume(qint32 balance, qint32 masterVolume, qint32 volume) = 0;
};

// A player that plays nothing: the relay still serves any other local
// player that asks for the stream.
class SilentPlayer : public IMP3Player {
public:
    void Open(const QString&) override {}
    void Play() override {}
    void Stop() override {}
    void Close() override {}
    void Volume(qint32, qint32, qint32) override {}
};
