#include "listen/mp3decoder.h"

#include <mpg123.h>

#include <vector>

namespace {

mpg123_handle* asHandle(void* h)
{
    return static_cast<mpg123_handle*>(h);
}

bool initLibrary()
{
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

constexpr size_t kOutChunk = 32768;

}  // namespace

Mp3FeedDecoder::Mp3FeedDecoder()
{
    if (!initLibrary())
        return;
    int err = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h)
        return;
    m_handle = h;
    // A relayed stream starts at any frame and has no end; the encoder's
    // gap information of a file does not apply to it. Keep the decoder quiet.
    mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Always 16-bit signed output, at the stream's own rate and channels.
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (!openFeed()) {
        mpg123_delete(h);
        m_handle = nullptr;
    }
}

Mp3FeedDecoder::~Mp3FeedDecoder()
{
    if (m_handle) {
        mpg123_close(asHandle(m_handle));
        mpg123_delete(asHandle(m_handle));
    }
}

bool Mp3FeedDecoder::openFeed()
{
    return mpg123_open_feed(asHandle(m_handle)) == MPG123_OK;
}

void Mp3FeedDecoder::Reset()
{
    m_format = Format();
    m_frames = 0;
    m_errors = 0;
    if (!m_handle)
        return;
    mpg123_close(asHandle(m_handle));
    if (!openFeed()) {
        mpg123_delete(asHandle(m_handle));
        m_handle = nullptr;
    }
}

void Mp3FeedDecoder::Feed(const char* data, qsizetype size, const PcmHandler& out)
{
    if (!m_handle || size < 0)
        return;
    mpg123_handle* h = asHandle(m_handle);
    if (size > 0 && mpg123_feed(h, reinterpret_cast<const unsigned char*>(data), static_cast<size_t>(size)) != MPG123_OK) {
        ++m_errors;
        return;
    }
    std::vector<unsigned char> buffer(kOutChunk);
    int stuck = 0;
    for (;;) {
        size_t done = 0;
        const int rc = mpg123_read(h, buffer.data(), buffer.size(), &done);
        // After a Reset the library may not announce a format it already
        // knows; ask for it whenever sound comes without one.
        if (rc == MPG123_NEW_FORMAT || (done > 0 && m_format.channels == 0)) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(h, &rate, &channels, &encoding);
            m_format.sampleRate = static_cast<int>(rate);
            m_format.channels = channels;
        }
        if (done > 0 && m_format.channels > 0) {
            m_frames += static_cast<qint64>(done / (2 * static_cast<size_t>(m_format.channels)));
            if (out)
                out(m_format, reinterpret_cast<const char*>(buffer.data()), static_cast<qsizetype>(done));
            stuck = 0;
        }
        if (rc == MPG123_NEED_MORE || rc == MPG123_DONE)
            return;
        if (rc == MPG123_ERR)
            ++m_errors;
        // Errors and warnings (a frame that could not be decoded) are stepped
        // over; a long run of them without any output ends this round.
        if (done == 0 && rc != MPG123_NEW_FORMAT && ++stuck > 64)
            return;
    }
}
