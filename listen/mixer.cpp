#include "listen/mixer.h"

#include "listen/systemaudio.h"

#include <QElapsedTimer>

#include <cmath>

ThrottledMixer::ThrottledMixer(std::unique_ptr<IMixer> mixer, std::function<qint64()> nowMs)
    : m_mixer(std::move(mixer)), m_nowMs(std::move(nowMs))
{
    if (!m_nowMs) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_nowMs = [clock] { return clock->elapsed(); };
    }
}

bool ThrottledMixer::ReadMasterLevel(qint32& level)
{
    const qint64 now = m_nowMs();
    if (!m_read || now - m_lastRead >= kReadMs) {
        m_read = true;
        m_lastRead = now;
        m_present = m_mixer && m_mixer->ReadMasterLevel(m_level);
    }
    if (m_present)
        level = m_level;
    return m_present;
}

qint32 MasterVolumeFromLevel(qint32 level)
{
    // rint rounds halves to even in the default rounding mode.
    return static_cast<qint32>(std::lrint(static_cast<double>(qBound(0, level, 65535)) / 655.0));
}

qint32 GetMasterVolume(IMixer& mixer)
{
    qint32 level = 0;
    if (!mixer.ReadMasterLevel(level))
        return -1;
    return MasterVolumeFromLevel(level);
}

qint32 GetMasterVolume()
{
    static ThrottledMixer mixer(SystemMixer());
    return GetMasterVolume(mixer);
}
