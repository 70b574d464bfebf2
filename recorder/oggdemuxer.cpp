#include "recorder/oggdemuxer.h"

#include "listen/oggpages.h"

#include <array>
#include <utility>

namespace {

quint32 Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

bool StartsWith(const QByteArray& packet, const char* magic, qsizetype size)
{
    return packet.size() >= size && memcmp(packet.constData(), magic, size_t(size)) == 0;
}

// The value of a "KEY=value" field when its key is `key` (any case).
bool FieldValue(const QByteArray& field, const char* key, QString& value)
{
    const qsizetype eq = field.indexOf('=');
    if (eq < 0 || field.left(eq).compare(key, Qt::CaseInsensitive) != 0)
        return false;
    value = QString::fromUtf8(field.mid(eq + 1)).trimmed();
    return true;
}

} // namespace

quint32 OggCrc(const char* data, qsizetype size, quint32 crc)
{
    return oggpages::Checksum(data, size, crc);
}

OggPageHeader ReadOggPageHeader(const char* data)
{
    OggPageHeader h;
    h.version = quint8(data[4]);
    h.headerType = quint8(data[5]);
    h.granule = qint64(quint64(Le32(data + 6)) | quint64(Le32(data + 10)) << 32);
    h.serial = Le32(data + 14);
    h.sequence = Le32(data + 18);
    h.crc = Le32(data + 22);
    h.segments = quint8(data[26]);
    return h;
}

OggCodec OggCodecOf(const QByteArray& firstPacket)
{
    if (StartsWith(firstPacket, "\x01vorbis", 7))
        return OggCodec::Vorbis;
    if (StartsWith(firstPacket, "OpusHead", 8))
        return OggCodec::Opus;
    if (StartsWith(firstPacket,
                   "\x7f"
                   "FLAC",
                   5))
        return OggCodec::Flac;
    return OggCodec::Unknown;
}

QString OggExtension(OggCodec codec)
{
    return codec == OggCodec::Opus ? QStringLiteral(".opus") : QStringLiteral(".ogg");
}

OggComments ReadVorbisComments(const char* data, qsizetype size)
{
    OggComments c;
    qsizetype pos = 0;
    auto lengthAt = [&](quint32& n) {
        if (size - pos < 4)
            return false;
        n = Le32(data + pos);
        pos += 4;
        return true;
    };
    quint32 vendor = 0, count = 0;
    if (!lengthAt(vendor) || vendor > quint64(size - pos))
        return c;
    pos += vendor;
    if (!lengthAt(count))
        return c;
    bool haveArtist = false, haveTitle = false;
    for (quint32 i = 0; i < count; ++i) {
        quint32 n = 0;
        if (!lengthAt(n) || n > quint64(size - pos))
            return c;
        const QByteArray field = QByteArray::fromRawData(data + pos, n);
        pos += n;
        if (!haveArtist)
            haveArtist = FieldValue(field, "ARTIST", c.artist);
        if (!haveTitle)
            haveTitle = FieldValue(field, "TITLE", c.title);
    }
    c.valid = true;
    return c;
}

void OggDemuxer::Feed(const char* data, qsizetype size, Sink& sink)
{
    // A page begun in an earlier chunk is completed with as few bytes of
    // this one as it takes; the rest is read where it is, not copied. The
    // bytes of pages handed on stay until the next call.
    m_held.clear();
    while (size > 0 && !m_buf.isEmpty()) {
        const qsizetype take = qMin(size, wanted());
        m_buf.append(data, take);
        data += take;
        size -= take;
        const qsizetype used = scan(m_buf.constData(), m_buf.size(), sink);
        m_held.append(std::exchange(m_buf, m_buf.mid(used)));
    }
    if (size <= 0)
        return;
    const qsizetype used = scan(data, size, sink);
    m_buf.append(data + used, size - used);
}

qsizetype OggDemuxer::wanted() const
{
    const qsizetype have = m_buf.size();
    if (have < kOggPageHeaderBytes)
        return kOggPageHeaderBytes - have;
    const int segments = quint8(m_buf[26]);
    qsizetype total = kOggPageHeaderBytes + segments;
    if (have < total)
        return total - have;
    for (int i = 0; i < segments; ++i)
        total += quint8(m_buf[kOggPageHeaderBytes + i]);
    return qMax<qsizetype>(1, total - have);
}

qsizetype OggDemuxer::scan(const char* buf, qsizetype n, Sink& sink)
{
    qsizetype pos = 0;
    for (;;) {
        const qsizetype at = QByteArrayView(buf, n).indexOf(QByteArrayView("OggS", 4), pos);
        if (at < 0) {
            // The last three bytes may be the start of a capture pattern.
            const qsizetype keep = qMin<qsizetype>(3, n - pos);
            m_skippedBytes += n - pos - keep;
            return n - keep;
        }
        m_skippedBytes += at - pos;
        pos = at;
        const qsizetype avail = n - at;
        const char* p = buf + at;
        if (avail < kOggPageHeaderBytes)
            return pos;
        const OggPageHeader h = ReadOggPageHeader(p);
        if (h.version != 0) {
            m_skippedBytes += 4;
            pos += 4;
            continue;
        }
        if (avail < kOggPageHeaderBytes + h.segments)
            return pos;
        qsizetype total = kOggPageHeaderBytes + h.segments;
        for (int i = 0; i < h.segments; ++i)
            total += quint8(p[kOggPageHeaderBytes + i]);
        if (avail < total)
            return pos;
        static const char zeros[4] = {0, 0, 0, 0};
        quint32 crc = OggCrc(p, 22);
        crc = OggCrc(zeros, 4, crc);
        crc = OggCrc(p + 26, total - 26, crc);
        if (crc != h.crc) {
            ++m_badPages;
            m_skippedBytes += 4;
            pos += 4;
            continue;
        }
        ++m_pages;
        pos += total;
        onPage(p, total, sink);
    }
}

void OggDemuxer::Finish(Sink& sink)
{
    m_skippedBytes += m_buf.size();
    m_buf.clear();
    m_held.clear();
    endStream(false, sink);
}

void OggDemuxer::onPage(const char* page, qsizetype size, Sink& sink)
{
    const OggPageHeader h = ReadOggPageHeader(page);
    if (h.Bos()) {
        const char* body = page + kOggPageHeaderBytes + h.segments;
        qsizetype first = 0;
        for (int i = 0; i < h.segments; ++i) {
            first += quint8(page[kOggPageHeaderBytes + i]);
            if (quint8(page[kOggPageHeaderBytes + i]) < 255)
                break;
        }
        const OggCodec codec = OggCodecOf(QByteArray::fromRawData(body, first));
        if (codec == OggCodec::Unknown || (m_active && m_bosGroup)) {
            // Video, or a second stream multiplexed with the one recorded.
            ++m_otherStreams;
            ++m_skippedPages;
            return;
        }
        if (m_active) {
            ++m_unended;
            endStream(false, sink);
        }
        beginStream(h, codec);
    } else {
        m_bosGroup = false;
    }
    if (!m_active || h.serial != m_info.serial) {
        ++m_skippedPages;
        if (!m_active && m_streams == 0)
            sink.OnPageBeforeStart(page, size);
        return;
    }
    if (h.sequence != m_nextSequence) {
        // Icecast sends a listener who joins mid-song the header pages and
        // then the current ones: no gap to speak of there.
        if (!m_firstAfterHeader)
            ++m_sequenceGaps;
        m_packetTorn = true;
    }
    m_firstAfterHeader = false;
    m_nextSequence = h.sequence + 1;
    if (m_skipping)
        ++m_skippedPages;
    else if (!m_started)
        readHeaderPage(h, page, size, sink);
    else
        sink.OnPage(page, size);
    if (h.Eos())
        endStream(true, sink);
}

void OggDemuxer::beginStream(const OggPageHeader& h, OggCodec codec)
{
    m_active = true;
    m_started = false;
    m_skipping = false;
    m_bosGroup = true;
    m_firstAfterHeader = false;
    m_info = OggStreamInfo();
    m_info.serial = h.serial;
    m_info.codec = codec;
    m_nextSequence = h.sequence;
    m_headerPackets = 0;
    m_headerTotal = 0;
    m_packet.clear();
    m_packetTorn = false;
}

void OggDemuxer::endStream(bool complete, Sink& sink)
{
    if (m_started)
        sink.OnStreamEnd(complete);
    m_active = false;
    m_started = false;
    m_skipping = false;
    m_packet.clear();
}

void OggDemuxer::readHeaderPage(const OggPageHeader& h, const char* page, qsizetype size, Sink& sink)
{
    if (m_info.headerPages.size() + size > kMaxHeaderBytes) {
        ++m_oversized;
        ++m_skippedPages;
        m_skipping = true;
        m_info.headerPages.clear();
        m_packet.clear();
        return;
    }
    m_info.headerPages.append(page, size);
    if (!h.Continued() && !m_packet.isEmpty()) {
        ++m_headerPackets; // the packet before ended without its last piece
        m_packetTorn = true;
    }
    if (h.Continued() != !m_packet.isEmpty() || m_packetTorn) {
        m_packet.clear();
        m_packetTorn = h.Continued(); // a piece of a packet begun unseen: read past its end
    }
    const char* body = page + kOggPageHeaderBytes + h.segments;
    qsizetype off = 0;
    for (int i = 0; i < h.segments; ++i) {
        const int len = quint8(page[kOggPageHeaderBytes + i]);
        if (!m_packetTorn)
            m_packet.append(body + off, len);
        off += len;
        if (len == 255)
            continue;
        if (m_packetTorn)
            ++m_headerPackets; // counted, but not read
        else
            onHeaderPacket(m_packet);
        m_packet.clear();
        m_packetTorn = false;
        if (m_headerTotal > 0 && m_headerPackets >= m_headerTotal) {
            m_started = true;
            m_firstAfterHeader = true;
            ++m_streams;
            sink.OnStreamStart(m_info);
            return;
        }
    }
}

void OggDemuxer::onHeaderPacket(const QByteArray& packet)
{
    const int index = m_headerPackets++;
    const char* p = packet.constData();
    const qsizetype n = packet.size();
    OggComments comments;
    switch (m_info.codec) {
    case OggCodec::Vorbis:
        if (index == 0) {
            m_headerTotal = 3;
            if (n >= 24 && qint32(Le32(p + 20)) > 0)
                m_info.nominalKbps = qint32(Le32(p + 20)) / 1000;
        } else if (index == 1 && StartsWith(packet, "\x03vorbis", 7)) {
            comments = ReadVorbisComments(p + 7, n - 7);
        }
        break;
    case OggCodec::Opus:
        if (index == 0)
            m_headerTotal = 2;
        else if (StartsWith(packet, "OpusTags", 8))
            comments = ReadVorbisComments(p + 8, n - 8);
        break;
    case OggCodec::Flac:
        if (index == 0) {
            const int more = n >= 9 ? (quint8(p[7]) << 8 | quint8(p[8])) : 0;
            m_headerTotal = more > 0 ? 1 + more : 0;
        } else if (n >= 4) {
            if ((p[0] & 0x7f) == 4) {
                const qsizetype length = quint8(p[1]) << 16 | quint8(p[2]) << 8 | quint8(p[3]);
                comments = ReadVorbisComments(p + 4, qMin(length, n - 4));
            }
            if ((p[0] & 0x80) && m_headerTotal == 0)
                m_headerTotal = m_headerPackets; // the last metadata block, when the count was not given
        }
        break;
    case OggCodec::Unknown:
        break;
    }
    if (comments.valid) {
        m_info.artist = comments.artist;
        m_info.title = comments.title;
    }
}
