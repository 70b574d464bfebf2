// Joins. After a reconnect a server often sends again, as a burst, audio
// the recording holds already. The new stream's audio waits until it is
// known where it meets the recording: what it repeats is left out, so each
// frame of the broadcast is recorded once; a stream that does not continue
// the recording is a gap, and the status says about how long it was. A
// title the new stream brings is put where its audio begins.
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

#include <algorithm>
#include <utility>

namespace {
// A burst comes in a connection's first seconds.
constexpr qint64 kArrivalWindowMs = 10000;
// Searched for the new stream's first whole frame when it joins after a gap.
constexpr qsizetype kFirstFrameSearchBytes = 16 * 1024;
// A join waits for the new connection's first metadata block only when
// blocks come at least this often.
constexpr qint64 kMaxFirstBlockWaitBytes = 256 * 1024;
} // namespace

qint64 frmMP3::bytesPerSecond() const
{
    return qint64(lngBitRate > 0 ? lngBitRate : 128) * 1000 / 8;
}

AudioFraming frmMP3::framing() const
{
    return m_extension == QLatin1String(".aac") ? AudioFraming::Adts : AudioFraming::Mp3;
}

// How far the connection's audio runs ahead of the clock: the burst it
// began with, which it stays behind the broadcast by.
void frmMP3::noteArrival(qsizetype size)
{
    if (m_arrival.bytes == 0)
        m_arrival.firstTick = LastDataTick;
    m_arrival.bytes += size;
    const qint64 elapsed = TickDifference(LastDataTick, m_arrival.firstTick);
    if (elapsed <= kArrivalWindowMs)
        m_arrival.aheadMs = std::max(m_arrival.aheadMs, m_arrival.bytes * 1000 / bytesPerSecond() - elapsed);
}

void frmMP3::beginJoin()
{
    settleJoin(); // a join still undecided when its connection was lost
    finishCleanCut();
    settleLead(); // the lost connection's audio still waiting for its first frame
    m_lostArrival = m_arrival;
    m_lostTick = m_streamTick;
    m_joinBuffer.clear();
    m_joinTitles.clear();
    // Where the lost connection began, in what the memory holds.
    const qint64 lostStart = m_connectionStart - (m_memory.Total() - m_memory.Size());
    m_connectionStart = m_memory.Total();
    if (blnPaused || m_memory.Size() == 0) {
        beginLeadingFrame(); // nothing to join to: the file starts with a whole frame
        return;
    }
    m_overlap = std::make_unique<OverlapFinder>(m_memory.Bytes(), framing(),
                                                lostStart >= 0 && lostStart <= m_memory.Size() ? lostStart : -1);
    m_joinPending = true;
}

void frmMP3::joinAudio(const char* data, qsizetype size)
{
    m_joinBuffer.append(data, size);
    tryJoin(false);
}

void frmMP3::tryJoin(bool final)
{
    // A stream with titles names the one playing in the connection's first
    // metadata block, and that title may have begun before it: the join
    // waits for that block (one block's interval of audio at most).
    const bool beforeFirstBlock =
        m_demux.MetadataMode() && m_demux.MetadataBytes() == 0 && m_demux.MetaInterval() <= kMaxFirstBlockWaitBytes;
    if (!final && beforeFirstBlock)
        return;
    const Overlap overlap = m_overlap->Check(m_joinBuffer, final);
    if (overlap.kind != Overlap::Kind::Pending)
        finishJoin(overlap);
}

// Whatever the recording does next (a new file, the end), the join is
// decided first with the audio that came.
void frmMP3::settleJoin()
{
    if (m_joinPending)
        tryJoin(true);
}

void frmMP3::finishJoin(const Overlap& overlap)
{
    m_joinPending = false;
    m_overlap.reset();
    const QByteArray audio = std::exchange(m_joinBuffer, QByteArray());
    const bool found = overlap.kind == Overlap::Kind::Found;
    qsizetype from = found ? overlap.resumeAt : 0;
    QString status;
    if (found) {
        status = tr("Reconnected: joined where the recording left off (%1 s already recorded left out)")
                     .arg(double(from) / double(bytesPerSecond()), 0, 'f', 1);
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
            status = gapStatus(dropped);
    }
    if (!status.isEmpty())
        sayJoinStatus(status);

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
QString frmMP3::joinTitleChange(qsizetype from, bool found, qsizetype* at) const
{
    const QString& current = strSongName;
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

void frmMP3::replayJoin(const QByteArray& audio, qsizetype from, const QString& firstTitle)
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

QString frmMP3::gapStatus(qint64 droppedBytes) const
{
    // The broadcast ran on from the lost connection's last audio to the new
    // one's first; each connection stayed behind it by the burst it began with.
    const qint32 newFirst = m_arrival.bytes > 0 ? m_arrival.firstTick : LastDataTick;
    const qint64 missedMs = TickDifference(newFirst, m_lostTick) + m_lostArrival.aheadMs - m_arrival.aheadMs;
    const QString joined =
        droppedBytes > 0 ? tr("joined on a frame boundary (%1 bytes dropped); ").arg(droppedBytes) : QString();
    const QString missed = missedMs >= 500 ? tr("about %1 s of the broadcast were missed").arg((missedMs + 500) / 1000)
                                           : tr("less than a second of the broadcast was missed");
    return tr("Reconnected: %1%2").arg(joined, missed);
}
