#include "listen/system/aacdecoder.h"

#include "listen/aacframes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <cstring>

AacFeedDecoder::AacFeedDecoder()
{
    open();
}

AacFeedDecoder::~AacFeedDecoder()
{
    close();
}

bool AacFeedDecoder::open()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (!codec)
        return false;
    m_context = avcodec_alloc_context3(codec);
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_context || !m_packet || !m_frame) {
        close();
        return false;
    }
    // Damaged frames are counted, not told on the terminal.
    m_context->log_level_offset = AV_LOG_TRACE + 8;
    if (avcodec_open2(m_context, codec, nullptr) < 0) {
        close();
        return false;
    }
    return true;
}

void AacFeedDecoder::close()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

void AacFeedDecoder::Reset()
{
    // A new decoder: the old one's state belongs to the old stream.
    close();
    open();
    m_pending.clear();
    m_synced = false;
    m_skipping = false;
    m_frames = 0;
    m_packets = 0;
    m_errors = 0;
}

void AacFeedDecoder::Feed(const char* data, qsizetype size, const PcmHandler& out)
{
    if (!m_context || !data || size <= 0)
        return;
    m_pending.append(data, size);
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_pending.constData());
    const qsizetype end = m_pending.size();
    qsizetype at = 0;
    while (end - at >= aacframes::kHeaderBytes) {
        const unsigned char* p = bytes + at;
        const int length = int(aacframes::FrameLength(p));
        bool frame = length > 0;
        if (frame && !m_synced) {
            // Out of step, a header counts only when the next one follows it.
            if (end - at < length + aacframes::kHeaderBytes)
                break;
            frame = aacframes::IsHeader(p + length) && aacframes::SameStream(p, p + length);
        }
        if (!frame) {
            if (!m_skipping)
                ++m_errors;
            m_skipping = true;
            m_synced = false;
            ++at;
            continue;
        }
        if (end - at < length)
            break;
        m_skipping = false;
        m_synced = true;
        decode(m_pending.constData() + at, length, out);
        at += length;
    }
    m_pending.remove(0, at);
}

void AacFeedDecoder::decode(const char* frame, int size, const PcmHandler& out)
{
    if (av_new_packet(m_packet, size) < 0)
        return;
    std::memcpy(m_packet->data, frame, size_t(size));
    const int sent = avcodec_send_packet(m_context, m_packet);
    av_packet_unref(m_packet);
    if (sent < 0) {
        ++m_errors;
        return;
    }
    ++m_packets;
    QByteArray pcm;
    for (;;) {
        const int rc = avcodec_receive_frame(m_context, m_frame);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        if (rc < 0) {
            ++m_errors;
            return;
        }
        PcmFormat format;
        const qint64 made = m_pcm.Convert(m_frame, format, pcm);
        av_frame_unref(m_frame);
        if (made < 0) {
            ++m_errors;
            continue;
        }
        if (made == 0)
            continue;
        m_frames += made;
        if (out)
            out(format, pcm.constData(), made * 2 * format.channels);
    }
}
