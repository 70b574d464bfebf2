#include "listen/system/oggdecoder.h"

#include "listen/system/ffmpegpcm.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <cstring>

namespace {

enum class Kind { None, Vorbis, Opus, Flac };

Kind kindOf(const QByteArray& firstPacket)
{
    if (oggpages::HeaderPacketCount(firstPacket) == 0)
        return Kind::None;
    if (firstPacket.startsWith("OpusHead"))
        return Kind::Opus;
    return firstPacket.startsWith("\x7f") ? Kind::Flac : Kind::Vorbis;
}

// What FFmpeg's decoder takes as its setup from a stream's header packets.
QByteArray extradata(Kind kind, const QList<QByteArray>& headers)
{
    switch (kind) {
    case Kind::Opus:
        return headers.first();
    case Kind::Flac:
        // After the mapping's 9 bytes: "fLaC", then the STREAMINFO block.
        return headers.first().mid(9);
    case Kind::Vorbis: {
        // The three packets, the first two sizes laced as Xiph does.
        QByteArray e(1, char(2));
        for (int i = 0; i < 2; ++i) {
            qsizetype n = headers[i].size();
            for (; n >= 255; n -= 255)
                e += char(255);
            e += char(n);
        }
        return e + headers[0] + headers[1] + headers[2];
    }
    case Kind::None:
        break;
    }
    return {};
}

} // namespace

struct OggFeedDecoder::Codec {
    Kind kind = Kind::None;
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    FfmpegPcm converter;
    PcmFormat format;
    QByteArray pcm;

    ~Codec()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

OggFeedDecoder::OggFeedDecoder() = default;
OggFeedDecoder::~OggFeedDecoder() = default;

void OggFeedDecoder::Reset()
{
    m_cutter.Reset();
    m_codec.reset();
    m_following = false;
    m_headers.clear();
    m_packet.clear();
    m_packetTorn = false;
    m_frames = 0;
    m_errors = 0;
    m_songs = 0;
}

void OggFeedDecoder::Feed(const char* data, qsizetype size, const PcmHandler& out)
{
    m_cutter.Feed(data, size, [&](const oggpages::Page& page) { onPage(page, out); });
}

void OggFeedDecoder::onPage(const oggpages::Page& page, const PcmHandler& out)
{
    if (page.Bos()) {
        const QByteArray first = oggpages::FirstPacket(page);
        if (kindOf(first) == Kind::None)
            return; // not a sound this decoder plays (a video stream beside it)
        m_codec.reset();
        m_following = true;
        m_serial = page.serial;
        m_headers.clear();
        m_headerBytes = 0;
        m_headersNeeded = oggpages::HeaderPacketCount(first);
        m_packet.clear();
        m_packetTorn = false;
        m_lastGranule = -1;
    } else if (!m_following || page.serial != m_serial) {
        return;
    }
    if (!page.Continued() && (!m_packet.isEmpty() || m_packetTorn)) {
        // The rest of the packet never came.
        ++m_errors;
        m_packet.clear();
        m_packetTorn = false;
    } else if (page.Continued() && m_packet.isEmpty()) {
        m_packetTorn = true; // its beginning was before this stream was joined
    }
    // The song's last page gives as many frames as its granule position
    // says, less the lead-in the decoder drops when this page is its first.
    m_pageLimit = page.Eos() && page.granule >= 0 && m_lastGranule >= 0
                      ? qMax<qint64>(0, page.granule - m_lastGranule - m_leadIn)
                      : -1;
    const char* body = page.Body();
    for (int i = 0; i < page.Segments(); ++i) {
        const int length = page.Lacing(i);
        if (!m_packetTorn && m_packet.size() + length <= kMaxPacketBytes)
            m_packet.append(body, length);
        else
            m_packetTorn = true;
        body += length;
        if (length == 255)
            continue;
        if (!m_packetTorn)
            onPacket(m_packet, out);
        m_packet.clear();
        m_packetTorn = false;
        if (!m_following)
            return;
    }
    if (page.granule != -1)
        m_lastGranule = page.granule;
    if (page.Eos()) {
        m_following = false;
        m_codec.reset();
    }
}

void OggFeedDecoder::onPacket(const QByteArray& packet, const PcmHandler& out)
{
    if (m_headers.size() < m_headersNeeded) {
        m_headers.append(packet);
        m_headerBytes += packet.size();
        if (m_headerBytes > kMaxPacketBytes || (m_headers.size() == m_headersNeeded && !openCodec())) {
            ++m_errors;
            m_following = false;
        }
        return;
    }
    decode(packet, out);
}

bool OggFeedDecoder::openCodec()
{
    auto codec = std::make_unique<Codec>();
    codec->kind = kindOf(m_headers.first());
    const AVCodecID id = codec->kind == Kind::Opus   ? AV_CODEC_ID_OPUS
                         : codec->kind == Kind::Flac ? AV_CODEC_ID_FLAC
                                                     : AV_CODEC_ID_VORBIS;
    const AVCodec* decoder = avcodec_find_decoder(id);
    if (!decoder || !(codec->context = avcodec_alloc_context3(decoder)))
        return false;
    const QByteArray setup = extradata(codec->kind, m_headers);
    codec->context->extradata = static_cast<uint8_t*>(av_mallocz(size_t(setup.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!codec->context->extradata)
        return false;
    std::memcpy(codec->context->extradata, setup.constData(), size_t(setup.size()));
    codec->context->extradata_size = int(setup.size());
    codec->context->pkt_timebase = AVRational{1, 48000};
    // Damaged packets are counted, not told on the terminal: the decoder's
    // messages go below the most detailed log level.
    codec->context->log_level_offset = AV_LOG_TRACE + 8;
    if (avcodec_open2(codec->context, decoder, nullptr) < 0 || codec->context->sample_rate <= 0)
        return false;
    codec->packet = av_packet_alloc();
    codec->frame = av_frame_alloc();
    if (!codec->packet || !codec->frame)
        return false;
    // The decoder drops the encoder's lead-in that OpusHead gives.
    const QByteArray& head = m_headers.first();
    m_leadIn = codec->kind == Kind::Opus && head.size() >= 12 ? quint8(head[10]) | quint8(head[11]) << 8 : 0;
    m_codec = std::move(codec);
    ++m_songs;
    return true;
}

void OggFeedDecoder::decode(const QByteArray& packet, const PcmHandler& out)
{
    if (!m_codec || packet.isEmpty())
        return;
    Codec& c = *m_codec;
    if (av_new_packet(c.packet, int(packet.size())) < 0)
        return;
    std::memcpy(c.packet->data, packet.constData(), size_t(packet.size()));
    // A time for each packet lets the decoder account for what it drops.
    c.packet->pts = m_frames;
    const int sent = avcodec_send_packet(c.context, c.packet);
    av_packet_unref(c.packet);
    if (sent < 0) {
        ++m_errors;
        return;
    }
    m_leadIn = 0; // the pages after this one are past it
    while (avcodec_receive_frame(c.context, c.frame) >= 0) {
        const qint64 made = c.converter.Convert(c.frame, c.format, c.pcm);
        av_frame_unref(c.frame);
        if (made < 0) {
            ++m_errors;
            continue;
        }
        emitFrames(c.pcm.constData(), made, out);
    }
}

void OggFeedDecoder::emitFrames(const char* pcm, qint64 frames, const PcmHandler& out)
{
    if (m_pageLimit >= 0) {
        frames = qMin(frames, m_pageLimit);
        m_pageLimit -= frames;
    }
    if (frames <= 0)
        return;
    m_frames += frames;
    if (out)
        out(m_codec->format, pcm, frames * 2 * m_codec->format.channels);
}
