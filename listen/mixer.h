#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

// The master playback level of the sound system, raw: 0 to 65535.
class IMixer {
public:
    virtual ~IMixer() = default;
    // False when there is no mixer or no master playback volume to read.
    virtual bool ReadMasterLevel(qint32& level) = 0;
};

// A mixer that is never there: a recorder nobody listens to reads no
// sound system.
class NoMixer : public IMixer {
public:
    bool ReadMasterLevel(qint32&) override { return false; }
};

// Reads another mixer at most once a second and answers from the last read
// in between, so a display that asks ten times a second costs one read.
class ThrottledMixer : public IMixer {
public:
    static constexpr qint64 kReadMs = 1000;
    // `nowMs` is a monotonic clock in milliseconds (the system's by default).
    explicit ThrottledMixer(std::unique_ptr<IMixer> mixer, std::function<qint64()> nowMs = {});
    bool ReadMasterLevel(qint32& level) override;

private:
    std::unique_ptr<IMixer> m_mixer;
    std::function<qint64()> m_nowMs;
    qint64 m_lastRead = 0;
    bool m_read = false;
    bool m_present = false;
    qint32 m_level = 0;
};

// The system's mixer (ALSA's "Master"), in a part of its own that is loaded
// at the first read; a mixer that is never there when the part is missing.
std::unique_ptr<IMixer> SystemMixer();

// Level 0..65535 to percent: level / 655, to the nearest integer, halves to even.
qint32 MasterVolumeFromLevel(qint32 level);

// The master volume in percent (0 to 100), or -1 when it cannot be read.
qint32 GetMasterVolume(IMixer& mixer);
// The same on the system's own mixer, read at most once a second (one
// shared ThrottledMixer; UI thread only).
qint32 GetMasterVolume();
