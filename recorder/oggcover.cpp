#include "recorder/oggcover.h"

#include "recorder/oggdemuxer.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <vector>

namespace {

void appendBe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

void appendLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

quint32 be32(const char* p)
{
    return qFromBigEndian<quint32>(p);
}

quint32 le32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

const QByteArray kPictureField = QByteArrayLiteral("METADATA_BLOCK_PICTURE=");

// A Vorbis comment structure, split where a field is added.
struct CommentLayout {
    bool ok = false;
    qsizetype countAt = 0; // where the field count is
    quint32 count = 0;
    qsizetype fieldsEnd = 0; // after the last field: what follows is kept as it is
    bool hasPicture = false;
    CoverPicture picture; // the first picture field, read
};

CommentLayout readComments(const char* data, qsizetype size)
{
    CommentLayout c;
    if (size < 4)
        return c;
    const quint32 vendor = le32(data);
    if (vendor > quint64(size) - 4 || size - 4 - qsizetype(vendor) < 4)
        return c;
    qsizetype at = 4 + vendor;
    c.countAt = at;
    c.count = le32(data + at);
    at += 4;
    for (quint32 i = 0; i < c.count; ++i) {
        if (size - at < 4)
            return c;
        const quint32 length = le32(data + at);
        at += 4;
        if (length > quint64(size - at))
            return c;
        const QByteArray field = QByteArray::fromRawData(data + at, length);
        if (field.size() >= kPictureField.size() &&
            qstrnicmp(field.constData(), kPictureField.constData(), kPictureField.size()) == 0) {
            if (!c.hasPicture)
                c.picture = ReadFlacPictureBlock(QByteArray::fromBase64(field.mid(kPictureField.size())));
            c.hasPicture = true;
        }
        at += length;
    }
    c.fieldsEnd = at;
    c.ok = true;
    return c;
}

struct Page {
    qsizetype at = 0, size = 0;
    OggPageHeader header;
};

// The file's pages, or none when it is not whole pages that pass their check.
std::vector<Page> pagesOf(const QByteArray& file, QString* error)
{
    std::vector<Page> pages;
    qsizetype at = 0;
    while (at < file.size()) {
        const char* p = file.constData() + at;
        const qsizetype left = file.size() - at;
        if (left < kOggPageHeaderBytes || memcmp(p, "OggS", 4) != 0) {
            *error = QStringLiteral("not whole Ogg pages");
            return {};
        }
        Page page;
        page.at = at;
        page.header = ReadOggPageHeader(p);
        qsizetype size = kOggPageHeaderBytes + page.header.segments;
        if (left < size) {
            *error = QStringLiteral("not whole Ogg pages");
            return {};
        }
        for (int i = 0; i < page.header.segments; ++i)
            size += quint8(p[kOggPageHeaderBytes + i]);
        if (left < size) {
            *error = QStringLiteral("not whole Ogg pages");
            return {};
        }
        QByteArray check(p, size);
        memset(check.data() + 22, 0, 4);
        if (OggCrc(check.constData(), check.size()) != page.header.crc) {
            *error = QStringLiteral("an Ogg page fails its check");
            return {};
        }
        page.size = size;
        pages.push_back(page);
        at += size;
    }
    return pages;
}

void setCrc(QByteArray& page)
{
    memset(page.data() + 22, 0, 4);
    char b[4];
    qToLittleEndian(OggCrc(page.constData(), page.size()), b);
    memcpy(page.data() + 22, b, 4);
}

// Pages holding `packets` of stream `serial`, numbered from `sequence`.
QByteArray layOut(const std::vector<QByteArray>& packets, quint32 serial, quint32& sequence)
{
    struct Segment {
        quint8 lace;
        const char* data;
        bool ends; // the packet ends with this segment
    };
    std::vector<Segment> segments;
    for (const QByteArray& packet : packets) {
        qsizetype at = 0;
        while (packet.size() - at >= 255) {
            segments.push_back({255, packet.constData() + at, false});
            at += 255;
        }
        segments.push_back({quint8(packet.size() - at), packet.constData() + at, true});
    }
    QByteArray out;
    bool continued = false;
    for (size_t first = 0; first < segments.size(); first += 255) {
        const size_t count = std::min<size_t>(255, segments.size() - first);
        bool anyEnds = false;
        QByteArray body;
        QByteArray lacing;
        for (size_t i = first; i < first + count; ++i) {
            lacing.append(char(segments[i].lace));
            body.append(segments[i].data, segments[i].lace);
            anyEnds = anyEnds || segments[i].ends;
        }
        QByteArray page("OggS\0", 5);
        page.append(char(continued ? 1 : 0));
        const quint64 granule = anyEnds ? 0 : ~quint64(0);
        appendLe32(page, quint32(granule));
        appendLe32(page, quint32(granule >> 32));
        appendLe32(page, serial);
        appendLe32(page, sequence++);
        appendLe32(page, 0);
        page.append(char(count));
        page.append(lacing);
        page.append(body);
        setCrc(page);
        out.append(page);
        continued = !segments[first + count - 1].ends;
    }
    return out;
}

} // namespace

QByteArray FlacPictureBlock(const CoverPicture& cover)
{
    QByteArray block;
    appendBe32(block, 3); // front cover
    appendBe32(block, quint32(cover.mimeType.size()));
    block.append(cover.mimeType);
    appendBe32(block, 0); // no description
    appendBe32(block, quint32(cover.width));
    appendBe32(block, quint32(cover.height));
    appendBe32(block, 24); // colour depth
    appendBe32(block, 0);  // not indexed
    appendBe32(block, quint32(cover.data.size()));
    block.append(cover.data);
    return block;
}

CoverPicture ReadFlacPictureBlock(const QByteArray& block)
{
    CoverPicture p;
    const char* d = block.constData();
    qsizetype at = 4;
    auto field = [&](QByteArray* into) {
        if (block.size() - at < 4)
            return false;
        const quint32 length = be32(d + at);
        at += 4;
        if (length > quint64(block.size() - at))
            return false;
        if (into)
            *into = block.mid(at, length);
        at += length;
        return true;
    };
    QByteArray mime;
    if (!field(&mime) || !field(nullptr) || block.size() - at < 16)
        return p;
    const int width = int(be32(d + at));
    const int height = int(be32(d + at + 4));
    at += 16;
    QByteArray data;
    if (!field(&data) || data.isEmpty())
        return p;
    p.data = data;
    p.mimeType = mime.toLower();
    p.width = width;
    p.height = height;
    return p;
}

CoverPicture OggCommentPicture(const char* data, qsizetype size)
{
    return readComments(data, size).picture;
}

OggCoverResult AddOggCover(const QByteArray& file, const CoverPicture& cover)
{
    OggCoverResult r;
    if (cover.IsNull()) {
        r.error = QStringLiteral("no picture");
        return r;
    }
    const std::vector<Page> pages = pagesOf(file, &r.error);
    if (pages.empty()) {
        if (r.error.isEmpty())
            r.error = QStringLiteral("no Ogg pages");
        return r;
    }
    const quint32 serial = pages.front().header.serial;
    // The header packets, and the page their last one ends on.
    std::vector<QByteArray> packets;
    QByteArray packet;
    int wanted = 0;
    size_t headerEnd = 0; // the first page after the header
    for (size_t i = 0; i < pages.size() && headerEnd == 0; ++i) {
        const Page& page = pages[i];
        if (page.header.serial != serial) {
            r.error = QStringLiteral("more than one Ogg stream");
            return r;
        }
        const char* p = file.constData() + page.at;
        qsizetype body = kOggPageHeaderBytes + page.header.segments;
        for (int s = 0; s < page.header.segments; ++s) {
            const quint8 lace = quint8(p[kOggPageHeaderBytes + s]);
            packet.append(p + body, lace);
            body += lace;
            if (lace == 255)
                continue;
            if (packets.empty()) {
                const OggCodec codec = OggCodecOf(packet);
                wanted = codec == OggCodec::Vorbis ? 3 : codec == OggCodec::Opus ? 2 : 0;
                if (codec == OggCodec::Flac) {
                    // Ogg FLAC keeps its pictures in metadata blocks of its own: left as it is.
                    r.file = file;
                    r.unchanged = true;
                    return r;
                }
                if (wanted == 0) {
                    r.error = QStringLiteral("not Vorbis or Opus");
                    return r;
                }
                if (s != page.header.segments - 1 || i != 0) {
                    r.error = QStringLiteral("the first header packet is not alone on its page");
                    return r;
                }
            }
            packets.push_back(std::exchange(packet, QByteArray()));
            if (int(packets.size()) == wanted) {
                if (s != page.header.segments - 1) {
                    r.error = QStringLiteral("audio begins on a header page");
                    return r;
                }
                headerEnd = i + 1;
                break;
            }
        }
    }
    if (headerEnd == 0) {
        r.error = QStringLiteral("the header packets are not complete");
        return r;
    }
    QByteArray& comments = packets[1];
    const qsizetype prefix = wanted == 3 ? 7 : 8;
    const bool prefixOk = wanted == 3 ? comments.startsWith("\x03vorbis") : comments.startsWith("OpusTags");
    const CommentLayout layout =
        prefixOk ? readComments(comments.constData() + prefix, comments.size() - prefix) : CommentLayout();
    if (!layout.ok) {
        r.error = QStringLiteral("the comment header cannot be read");
        return r;
    }
    if (layout.hasPicture) {
        r.file = file;
        r.unchanged = true;
        return r;
    }
    const QByteArray field = kPictureField + FlacPictureBlock(cover).toBase64();
    QByteArray added = comments.left(prefix + layout.fieldsEnd);
    char count[4];
    qToLittleEndian(layout.count + 1, count);
    memcpy(added.data() + prefix + layout.countAt, count, 4);
    appendLe32(added, quint32(field.size()));
    added.append(field);
    added.append(comments.mid(prefix + layout.fieldsEnd));
    comments = added;

    for (size_t i = headerEnd; i < pages.size(); ++i) {
        if (pages[i].header.serial != serial) {
            r.error = QStringLiteral("more than one Ogg stream");
            return r;
        }
    }
    const Page& first = pages.front();
    QByteArray out = file.mid(first.at, first.size);
    quint32 sequence = first.header.sequence + 1;
    out.append(layOut({packets.begin() + 1, packets.end()}, serial, sequence));
    const quint32 oldNext = pages[headerEnd - 1].header.sequence + 1;
    for (size_t i = headerEnd; i < pages.size(); ++i) {
        QByteArray page = file.mid(pages[i].at, pages[i].size);
        char b[4];
        qToLittleEndian(pages[i].header.sequence - oldNext + sequence, b);
        memcpy(page.data() + 18, b, 4);
        setCrc(page);
        out.append(page);
    }
    r.file = out;
    return r;
}

bool WriteOggCover(const QString& path, const CoverPicture& cover, QString* error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    const OggCoverResult r = AddOggCover(in.readAll(), cover);
    in.close();
    if (!r.ok() || r.unchanged) {
        if (error)
            *error = r.error;
        return r.ok();
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(r.file) != r.file.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
