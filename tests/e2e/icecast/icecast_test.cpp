#include "icecastserver.h"

#include "recorder/icydemuxer.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What a listener got from the mount, split by the demultiplexer. Each
// metadata block is kept with the number of audio bytes before it.
class StreamSink : public IcyDemuxer::Sink {
public:
    struct Block {
        QByteArray text;
        qint64 audioBefore = 0;
    };
    QList<IcyHeader> headers;
    QByteArray audio;
    QList<Block> blocks;

    bool OnHeader(const IcyHeader& header, const QByteArray&) override
    {
        headers.append(header);
        return true;
    }
    void OnMetadata(const QByteArray& block) override { blocks.append({block, audio.size()}); }
    void OnAudio(const char* data, qsizetype size) override { audio.append(data, size); }

    // Index of the first block from `from` on whose title is `title`; -1 when none.
    int FindTitle(const QByteArray& title, int from = 0) const
    {
        for (int i = from; i < blocks.size(); ++i)
            if (ContainsStreamTitle(blocks[i].text) && ParseStreamTitle(blocks[i].text) == title)
                return i;
        return -1;
    }
};

// A listener asking for metadata, as a stream recorder does.
class IcyListener {
public:
    bool Connect(quint16 port, const QByteArray& mount, int timeoutMs)
    {
        m_demuxer.Reset(true);
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_demuxer.Feed(m_socket.readAll(), sink); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        if (!WaitUntil([this] { return m_socket.state() == QAbstractSocket::ConnectedState
                                       || m_socket.state() == QAbstractSocket::UnconnectedState; },
                       timeoutMs)
            || m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
        m_socket.write("GET " + mount + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(port)
                       + "\r\nUser-Agent: WinampMPEG/2.8\r\nAccept: */*\r\nIcy-MetaData:1\r\nConnection: close\r\n\r\n");
        return WaitUntil([this] { return !sink.headers.isEmpty() || m_socket.state() == QAbstractSocket::UnconnectedState; },
                         timeoutMs)
               && !sink.headers.isEmpty();
    }
    ~IcyListener()
    {
        QObject::disconnect(&m_socket, nullptr, nullptr, nullptr);
        m_socket.abort();
    }
    int WaitForTitle(const QByteArray& title, int from, int timeoutMs)
    {
        WaitUntil([&] { return sink.FindTitle(title, from) >= 0; }, timeoutMs);
        return sink.FindTitle(title, from);
    }

    bool Closed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }

    StreamSink sink;

private:
    QTcpSocket m_socket;
    IcyDemuxer m_demuxer;
};

// Runs a program to its end (bounded); its exit code, or -1 when it could
// not be run or did not finish.
int RunProgram(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted(5000))
        return -1;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(2000);
        return -1;
    }
    *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool PortAnswers(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState
                           || socket.state() == QAbstractSocket::UnconnectedState; },
              2000);
    const bool answered = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    return answered;
}

#define SKIP_WITHOUT_ICECAST()                      \
    do {                                            \
        QString why;                                \
        if (!IcecastServer::Available(&why))        \
            SKIP_FOR_MISSING_TOOL(why);             \
    } while (false)

}  // namespace

// One server, one source, one listener: the header, title changes in their
// order and as bytes, and audio that decodes once the metadata is taken out.
TEST(IcecastServer, StreamsTitledMp3ToAMetadataListener)
{
    SKIP_WITHOUT_ICECAST();
    IcecastServer::Options options;
    options.metaInterval = 8192;
    IcecastServer server(options);
    ASSERT_TRUE(server.Start()) << server.LastError().toStdString();
    EXPECT_NE(server.Port(), 0);
    EXPECT_EQ(server.StreamUrl(), QStringLiteral("http://127.0.0.1:%1/live.mp3").arg(server.Port()));

    // Nothing on the mount yet: the title update is refused and says so.
    EXPECT_FALSE(server.SetTitle(QStringLiteral("Nobody - Here")));

    IcecastServer::SourceOptions source;
    source.durationSeconds = 40;
    source.name = QStringLiteral("Tonquill Icecast Test");
    ASSERT_TRUE(server.StartSource(source)) << server.LastError().toStdString();
    ASSERT_TRUE(server.WaitForMount(8000)) << server.LastError().toStdString();

    IcyListener listener;
    ASSERT_TRUE(listener.Connect(server.Port(), server.Mount(), 5000));
    const IcyHeader& header = listener.sink.headers.first();
    EXPECT_EQ(header.statusCode, 200) << header.raw.toStdString();
    EXPECT_TRUE(header.hasMetaInt) << header.raw.toStdString();
    EXPECT_EQ(header.metaInt, 8192);
    EXPECT_TRUE(header.hasIcyName) << header.raw.toStdString();
    EXPECT_EQ(header.icyName, QByteArray("Tonquill Icecast Test"));
    EXPECT_EQ(header.contentType, QByteArray("audio/mpeg"));

    const QByteArray first = QStringLiteral(u"Artist One - Song \u00e9").toUtf8();
    ASSERT_EQ(first, QByteArray("Artist One - Song \xC3\xA9"));
    ASSERT_TRUE(server.SetTitle(QString::fromUtf8(first))) << server.LastError().toStdString();
    const int firstAt = listener.WaitForTitle(first, 0, 6000);
    ASSERT_GE(firstAt, 0) << "blocks seen: " << listener.sink.blocks.size();

    const QByteArray second("Artist Two - Second Song");
    ASSERT_TRUE(server.SetTitle(QString::fromUtf8(second))) << server.LastError().toStdString();
    const int secondAt = listener.WaitForTitle(second, firstAt + 1, 6000);
    ASSERT_GT(secondAt, firstAt);
    // Once the second title is out, the first does not come back.
    EXPECT_EQ(listener.sink.FindTitle(first, secondAt + 1), -1);

    // Bytes that are not UTF-8 reach the listener as they were sent.
    const QByteArray latin("Caf\xE9 - Cr\xE8me");
    ASSERT_TRUE(server.SetTitleBytes(latin)) << server.LastError().toStdString();
    const int latinAt = listener.WaitForTitle(latin, secondAt + 1, 6000);
    EXPECT_GT(latinAt, secondAt);

    // Every block sits where the interval puts it.
    for (const StreamSink::Block& block : listener.sink.blocks)
        EXPECT_EQ(block.audioBefore % 8192, 0) << block.audioBefore;

    // At least three seconds of audio, then it has to decode cleanly: a
    // metadata block left in the audio would show as a broken frame.
    ASSERT_TRUE(WaitUntil([&] { return listener.sink.audio.size() >= 3 * 16000; }, 6000));
    TempFolder folder;
    const QString saved = folder.file(QStringLiteral("live.mp3"));
    ASSERT_TRUE(WriteAll(saved, listener.sink.audio));

    QByteArray probe;
    ASSERT_EQ(RunProgram(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                   QStringLiteral("stream=codec_name,sample_rate,channels"), QStringLiteral("-of"),
                   QStringLiteral("default=nw=1"), saved},
                  &probe),
              0)
        << probe.toStdString();
    EXPECT_TRUE(probe.contains("codec_name=mp3")) << probe.toStdString();
    EXPECT_TRUE(probe.contains("sample_rate=44100")) << probe.toStdString();
    EXPECT_TRUE(probe.contains("channels=2")) << probe.toStdString();

    if (!QStandardPaths::findExecutable(QStringLiteral("mpg123")).isEmpty()) {
        QByteArray decoded;
        EXPECT_EQ(RunProgram(QStringLiteral("mpg123"), {QStringLiteral("-t"), saved}, &decoded), 0) << decoded.toStdString();
        // mpg123 reports what it had to skip over; clean audio has none of that.
        EXPECT_FALSE(decoded.contains("Illegal Audio-MPEG-Header")) << decoded.toStdString();
        EXPECT_FALSE(decoded.contains("resync")) << decoded.toStdString();
        EXPECT_FALSE(decoded.contains("bad header")) << decoded.toStdString();
    }
}

// The server goes away with its object: port closed, folder removed. A
// source stopped on its own drops its listeners, and a new one can take the
// mount again.
TEST(IcecastServer, StopsWithTheObjectAndDropsListenersWithTheSource)
{
    SKIP_WITHOUT_ICECAST();
    quint16 port = 0;
    QString folder;
    {
        auto server = std::make_unique<IcecastServer>();
        ASSERT_TRUE(server->Start()) << server->LastError().toStdString();
        port = server->Port();
        folder = server->Folder();
        EXPECT_TRUE(QDir(folder).exists());
        EXPECT_TRUE(PortAnswers(port));

        // Wrong admin password: refused.
        const IcecastServer::HttpAnswer anonymous = server->Get("/admin/stats", false, 3000);
        EXPECT_EQ(anonymous.status, 401) << anonymous.header.toStdString();
        const IcecastServer::HttpAnswer admin = server->Get("/admin/stats", true, 3000);
        EXPECT_EQ(admin.status, 200) << admin.header.toStdString();

        ASSERT_TRUE(server->StartSource()) << server->LastError().toStdString();
        ASSERT_TRUE(server->WaitForMount(8000)) << server->LastError().toStdString();
        IcyListener listener;
        ASSERT_TRUE(listener.Connect(port, server->Mount(), 5000));
        ASSERT_TRUE(WaitUntil([&] { return !listener.sink.audio.isEmpty(); }, 3000));
        server->StopSource();
        EXPECT_FALSE(server->SourceRunning());
        EXPECT_TRUE(WaitUntil([&] { return listener.Closed(); }, 5000));
        EXPECT_FALSE(server->WaitForMount(1500));
        // The server is still up after its source went, and takes a new one.
        ASSERT_TRUE(server->IsRunning());
        EXPECT_EQ(server->Get("/status-json.xsl").status, 200);
        ASSERT_TRUE(server->StartSource()) << server->LastError().toStdString();
        ASSERT_TRUE(server->WaitForMount(8000)) << server->LastError().toStdString();
        IcyListener again;
        ASSERT_TRUE(again.Connect(port, server->Mount(), 5000));
        ASSERT_TRUE(WaitUntil([&] { return !again.sink.audio.isEmpty(); }, 3000));
        server.reset();  // with a listener and the source still connected
    }
    EXPECT_FALSE(PortAnswers(port));
    EXPECT_FALSE(QDir(folder).exists());
}
