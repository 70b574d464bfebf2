#include "recorder/lastminutes.h"

#include "platform/filenames.h"
#include "recorder/cleancut.h"
#include "recorder/overlapfinder.h"
#include "recorder/recordingfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QtEndian>

namespace {

constexpr qsizetype kOggHeaderBytes = 27;
// A unit this large is damage, not audio.
constexpr qsizetype kMaxOggPage = kOggHeaderBytes + 255 + 255 * 255;
// Compacting the kept bytes costs a copy: done once this much lies before them.

qint64 oggRate(const QByteArray& packet)
{
    const auto* p = reinterpret_cast<const unsigned char*>(packet.constData());
    if (packet.startsWith("OpusHead"))
        return 48000;
    if (packet.size() >= 16 && packet.startsWith("\x01vorbis"))
        return qFromLittleEndian<quint32>(p + 12);
    // FLAC in Ogg: 0x7F "FLAC", version, header count, "fLaC", a block header, STREAMINFO.
    if (packet.size() >= 30 && packet.startsWith("\x7f"
                                                 "FLAC"))
        return (qint64(p[27]) << 12) | (qint64(p[28]) << 4) | (p[29] >> 4);
    return 0;
}

} // namespace

LastMinutes::Framing LastMinutes::FramingOf(const QByteArray& contentType, bool ogg)
{
    if (ogg)
        return Framing::Ogg;
    if (contentType.contains("aac"))
        return Framing::Adts;
    return Framing::Mp3;
}

void LastMinutes::BeginStream(Framing framing)
{
    Finish(); // the last connection's last frame, when it came whole
    m_framing = framing;
}

void LastMinutes::Append(const char* data, qsizetype size)
{
    m_pending.append(data, size);
    parse(false);
}

void LastMinutes::Finish()
{
    parse(true);
    m_pending.clear();
}

namespace {

// The length of the frame whose header `h` holds `have` bytes of: 0 when
// too few, -1 when it is no frame.
qsizetype frameLength(LastMinutes::Framing framing, const unsigned char* h, qsizetype have, qint64* us)
{
    const qsizetype headerBytes = framing == LastMinutes::Framing::Adts ? 7 : 4;
    if (have < headerBytes)
        return 0;
    int samples = 0;
    int rate = 0;
    const qsizetype length = framing == LastMinutes::Framing::Adts ? AdtsFrameLength(h, &samples, &rate)
                                                                    : Mp3FrameLength(h, &samples, &rate);
    if (length <= 0 || rate <= 0)
        return -1;
    *us = qint64(samples) * 1000000 / rate;
    return length;
}

} // namespace

qsizetype LastMinutes::frameAt(qsizetype pos, qint64* us) const
{
    return frameLength(m_framing, reinterpret_cast<const unsigned char*>(m_pending.constData()) + pos,
                       m_pending.size() - pos, us);
}

qsizetype LastMinutes::oldestFrame(qint64* us) const
{
    QByteArray head;
    m_data.CopyTo(head, 0, 8);
    return frameLength(m_keptFraming, reinterpret_cast<const unsigned char*>(head.constData()), head.size(), us);
}

qsizetype LastMinutes::oggPageAt(qsizetype pos, bool final) const
{
    const qsizetype left = m_pending.size() - pos;
    if (left < 4)
        return 0;
    if (!QByteArrayView(m_pending).sliced(pos, 4).startsWith("OggS"))
        return -1;
    if (left < kOggHeaderBytes)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(m_pending.constData()) + pos;
    const int segments = p[26];
    if (left < kOggHeaderBytes + segments)
        return 0;
    qsizetype length = kOggHeaderBytes + segments;
    for (int i = 0; i < segments; ++i)
        length += p[kOggHeaderBytes + i];
    Q_UNUSED(final);
    return length <= kMaxOggPage ? (left >= length ? length : 0) : -1;
}

void LastMinutes::parse(bool final)
{
    qsizetype pos = 0;
    const qsizetype size = m_pending.size();
    while (pos < size) {
        if (m_framing == Framing::Ogg) {
            const qsizetype length = oggPageAt(pos, final);
            if (length == 0)
                break;
            if (length < 0) {
                ++pos; // not a page: looked for further on
                continue;
            }
            keepOggPage(m_pending.constData() + pos, length);
            pos += length;
            continue;
        }
        qint64 us = 0;
        const qsizetype length = frameAt(pos, &us);
        if (length == 0)
            break;
        if (length < 0 || pos + length > size) {
            if (length < 0) {
                ++pos;
                continue;
            }
            break; // the rest of the frame has not come yet
        }
        // A frame counts when the next one follows it; the very last one
        // when the stream ended right after it.
        qint64 nextUs = 0;
        const qsizetype next = frameAt(pos + length, &nextUs);
        if (next == 0 && !(final && pos + length == size))
            break;
        if (next < 0 && pos + length < size) {
            ++pos; // a header by chance inside something else
            continue;
        }
        keep(m_pending.constData() + pos, length, us);
        pos += length;
    }
    // What waits is at most a frame or a page: it is kept in a buffer of
    // its own size, not in the one the last chunk came in.
    m_pending = m_pending.sliced(pos);
}

void LastMinutes::keepOggPage(const char* page, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(page);
    const bool bos = p[5] & 0x02;
    const qint64 granule = qFromLittleEndian<qint64>(p + 6);
    const quint32 serial = qFromLittleEndian<quint32>(p + 14);
    if (bos) {
        OggStream fresh;
        const int segments = p[26];
        fresh.rate = oggRate(QByteArray(page + kOggHeaderBytes + segments, size - kOggHeaderBytes - segments));
        m_ogg.insert(serial, fresh);
    }
    auto it = m_ogg.find(serial);
    if (it == m_ogg.end())
        it = m_ogg.insert(serial, OggStream{}); // a stream whose start was not seen
    if (it->inHeaders && (bos || granule == 0)) {
        it->headers.append(page, size);
        it->granule = 0;
        return;
    }
    it->inHeaders = false;
    qint64 us = 0;
    if (granule >= 0) {
        if (it->granule >= 0 && granule > it->granule && it->rate > 0)
            us = (granule - it->granule) * 1000000 / it->rate;
        it->granule = granule;
    }
    keep(page, size, us, serial);
}

void LastMinutes::keep(const char* data, qsizetype size, qint64 us, quint32 serial)
{
    if (KeptUnits() == 0) {
        m_keptFraming = m_framing;
    } else if (m_keptFraming != m_framing) {
        // Another kind of audio cannot go on in the same file: it starts again.
        forgetKept();
        m_data.Clear();
        m_keptFraming = m_framing;
    }
    if (!m_data.Append(data, size))
        forgetKept(); // its file failed: only this unit is left
    if (m_keptFraming == Framing::Ogg)
        m_units.push_back({size, us, serial});
    else
        ++m_frames;
    m_totalUs += us;
    dropOld();
    if (unitKept)
        unitKept(QByteArrayView(data, size), serial);
}

void LastMinutes::forgetKept()
{
    m_droppedBytes += m_data.Size();
    m_units.clear();
    m_frames = 0;
    m_totalUs = 0;
}

bool LastMinutes::KeepOnDisk(const QString& folder)
{
    const QString in = folder.isEmpty() ? KeptAudio::CacheFolder() : folder;
    QString problem;
    if (m_data.ToDisk(in, &problem))
        return true;
    m_data.Say(QCoreApplication::translate("LastMinutes", "The last minutes are kept in memory: %1").arg(problem));
    return false;
}

void LastMinutes::MarkTitle(const QString& title)
{
    // Whole frames still waiting for the next one to show them whole came
    // before the title: they are the last song's, and kept now.
    if (m_framing != Framing::Ogg)
        parse(true);
    m_mark = m_droppedBytes + m_data.Size();
    m_markTitle = title;
}

bool LastMinutes::TitleKept() const
{
    return m_mark >= 0 && m_mark >= m_droppedBytes && m_mark <= m_droppedBytes + m_data.Size();
}

QByteArray LastMinutes::BytesSinceTitle() const
{
    const qsizetype from = qsizetype(m_mark - m_droppedBytes);
    if (!TitleKept() || from == m_data.Size())
        return {};
    QByteArray out;
    if (m_keptFraming != Framing::Ogg) {
        m_data.CopyTo(out, from, m_data.Size() - from);
        return out;
    }
    // The title began on a page's edge: its pages follow with their headers.
    qsizetype at = 0;
    bool first = true;
    quint32 serial = 0;
    for (const Page& page : m_units) {
        if (at >= from) {
            if (first || page.serial != serial)
                out.append(HeadersOf(page.serial));
            first = false;
            serial = page.serial;
            m_data.CopyTo(out, at, page.size);
        }
        at += page.size;
    }
    return out;
}

void LastMinutes::dropOld()
{
    if (m_keptFraming != Framing::Ogg) {
        qint64 us = 0;
        qsizetype length = 0;
        while (m_frames > 1 && (length = oldestFrame(&us)) > 0 && m_totalUs - us >= m_keepUs) {
            m_data.DropFront(length);
            m_droppedBytes += length;
            m_totalUs -= us;
            --m_frames;
        }
        return;
    }
    while (m_units.size() > 1 && m_totalUs - m_units.front().us >= m_keepUs) {
        m_data.DropFront(m_units.front().size);
        m_droppedBytes += m_units.front().size;
        m_totalUs -= m_units.front().us;
        m_units.pop_front();
    }
    if (m_ogg.size() > 1) {
        // Header pages of streams nothing kept belongs to any more go.
        QSet<quint32> used;
        for (const Page& u : m_units)
            used.insert(u.serial);
        for (auto it = m_ogg.begin(); it != m_ogg.end();)
            it = used.contains(it.key()) || it->inHeaders ? std::next(it) : m_ogg.erase(it);
    }
}

QByteArray LastMinutes::Bytes() const
{
    if (m_keptFraming != Framing::Ogg) {
        // The newest frame waits for the next one to be known whole; the
        // stream may have ended after it.
        qint64 us = 0;
        const bool whole = m_framing == m_keptFraming && frameAt(0, &us) == m_pending.size();
        QByteArray out;
        out.reserve(KeptBytes() + m_pending.size());
        m_data.CopyTo(out, 0, KeptBytes());
        return whole ? out + m_pending : out;
    }
    QByteArray out;
    out.reserve(KeptBytes() + 64 * 1024);
    qsizetype at = 0;
    bool first = true;
    quint32 serial = 0;
    for (const Page& u : m_units) {
        if (first || u.serial != serial)
            out.append(m_ogg.value(u.serial).headers);
        first = false;
        serial = u.serial;
        m_data.CopyTo(out, at, u.size);
        at += u.size;
    }
    return out;
}

QString LastMinutes::Extension() const
{
    switch (m_keptFraming) {
    case Framing::Adts:
        return QStringLiteral(".aac");
    case Framing::Ogg:
        return QStringLiteral(".ogg");
    case Framing::Mp3:
        break;
    }
    return QStringLiteral(".mp3");
}

QString LastMinutes::FileName(const QString& station, const QDateTime& when, int minutes) const
{
    const QString last = QStringLiteral("last %1 minutes").arg(minutes);
    return CleanFileName(station) + QStringLiteral(" - ") + when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")) +
           QStringLiteral(" - ") + last + Extension();
}

QString LastMinutes::Save(const QString& folder, const QString& station, const QDateTime& when, int minutes,
                          QString* problem) const
{
    if (KeptUnits() == 0) {
        *problem = QCoreApplication::translate("LastMinutes", "nothing of %1 has been heard yet").arg(station);
        return QString();
    }
    const QString path = FullRecordingPath(folder, FileName(station, when, minutes));
    const QByteArray bytes = Bytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *problem = QCoreApplication::translate("LastMinutes", "%1 cannot be written: %2").arg(path, file.errorString());
        return QString();
    }
    return path;
}
