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

// The ALSA simple mixer element "Master" (playback) of the default device,
// its range scaled to 0..65535. libasound prints nothing to the terminal.
// The mixer stays open between reads, and a read takes only the changes
// ALSA announced since the last; a mixer that cannot be opened is tried
// again at most once a second, so a display that reads it ten times a
// second does not open the control device ten times a second.
class AlsaMixer : public IMixer {
public:
    static constexpr qint64 kRetryMs = 1000;
    // `nowMs` is a monotonic clock in milliseconds (the system's by default).
    explicit AlsaMixer(std::function<qint64()> nowMs = {});
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool ReadMasterLevel(qint32& level) override;
    // How often the control device was opened (or tried).
    int OpenAttempts() const { return m_openAttempts; }

private:
    bool open();
    void close();

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::function<qint64()> m_nowMs;
    qint64 m_lastAttempt = 0;
    int m_openAttempts = 0;
};

// Level 0..65535 to percent: level / 655, to the nearest integer, halves to even.
qint32 MasterVolumeFromLevel(qint32 level);

// The master volume in percent (0 to 100), or -1 when it cannot be read.
qint32 GetMasterVolume(IMixer& mixer);
// The same on the system's own mixer (one shared AlsaMixer; UI thread only).
qint32 GetMasterVolume();
