#pragma once

#include "listen/mixer.h"

#include <functional>
#include <memory>

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
