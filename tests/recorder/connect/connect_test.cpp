// Connecting, the stream request, and what the recorder makes of the
// server's answer: ICY errors, HTTP errors, redirects and web pages.
#include "fixture.h"

#include "recorder/serverlist.h"
#include "tests/support/ports.h"

class ConnectTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::PerSong;
    }
    // Where the recorder stood when the turn that took an answer ended.
    struct Turn {
        qint32 server = 0;
        ConnectionState connection = ConnectionState::Idle;
    };
    // The station answers with `bytes`; the turns that took them are kept.
    void answer(const QByteArray& bytes)
    {
        ASSERT_NE(station.last(), nullptr);
        if (m_tracked != recorder.get()) {
            m_tracked = recorder.get();
            QObject::connect(recorder.get(), &frmMP3::statusChanged, recorder.get(), [this](const RecorderStatus& s) {
                turns.push_back({recorder->ServerNumber(), s.connection});
            });
        }
        turns.clear();
        ASSERT_TRUE(send(bytes));
    }
    // The first turn that took the last answer.
    Turn answered() const { return turns.empty() ? Turn{} : turns.front(); }
    std::vector<Turn> turns;

private:
    const frmMP3* m_tracked = nullptr;
};

TEST(StreamRequest, TemplatesPlaceholdersAndAgent)
{
    const ServerEntry entry{QStringLiteral("radio.example"), QStringLiteral("/stream"), QStringLiteral("8000"),
                            QStringLiteral("id=5")};
    EXPECT_EQ(BuildStreamRequest(entry, true, false),
              QByteArray("GET /stream?id=5 HTTP/1.1\r\nHost: radio.example:8000\r\nUser-Agent: WinampMPEG/2.8\r\n"
                         "Accept: */*\r\nIcy-MetaData:1\r\nConnection: close\r\n\r\n"));
    const ServerEntry plain{QStringLiteral("h"), QStringLiteral("/"), QStringLiteral("80"), QString()};
    EXPECT_EQ(BuildStreamRequest(plain, false, true),
              QByteArray("GET / HTTP/1.1\r\nHost: h:80\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)\r\n"
                         "Accept: */*\r\nIcy-MetaData:0\r\nConnection: close\r\n\r\n"));
}

TEST(StreamRequest, LineBreaksInAnEntryCannotAddHeaderLines)
{
    // An M3U entry keeps the lines after its address.
    const ServerEntry entry{QStringLiteral("h"), QStringLiteral("/live\r\nX-Injected: 1\r\nhttp://other/"),
                            QStringLiteral("80"), QStringLiteral("a=1\nB: 2")};
    const QByteArray request = BuildStreamRequest(entry, true, false);
    EXPECT_TRUE(request.startsWith("GET /live?a=1 HTTP/1.1\r\nHost: h:80\r\n"));
    EXPECT_FALSE(request.contains("X-Injected"));
    EXPECT_FALSE(request.contains("B: 2"));
}

TEST(StreamRequest, RequestLineAndHostAreWellFormed)
{
    const struct {
        const char* host;
        const char* path;
        const char* query;
        const char* start;
    } cases[] = {
        {"h", "/my stream", "", "GET /my%20stream HTTP/1.1\r\nHost: h:80\r\n"},
        {"h", "/a b/c", "name=Jazz FM&x=\"q\"", "GET /a%20b/c?name=Jazz%20FM&x=%22q%22 HTTP/1.1\r\n"},
        {"h", "/already%20escaped", "a=%41", "GET /already%20escaped?a=%41 HTTP/1.1\r\n"},
        {"h", "/caf\u00e9", "t=\u00fc", "GET /caf%C3%A9?t=%C3%BC HTTP/1.1\r\n"},
        {"h", "/tab\tand<>{}|^`", "", "GET /tab%09and%3C%3E%7B%7D%7C%5E%60 HTTP/1.1\r\n"},
        {"m\u00fcnchen.example", "/", "", "GET / HTTP/1.1\r\nHost: xn--mnchen-3ya.example:80\r\n"},
        {"Radio.EXAMPLE", "/;sid=1", "", "GET /;sid=1 HTTP/1.1\r\nHost: radio.example:80\r\n"},
    };
    for (const auto& c : cases) {
        const ServerEntry entry{QString::fromUtf8(c.host), QString::fromUtf8(c.path), QStringLiteral("80"),
                                QString::fromUtf8(c.query)};
        const QByteArray request = BuildStreamRequest(entry, false, false);
        EXPECT_TRUE(request.startsWith(c.start)) << request.constData();
    }
    EXPECT_EQ(AsciiHostName(QString::fromUtf8("b\u00fccher.example")), QStringLiteral("xn--bcher-kva.example"));
    EXPECT_EQ(AsciiHostName(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
}

TEST_F(ConnectTest, ARequestWithSpacesReachesTheServerEncoded)
{
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/live stream"), station.port(),
                        QStringLiteral("show=late night"));
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return station.requests.contains("\r\n\r\n"); }));
    EXPECT_TRUE(station.requests.startsWith("GET /live%20stream?show=late%20night HTTP/1.1\r\nHost: 127.0.0.1:"))
        << station.requests.constData();
}

TEST_F(ConnectTest, RequestReachesTheServerWithTheAgentSetting)
{
    ieAgent = true;
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QStringLiteral("id=5"));
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return station.requests.contains("\r\n\r\n"); }));
    EXPECT_TRUE(station.requests.startsWith("GET /stream?id=5 HTTP/1.1\r\n"));
    EXPECT_TRUE(station.requests.contains("User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)\r\n"));
    EXPECT_TRUE(station.requests.contains("Icy-MetaData:1\r\n"));
}

TEST_F(ConnectTest, RefusedServersAreSkippedAndTheLastShowsOneMessage)
{
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    const QString dead = QString::number(refusing.port());
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/"), dead, QString());
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/"), dead, QString());
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return !recorder->Status().blnRecording; }));
    RunPendingEvents();
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("The computer could not connect to the stream!")});
    EXPECT_EQ(recorder->ServerNumber(), 2);
}

TEST_F(ConnectTest, RefusedFirstServerMovesToTheNext)
{
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/"), QString::number(refusing.port()), QString());
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return station.last() != nullptr && recorder->Timer1Enabled(); }));
    EXPECT_EQ(recorder->ServerNumber(), 2);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(ConnectTest, IcyErrorsMoveToTheNextServerWithTheirTexts)
{
    struct Case {
        QByteArray answer;
        QString caption;
        QString tip;
    } cases[] = {
        {"ICY 400 Server Full\r\n", "[ERR]: Server full, trying server 1...", "Test Station -- Server Full... trying server 1"},
        {"ICY 404 Resource Not Found\r\n", "[ERR]: Resource not found, trying server 1...",
         "Test Station -- NETWORK: Server error, resource not found... trying server 1"},
        {"ICY 403 Forbidden\r\n\r\n", "[ERR]: Resource forbidden, trying server 1...",
         "Test Station -- NETWORK: Server error, forbidden... trying server 1"},
        {"ICY 401 Service Unavailable\r\n", "[ERR]: General ICY error -- trying server 1...",
         "Test Station --  General ICY error -- trying server 1"},
        {"HTTP/1.0 404 File Not Found\r\nContent-Type: text/html\r\n\r\n<html>", "[ERR]: General ICY error -- trying server 1...",
         "Test Station --  General ICY error -- trying server 1"},
        {"HTTP/1.1 503 Service Unavailable\r\n", "[ERR]: General ICY error -- trying server 1...",
         "Test Station --  General ICY error -- trying server 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.constData());
        recorder = std::make_unique<frmMP3>(deps);
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& c) { captions.append(c); });
        startOnStation(3);
        const size_t before = station.connections.size();
        answer(c.answer);
        EXPECT_TRUE(captions.contains(c.caption)) << captions.join('|').toStdString();
        EXPECT_EQ(recorder->TrayTip(), c.tip.left(64));  // the tray holds 64 characters
        // The next server is connected to at once: no tick is needed.
        EXPECT_EQ(answered().server, 2);
        EXPECT_EQ(answered().connection, ConnectionState::Connecting);
        EXPECT_TRUE(WaitUntil([&] { return station.connections.size() > before; }));
        EXPECT_TRUE(messages.messages.isEmpty());
        recorder->StopRecording();
    }
}

TEST_F(ConnectTest, IcyErrorFromTheOnlyServerStopsWithTheLongMessage)
{
    startOnStation(1);
    answer("ICY 400 Server Full\r\n");
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("The shoutcast stream you are trying to record is experiencing "
                                                            "network problems, or is full. Please try again later!")});
}

TEST_F(ConnectTest, HeaderSplitOverChunksIsJudgedWhole)
{
    startOnStation(2);
    answer("ICY 4");
    EXPECT_EQ(recorder->ServerNumber(), 1);
    answer("00 Server Full\r\n");
    EXPECT_EQ(recorder->ServerNumber(), 2);
}

TEST_F(ConnectTest, LowerCaseLocationRewritesTheEntryAndReconnectsAtTheSamePosition)
{
    startOnStation(3);
    const size_t before = station.connections.size();
    answer("HTTP/1.1 302 Found\r\nlocation: http://127.0.0.1:" + station.port().toLatin1() + "/moved\r\n\r\n");
    EXPECT_TRUE(captions.contains(QStringLiteral("[ERR]: Found new location, reconnecting...")));
    EXPECT_EQ(recorder->ServerEntries()[1].Host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(recorder->ServerEntries()[1].Port, station.port());
    EXPECT_EQ(recorder->ServerEntries()[1].Path, QStringLiteral("/moved"));
    EXPECT_EQ(recorder->ServerNumber(), 1);
    EXPECT_TRUE(
        WaitUntil([&] { return station.connections.size() > before && station.requests.contains("GET /moved"); }));
}

TEST_F(ConnectTest, RedirectStatusesWithLocationAreFollowed)
{
    for (const QByteArray status : {"301 Moved Permanently", "303 See Other", "307 Temporary Redirect", "308 Permanent Redirect"}) {
        SCOPED_TRACE(status.constData());
        recorder = std::make_unique<frmMP3>(deps);
        startOnStation(2);
        answer("HTTP/1.1 " + status + "\r\nLocation: http://127.0.0.1:8011/other?x=1\r\n\r\n");
        EXPECT_EQ(recorder->ServerEntries()[1].Port, QStringLiteral("8011"));
        EXPECT_EQ(recorder->ServerEntries()[1].Path, QStringLiteral("/other"));
        EXPECT_EQ(recorder->ServerEntries()[1].QueryString, QStringLiteral("x=1"));
        EXPECT_EQ(answered().server, 1); // the same entry, asked again at once
        recorder->StopRecording();
    }
}

TEST_F(ConnectTest, ALocationOnTheSameServerKeepsItsHostAndPort)
{
    startOnStation(2);
    answer("HTTP/1.1 302 Found\r\nLocation: /moved?y=2\r\n\r\n");
    EXPECT_EQ(recorder->ServerEntries()[1].Host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(recorder->ServerEntries()[1].Port, station.port());
    EXPECT_EQ(recorder->ServerEntries()[1].Path, QStringLiteral("/moved"));
    EXPECT_EQ(recorder->ServerEntries()[1].QueryString, QStringLiteral("y=2"));
    EXPECT_EQ(recorder->ServerNumber(), 1);
}

TEST_F(ConnectTest, OnlyTheStatusLineDecidesTheAnswer)
{
    // Texts that look like statuses in other header lines change nothing.
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("ok.mp3");
    startOnStation(2);
    answer("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nX-Note: ICY 404 / 302 Found\r\nicy-name:N\r\n\r\nAUDIO");
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->ServerNumber(), 1);
    recorder->StopRecording();
    EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("ok.mp3"))).startsWith("AUDIO"));
}

TEST_F(ConnectTest, RedirectWithoutLocationTriesTheNextServer)
{
    startOnStation(2);
    answer("HTTP/1.1 302 Found\r\n\r\n");
    EXPECT_TRUE(captions.contains(QStringLiteral("[ERR]: Found new location... reconnecting...")));
    EXPECT_EQ(recorder->ServerNumber(), 2);
}

TEST_F(ConnectTest, BrowserPageStopsWithTheAgentMessage)
{
    startOnStation(2);
    answer("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><title>SHOUTcast Server</title>");
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("This station does not support faking Internet Explorer as the "
                                                            "agent. Please turn this option off to listen to this station.")});
}

TEST_F(ConnectTest, AnswerTextsInsideTheStreamAreJustAudio)
{
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("single.mp3");
    startOnStation(2);
    answer("ICY 200 OK\r\nicy-name:Test\r\n\r\n");
    const QByteArray inside = "ICY 404 SHOUTcast Server 302 Found Location: x\r\nRedirect";
    answer(inside);
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->Status().connection, ConnectionState::Streaming);
    EXPECT_TRUE(messages.messages.isEmpty());
    recorder->StopRecording();
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("single.mp3"))).left(inside.size()), inside);
}

TEST_F(ConnectTest, HttpOkAndIcyOkBothRecord)
{
    for (const QByteArray status : {"ICY 200 OK", "HTTP/1.0 200 OK"}) {
        SCOPED_TRACE(status.constData());
        recorder = std::make_unique<frmMP3>(deps);
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("ok.mp3");
        startOnStation(1);
        answer(status + "\r\nContent-Type: audio/mpeg\r\nicy-br:128\r\n\r\nAUDIO");
        EXPECT_EQ(recorder->Status().lngBitRate, 128);
        recorder->StopRecording();
        EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("ok.mp3"))).startsWith("AUDIO"));
    }
}

// A server given up is left in the same turn that gives it up: when the
// data handler returns, the next server is being connected to, with no
// tick of the recorder's timer in between (none can run inside the call).
TEST_F(ConnectTest, FailoverIsDecidedInTheSameTurn)
{
    const struct {
        const char* what;
        QList<QByteArray> chunks;
    } rows[] = {
        {"an error status", {"ICY 400 Server Full\r\n\r\n"}},
        {"an error status over two chunks", {"ICY 4", "00 Server Full\r\n"}},
        {"a redirect without a location", {"HTTP/1.1 302 Found\r\n\r\n"}},
        {"a redirect page", {"ICY 200 OK\r\nContent-Type: audio/mpeg\r\nX-Note: redirect\r\n\r\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        recorder = std::make_unique<frmMP3>(deps);
        startOnStation(2);
        const size_t before = station.connections.size();
        for (const QByteArray& chunk : row.chunks) {
            EXPECT_EQ(recorder->ServerNumber(), 1);
            answer(chunk);
        }
        EXPECT_EQ(answered().server, 2);
        EXPECT_EQ(answered().connection, ConnectionState::Connecting);
        EXPECT_TRUE(recorder->Status().blnRecording);
        EXPECT_TRUE(WaitUntil([&] { return station.connections.size() > before; }));
        recorder->StopRecording();
    }
}
