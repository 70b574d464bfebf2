#include "listen/system/alsamixer.h"

#include <QElapsedTimer>

#include <alsa/asoundlib.h>

#include <cmath>

namespace {

// libasound reports its troubles (no card, bad configuration) on stderr;
// the program shows -1 instead.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa()
{
    static const bool once = [] {
        snd_lib_error_set_handler(&quietAlsaErrors);
        return true;
    }();
    (void)once;
}

}  // namespace

struct AlsaMixer::Handle {
    snd_mixer_t* mixer = nullptr;
    snd_mixer_elem_t* master = nullptr;
};

AlsaMixer::AlsaMixer(std::function<qint64()> nowMs) : m_nowMs(std::move(nowMs))
{
    if (!m_nowMs) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_nowMs = [clock] { return clock->elapsed(); };
    }
    silenceAlsa();
}

AlsaMixer::~AlsaMixer()
{
    close();
}

void AlsaMixer::close()
{
    if (m_handle && m_handle->mixer)
        snd_mixer_close(m_handle->mixer);
    m_handle.reset();
}

bool AlsaMixer::open()
{
    silenceAlsa();
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0 || !mixer)
        return false;
    if (snd_mixer_attach(mixer, "default") < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0
        || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return false;
    }
    snd_mixer_selem_id_t* sid = nullptr;
    snd_mixer_selem_id_alloca(&sid);
    snd_mixer_selem_id_set_index(sid, 0);
    snd_mixer_selem_id_set_name(sid, "Master");
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, sid);
    if (!elem || !snd_mixer_selem_has_playback_volume(elem)) {
        snd_mixer_close(mixer);
        return false;
    }
    m_handle = std::make_unique<Handle>();
    m_handle->mixer = mixer;
    m_handle->master = elem;
    return true;
}

bool AlsaMixer::ReadMasterLevel(qint32& level)
{
    // A mixer that could not be opened is tried again a second later, so a
    // sound server that starts later is found.
    if (!m_handle) {
        const qint64 now = m_nowMs();
        if (m_openAttempts > 0 && now - m_lastAttempt < kRetryMs)
            return false;
        m_lastAttempt = now;
        ++m_openAttempts;
        if (!open())
            return false;
    }
    snd_mixer_handle_events(m_handle->mixer);
    long low = 0;
    long high = 0;
    long value = 0;
    if (snd_mixer_selem_get_playback_volume_range(m_handle->master, &low, &high) < 0 || high <= low
        || snd_mixer_selem_get_playback_volume(m_handle->master, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0) {
        close();
        return false;
    }
    value = qBound(low, value, high);
    level = static_cast<qint32>(std::llround(static_cast<double>(value - low) * 65535.0 / static_cast<double>(high - low)));
    return true;
}
