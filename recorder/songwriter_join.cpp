// Joins. After a reconnect a server often sends again, as a burst, audio
// the recording holds already. The new stream's audio waits until it is
// known where it meets the recording: what it repeats is left out, so each
// frame of the broadcast is recorded once; a stream that does not continue
// the recording is a gap, and the status says about how long it was. A
// title the new stream brings is put where its audio begins.
#include "platform/tickcount.h"
#include "recorder/songwriter.h"

#include <algorithm>
#include <utility>

namespace {
// A burst comes in a connection's first seconds.
constexpr qint64 kArrivalWindowMs = 10000;
// Searched for the new stream's first whole frame when it joins after a gap.
constexpr qsizetype kFirstFrameSearchBytes = 16 * 1024;
} // namespace

qint64 SongWriter::bytesPerSecond() const
{
    return qint64(m_bitRate > 0 ? m_bitRate : 128) * 1000 / 8;
}

AudioFraming SongWriter::framing() const
{
    return m_extension == QLatin1String(".aac") ? AudioFraming::Adts : AudioFraming::Mp3;
}

// How far the connection's audio runs ahead of the clock: the burst it
// began with, which it stays behind the broadcast by.
void SongWriter::noteArrival(qsizetype size, qint32 tick)
{
    m_lastTick = tick;
    if (m_arrival.bytes == 0)
        m_arrival.firstTick = tick;
    m_arrival.bytes += size;
    const qint64 elapsed = TickDifference(tick, m_arrival.firstTick);
    if (elapsed <= kArrivalWindowMs)
        m_arrival.aheadMs = std::max(m_arrival.aheadMs, m_arrival.bytes * 1000 / bytesPerSecond() - elapsed);
}

void SongWriter::beginJoin(qint32 lostTick)
{
    settleJoin(); // a join still undecided when its connection was lost
    finishCleanCut();
    settleLead(); // the lost connection's audio still waiting for its first frame
    m_lostArrival = m_arrival;
    m_lostTick = lostTick;
    m_joinBuffer.clear();
    m_joinTitles.clear();
    // Where the lost connection began, in what the memory holds.
    const qint64 lostStart = m_connectionStart - (m_memory.Total() - m_memory.Size());
    m_connectionStart = m_memory.Total();
    if (m_paused || m_memory.Size() == 0) {
        beginLeadingFrame(); // nothing to join to: the file starts with a whole frame
        return;
    }
    m_overlap = std::make_unique<OverlapFinder>(m_memory.Bytes(), framing(),
                                                lostStart >= 0 && lostStart <= m_memory.Size() ? lostStart : -1);
    m_joinPending = true;
}

void SongWriter::joinAudio(const char* data, qsizetype size)
{
    m_joinBuffer.append(data, size);
    tryJoin(false);
}

void SongWriter::tryJoin(bool final)
{
    // A stream with titles names the one playing in the connection's first
    // metadata block, and that title may have begun before it: the join
    // waits for that block (one block's interval of audio at most).
    if (!final && m_setup.awaitingFirstBlock())
        return;
    const Overlap overlap = m_overlap->Check(m_joinBuffer, final);
    if (overlap.kind != Overlap::Kind::Pending)
        finishJoin(overlap);
}

// Whatever the recording does next (a new file, the end), the join is
// decided first with the audio that came.
void SongWriter::settleJoin()
{
    if (m_joinPending)
        tryJoin(true);
}

void SongWriter::finishJoin(const Overlap& overlap)
{
    m_joinPending = false;
    m_overlap.reset();
    const QByteArray audio = std::exchange(m_joinBuffer, QByteArray());
    const bool found = overlap.kind == Overlap::Kind::Found;
    qsizetype from = found ? overlap.resumeAt : 0;
    std::optional<SongEvent> status;
    if (found) {
        status = SongEvent{SongEvent::Kind::Joined};
        status->seconds = double(from) / double(bytesPerSecond());
    } else {
        qint64 dropped = 0;
        if (cleanCutApplies()) {
            // On frame boundaries: the frame the lost connection cut short
            // goes, and the new stream starts with its first whole frame.
            dropped = dropPartialFrame();
            const std::vector<Mp3Frame> frames = FindMp3Frames(audio.left(kFirstFrameSearchBytes));
            from = frames.empty() ? 0 : frames.front().offset;
            dropped += from;
        }
        if (!audio.isEmpty())
            status = gapEvent(dropped);
    }
    if (status)
        sayJoinStatus(*status);

    qsizetype at = -1;
    const QString title = joinTitleChange(from, found, &at);
    if (!title.isEmpty() && at < from) {
        // The new title began inside the overlap: the recording's end from
        // there is the new song's beginning.
        flushAudio();
        const qint64 back = std::min<qint64>({from - at, m_file.BytesWritten(), m_memory.Size()});
        if (back > 0 && m_file.DropTail(back)) {
            m_memory.DropTail(back);
            m_audioWritten -= back;
            from -= back;
        }
    }
    m_connectionStart = m_memory.Total() - from;
    replayJoin(audio, from, title);
}

// The title that plays from the join on, when it is another than the
// recording's; `at` is where in the new stream it begins.
QString SongWriter::joinTitleChange(qsizetype from, bool found, qsizetype* at) const
{
    const QString& current = m_songName;
    if (found) {
        // Titles inside the overlap: the last one counts, unless the
        // recording had it before (the burst reaches back before the title
        // change the lost connection brought).
        int last = -1;
        for (int i = 0; i < int(m_joinTitles.size()) && m_joinTitles[size_t(i)].at <= from; ++i)
            last = i;
        if (last >= 0) {
            const QString& name = m_joinTitles[size_t(last)].name;
            const bool before = std::any_of(m_recentTitles.begin(), m_recentTitles.end(),
                                            [&](const RecordedTitle& t) { return t.name == name; });
            if (name == current || before)
                return {};
            int first = last;
            while (first > 0 && m_joinTitles[size_t(first - 1)].name == name)
                --first;
            *at = m_joinTitles[size_t(first)].at;
            return name;
        }
    }
    // The stream's first block names another song: it began while the
    // connection was away, so where the new stream's audio joins, not at the
    // block that named it. A title named by any later block is an ordinary
    // change at that block; the audio before it ends the song in progress.
    if (m_joinTitles.empty() || !m_joinTitles.front().firstBlock || m_joinTitles.front().name == current)
        return {};
    *at = from;
    return m_joinTitles.front().name;
}

void SongWriter::replayJoin(const QByteArray& audio, qsizetype from, const QString& firstTitle)
{
    const std::vector<JoinTitle> titles = std::exchange(m_joinTitles, {});
    if (!firstTitle.isEmpty())
        switchTitle(firstTitle);
    qsizetype pos = from;
    for (const JoinTitle& t : titles) {
        if (t.at < pos)
            continue; // recorded with the overlap already
        recordAudio(audio.constData() + pos, t.at - pos);
        pos = t.at;
        switchTitle(t.name);
    }
    recordAudio(audio.constData() + pos, audio.size() - pos);
    flushAudio(); // the queued audio points into `audio`
}

SongEvent SongWriter::gapEvent(qint64 droppedBytes) const
{
    // The broadcast ran on from the lost connection's last audio to the new
    // one's first; each connection stayed behind it by the burst it began with.
    const qint32 newFirst = m_arrival.bytes > 0 ? m_arrival.firstTick : m_lastTick;
    SongEvent gap{SongEvent::Kind::Gap};
    gap.count = droppedBytes;
    gap.missedMs = TickDifference(newFirst, m_lostTick) + m_lostArrival.aheadMs - m_arrival.aheadMs;
    return gap;
}

// What a reconnect found is said once its connection brings the stream back.
void SongWriter::sayJoinStatus(const SongEvent& status)
{
    if (ConnectionRan())
        say(status);
    else
        m_joinStatus = status;
}
