// From a stream's audio and titles to recording files: the recording's
// course, the titles and where the audio goes.
#include "recorder/songwriter.h"

#include "platform/sleeper.h"
#include "platform/text.h"
#include "platform/tickcount.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <utility>

SongWriter::SongWriter(SongWriterSetup setup) : m_setup(std::move(setup))
{
    if (!m_setup.now)
        m_setup.now = [] { return QDateTime::currentDateTime(); };
    if (!m_setup.awaitingFirstBlock)
        m_setup.awaitingFirstBlock = [] { return false; };
    if (!m_setup.startPaused)
        m_setup.startPaused = [] { return false; };
    m_rulesCompiler = std::make_unique<SongRulesCompiler>(m_setup.compileRules);
    if (m_setup.joinMemoryOnDisk)
        m_memory.KeepOnDisk();
}

SongWriter::~SongWriter()
{
    m_file.Close();
}

void SongWriter::say(const SongEvent& event)
{
    if (m_setup.onEvent)
        m_setup.onEvent(event);
}

void SongWriter::sayText(SongEvent::Kind kind, const QString& text)
{
    SongEvent e;
    e.kind = kind;
    e.text = text;
    say(e);
}

void SongWriter::Start(const RecordingOptions& options, const QString& rulesFolder)
{
    m_recording = true;
    m_songName.clear();
    m_writeErrorShown = false;
    m_continueName.clear();
    m_options = options;
    m_songs.Start(m_options);
    // The lists are compiled off this thread when they changed: the
    // recording starts now, and its titles wait for them.
    ReleaseHeld();
    m_rulesFolder = rulesFolder;
    m_rulesWanted = true;
    if (auto rules = m_rulesCompiler->Rules(m_rulesFolder, m_options.wishOnly))
        useSongRules(std::move(rules));
}

void SongWriter::Stop()
{
    m_recording = false;
    m_rulesWanted = false; // rules compiled from now on wait for the next recording
    // A repeat left by a failover that found no server to go on.
    settlePendingRepeat();
    m_skipping = false;
    m_continueName.clear();
    m_bitRate = 0;
    m_paused = false;
    m_pausedOnTitle = false;
    m_pausedFileName.clear();
    m_songName.clear();
}

void SongWriter::Reset()
{
    m_file.Close();
    m_paused = false;
    m_pausedFileName.clear();
    m_bitRate = 0;
    m_pendingFile.clear();
    m_titled = false;
}

void SongWriter::Close()
{
    ReleaseHeld();
    finishCleanCut();
    settleJoin();
    dropPartialFrame();
    m_ogg.Finish();
    closeFile(m_titled);
}

void SongWriter::ContinueOnNextServer()
{
    settleJoin();
    finishCleanCut();
    m_continueName = m_file.IsOpen() ? m_fileSongName : QString();
}

void SongWriter::Pause()
{
    finishCleanCut();
    m_paused = true;
    m_pausedFileName = m_songName;
}

void SongWriter::Resume()
{
    m_paused = false;
    // The name the recording goes on with may be a file recorded before (a
    // title heard again): it is treated as a repeat, never started over.
    const bool title = std::exchange(m_pausedOnTitle, false);
    m_resuming = true;
    if (!m_pendingFile.isEmpty()) {
        const QString pending = m_pendingFile;
        Open(pending, title);
        m_pendingFile.clear();
    } else if (!m_pausedFileName.isEmpty() && m_pausedFileName != m_songName) {
        Open(m_songName, title);
    }
    m_resuming = false;
    m_pausedFileName.clear();
}

bool SongWriter::ConnectionBegins(bool reconnect)
{
    m_reconnect = reconnect;
    // A failover's next server continues the file as well.
    m_streamContinues = reconnect || !m_continueName.isEmpty();
    m_titled = mode() == Mode::PerSong;
    if (!m_titled && !reconnect && m_setup.streamFile) {
        const QString name = m_setup.streamFile();
        if (mode() == Mode::SingleFile)
            Open(name, false);
        else
            Open(name + QLatin1Char('-') + DateStampMMDDYYYY(now().date()) + QStringLiteral(".mp3"), false);
    }
    return m_titled;
}

bool SongWriter::BeginStream(const StreamHead& header, qint32 lostTick)
{
    bool titled = m_titled;
    const QByteArray& bodyStart = header.bodyStart;
    const QString extension = StreamExtension(header.contentType, bodyStart);
    if (!m_reconnect) {
        m_extension = extension;
        // An archive file made before the stream's type was known, still
        // empty, takes the type's extension; so does a single file of Ogg.
        const bool ogg = IsOggStream(header.contentType, bodyStart);
        if (!titled && (mode() == Mode::DatedArchive || ogg) && m_file.IsOpen() && m_file.BytesWritten() == 0 &&
            m_file.QueuedBytes() == 0 && RecordingExtensionOf(m_fileSongName) != extension) {
            const QString wrong = m_file.Path();
            const QString renamed = WithExtension(m_fileSongName, extension);
            m_fileSongName.clear();
            m_file.Close();
            QFile::remove(wrong);
            Open(renamed, false);
        }
    }
    if (beginOgg(header, titled)) {
        m_titled = titled;
        return titled;
    }

    if (titled) {
        if (!m_reconnect && !m_continueName.isEmpty()) {
            Open(m_continueName, false);
        } else if (!m_reconnect && m_options.titledSongsOnly) {
            m_skipping = true; // nothing is kept before a title names a song
        } else if (!m_reconnect) {
            QString station;
            if (header.hasIcyName)
                station = DecodeText(header.icyName).trimmed();
            const QString untitled = (station.isEmpty() ? QStringLiteral("unknown") : station) + QLatin1Char('-') +
                                     DateStampMMDDYYYY(now().date());
            m_songs.SetUntitledName(untitled);
            Open(untitled + m_extension, false);
        }
        if (!header.metadata)
            titled = false;
        m_setup.sleeper->Sleep(m_setup.headerPauseMs);
    }
    // A stream that goes on with the recording is joined to it (its file is
    // open again by now); any other begins the memory of what is recorded.
    if (m_streamContinues) {
        beginJoin(lostTick);
    } else {
        m_memory.Clear();
        m_recentTitles.clear();
        m_connectionStart = 0;
        // About ten seconds, and at least what a server's burst holds.
        m_memory.SetCapacity(std::max<qint64>(10 * bytesPerSecond(), kMinJoinMemoryBytes));
    }
    m_arrival = Arrival();
    m_joinStatus.reset(); // of a connection that did not bring the stream back
    m_titled = titled;
    return titled;
}

void SongWriter::Title(const QString& decoded, bool firstBlock)
{
    if (m_rulesWanted || !m_heldTitles.empty())
        m_heldTitles.push_back({m_heldAudio.size(), decoded, firstBlock}); // the rules say what it is
    else
        takeTitle(decoded, firstBlock);
}

void SongWriter::takeTitle(const QString& title, bool firstBlock)
{
    if (title.isEmpty())
        return; // an empty title keeps the current file
    const QString name = m_songs.SongName(title, m_extension);
    if (m_joinPending)
        m_joinTitles.push_back({m_joinBuffer.size(), name, firstBlock}); // its place is known when the join is
    else
        switchTitle(name);
}

void SongWriter::switchTitle(const QString& name)
{
    if (m_cutPending) {
        if (name == m_cutName)
            return;
        finishCleanCut();
    }
    if (name == m_songName || m_songs.IsCurrentSong(name, m_songName))
        return;
    SongEvent began{SongEvent::Kind::TitleBegan};
    began.name = name;
    say(began);
    if (!m_paused) {
        // Remembered, so that a burst after a reconnect that still names
        // the title before is not taken for a new one.
        const qint64 oldest = m_memory.Total() - m_memory.Size();
        std::erase_if(m_recentTitles, [&](const RecordedTitle& t) { return t.from < oldest; });
        m_recentTitles.push_back({m_memory.Total(), m_songName});
    }
    if (cleanCutApplies())
        beginCleanCut(name);
    else
        Open(name, true);
}

void SongWriter::Audio(const char* data, qsizetype size, qint32 tick)
{
    noteArrival(size, tick);
    if (ConnectionRan() && m_joinStatus)
        say(*std::exchange(m_joinStatus, std::nullopt));
    if (m_ogg.Active())
        writeOgg(data, size);
    else
        writeAudio(data, size);
}

void SongWriter::writeAudio(const char* data, qsizetype size)
{
    if (!m_heldTitles.empty())
        m_heldAudio.append(data, size); // it belongs to a title the rules have yet to judge
    else
        routeAudio(data, size);
}

void SongWriter::routeAudio(const char* data, qsizetype size)
{
    if (m_paused || m_skipping) {
        // What is not recorded breaks the memory's run of the broadcast.
        settleJoin();
        m_memory.Clear();
    } else if (m_joinPending) {
        joinAudio(data, size);
    } else if (m_leadPending) {
        leadAudio(data, size);
    } else {
        recordAudio(data, size);
    }
}

void SongWriter::recordAudio(const char* data, qsizetype size)
{
    m_memory.Append(data, size);
    if (!m_cutPending && m_file.IsOpen()) {
        const QString part =
            m_songs.NextPartName(m_file.BytesWritten() + m_file.QueuedBytes(), bytesPerSecond(), m_fileFromTitle);
        if (!part.isEmpty())
            switchTitle(part);
    }
    if (m_cutPending) {
        holdForCut(data, size);
    } else if (m_file.IsOpen() || reopenAfterDiskError()) {
        // Written when the chunk is done or the file changes, whichever
        // comes first: one system call for all of a chunk's audio.
        m_file.Queue(data, size);
    } else if (!m_writeErrorShown) {
        m_writeErrorShown = true;
        say({SongEvent::Kind::NoFile});
    }
}

// A file that could not be created is tried again, at most once a second,
// so writing resumes as soon as the folder is writable again.
bool SongWriter::reopenAfterDiskError()
{
    if (!m_recording || m_songName.isEmpty() || !m_writeErrorShown)
        return false;
    const qint32 tick = m_setup.clock->GetTickCount();
    if (m_diskRetryTick != 0 && TickDifference(tick, m_diskRetryTick) < 1000)
        return false;
    m_diskRetryTick = tick;
    QDir().mkpath(folder());
    if (!m_file.Create(FullRecordingPath(folder(), m_songName)))
        return false;
    m_fileSongName = m_songName;
    m_fileFromTitle = mode() == Mode::PerSong && m_titled;
    m_writeErrorShown = false;
    announceFile(SongEvent::Kind::Opened);
    return true;
}

void SongWriter::flushAudio()
{
    if (!m_file.IsOpen() || m_file.QueuedBytes() == 0)
        return;
    const qint64 before = m_file.BytesWritten();
    const bool ok = m_file.Flush();
    m_audioWritten += m_file.BytesWritten() - before;
    if (ok) {
        m_writeErrorShown = false;
    } else if (!m_writeErrorShown) {
        m_writeErrorShown = true;
        sayText(SongEvent::Kind::WriteFailed, m_file.lastError());
    }
}
