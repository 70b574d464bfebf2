// Clean cuts: with the user's option on, a title change does not switch
// files at the metadata block. The audio that follows is held until a window
// of it has arrived; then the cut goes into a pause within that window on
// either side (or, where the music runs on, to the frame boundary at the
// title change), and the bytes between the block and the cut move to the
// file they belong to. No byte is dropped or repeated.
#include "recorder/cleancut.h"
#include "recorder/songwriter.h"

#include <algorithm>
#include <utility>

namespace {
constexpr qint64 kLargestFrame = 1441;            // MPEG-1 layer III, 320 kbit/s, 32 kHz, padded
constexpr qsizetype kLeadSearchBytes = 16 * 1024; // searched for the first whole frame
} // namespace

bool SongWriter::cleanCutApplies() const
{
    return m_options.cleanCuts && m_extension == QLatin1String(".mp3") && !m_paused && m_file.IsOpen() &&
           !m_setup.startPaused();
}

void SongWriter::beginCleanCut(const QString& name)
{
    settleLead();
    const qint64 bytesPerSecond = qint64(m_bitRate > 0 ? m_bitRate : 128) * 1000 / 8;
    m_cutWindowBytes =
        std::max<qint64>(4 * kLargestFrame, bytesPerSecond * m_options.cutWindowMs / 1000 + 2 * kLargestFrame);
    m_cutName = name;
    m_cutAfter.clear();
    m_cutPending = true;
    // The display shows the new title at once; only the file waits.
    m_songName = name;
}

void SongWriter::holdForCut(const char* data, qsizetype size)
{
    m_cutAfter.append(data, size);
    if (m_cutAfter.size() >= m_cutWindowBytes)
        finishCleanCut();
}

void SongWriter::finishCleanCut()
{
    if (!m_cutPending)
        return;
    m_cutPending = false;
    const QString name = std::exchange(m_cutName, QString());
    const QByteArray after = std::exchange(m_cutAfter, QByteArray());
    flushAudio();
    const QByteArray tail = m_file.ReadTail(m_cutWindowBytes);
    const QByteArray region = tail + after;
    const qsizetype nominal = tail.size();
    const qsizetype cut = ChooseCleanCut(region, nominal, m_options.cutWindowMs);
    if (cut < nominal)
        m_file.DropTail(nominal - cut);
    else if (cut > nominal)
        m_file.Write(region.constData() + nominal, cut - nominal);
    m_audioWritten += cut - nominal;

    // Open compares with the name the file was started under.
    m_songName = m_fileSongName;
    Open(name, true);
    m_leadPending = false; // the new file starts at the cut, a frame boundary
    if (region.size() > cut) {
        if (m_file.IsOpen() && m_file.Write(region.constData() + cut, region.size() - cut))
            m_audioWritten += region.size() - cut;
        else if (!m_writeErrorShown && !m_skipping) {
            m_writeErrorShown = true;
            sayText(SongEvent::Kind::WriteFailed, m_file.lastError());
        }
    }
}

namespace {
// Where the first whole frame of `bytes` begins: -1 while too few bytes have
// come to tell, 0 when there are none (the bytes are kept as they are).
qsizetype leadingFrameStart(const QByteArray& bytes, qsizetype enough)
{
    const std::vector<Mp3Frame> frames = FindMp3Frames(bytes);
    if (frames.size() < 3 && bytes.size() < enough)
        return -1;
    return frames.empty() ? 0 : frames.front().offset;
}
} // namespace

// A stream begins wherever the server's buffer was, mostly inside a frame.
// With clean cuts on, a file that a stream begins to fill starts with the
// stream's first whole frame, as it ends with its last.
void SongWriter::beginLeadingFrame()
{
    m_leadBuffer.clear();
    m_leadPending = m_options.cleanCuts && m_extension == QLatin1String(".mp3");
}

void SongWriter::leadAudio(const char* data, qsizetype size)
{
    m_leadBuffer.append(data, size);
    const qsizetype start = leadingFrameStart(m_leadBuffer, kLeadSearchBytes);
    if (start >= 0)
        writeLead(start);
}

void SongWriter::writeLead(qsizetype from)
{
    m_leadPending = false;
    writeHeld(std::exchange(m_leadBuffer, QByteArray()), from);
}

// Audio held back while a frame boundary was sought, from `from` on.
void SongWriter::writeHeld(const QByteArray& held, qsizetype from)
{
    if (held.size() > from) {
        recordAudio(held.constData() + from, held.size() - from);
        flushAudio(); // the queued audio points into `held`
    }
}

// The file changes or the stream ends before the first frame was sure: it
// starts at the first frame found in what came.
void SongWriter::settleLead()
{
    if (m_leadPending)
        writeLead(leadingFrameStart(m_leadBuffer, 0));
}

// A connection that ends leaves the last frame it sent unfinished. With
// clean cuts on, that piece (which no player can decode) does not stay at
// the end of the song.
qint64 SongWriter::dropPartialFrame()
{
    if (!m_options.cleanCuts || m_extension != QLatin1String(".mp3") || !m_file.IsOpen())
        return 0;
    flushAudio();
    const QByteArray tail = m_file.ReadTail(4 * kLargestFrame);
    const std::vector<Mp3Frame> frames = FindMp3Frames(tail);
    if (frames.empty())
        return 0;
    const qsizetype partial = tail.size() - (frames.back().offset + frames.back().size);
    if (partial <= 0 || !m_file.DropTail(partial))
        return 0;
    m_audioWritten -= partial;
    m_memory.DropTail(partial);
    return partial;
}
