#include "listen/pcmoutput.h"

bool NullPcmOutput::Start(int sampleRate, int channels, QString&)
{
    m_started = true;
    m_rate = sampleRate;
    m_channels = channels;
    return true;
}

void NullPcmOutput::Write(const char*, qsizetype bytes)
{
    if (m_started && bytes > 0)
        m_bytes += bytes;
}
