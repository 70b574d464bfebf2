#include "history/playtracker.h"

#include "history/historywriter.h"
#include "recorder/frmmp3.h"

#include <QLatin1String>
#include <QRegularExpression>

namespace {

bool inIncompleteFolder(const QString& path)
{
    return path.contains(QLatin1Char('/') + QLatin1String(kIncompleteFolder) + QLatin1Char('/'));
}

} // namespace

PlayTracker::PlayTracker(HistoryWriter& writer, Setup setup) : m_writer(writer), m_setup(std::move(setup))
{
    if (!m_setup.now)
        m_setup.now = [] { return QDateTime::currentDateTime(); };
}

PlayTracker::~PlayTracker()
{
    StreamEnded();
    if (m_closing) {
        settle(*m_closing);
        write(*m_closing);
    }
}

QString PlayTracker::TitleOfName(const QString& name)
{
    static const QRegularExpression extension(QStringLiteral("\\.(mp3|aac|ogg|opus|oga|flac|nsv|m4a)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString title = name;
    title.remove(extension);
    return title;
}

void PlayTracker::Title(const QString& name)
{
    const QString title = TitleOfName(name);
    if (m_current && m_current->play.title == title)
        return;
    const bool followed = m_current.has_value();
    end(true);
    if (!title.isEmpty()) {
        begin(title);
        m_current->fromStart = followed && m_streamRuns;
        m_streamRuns = true;
    }
}

void PlayTracker::StreamEnded()
{
    end(false);
    m_streamRuns = false;
}

void PlayTracker::begin(const QString& title)
{
    Live live;
    live.play.station = m_setup.station ? m_setup.station() : QString();
    live.play.address = m_setup.address ? m_setup.address() : QString();
    live.play.title = title;
    SplitTitle(title, &live.play.artist, &live.play.song);
    live.play.start = m_setup.now();
    live.play.state = QLatin1String(kPlayIncomplete);
    if (!(m_setup.filePerSong && m_setup.filePerSong()) && m_setup.openFile)
        live.play.file = m_setup.openFile();
    live.id = m_writer.Begin(live.play);
    m_current = std::move(live);
}

void PlayTracker::end(bool byNextTitle)
{
    if (!m_current)
        return;
    Live live = std::move(*m_current);
    m_current.reset();
    live.ended = true;
    live.toEnd = byNextTitle;
    live.play.end = m_setup.now();
    if (live.fileOpen) {
        // Its state is known once its file is closed.
        if (m_closing) {
            settle(*m_closing);
            write(*m_closing);
        }
        m_closing = std::move(live);
        return;
    }
    settle(live);
    write(live);
}

void PlayTracker::settle(Live& live)
{
    Play& p = live.play;
    if (live.skipped || (!live.hasFile && m_setup.filePerSong && m_setup.filePerSong()))
        p.state = QLatin1String(kPlaySkipped);
    else if (live.version)
        p.state = QLatin1String(kPlayVersion);
    else if (live.fileState)
        // The song writer set apart what it did not record whole; a song the
        // stream began or ended in the middle of was not heard whole either.
        p.state = inIncompleteFolder(p.file) || p.file.isEmpty() || !(live.fromStart && live.toEnd)
                      ? QLatin1String(kPlayIncomplete)
                      : QLatin1String(kPlayComplete);
    else
        p.state = live.fromStart && live.toEnd ? QLatin1String(kPlayComplete) : QLatin1String(kPlayIncomplete);
}

void PlayTracker::write(const Live& live)
{
    m_writer.Update(live.id, live.play);
}

void PlayTracker::FileOpened(const QString& name, const QString& path)
{
    if (!m_current || m_current->play.title != TitleOfName(name))
        return; // a file no title named (the audio before the first one)
    if (m_closing) {
        // The file before it was closed first, or is not going to be.
        settle(*m_closing);
        write(*m_closing);
        m_closing.reset();
    }
    m_current->hasFile = true;
    m_current->fileOpen = true;
    m_current->play.file = path;
    m_writer.Update(m_current->id, m_current->play);
}

void PlayTracker::KeptVersion()
{
    if (m_closing)
        m_closing->version = true;
    else if (m_current && m_current->fileOpen)
        m_current->version = true;
}

void PlayTracker::SavedAlready()
{
    if (m_current)
        m_current->skipped = true;
}

void PlayTracker::FileDeleted()
{
    Live* live = m_closing ? &*m_closing : (m_current && m_current->fileOpen ? &*m_current : nullptr);
    if (!live)
        return;
    live->play.file.clear();
    live->fileState = true;
    live->fileOpen = false;
}

void PlayTracker::FileClosed(const QString& path)
{
    Live* live = m_closing ? &*m_closing : (m_current && m_current->fileOpen ? &*m_current : nullptr);
    if (!live)
        return;
    if (live->fileOpen) {
        live->play.file = path;
        live->fileState = true;
        live->fileOpen = false;
    }
    if (live->ended) {
        settle(*live);
        write(*live);
        m_closing.reset();
    }
}

PlayTracker::Setup PlayTracker::SetupFor(const frmMP3& r, std::function<QString()> station)
{
    Setup setup;
    setup.station = station ? std::move(station) : [&r] { return r.Config().sRecordingTitle; };
    setup.address = [&r] {
        if (!r.Config().sShoutCastFile.isEmpty())
            return r.Config().sShoutCastFile;
        const qint32 n = r.ServerNumber();
        if (n < 1 || n > r.ServerEntries().Last())
            return QString();
        const ServerEntry& s = r.ServerEntries()[n];
        return (s.Secure ? QStringLiteral("https://") : QStringLiteral("http://")) + s.Host + QLatin1Char(':') +
               s.Port + s.Path;
    };
    setup.filePerSong = [&r] { return r.Config().lRecordingMode == RecordingMode::PerSong; };
    setup.openFile = [&r] { return r.Status().file; };
    return setup;
}

void PlayTracker::Attach(frmMP3& r)
{
    QObject::connect(&r, &frmMP3::songEvent, &m_context, [this, &r](const SongEvent& e) {
        using K = SongEvent::Kind;
        switch (e.kind) {
        case K::TitleBegan:
            Title(e.name);
            break;
        case K::Opened:
        case K::Continued:
            if (r.Config().lRecordingMode == RecordingMode::PerSong)
                FileOpened(e.song, r.RecordingPath());
            break;
        case K::Closed:
            if (r.Config().lRecordingMode == RecordingMode::PerSong)
                FileClosed(e.path);
            break;
        case K::KeptVersion:
            KeptVersion();
            break;
        case K::SavedAlready:
        case K::Claimed:
            SavedAlready();
            break;
        case K::TooShort:
            FileDeleted();
            break;
        default:
            break;
        }
    });
    QObject::connect(&r, &frmMP3::phaseChanged, &m_context, [this](frmMP3::Phase phase) {
        if (phase == frmMP3::Phase::Idle)
            StreamEnded();
    });
}
