#pragma once

// Rigs that drive the recorder's parts without the recorder around them:
// a SongWriter fed steps (byte tables and titles), and an IcySession wired
// to such a writer the way the recorder wires them. Header only: the tests
// that use them link the recorder.

#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/icysession.h"
#include "recorder/recordingfiles.h"
#include "recorder/songwriter.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// One thing that happens to the writer.
struct SongStep {
    enum Op {
        Connect, // a connection begins (`text` "reconnect": it takes up the lost stream)
        Header,  // its response header, `bytes` the Content-Type
        Title,   // a metadata block naming `text`
        Audio,   // `bytes` of audio, arriving `ms` after the last
        Pause,
        Resume,
        Close,
    };
    Op op = Close;
    QByteArray bytes;
    QString text;
    int ms = 100;
};

namespace songrig {

inline SongStep op(SongStep::Op o, const QByteArray& bytes = {}, const QString& text = {}, int ms = 100)
{
    SongStep s;
    s.op = o;
    s.bytes = bytes;
    s.text = text;
    s.ms = ms;
    return s;
}
inline SongStep connect(bool reconnect = false)
{
    return op(SongStep::Connect, {}, reconnect ? QStringLiteral("reconnect") : QString());
}
inline SongStep header(const QByteArray& contentType = "audio/mpeg")
{
    return op(SongStep::Header, contentType);
}
inline SongStep title(const QString& t)
{
    return op(SongStep::Title, {}, t);
}
inline SongStep audio(const QByteArray& bytes, int ms = 100)
{
    return op(SongStep::Audio, bytes, {}, ms);
}
inline SongStep close()
{
    return op(SongStep::Close);
}

// An event as a table writes it: its kind and what it carries.
inline QString describe(const SongEvent& e)
{
    using K = SongEvent::Kind;
    switch (e.kind) {
    case K::Say:
        return QStringLiteral("say ") + e.text;
    case K::Opened:
        return QStringLiteral("opened ") + e.name;
    case K::Continued:
        return QStringLiteral("continued ") + e.name;
    case K::OggOpened:
        return QStringLiteral("ogg opened ") + e.name;
    case K::Closed:
        return QStringLiteral("closed ") + QFileInfo(e.path).fileName();
    case K::KeptVersion:
        return QStringLiteral("kept ") + e.name;
    case K::Replaced:
        return QStringLiteral("replaced ") + e.name;
    case K::NoFreeName:
        return QStringLiteral("no free name beside %1, stays %2").arg(e.name, e.other);
    case K::TagFailed:
        return QStringLiteral("tag failed ") + e.path;
    case K::FolderGone:
        return QStringLiteral("folder gone ") + e.path;
    case K::CreateFailed:
        return QStringLiteral("create failed ") + e.path;
    case K::WriteFailed:
        return QStringLiteral("write failed ") + e.text;
    case K::NoFile:
        return QStringLiteral("no file");
    case K::TooShort:
        return QStringLiteral("deleted %1 (%2 s)").arg(e.name).arg(e.count);
    case K::SavedAlready:
        return QStringLiteral("saved already ") + e.name;
    case K::TakenBy:
        return QStringLiteral("taken %1, to %2").arg(e.other, e.name);
    case K::Joined:
        return QStringLiteral("joined %1 s").arg(e.seconds, 0, 'f', 1);
    case K::Gap:
        return QStringLiteral("gap %1 bytes, %2 ms").arg(e.count).arg(e.missedMs);
    case K::OggJoined:
        return QStringLiteral("ogg joined %1 left out, %2 missed").arg(e.count).arg(e.missed);
    case K::StartPaused:
        return QStringLiteral("start paused");
    case K::NewFile:
        return QStringLiteral("new file");
    case K::RulesLate:
        return QStringLiteral("rules late");
    default:
        return QStringLiteral("event %1").arg(int(e.kind));
    }
}

// A file's audio: without the ID3v1 tag at its end.
inline QByteArray audioOf(const QByteArray& file)
{
    if (file.size() >= 128 && file.right(128).startsWith("TAG"))
        return file.left(file.size() - 128);
    return file;
}

// An ICY metadata block naming `title`: its length byte, then the text
// padded with zeros to a multiple of 16.
inline QByteArray titleBlock(const QByteArray& title)
{
    QByteArray padded = "StreamTitle='" + title + "';";
    while (padded.size() % 16)
        padded.append('\0');
    return char(padded.size() / 16) + padded;
}

} // namespace songrig

// A song writer with fakes around it: a folder of its own, a fake clock,
// a sleeper that counts, the day 5 December 2026 and every event it says.
// Set the fields, then Start(); Writer() is made on first use.
class SongRig {
public:
    using Mode = SongWriter::Mode;
    SongRig() { options.cleanCuts = false; } // the byte-exact cut most tables check
    virtual ~SongRig() = default;
    SongRig(const SongRig&) = delete;
    SongRig& operator=(const SongRig&) = delete;

    SongWriter& Writer()
    {
        if (!m_writer) {
            SongWriterSetup setup;
            setup.folder = [this] { return recordingFolder.isEmpty() ? folder.path() : recordingFolder; };
            setup.mode = [this] { return mode; };
            setup.stationTitle = [this] { return stationTitle; };
            setup.streamFile = [this] { return streamFileName; };
            setup.startPaused = [this] { return startPaused; };
            setup.now = [this] { return now; };
            setup.clock = &clock;
            setup.sleeper = sleeperInUse();
            setup.headerPauseMs = headerPauseMs;
            setup.filePauseMs = filePauseMs;
            setup.awaitingFirstBlock = [this] { return awaitingFirstBlock(); };
            setup.compileRules = compileRules;
            setup.onEvent = [this](const SongEvent& e) { onEvent(e); };
            m_writer = std::make_unique<SongWriter>(setup);
            QObject::connect(&m_writer->Compiler(), &SongRulesCompiler::compiled,
                             [this] { m_writer->RulesCompiled(); });
        }
        return *m_writer;
    }
    // The recording begins; returns once its song rules are there.
    virtual bool Start()
    {
        Writer().Start(options, rules.path());
        return WaitUntil([this] { return m_writer->RulesReady(); });
    }

    // Runs steps as a connection would bring them.
    void Run(const std::vector<SongStep>& steps)
    {
        SongWriter& writer = Writer();
        for (const SongStep& s : steps) {
            switch (s.op) {
            case SongStep::Connect:
                EXPECT_EQ(connectionBegins(!s.text.isEmpty()), mode == Mode::PerSong);
                break;
            case SongStep::Header: {
                StreamHead h; // as a server with titles every 8192 bytes says it
                h.contentType = s.bytes;
                h.hasBitRate = true;
                h.bitRate = 128;
                h.hasIcyName = true;
                h.icyName = "Test FM";
                h.metadata = true;
                writer.SetBitRate(h.bitRate);
                writer.BeginStream(h, m_lastAudio);
                break;
            }
            case SongStep::Title:
                writer.Title(s.text, false);
                break;
            case SongStep::Audio:
                clock.advance(s.ms);
                m_lastAudio = clock.GetTickCount();
                writer.Audio(s.bytes.constData(), s.bytes.size(), m_lastAudio);
                writer.Flush();
                break;
            case SongStep::Pause:
                writer.Pause();
                break;
            case SongStep::Resume:
                writer.Resume();
                break;
            case SongStep::Close:
                Stop();
                break;
            }
        }
    }
    // The recording ends: the file is closed and tagged.
    virtual void Stop()
    {
        Writer().Close();
        Writer().Stop();
    }

    // The audio of a recording file (its ID3v1 tag taken off).
    QByteArray Audio(const QString& name) const { return songrig::audioOf(ReadAll(folder.file(name))); }
    QByteArray Bytes(const QString& name) const { return ReadAll(folder.file(name)); }
    // The files in the folder (or in `sub` inside it), by name.
    QStringList Files(const QString& sub = QString()) const
    {
        return QDir(folder.path() + sub).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString Events() const { return events.join(QStringLiteral(" | ")); }

    TempFolder folder;
    QString recordingFolder; // where recordings go, as the user set it; empty: `folder`
    TempFolder rules;        // the song rules' lists (none unless a test writes them)
    FakeTickSource clock{100000};
    CountingSleeper sleeper;
    RecordingOptions options;
    Mode mode = Mode::PerSong;
    QString stationTitle = QStringLiteral("Test Station");
    QString streamFileName = QStringLiteral("stream"); // the single file's name, or the archive's stem
    bool startPaused = false;                          // the next file opened starts the recording paused
    QDateTime now{QDate(2026, 12, 5), QTime(12, 0)};
    QStringList events;                      // every event said, as songrig::describe writes it
    QStringList titlesBegun;                 // the songs the stream's titles began, in order
    std::vector<SongEvent> said;             // ... and as it was said
    int headerPauseMs = 0, filePauseMs = 0;  // the deliberate pauses (set before Writer() is made)
    SongRulesCompiler::Compile compileRules; // how the lists are compiled; unset: as the program does

protected:
    virtual ISleeper* sleeperInUse() { return &sleeper; }
    virtual bool awaitingFirstBlock() const { return false; }
    // A connection begins: titles name the files of a recording per song;
    // the other modes open their file now. Returns whether titles are wanted.
    bool connectionBegins(bool reconnect) { return Writer().ConnectionBegins(reconnect); }
    void onEvent(const SongEvent& e)
    {
        if (e.kind == SongEvent::Kind::TitleBegan) {
            titlesBegun << e.name; // the history's, not the status's
            return;
        }
        events << songrig::describe(e);
        said.push_back(e);
        if (e.kind == SongEvent::Kind::StartPaused) {
            // As the recorder does: the recording pauses, once.
            startPaused = false;
            m_writer->Pause();
        }
    }

    std::unique_ptr<SongWriter> m_writer;
    qint32 m_lastAudio = 100000;
};

// A song writer fed by an IcySession as the recorder wires them: the
// session's head, titles and audio go to the writer. Feed() gives the
// session stream bytes of the response Begin() began; Connect() makes a
// real connection to a loopback station instead.
class IcyRig : public SongRig, public StreamSession::Listener {
public:
    IcyRig()
        : session(
              clock, *this, [] { return false; }, 64 * 1024)
    {
    }
    ~IcyRig() override { m_writer.reset(); }

    // A connection begins and its response with it (`reconnect`: it takes
    // up the lost stream).
    void Begin(bool reconnect = false) { session.BeginResponse(connectionBegins(reconnect)); }
    void Feed(const QByteArray& bytes) { session.Feed(bytes); }
    bool Start() override
    {
        recording = true;
        return SongRig::Start();
    }
    // The recording ends as the recorder ends it: the connection goes too.
    void Stop() override
    {
        SongRig::Stop();
        session.Close();
        recording = false;
        session.SetState(ConnectionState::Stopped);
    }
    // Feeds `bytes` in pieces of `piece` bytes (the last one shorter).
    void FeedInPieces(const QByteArray& bytes, qsizetype piece)
    {
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            Feed(bytes.mid(at, piece));
    }
    // The server is given up for the next one, which goes on with the file.
    void FailOver()
    {
        Writer().ContinueOnNextServer();
        Writer().Close();
        Begin(false);
    }
    // Connects to a loopback server on `port` and waits for the connection.
    bool Connect(const QString& port)
    {
        session.Servers().Add(ServerEntry{QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), port, QString()});
        session.Prepare(clock.GetTickCount());
        session.Start();
        return WaitUntil([this] { return session.State() == ConnectionState::AwaitingHeader; });
    }

    // StreamSession::Listener
    void EventBegins() override {}
    void EventEnds() override {}
    void OnStateChanged(ConnectionState, ConnectionState) override {}
    bool Recording() const override { return recording; }
    bool Quitting() const override { return false; }
    bool RecordingOpen() const override { return m_writer->RecordingOpen(); }
    bool ConnectionRan() const override { return m_writer->ConnectionRan(); }
    void OnConnecting(const ServerEntry&, bool) override {}
    bool OnConnected(const ServerEntry&, bool reconnect) override { return connectionBegins(reconnect); }
    void OnStreamBegan(const StreamHead& head) override
    {
        SongWriter& writer = Writer();
        writer.ReleaseHeld();
        if (head.hasBitRate)
            writer.SetBitRate(head.bitRate);
        writer.BeginStream(head, session.StreamTick());
    }
    void OnAudio(const char* data, qsizetype size) override
    {
        handedOn.append(data, size);
        m_writer->Audio(data, size, session.LastDataTick());
    }
    void OnTitle(const QString& title, qint64, bool firstBlock) override { m_writer->Title(title, firstBlock); }
    void OnChunkDone() override { m_writer->Flush(); }
    void OnProblem(SessionProblem, qint32, const QString&) override {}
    void OnLost(bool ran) override
    {
        if (!ran)
            m_writer->ConnectionLostEarly();
    }
    void OnTimedOut(bool) override { ++timeouts; }
    void OnReconnecting(int, qint32) override {}
    void OnFailingOver(qint32) override {}
    void OnGaveUp(SessionEnd) override {}

    IcySession session;
    QByteArray handedOn; // every byte of audio the session handed on, paused or not
    int timeouts = 0;
    bool recording = true;   // losses are taken up (Start and Stop set it)
    bool holdStream = false; // the deliberate pauses hold the stream (set before Writer() is made)

protected:
    ISleeper* sleeperInUse() override { return holdStream ? &session.Hold() : &sleeper; }
    bool awaitingFirstBlock() const override { return session.AwaitingFirstBlock(); }
};
