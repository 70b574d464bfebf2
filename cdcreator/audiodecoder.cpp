#include "cdcreator/audiodecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <initializer_list>
#include <sys/stat.h>

namespace {

// The first of `keys` that the dictionary holds (keys match in any case).
QString MetadataValue(const AVDictionary* dict, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        const AVDictionaryEntry* entry = av_dict_get(dict, key, nullptr, 0);
        if (entry && entry->value && entry->value[0])
            return QString::fromUtf8(entry->value);
    }
    return {};
}

QString AvErrorText(int code);

// Only a regular file (or a link to one) is opened: opening a FIFO waits for
// a writer that may never come, and a device or a socket is no audio file.
// "" for a regular file, else why it is refused.
QString NotRegularFile(const QByteArray& name)
{
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return AvErrorText(AVERROR(errno));
    if (S_ISDIR(st.st_mode))
        return QCoreApplication::translate("AudioDecoder", "is a folder");
    if (!S_ISREG(st.st_mode))
        return QCoreApplication::translate("AudioDecoder", "is not a regular file");
    return {};
}

QString AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

struct AudioDecoder::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    bool inputDone = false;   // the demuxer has no more packets
    bool decoderDone = false; // the decoder is drained
    bool flushed = false;     // the resampler is drained

    ~State()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

AudioDecoder::AudioDecoder() = default;
AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::Close()
{
    m_state.reset();
}

bool AudioDecoder::Open(const QString& path)
{
    Close();
    m_error.clear();
    auto state = std::make_unique<State>();
    const QByteArray name = path.toUtf8();
    if (const QString refused = NotRegularFile(QFile::encodeName(path)); !refused.isEmpty()) {
        m_error = refused;
        return false;
    }
    int rc = avformat_open_input(&state->format, name.constData(), nullptr, nullptr);
    if (rc < 0) {
        m_error = AvErrorText(rc);
        return false;
    }
    rc = avformat_find_stream_info(state->format, nullptr);
    if (rc < 0) {
        m_error = AvErrorText(rc);
        return false;
    }
    const AVCodec* codec = nullptr;
    state->stream = av_find_best_stream(state->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (state->stream < 0 || !codec) {
        m_error = QCoreApplication::translate("AudioDecoder", "no audio stream");
        return false;
    }
    for (unsigned i = 0; i < state->format->nb_streams; ++i) {
        if (int(i) != state->stream)
            state->format->streams[i]->discard = AVDISCARD_ALL;
    }
    state->codec = avcodec_alloc_context3(codec);
    if (!state->codec) {
        m_error = QCoreApplication::translate("AudioDecoder", "out of memory");
        return false;
    }
    rc = avcodec_parameters_to_context(state->codec, state->format->streams[state->stream]->codecpar);
    if (rc >= 0)
        rc = avcodec_open2(state->codec, codec, nullptr);
    if (rc < 0) {
        m_error = AvErrorText(rc);
        return false;
    }
    if (state->codec->sample_rate <= 0) {
        m_error = QCoreApplication::translate("AudioDecoder", "unknown sample rate");
        return false;
    }
    AVChannelLayout inLayout{};
    if (state->codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || state->codec->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&inLayout, std::max(1, state->codec->ch_layout.nb_channels));
    else
        av_channel_layout_copy(&inLayout, &state->codec->ch_layout);
    AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
    rc = swr_alloc_set_opts2(&state->resampler, &outLayout, AV_SAMPLE_FMT_S16, kSampleRate, &inLayout,
                             state->codec->sample_fmt, state->codec->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (rc >= 0)
        rc = swr_init(state->resampler);
    if (rc < 0) {
        m_error = AvErrorText(rc);
        return false;
    }
    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    if (!state->packet || !state->frame) {
        m_error = QCoreApplication::translate("AudioDecoder", "out of memory");
        return false;
    }
    m_state = std::move(state);
    return true;
}

double AudioDecoder::ReportedSeconds() const
{
    if (!m_state)
        return 0;
    const AVStream* stream = m_state->format->streams[m_state->stream];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return stream->duration * av_q2d(stream->time_base);
    if (m_state->format->duration != AV_NOPTS_VALUE && m_state->format->duration > 0)
        return double(m_state->format->duration) / AV_TIME_BASE;
    return 0;
}

bool AudioDecoder::Convert(const void* frameIn, QByteArray& out)
{
    const AVFrame* frame = static_cast<const AVFrame*>(frameIn);
    const int room = swr_get_out_samples(m_state->resampler, frame ? frame->nb_samples : 0);
    if (room <= 0)
        return true;
    const qsizetype start = out.size();
    out.resize(start + qsizetype(room) * kBytesPerFrame);
    uint8_t* target = reinterpret_cast<uint8_t*>(out.data() + start);
    const int made = swr_convert(m_state->resampler, &target, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                                 frame ? frame->nb_samples : 0);
    if (made < 0) {
        out.resize(start);
        m_error = AvErrorText(made);
        return false;
    }
    out.resize(start + qsizetype(made) * kBytesPerFrame);
    return true;
}

// Takes every frame the decoder has ready; false on a decoding failure.
bool AudioDecoder::DrainDecoder(QByteArray& out)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_state->codec, m_state->frame);
        if (rc == AVERROR(EAGAIN))
            return true;
        if (rc == AVERROR_EOF) {
            m_state->decoderDone = true;
            return true;
        }
        if (rc < 0) {
            m_error = AvErrorText(rc);
            return false;
        }
        const bool ok = Convert(m_state->frame, out);
        av_frame_unref(m_state->frame);
        if (!ok)
            return false;
    }
}

bool AudioDecoder::Flush(QByteArray& out)
{
    m_state->flushed = true;
    for (int guard = 0; guard < 64; ++guard) {
        const qsizetype before = out.size();
        if (!Convert(nullptr, out))
            return false;
        if (out.size() == before)
            break;
    }
    return true;
}

bool AudioDecoder::Read(QByteArray& out)
{
    if (!m_state || m_state->flushed)
        return false;
    const qsizetype before = out.size();
    // Packets until some audio came out or the stream ended.
    while (out.size() == before && !m_state->decoderDone) {
        if (!m_state->inputDone) {
            const int rc = av_read_frame(m_state->format, m_state->packet);
            if (rc < 0) {
                m_state->inputDone = true;
                avcodec_send_packet(m_state->codec, nullptr);
            } else {
                if (m_state->packet->stream_index == m_state->stream) {
                    const int sent = avcodec_send_packet(m_state->codec, m_state->packet);
                    // A damaged packet is skipped, as players do.
                    if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA) {
                        av_packet_unref(m_state->packet);
                        m_error = AvErrorText(sent);
                        return false;
                    }
                }
                av_packet_unref(m_state->packet);
            }
        }
        if (!DrainDecoder(out))
            return false;
    }
    if (m_state->decoderDone && out.size() == before) {
        if (!Flush(out))
            return false;
        return out.size() > before;
    }
    return true;
}

TrackTags AudioDecoder::Tags() const
{
    TrackTags tags;
    if (!m_state)
        return tags;
    // Ogg keeps its comments on the stream, most other containers on the file.
    for (const AVDictionary* dict :
         {const_cast<const AVDictionary*>(m_state->format->metadata),
          const_cast<const AVDictionary*>(m_state->format->streams[m_state->stream]->metadata)}) {
        if (!dict)
            continue;
        auto fill = [dict](QString& field, std::initializer_list<const char*> keys) {
            if (field.isEmpty())
                field = MetadataValue(dict, keys);
        };
        fill(tags.title, {"title"});
        fill(tags.artist, {"artist", "author"});
        fill(tags.album, {"album"});
        fill(tags.albumArtist, {"album_artist", "albumartist", "album artist"});
    }
    return tags;
}

double AudioDecoder::Probe(const QString& path, QString* error, TrackTags* tags)
{
    AudioDecoder decoder;
    if (!decoder.Open(path)) {
        if (error)
            *error = decoder.errorText();
        return -1;
    }
    QByteArray first;
    for (int i = 0; i < 8 && first.isEmpty(); ++i) {
        if (!decoder.Read(first))
            break;
    }
    if (first.isEmpty()) {
        if (error)
            *error = decoder.errorText().isEmpty()
                         ? QCoreApplication::translate("AudioDecoder", "no audio could be decoded")
                         : decoder.errorText();
        return -1;
    }
    if (tags)
        *tags = decoder.Tags();
    return decoder.ReportedSeconds();
}
