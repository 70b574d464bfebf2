#include "recorder/listening.h"

#include "listen/relay.h"
#include "recorder/oggrecording.h"
#include "recorder/streamsession.h"

void Listening::Reset()
{
    m_on = false;
    m_relay.StopPreviewing();
    m_volume = m_relay.MixerVolume();
}

void Listening::Toggle(bool recording)
{
    m_on = !m_on;
    if (!recording)
        return;
    if (m_on)
        m_relay.StartPreviewing();
    else
        m_relay.StopPreviewing();
}

void Listening::Begin()
{
    m_relay.StartPreviewing();
    m_on = true;
}

void Listening::Stop()
{
    m_relay.StopPreviewing();
}

bool Listening::Taken(const QString& status)
{
    m_on = false;
    if (status == m_takenSaid)
        return false;
    m_takenSaid = status;
    return true;
}

void Listening::StreamBegins(const StreamHead& head)
{
    m_relay.BeginStream(head.contentType, IsOggStream(head.contentType, head.bodyStart));
}

void Listening::Audio(const char* data, qsizetype size, const OggRecording& ogg)
{
    if (!m_relay.blnEnablePreviewStream())
        return;
    if (ogg.Active() && ogg.Demuxer().Started())
        m_relay.OfferOggHeader(ogg.Demuxer().Current().headerPages);
    m_relay.PushData(data, size);
}

void Listening::ApplyVolume()
{
    if (m_relay.lSetVolume() != m_volume)
        m_relay.SetVolume(m_volume);
}

bool Listening::Relaying() const
{
    return m_relay.Heard();
}
