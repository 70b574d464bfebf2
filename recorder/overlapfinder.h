#pragma once

#include "listen/aacframes.h"
#include "recorder/cleancut.h"
#include "recorder/keptaudio.h"

#include <QByteArray>
#include <QMultiHash>
#include <memory>
#include <set>
#include <vector>

// Where a reconnected stream meets what was already recorded. A server
// often answers a new connection with a burst of audio it sent a moment
// ago; the frames of that burst are found among the last frames written, by
// their hashes, and the recording goes on after them. Pure: no files, no
// sockets.

enum class AudioFraming { Mp3, Adts };

// The length of the AAC ADTS frame whose header starts at `h`; 0 when those
// bytes are no such header.
inline qsizetype AdtsFrameLength(const unsigned char* h, int* samples = nullptr, int* sampleRate = nullptr)
{
    return aacframes::FrameLength(h, samples, sampleRate);
}

// The frames in `bytes` as FindMp3Frames finds them, for either framing.
std::vector<Mp3Frame> FindAudioFrames(const QByteArray& bytes, AudioFraming framing);

// The last bytes of audio that went into the recording, oldest first: a
// ring of its capacity (and a little more, so that the tail a cut takes
// back leaves the capacity whole), allocated once; a program that records
// many stations holds each one's memory once, not the slack of a growing
// array.
class StreamMemory {
public:
    // The bytes go to a file with no name in `folder` (the user's cache
    // folder when ""), only a few kilobytes of them staying in memory. False
    // when no file can be made there: they stay in memory. Should the file
    // fail later, they go on in memory.
    bool KeepOnDisk(const QString& folder = QString());
    bool KeptOnDisk() const { return m_disk && m_disk->OnDisk(); }
    // How many bytes Bytes() holds at most; what is held stays (its last
    // bytes, as many as fit).
    void SetCapacity(qsizetype bytes);
    qsizetype Capacity() const { return m_capacity; }
    void Append(const char* data, qsizetype size);
    // The last `n` bytes left the recording again.
    void DropTail(qsizetype n);
    void Clear();
    // The last Capacity() bytes at most.
    QByteArray Bytes() const;
    qsizetype Size() const { return std::min(m_size, m_capacity); }
    // Bytes recorded since Clear (less those dropped): a position in the recording.
    qint64 Total() const { return m_total; }

    // Beyond the capacity: what DropTail may take back without shortening it.
    static constexpr qsizetype kSlackBytes = 8 * 1024;

private:
    // The last `n` bytes held, copied out oldest first.
    QByteArray last(qsizetype n) const;

    // On disk: the bytes held, instead of the ring.
    std::unique_ptr<KeptAudio> m_disk;
    QByteArray m_ring; // allocated at the first Append, of the capacity and the slack
    qsizetype m_start = 0; // the oldest byte held
    qsizetype m_size = 0;  // bytes held, up to the ring's size
    qsizetype m_capacity = 400 * 1024;
    qint64 m_total = 0;
};

struct Overlap {
    enum class Kind {
        Pending, // the new stream's audio so far does not decide it
        Found,   // its first `resumeAt` bytes are recorded already
        None,    // it does not continue what was recorded: a gap
    };
    Kind kind = Kind::Pending;
    qsizetype resumeAt = 0;
};

class OverlapFinder {
public:
    // `recorded`: the last audio written, ending where the lost connection
    // ended (perhaps inside a frame). `lostStart`: where in `recorded` the
    // lost connection's audio began (-1: before it). A new stream that
    // begins there again is the server's programme sent from its start once
    // more (a file, not a broadcast), not a burst: it is no overlap.
    OverlapFinder(const QByteArray& recorded, AudioFraming framing, qsizetype lostStart = -1);

    // `incoming`: the new stream's audio from its first byte; it only grows
    // from call to call. With `final` no more comes and the answer is never
    // Pending. The overlap is the recorded end, byte for byte: the incoming
    // bytes before `resumeAt` equal the recording's last bytes (all of them,
    // when the new stream reaches back further than the memory). When more
    // than one place fits (frames alike, such as long silence) nothing is
    // sure, and it is no overlap: audio is rather recorded twice than lost.
    Overlap Check(const QByteArray& incoming, bool final);

private:
    // False when the incoming bytes so far contradict resuming at `at`.
    bool consistent(const QByteArray& incoming, qsizetype at) const;

    QByteArray m_recorded;
    AudioFraming m_framing;
    qsizetype m_lostStart;
    QMultiHash<size_t, qsizetype> m_frameAt; // hash of a recorded frame's bytes -> its offset
    qsizetype m_partialAt = -1;              // a frame cut short at the recorded end; -1: none
    qsizetype m_partialFull = 0;             // that frame's whole length
    qsizetype m_lookedUp = 0;                // incoming frames before this offset were looked up
    std::set<qsizetype> m_candidates;        // resume points not contradicted yet
};
