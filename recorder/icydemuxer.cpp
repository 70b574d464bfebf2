#include "recorder/icydemuxer.h"

#include "platform/responsehead.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Position of `needle` in `hay` from `from` on, comparing ASCII letters
// without regard to case; -1 when absent. `needle` must be lower case.
qsizetype IndexOfNoCase(const QByteArray& hay, const char* needle, qsizetype from = 0)
{
    const qsizetype n = qsizetype(std::strlen(needle));
    const qsizetype last = hay.size() - n;
    const char* h = hay.constData();
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        qsizetype k = 0;
        while (k < n) {
            char c = h[i + k];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            if (c != needle[k])
                break;
            ++k;
        }
        if (k == n)
            return i;
    }
    return -1;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads decimal digits from `pos`; false when there are none or the value
// does not fit `limit`.
bool ReadNumber(const QByteArray& text, qsizetype pos, qint64 limit, qint64& value)
{
    qint64 v = 0;
    qsizetype i = pos;
    while (i < text.size() && IsDigit(text.at(i))) {
        v = v * 10 + (text.at(i) - '0');
        if (v > limit)
            return false;
        ++i;
    }
    if (i == pos)
        return false;
    value = v;
    return true;
}

} // namespace

IcyHeader ParseIcyHeader(const QByteArray& raw)
{
    IcyHeader h;
    h.raw = raw;
    h.complete = ResponseHead::FindEnd(raw, ResponseHead::BlankLine::CrLf) >= 0;

    const ResponseHead::StatusLine status = ResponseHead::ReadStatusLine(raw);
    h.statusLine = status.text;
    h.statusCode = status.code;
    h.icyStatus = status.icy;

    // The station name runs to the next CR; without one there is no name.
    const qsizetype name = raw.indexOf("icy-name:");
    if (name >= 0) {
        const qsizetype start = name + 9;
        const qsizetype cr = raw.indexOf('\r', start);
        if (cr >= 0) {
            h.hasIcyName = true;
            h.icyName = raw.mid(start, cr - start).trimmed();
        }
    }

    const qsizetype metaInt = raw.indexOf("icy-metaint:");
    if (metaInt >= 0) {
        qsizetype pos = metaInt + 12;
        while (pos < raw.size() && raw.at(pos) == ' ')
            ++pos;
        qint64 value = 0;
        if (ReadNumber(raw, pos, std::numeric_limits<qint32>::max(), value)) {
            h.hasMetaInt = true;
            h.metaInt = value;
        }
    }

    // The bit rate: what follows "icy-br:", white space skipped, up to the
    // next "icy-" or the end; a following header line of another kind ends
    // it as well.
    const qsizetype br = raw.indexOf("icy-br:");
    if (br >= 0) {
        qsizetype start = br + 7;
        qsizetype end = raw.indexOf("icy-", start);
        if (end < 0)
            end = raw.size();
        while (start < end && (raw.at(start) == ' ' || raw.at(start) == '\r' || raw.at(start) == '\n'))
            ++start;
        qsizetype stop = start;
        while (stop < end && raw.at(stop) != '\r' && raw.at(stop) != '\n')
            ++stop;
        const QByteArray text = raw.mid(start, stop - start).trimmed();
        qint64 value = 0;
        if (!text.isEmpty() && std::all_of(text.begin(), text.end(), IsDigit)
            && ReadNumber(text, 0, std::numeric_limits<qint32>::max(), value)) {
            h.hasBitRate = true;
            h.bitRate = qint32(value);
        }
    }

    h.location = ResponseHead::Field(raw, "location");
    QByteArray contentType;
    if (ResponseHead::FindField(raw, "content-type", contentType))
        h.contentType = contentType.toLower();
    return h;
}

bool ContainsStreamTitle(const QByteArray& text)
{
    return IndexOfNoCase(text, "streamtitle='") >= 0;
}

namespace {

// The value of the block's field `key` ("streamtitle='", in lower case).
// Servers do not escape apostrophes inside a value ("O'Brien"), so it runs
// to the field's closing "';"; a block without one ends it at its last
// apostrophe, or else at its end.
QByteArray metadataField(const QByteArray& text, const char* key)
{
    const qsizetype at = IndexOfNoCase(text, key);
    if (at < 0)
        return {};
    const qsizetype start = at + qsizetype(qstrlen(key));
    qsizetype end = text.indexOf("';", start);
    if (end < 0) {
        end = text.lastIndexOf('\'');
        if (end < start) {
            // A block is padded with zero bytes; they are no part of the value.
            end = text.size();
            while (end > start && text.at(end - 1) == '\0')
                --end;
        }
    }
    return text.mid(start, end - start);
}

} // namespace

QByteArray ParseStreamTitle(const QByteArray& text)
{
    return metadataField(text, "streamtitle='");
}

void IcyDemuxer::Reset(bool metadataMode)
{
    ++m_generation;
    m_headerPending = true;
    m_metadataMode = metadataMode;
    m_refused = false;
    m_header.clear();
    m_metaInt = 0;
    m_audioLeft = 0;
    m_blockLeft = -1;
    m_block.clear();
    m_audioBytes = 0;
    m_metadataBytes = 0;
}

void IcyDemuxer::Feed(const char* data, qsizetype size, Sink& sink)
{
    if (m_refused || size <= 0)
        return;
    if (m_headerPending) {
        const qsizetype kept = m_header.size();
        // Only the bytes that can still belong to the header are taken.
        const qsizetype window = std::min(size, kMaxHeaderBytes - kept);
        m_header.append(data, window);
        // The blank line may straddle the previous chunk and this one.
        const qsizetype end = ResponseHead::FindEnd(m_header, ResponseHead::BlankLine::CrLf, kept - 3);
        if (end < 0 && window == size && m_header.size() < kMaxHeaderBytes)
            return;
        const qsizetype taken = end >= 0 ? end - kept : window;
        m_header.truncate(kept + taken);
        m_header.squeeze(); // the header alone, not the chunk it came with
        m_headerPending = false;
        const IcyHeader header = ParseIcyHeader(m_header);
        IcyHeader delivered = header;
        delivered.complete = end >= 0;
        if (!delivered.complete || !header.hasMetaInt || header.metaInt <= 0)
            m_metadataMode = false;
        if (m_metadataMode) {
            m_metaInt = header.metaInt;
            m_audioLeft = m_metaInt;
        }
        const quint64 generation = m_generation;
        const QByteArray bodyStart(data + taken, size - taken);
        if (!sink.OnHeader(delivered, bodyStart)) {
            if (generation == m_generation)
                m_refused = true;
            return;
        }
        if (generation != m_generation)
            return;
        data += taken;
        size -= taken;
    }
    FeedBody(data, size, sink);
}

void IcyDemuxer::FeedBody(const char* data, qsizetype size, Sink& sink)
{
    if (size <= 0)
        return;
    if (!m_metadataMode) {
        m_audioBytes += size;
        sink.OnAudio(data, size);
        return;
    }
    // A reset from inside a callback starts a new connection: the rest of
    // this chunk belongs to the old one and is dropped.
    const quint64 generation = m_generation;
    while (size > 0) {
        if (m_blockLeft < 0) {
            if (m_audioLeft > 0) {
                const qsizetype n = qsizetype(std::min<qint64>(m_audioLeft, size));
                m_audioLeft -= n;
                m_audioBytes += n;
                sink.OnAudio(data, n);
                if (generation != m_generation)
                    return;
                data += n;
                size -= n;
                continue;
            }
            // The length byte, unsigned: up to 255 * 16 bytes of text.
            const qint64 length = qint64(static_cast<unsigned char>(*data)) * 16;
            ++data;
            --size;
            ++m_metadataBytes;
            if (length == 0) {
                m_audioLeft = m_metaInt;
                continue;
            }
            m_blockLeft = length;
            m_block.clear();
            continue;
        }
        const qsizetype n = qsizetype(std::min<qint64>(m_blockLeft, size));
        m_blockLeft -= n;
        m_metadataBytes += n;
        if (m_blockLeft == 0 && m_block.isEmpty()) {
            const QByteArray block(data, n);
            data += n;
            size -= n;
            m_blockLeft = -1;
            m_audioLeft = m_metaInt;
            sink.OnMetadata(block);
        } else {
            m_block.append(data, n);
            data += n;
            size -= n;
            if (m_blockLeft > 0)
                continue;
            const QByteArray block = m_block;
            m_block.clear();
            m_blockLeft = -1;
            m_audioLeft = m_metaInt;
            sink.OnMetadata(block);
        }
        if (generation != m_generation || m_refused)
            return;
    }
}

QByteArray ParseStreamUrl(const QByteArray& text)
{
    return metadataField(text, "streamurl='").trimmed();
}
