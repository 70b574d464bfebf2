#include "recorder/overlapfinder.h"

#include <QByteArrayView>
#include <QHashFunctions>
#include <algorithm>
#include <cstring>

namespace {
// A new stream without any frames in this many bytes is not the audio
// recorded before: nothing in it can be matched.
constexpr qsizetype kNoFramesBytes = 16 * 1024;

size_t frameHash(const char* data, qsizetype size)
{
    return qHash(QByteArrayView(data, size));
}
} // namespace

std::vector<Mp3Frame> FindAudioFrames(const QByteArray& bytes, AudioFraming framing)
{
    if (framing == AudioFraming::Adts)
        return FindFrameRuns(bytes, aacframes::kHeaderBytes, AdtsFrameLength, aacframes::SameStream);
    return FindMp3Frames(bytes);
}

bool StreamMemory::KeepOnDisk(const QString& folder)
{
    if (m_disk)
        return true;
    auto disk = std::make_unique<KeptAudio>();
    // A folder that takes no file is said of the last minutes kept there.
    disk->notice = [](const QString&) {};
    QString problem;
    if (!disk->ToDisk(folder.isEmpty() ? KeptAudio::CacheFolder() : folder, &problem))
        return false;
    const QByteArray held = last(m_size);
    disk->Append(held.constData(), held.size());
    m_disk = std::move(disk);
    m_ring = QByteArray();
    m_start = 0;
    return true;
}

void StreamMemory::SetCapacity(qsizetype bytes)
{
    bytes = std::max<qsizetype>(bytes, 1);
    if (bytes == m_capacity)
        return;
    if (m_disk) {
        m_capacity = bytes;
        m_disk->DropFront(m_disk->Size() - std::min(m_disk->Size(), bytes + kSlackBytes));
        m_size = m_disk->Size();
        return;
    }
    const QByteArray kept = last(std::min(m_size, bytes + kSlackBytes));
    m_capacity = bytes;
    m_ring = QByteArray();
    m_start = 0;
    m_size = 0;
    const qint64 total = m_total;
    Append(kept.constData(), kept.size());
    m_total = total;
}

void StreamMemory::Append(const char* data, qsizetype size)
{
    if (size <= 0)
        return;
    m_total += size;
    const qsizetype ringSize = m_capacity + kSlackBytes;
    if (m_disk) {
        m_disk->Append(data, size);
        m_disk->DropFront(m_disk->Size() - std::min(m_disk->Size(), ringSize));
        m_size = m_disk->Size();
        return;
    }
    if (m_ring.size() != ringSize) {
        m_ring = QByteArray(ringSize, Qt::Uninitialized);
        m_start = 0;
        m_size = 0;
    }
    if (size >= ringSize) {
        memcpy(m_ring.data(), data + size - ringSize, static_cast<size_t>(ringSize));
        m_start = 0;
        m_size = ringSize;
        return;
    }
    // Written after the newest byte, wrapping at the ring's end; what it
    // overwrites was the oldest.
    qsizetype at = (m_start + m_size) % ringSize;
    const qsizetype first = std::min(size, ringSize - at);
    memcpy(m_ring.data() + at, data, static_cast<size_t>(first));
    memcpy(m_ring.data(), data + first, static_cast<size_t>(size - first));
    const qsizetype over = std::max<qsizetype>(0, m_size + size - ringSize);
    m_start = (m_start + over) % ringSize;
    m_size = std::min(ringSize, m_size + size);
}

void StreamMemory::DropTail(qsizetype n)
{
    n = std::clamp<qsizetype>(n, 0, m_size);
    m_size -= n;
    m_total -= n;
    if (m_disk)
        m_disk->DropBack(n);
}

void StreamMemory::Clear()
{
    if (m_disk)
        m_disk->Clear();
    m_start = 0;
    m_size = 0;
    m_total = 0;
}

QByteArray StreamMemory::Bytes() const
{
    return last(Size());
}

QByteArray StreamMemory::last(qsizetype n) const
{
    n = std::min(n, m_size);
    if (n <= 0)
        return QByteArray();
    if (m_disk) {
        QByteArray out;
        out.reserve(n);
        m_disk->CopyTo(out, m_size - n, n);
        return out;
    }
    const qsizetype ringSize = m_ring.size();
    const qsizetype from = (m_start + m_size - n) % ringSize;
    const qsizetype first = std::min(n, ringSize - from);
    QByteArray out(n, Qt::Uninitialized);
    memcpy(out.data(), m_ring.constData() + from, static_cast<size_t>(first));
    memcpy(out.data() + first, m_ring.constData(), static_cast<size_t>(n - first));
    return out;
}

OverlapFinder::OverlapFinder(const QByteArray& recorded, AudioFraming framing, qsizetype lostStart)
    : m_recorded(recorded), m_framing(framing), m_lostStart(lostStart)
{
    const std::vector<Mp3Frame> frames = FindAudioFrames(m_recorded, framing);
    for (const Mp3Frame& f : frames)
        m_frameAt.insert(frameHash(m_recorded.constData() + f.offset, f.size), f.offset);
    if (frames.empty())
        return;
    // The lost connection most often ended inside a frame: its first bytes
    // are matched as the start of a whole frame of the new stream.
    const qsizetype end = frames.back().offset + frames.back().size;
    const qsizetype headerBytes = framing == AudioFraming::Adts ? aacframes::kHeaderBytes : 4;
    if (m_recorded.size() - end >= headerBytes) {
        const auto* h = reinterpret_cast<const unsigned char*>(m_recorded.constData() + end);
        const qsizetype full = framing == AudioFraming::Adts ? AdtsFrameLength(h) : Mp3FrameLength(h);
        if (full > m_recorded.size() - end) {
            m_partialAt = end;
            m_partialFull = full;
        }
    }
}

bool OverlapFinder::consistent(const QByteArray& incoming, qsizetype at) const
{
    const qsizetype recordedSize = m_recorded.size();
    const qsizetype overlap = std::min(at, recordedSize);
    const qsizetype from = at - overlap; // in `incoming`; the recording's byte there is recordedSize - overlap
    const qsizetype compared = std::min(at, incoming.size()) - from;
    return compared <= 0 || std::memcmp(incoming.constData() + from, m_recorded.constData() + recordedSize - overlap,
                                        size_t(compared)) == 0;
}

Overlap OverlapFinder::Check(const QByteArray& incoming, bool final)
{
    if (m_frameAt.isEmpty())
        return {Overlap::Kind::None, 0}; // no frames recorded: nothing to match by
    const std::vector<Mp3Frame> frames = FindAudioFrames(incoming, m_framing);
    // The overlap begins in the new stream's first part: a burst reaches
    // back at most as far again as the memory does.
    const qsizetype limit = m_recorded.size();
    const qsizetype partialSize = m_recorded.size() - m_partialAt;
    if (m_partialAt >= 0 && !frames.empty() && m_lookedUp == 0) {
        // The new stream may begin inside the frame the lost one ended in:
        // its bytes before its first whole frame are that frame's end.
        const qsizetype missing = m_partialFull - frames.front().offset; // of that frame, before the new stream
        if (partialSize - missing > 0)
            m_candidates.insert(partialSize - missing);
    }
    for (const Mp3Frame& f : frames) {
        if (f.offset < m_lookedUp || f.offset >= limit)
            continue;
        m_lookedUp = f.offset + 1;
        const char* bytes = incoming.constData() + f.offset;
        const size_t hash = frameHash(bytes, f.size);
        for (auto it = m_frameAt.constFind(hash); it != m_frameAt.cend() && it.key() == hash; ++it) {
            const qsizetype at = it.value();
            if (std::memcmp(m_recorded.constData() + at, bytes, size_t(f.size)) == 0)
                m_candidates.insert(f.offset + m_recorded.size() - at);
        }
        if (m_partialAt >= 0 && f.size > partialSize &&
            std::memcmp(m_recorded.constData() + m_partialAt, bytes, size_t(partialSize)) == 0)
            m_candidates.insert(f.offset + partialSize);
    }
    // A candidate that puts the new stream's start where the lost one began
    // is a replay from the start.
    if (m_lostStart >= 0)
        m_candidates.erase(m_recorded.size() - m_lostStart);
    std::erase_if(m_candidates, [&](qsizetype at) { return !consistent(incoming, at); });
    if (!m_candidates.empty()) {
        // Decided once every place that still fits has come whole.
        if (!final && *m_candidates.rbegin() > incoming.size())
            return {Overlap::Kind::Pending, 0};
        if (m_candidates.size() > 1)
            return {Overlap::Kind::None, 0};
        return {Overlap::Kind::Found, std::min(*m_candidates.begin(), incoming.size())};
    }
    const bool searched = incoming.size() >= limit || (frames.empty() && incoming.size() >= kNoFramesBytes);
    return {final || searched ? Overlap::Kind::None : Overlap::Kind::Pending, 0};
}
