#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

// Ogg pages as the relay and the player see them: cut whole out of a byte
// stream handed over in pieces of any size, each checked by its CRC.
namespace oggpages {

// A page holds at most its 27-byte header, 255 lacing values and 255 * 255 bytes.
inline constexpr qsizetype kHeaderBytes = 27;
inline constexpr qsizetype kMaxPageBytes = kHeaderBytes + 255 + 255 * 255;

// The page checksum: CRC-32, polynomial 0x04C11DB7, MSB first, starting at
// 0; `crc` goes on from the checksum of the bytes before.
quint32 Checksum(const char* data, qsizetype size, quint32 crc = 0);

// A whole page that passed its check; `data` lives until the next Feed.
struct Page {
    const char* data = nullptr;
    qsizetype size = 0;
    quint8 flags = 0; // 1 continued packet, 2 first page of a stream, 4 last page
    qint64 granule = 0;
    quint32 serial = 0;
    quint32 sequence = 0;

    bool Continued() const { return flags & 1; }
    bool Bos() const { return flags & 2; }
    bool Eos() const { return flags & 4; }
    int Segments() const { return quint8(data[26]); }
    int Lacing(int i) const { return quint8(data[kHeaderBytes + i]); }
    const char* Body() const { return data + kHeaderBytes + Segments(); }
    // Packets that end on this page.
    int PacketEnds() const;
};

// Reads the page at the start of `data` (`size` bytes of it at hand): its
// length when a whole page with a good checksum is there, 0 when more bytes
// are needed to tell, -1 when no page starts there.
qsizetype ReadPage(const char* data, qsizetype size, Page& page);

// Cuts a byte stream into whole pages. Bytes that are not part of a good
// page are skipped; the reader finds the next page by its capture pattern.
class Cutter {
public:
    using PageHandler = std::function<void(const Page&)>;
    void Feed(const char* data, qsizetype size, const PageHandler& out);
    // Forgets a page begun and not finished (a new connection).
    void Reset();
    qint64 SkippedBytes() const { return m_skipped; }

private:
    QByteArray m_buf;
    qint64 m_skipped = 0;
};

// The kind of stream a first packet begins: how many header packets it has.
// 0 when the codec is not one whose count is known (the header then ends
// before the first page that places audio).
int HeaderPacketCount(const QByteArray& firstPacket);

// True for the Content-Types of Ogg streams (audio/ogg, application/ogg,
// audio/opus, audio/vorbis), in any case and with any parameters.
bool IsOggType(const QByteArray& contentType);

// The first packet on a page that starts a stream (it ends on that page, or
// the page's body when it goes on past it).
QByteArray FirstPacket(const Page& bos);

} // namespace oggpages
