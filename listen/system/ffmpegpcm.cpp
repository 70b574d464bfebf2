#include "listen/system/ffmpegpcm.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

namespace {

// A frame's channel layout, or the default one for its channel count when
// the decoder leaves the order unknown.
void layoutOf(const AVFrame* frame, AVChannelLayout& layout)
{
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&layout, qMax(1, frame->ch_layout.nb_channels));
    else
        av_channel_layout_copy(&layout, &frame->ch_layout);
}

quint64 maskOf(const AVFrame* frame)
{
    return frame->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? frame->ch_layout.u.mask : 0;
}

} // namespace

FfmpegPcm::~FfmpegPcm()
{
    swr_free(&m_resampler);
}

bool FfmpegPcm::setUp(const AVFrame* frame)
{
    swr_free(&m_resampler);
    m_inRate = 0;
    if (frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0)
        return false;
    AVChannelLayout in{};
    layoutOf(frame, in);
    const int channels = in.nb_channels == 1 ? 1 : 2;
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels);
    const int rc = swr_alloc_set_opts2(&m_resampler, &out, AV_SAMPLE_FMT_S16, frame->sample_rate, &in,
                                       AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc < 0 || swr_init(m_resampler) < 0) {
        swr_free(&m_resampler);
        return false;
    }
    m_inRate = frame->sample_rate;
    m_inFormat = frame->format;
    m_inChannels = frame->ch_layout.nb_channels;
    m_inMask = maskOf(frame);
    m_out = PcmFormat{frame->sample_rate, channels};
    return true;
}

qint64 FfmpegPcm::Convert(const AVFrame* frame, PcmFormat& format, QByteArray& pcm)
{
    const bool same = m_resampler && frame->sample_rate == m_inRate && frame->format == m_inFormat &&
                      frame->ch_layout.nb_channels == m_inChannels && maskOf(frame) == m_inMask;
    if (!same && !setUp(frame))
        return -1;
    const int room = swr_get_out_samples(m_resampler, frame->nb_samples);
    pcm.resize(qsizetype(qMax(room, 0)) * 2 * m_out.channels);
    auto* target = reinterpret_cast<uint8_t*>(pcm.data());
    const int made =
        swr_convert(m_resampler, &target, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (made < 0)
        return -1;
    format = m_out;
    return made;
}
