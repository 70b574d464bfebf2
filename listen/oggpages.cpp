#include "listen/oggpages.h"

#include <QList>
#include <array>

namespace oggpages {

namespace {

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}

constexpr std::array<quint32, 256> kTable = makeTable();

quint32 le32(const char* p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}

} // namespace

quint32 Checksum(const char* data, qsizetype size, quint32 crc)
{
    for (qsizetype i = 0; i < size; ++i)
        crc = (crc << 8) ^ kTable[((crc >> 24) ^ quint8(data[i])) & 0xFF];
    return crc;
}

int Page::PacketEnds() const
{
    int ends = 0;
    for (int i = 0; i < Segments(); ++i)
        ends += Lacing(i) < 255;
    return ends;
}

qsizetype ReadPage(const char* data, qsizetype size, Page& page)
{
    static const char kCapture[] = "OggS";
    for (qsizetype i = 0; i < 4 && i < size; ++i)
        if (data[i] != kCapture[i])
            return -1;
    if (size < kHeaderBytes)
        return 0;
    if (data[4] != 0)
        return -1; // only version 0 exists
    const int segments = quint8(data[26]);
    if (size < kHeaderBytes + segments)
        return 0;
    qsizetype length = kHeaderBytes + segments;
    for (int i = 0; i < segments; ++i)
        length += quint8(data[kHeaderBytes + i]);
    if (size < length)
        return 0;
    // The checksum is taken with its own four bytes as zeros.
    static const char kZeros[4] = {};
    const quint32 crc = Checksum(data + 26, length - 26, Checksum(kZeros, 4, Checksum(data, 22)));
    if (crc != le32(data + 22))
        return -1;
    page.data = data;
    page.size = length;
    page.flags = quint8(data[5]);
    page.granule = qint64(quint64(le32(data + 6)) | quint64(le32(data + 10)) << 32);
    page.serial = le32(data + 14);
    page.sequence = le32(data + 18);
    return length;
}

void Cutter::Feed(const char* data, qsizetype size, const PageHandler& out)
{
    if (size > 0)
        m_buf.append(data, size);
    qsizetype pos = 0;
    while (pos < m_buf.size()) {
        const qsizetype at = m_buf.indexOf("OggS", pos);
        if (at < 0) {
            // Up to three bytes may be the start of the next capture pattern.
            const qsizetype keep = qMax(pos, m_buf.size() - 3);
            m_skipped += keep - pos;
            pos = keep;
            break;
        }
        m_skipped += at - pos;
        pos = at;
        Page page;
        const qsizetype length = ReadPage(m_buf.constData() + pos, m_buf.size() - pos, page);
        if (length == 0)
            break;
        if (length < 0) {
            ++m_skipped;
            ++pos;
            continue;
        }
        out(page);
        pos += length;
    }
    m_buf.remove(0, pos);
}

void Cutter::Reset()
{
    m_skipped += m_buf.size();
    m_buf.clear();
}

int HeaderPacketCount(const QByteArray& firstPacket)
{
    if (firstPacket.startsWith(QByteArrayLiteral("\x01vorbis")))
        return 3;
    if (firstPacket.startsWith("OpusHead"))
        return 2;
    if (firstPacket.startsWith("\x7f"
                               "FLAC") &&
        firstPacket.size() >= 9) {
        const int more = quint8(firstPacket[7]) << 8 | quint8(firstPacket[8]);
        return more > 0 ? 1 + more : 0;
    }
    return 0;
}

bool IsOggType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "audio/ogg" || type == "application/ogg" || type == "audio/opus" || type == "audio/vorbis";
}

QByteArray FirstPacket(const Page& bos)
{
    qsizetype length = 0;
    for (int i = 0; i < bos.Segments(); ++i) {
        length += bos.Lacing(i);
        if (bos.Lacing(i) < 255)
            break;
    }
    return QByteArray(bos.Body(), length);
}

} // namespace oggpages
