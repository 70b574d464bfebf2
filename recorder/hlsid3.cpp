#include "recorder/hlsid3.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace {
quint32 syncSafe(const uchar* p)
{
    return (quint32(p[0] & 0x7f) << 21) | (quint32(p[1] & 0x7f) << 14) | (quint32(p[2] & 0x7f) << 7) |
           quint32(p[3] & 0x7f);
}

quint32 bigEndian(const uchar* p, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// The length of a string of `encoding` up to its terminating NUL (one or
// two bytes wide), or all of it.
qsizetype textEnd(const QByteArray& bytes, qsizetype from, int encoding)
{
    if (encoding == 1 || encoding == 2) {
        for (qsizetype i = from; i + 1 < bytes.size(); i += 2)
            if (bytes[i] == 0 && bytes[i + 1] == 0)
                return i;
        return bytes.size();
    }
    const qsizetype nul = bytes.indexOf('\0', from);
    return nul < 0 ? bytes.size() : nul;
}

QString decodeText(const QByteArray& raw, int encoding)
{
    switch (encoding) {
    case 0:
        return QString::fromLatin1(raw);
    case 1: {
        // UTF-16 with its byte order mark; big endian without one.
        if (raw.size() >= 2 && uchar(raw[0]) == 0xff && uchar(raw[1]) == 0xfe) {
            QStringDecoder d(QStringDecoder::Utf16LE);
            return d(raw.mid(2));
        }
        QStringDecoder d(QStringDecoder::Utf16BE);
        const bool bom = raw.size() >= 2 && uchar(raw[0]) == 0xfe && uchar(raw[1]) == 0xff;
        return d(bom ? raw.mid(2) : raw);
    }
    case 2: {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d(raw);
    }
    default:
        return QString::fromUtf8(raw);
    }
}

// The first string of a text frame's body (its encoding byte first).
QString firstText(const QByteArray& body, qsizetype from = 1)
{
    if (body.isEmpty())
        return {};
    const int encoding = uchar(body[0]);
    const qsizetype end = textEnd(body, from, encoding);
    return decodeText(body.mid(from, end - from), encoding).trimmed();
}

void takeFrame(HlsId3Tag& tag, const QByteArray& id, const QByteArray& body)
{
    if (id == "TIT2" || id == "TT2") {
        tag.title = firstText(body);
    } else if (id == "TPE1" || id == "TP1") {
        tag.artist = firstText(body);
    } else if (id == "TXXX" || id == "TXX") {
        if (body.isEmpty())
            return;
        const int encoding = uchar(body[0]);
        const qsizetype descEnd = textEnd(body, 1, encoding);
        const QString desc = decodeText(body.mid(1, descEnd - 1), encoding).trimmed().toLower();
        const qsizetype valueFrom = descEnd + ((encoding == 1 || encoding == 2) ? 2 : 1);
        const QString value = valueFrom <= body.size() ? firstText(body, valueFrom) : QString();
        if (desc == QLatin1String("title") && tag.title.isEmpty())
            tag.title = value;
        else if (desc == QLatin1String("artist") && tag.artist.isEmpty())
            tag.artist = value;
    } else if (id == "APIC" || id == "PIC") {
        // encoding, type (APIC: text up to a zero; PIC: three letters), kind, description, data
        if (body.size() < 2)
            return;
        const int encoding = uchar(body[0]);
        const qsizetype typeEnd = id == "PIC" ? qMin<qsizetype>(4, body.size()) : textEnd(body, 1, 0);
        const qsizetype kindAt = id == "PIC" ? typeEnd : typeEnd + 1;
        if (kindAt >= body.size())
            return;
        const bool front = uchar(body[kindAt]) == 3;
        const qsizetype descEnd = textEnd(body, kindAt + 1, encoding);
        const qsizetype dataAt = descEnd + ((encoding == 1 || encoding == 2) ? 2 : 1);
        if (dataAt >= body.size() || (!tag.picture.isEmpty() && !front))
            return;
        tag.picture = body.mid(dataAt);
        tag.pictureType = body.mid(1, typeEnd - 1);
    } else if (id == "PRIV") {
        static const QByteArray owner = "com.apple.streaming.transportStreamTimestamp";
        if (body.size() == owner.size() + 1 + 8 && body.startsWith(owner) && body[owner.size()] == 0) {
            const auto* p = reinterpret_cast<const uchar*>(body.constData()) + owner.size() + 1;
            const quint64 high = bigEndian(p, 4), low = bigEndian(p + 4, 4);
            tag.timestamp = static_cast<qint64>(((high << 32) | low) & ((quint64(1) << 33) - 1));
            tag.hasTimestamp = true;
        }
    }
}
} // namespace

QString HlsId3Tag::StreamTitle() const
{
    if (title.isEmpty())
        return {};
    return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
}

bool StartsId3Tag(const QByteArray& data, qsizetype offset)
{
    if (offset < 0 || data.size() - offset < 10)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return p[0] == 'I' && p[1] == 'D' && p[2] == '3' && p[3] >= 2 && p[3] <= 4 && p[4] != 0xff &&
           (p[6] | p[7] | p[8] | p[9]) < 0x80;
}

HlsId3Tag ReadHlsId3Tag(const QByteArray& data, qsizetype offset)
{
    HlsId3Tag tag;
    if (!StartsId3Tag(data, offset)) {
        tag.error = QCoreApplication::translate("HlsSession", "no ID3 tag");
        return tag;
    }
    const auto* head = reinterpret_cast<const uchar*>(data.constData()) + offset;
    const int version = head[3];
    const int flags = head[5];
    const qsizetype bodySize = syncSafe(head + 6);
    const bool footer = version == 4 && (flags & 0x10);
    tag.size = 10 + bodySize + (footer ? 10 : 0);
    if (tag.size > data.size() - offset) {
        tag.size = 0;
        tag.error = QCoreApplication::translate("HlsSession", "ID3 tag longer than its data");
        return tag;
    }
    const QByteArray body = data.mid(offset + 10, bodySize);
    qsizetype pos = 0;
    if (flags & 0x40 && version >= 3) { // an extended header, skipped
        if (body.size() < 4) {
            tag.error = QCoreApplication::translate("HlsSession", "ID3 extended header cut short");
            return tag;
        }
        const auto* p = reinterpret_cast<const uchar*>(body.constData());
        const qsizetype extended = version == 4 ? syncSafe(p) : bigEndian(p, 4) + 4;
        if (extended < 4 || extended > body.size()) {
            tag.error = QCoreApplication::translate("HlsSession", "ID3 extended header size false");
            return tag;
        }
        pos = extended;
    }
    const int idBytes = version == 2 ? 3 : 4;
    const int headBytes = version == 2 ? 6 : 10;
    while (pos + headBytes <= body.size()) {
        const auto* p = reinterpret_cast<const uchar*>(body.constData()) + pos;
        if (p[0] == 0)
            break; // padding
        const QByteArray id(reinterpret_cast<const char*>(p), idBytes);
        const qsizetype size = version == 2   ? bigEndian(p + 3, 3)
                               : version == 4 ? syncSafe(p + 4)
                                              : bigEndian(p + 4, 4);
        if (size > body.size() - pos - headBytes) {
            tag.error = QCoreApplication::translate("HlsSession", "ID3 frame %1 claims more than its tag holds")
                            .arg(QString::fromLatin1(id));
            return tag;
        }
        const int frameFlags = version == 2 ? 0 : int(bigEndian(p + 8, 2));
        // Compressed or encrypted frames are not read.
        const bool packed = version == 3 ? (frameFlags & 0x00c0) : version == 4 ? (frameFlags & 0x000c) : false;
        if (!packed)
            takeFrame(tag, id, body.mid(pos + headBytes, size));
        pos += headBytes + size;
    }
    tag.ok = true;
    return tag;
}
