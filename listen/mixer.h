#pragma once

#include <QtGlobal>

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
class AlsaMixer : public IMixer {
public:
    AlsaMixer();
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool ReadMasterLevel(qint32& level) override;

private:
    bool open();
    void close();

    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

// Level 0..65535 to percent: level / 655, to the nearest integer, halves to even.
qint32 MasterVolumeFromLevel(qint32 level);

// The master volume in percent (0 to 100), or -1 when it cannot be read.
qint32 GetMasterVolume(IMixer& mixer);
// The same on the system's own mixer (one shared AlsaMixer; UI thread only).
qint32 GetMasterVolume();
