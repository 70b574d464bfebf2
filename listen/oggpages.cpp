#include "listen/oggpages.h"

#include <QList>
#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace oggpages {

namespace {

// kCrcTables[k][i]: the CRC of byte i followed by k zero bytes; eight bytes
// are then taken in one step (slicing by eight).
using CrcTables = std::array<std::array<quint32, 256>, 8>;
constexpr CrcTables MakeCrcTables()
{
    CrcTables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 r = i << 24;
        for (int b = 0; b < 8; ++b)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
        t[0][i] = r;
    }
    for (size_t k = 1; k < t.size(); ++k) {
        for (quint32 i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
    }
    return t;
}
constexpr CrcTables kCrcTables = MakeCrcTables();

quint32 Be32(const unsigned char* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 le32(const char* p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}

quint32 CrcBytes(const unsigned char* p, qsizetype size, quint32 crc)
{
    const auto& t = kCrcTables;
    for (; size >= 8; size -= 8, p += 8) {
        const quint32 one = crc ^ Be32(p);
        const quint32 two = Be32(p + 4);
        crc = t[7][one >> 24] ^ t[6][(one >> 16) & 0xff] ^ t[5][(one >> 8) & 0xff] ^ t[4][one & 0xff] ^
              t[3][two >> 24] ^ t[2][(two >> 16) & 0xff] ^ t[1][(two >> 8) & 0xff] ^ t[0][two & 0xff];
    }
    for (; size > 0; --size, ++p)
        crc = (crc << 8) ^ t[0][((crc >> 24) ^ *p) & 0xff];
    return crc;
}

#if defined(__x86_64__)
// x^n mod the CRC polynomial.
constexpr quint64 XPowMod(int n)
{
    quint64 r = 1;
    for (int i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x100000000ull)
            r ^= 0x104C11DB7ull;
    }
    return r;
}

// Long runs with carry-less multiplication: the data, 16 bytes at a time as
// a polynomial, is folded forward (X * x^128 + next block, kept below degree
// 128 by x^128 and x^192 mod P), and the CRC of what is left, 16 bytes, is
// taken by table.
__attribute__((target("pclmul,ssse3"))) quint32 CrcFolded(const unsigned char* p, qsizetype size, quint32 crc)
{
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i k = _mm_set_epi64x(qint64(XPowMod(192)), qint64(XPowMod(128)));
    __m128i x = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
    x = _mm_xor_si128(x, _mm_set_epi32(int(crc), 0, 0, 0));
    p += 16;
    size -= 16;
    for (; size >= 16; size -= 16, p += 16) {
        const __m128i next = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
        x = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
    }
    alignas(16) unsigned char rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm_shuffle_epi8(x, reverse));
    return CrcBytes(p, size, CrcBytes(rest, 16, 0));
}

// Read while static objects are made: the processor's features first.
const bool kHaveClmul = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
}();
#endif

} // namespace

quint32 Checksum(const char* data, qsizetype size, quint32 crc)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
#if defined(__x86_64__)
    if (size >= 64 && kHaveClmul)
        return CrcFolded(p, size, crc);
#endif
    return CrcBytes(p, size, crc);
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
