#include "platform/folders.h"
#include "sources/live365reader.h"
#include "tests/sources/live365/fakewebserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"
#include "tests/support/tlsserver.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <limits>

namespace {

const QByteArray kStationPage = "<html><head><script>function go(){ LaunchBroadcast('jazzcat'); }</script></head>"
                                "<body>Jazz Cat radio</body></html>";
const QByteArray kWindowPage = "<html><frameset><frame src=\"/cgi-bin/top.cgi\" name=\"top\">"
                               "<frame src=\"/np/now.js?handle=abc&membername=\" name=\"Live365PlayerPlaylist\">"
                               "</frameset></html>";

QByteArray nowPlayingPage(const char* artist, const char* title, const char* tail = "")
{
    return QByteArray("<html><script>var track = { artist:\"") + artist + "\", title:\"" + title +
           "\", album:\"Kind of Blue\", };\r\n" + tail + "</script></html>";
}

QByteArray windowPageFor(const QString& prefix, const char* extra = "")
{
    return "<html><frameset><frame src=\"" + prefix.toLatin1() +
           "\" name=\"Live365PlayerPlaylist\"></frameset>" + extra + "</html>";
}

class Live365Reader : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolders::SetOverride(m_home.path());
        ASSERT_TRUE(m_server.start());
        qputenv("TONQUILL_LIVE365_HOST", m_server.hostSetting().toLatin1());
        m_reader = std::make_unique<ctlLive365TitleReader>(&m_clock);
        m_titles = std::make_unique<QSignalSpy>(m_reader.get(), &ctlLive365TitleReader::TitleChange);
        m_names = std::make_unique<QSignalSpy>(m_reader.get(), &ctlLive365TitleReader::TitleCallBack);
        m_errors = std::make_unique<QSignalSpy>(m_reader.get(), &ctlLive365TitleReader::Error);
    }
    void TearDown() override
    {
        m_reader.reset();
        qunsetenv("TONQUILL_LIVE365_HOST");
        ProgramFolders::SetOverride(QString());
    }
    // Acts as the recorder does: the name found goes back to StationName,
    // and an error resets the reader.
    void behaveLikeOwner(bool resetOnError = true)
    {
        QObject::connect(m_reader.get(), &ctlLive365TitleReader::TitleCallBack, m_reader.get(),
                         [this](const QString& name) { m_reader->SetStationName(name); });
        if (resetOnError)
            QObject::connect(m_reader.get(), &ctlLive365TitleReader::Error, m_reader.get(),
                             [this](int) { m_reader->SetStationName(QString()); });
    }
    void serveStandardPages(const QByteArray& nowPlaying)
    {
        m_server.route(QStringLiteral("/stations/"), {FakeWebServer::Page(kStationPage)});
        m_server.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Page(kWindowPage)});
        m_server.route(QStringLiteral("/np/"), {FakeWebServer::Page(nowPlaying)});
    }
    // For "nothing more happens" checks: the reader acts only on its timers'
    // ticks and on its sockets. When no timer runs it waits for a call;
    // otherwise its next two ticks show what they do. No connection may be starting.
    void expectQuiet()
    {
        RunPendingEvents();
        for (int tick = 0; tick < 2 && m_reader->TimersActive(); ++tick)
            ASSERT_TRUE(WaitForTimerTicks(ctlLive365TitleReader::kTimerPeriodMs, 1));
        EXPECT_FALSE(m_reader->Requesting());
    }
    bool waitFor(QSignalSpy& spy, int count = 1) { return WaitUntil([&] { return spy.count() >= count; }, 5000); }
    QString title(int i) const { return m_titles->at(i).at(0).toString() + " / " + m_titles->at(i).at(1).toString(); }
    int firstError() const { return m_errors->isEmpty() ? 0 : m_errors->first().first().toInt(); }

    TempFolder m_home;
    FakeTickSource m_clock{1000};
    FakeWebServer m_server;
    std::unique_ptr<ctlLive365TitleReader> m_reader;
    std::unique_ptr<QSignalSpy> m_titles, m_names, m_errors;
};

TEST_F(Live365Reader, StationPageGivesBroadcastName)
{
    m_server.route(QStringLiteral("/stations/"), {FakeWebServer::Page(kStationPage, 3)});
    m_reader->GetL365StationFromNumber(QStringLiteral("123"), true);
    ASSERT_TRUE(waitFor(*m_names));
    EXPECT_EQ(m_names->first().first().toString(), QStringLiteral("jazzcat"));
    ASSERT_EQ(m_server.requests().size(), 1);
    EXPECT_EQ(m_server.requests().first(), QByteArray("GET /stations/123 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    EXPECT_TRUE(m_reader->AFLMode());
    EXPECT_TRUE(WaitUntil([&] { return !m_reader->HasOpenSocket(); }, 2000));
    EXPECT_EQ(m_errors->count(), 0);
}

TEST_F(Live365Reader, MissingMarkersRaiseErrors)
{
    const struct {
        const char* route;
        QByteArray page;
        bool byNumber;
        int code;
    } cases[] = {
        {"/stations/", "<html><body>No broadcast here</body></html>", true, 5},
        {"/cgi-bin/mini.cgi", "<html><frame src=\"/np/now.js?m=\" name=\"Other\"></html>", false, 8},
        {"/cgi-bin/mini.cgi", "<html><b name=\"Live365PlayerPlaylist\"></b></html>", false, 8},
    };
    for (const auto& c : cases) {
        FakeWebServer server;
        ASSERT_TRUE(server.start());
        qputenv("TONQUILL_LIVE365_HOST", server.hostSetting().toLatin1());
        server.route(QString::fromLatin1(c.route), {FakeWebServer::Page(c.page)});
        m_errors->clear();
        if (c.byNumber)
            m_reader->GetL365StationFromNumber(QStringLiteral("7"));
        else
            m_reader->SetStationName(QStringLiteral("jazzcat"));
        ASSERT_TRUE(waitFor(*m_errors)) << c.route;
        EXPECT_EQ(firstError(), c.code) << c.page.constData();
        expectQuiet();
        EXPECT_EQ(server.requestLines().size(), 1) << "nothing fetched after the faulty page";
        m_reader->SetStationName(QString());
    }
    EXPECT_EQ(m_titles->count(), 0);
    EXPECT_EQ(m_names->count(), 0);
}

TEST_F(Live365Reader, StationNumberLeadsToTitles)
{
    behaveLikeOwner();
    serveStandardPages(nowPlayingPage("Miles Davis", "So What", "var gSecondsLeft = 5;\r\n"));
    m_reader->GetL365StationFromNumber(QStringLiteral("123"));
    ASSERT_TRUE(waitFor(*m_titles));
    EXPECT_EQ(title(0), QStringLiteral("Miles Davis / So What"));
    const QStringList lines = m_server.requestLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(1),
              QStringLiteral("GET /cgi-bin/mini.cgi?membername=jazzcat&clientType=&playlist=undefined&bitratebypass=1 "
                             "HTTP/1.1"));
    EXPECT_EQ(lines.at(2), QStringLiteral("GET /np/now.js?handle=abc&membername=jazzcat HTTP/1.1"));
    EXPECT_EQ(m_reader->StationName(), QStringLiteral("jazzcat"));
    EXPECT_EQ(m_reader->HeaderRem(), QStringLiteral("/np/now.js?handle=abc&membername="));
    EXPECT_EQ(m_reader->SecondsLeft(), 5);
    EXPECT_EQ(m_errors->count(), 0);
}

TEST_F(Live365Reader, AflHandleOnlyWithOrMarker)
{
    const struct {
        bool afl;
        bool orMarker;
        const char* handle;
    } cases[] = {
        {true, true, "handle=afl%3Aabc"},
        {true, false, "handle=abc"},
        {false, true, "handle=abc"},
        {false, false, "handle=abc"},
    };
    behaveLikeOwner();
    for (const auto& c : cases) {
        FakeWebServer server;
        ASSERT_TRUE(server.start());
        qputenv("TONQUILL_LIVE365_HOST", server.hostSetting().toLatin1());
        server.route(QStringLiteral("/stations/"), {FakeWebServer::Page(kStationPage)});
        server.route(QStringLiteral("/cgi-bin/mini.cgi"),
                     {FakeWebServer::Page(windowPageFor(QStringLiteral("/np/now.js?handle=abc&membername="),
                                                        c.orMarker ? "<script>var auth = \"OR\";</script>" : ""))});
        server.route(QStringLiteral("/np/"), {FakeWebServer::Page(nowPlayingPage("A", "T"))});
        m_titles->clear();
        m_reader->GetL365StationFromNumber(QStringLiteral("55"), c.afl);
        ASSERT_TRUE(waitFor(*m_titles)) << c.afl << c.orMarker;
        ASSERT_EQ(server.requestLines().size(), 3);
        EXPECT_EQ(server.requestLines().at(2),
                  QStringLiteral("GET /np/now.js?%1&membername=jazzcat HTTP/1.1").arg(QLatin1String(c.handle)))
            << c.afl << c.orMarker;
        m_reader->SetStationName(QString());
    }
}

TEST_F(Live365Reader, UnclosedArtistGivesRestOfPage)
{
    const QByteArray page = "<html>artist:\"Unclosed artist   </html>";
    serveStandardPages(page);
    m_reader->SetStationName(QStringLiteral("jazzcat"));
    ASSERT_TRUE(waitFor(*m_titles));
    EXPECT_EQ(m_titles->first().at(0).toString(), QStringLiteral("Unclosed artist   </html>"));
    EXPECT_EQ(m_titles->first().at(1).toString(), QString());
}

TEST_F(Live365Reader, PageInChunksIsProcessedOnce)
{
    // The end marker is split over two segments and more data follows it.
    FakeAnswer answer;
    answer.segments = {"HTTP/1.1 200 OK\r\n\r\n<html>artist:\"Chet", " Baker\", title:\"Alone", " Together\", </ht",
                       "ml>", "artist:\"Someone Else\", title:\"Later\", </html>"};
    answer.hold = true;
    m_server.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Page(kWindowPage)});
    m_server.route(QStringLiteral("/np/"), {answer});
    m_reader->SetStationName(QStringLiteral("jazzcat"));
    ASSERT_TRUE(waitFor(*m_titles));
    ASSERT_TRUE(WaitUntil([&] { return m_server.segmentsWritten() >= answer.segments.size() + 1; }));
    RunPendingEvents();
    ASSERT_EQ(m_titles->count(), 1);
    EXPECT_EQ(title(0), QStringLiteral("Chet Baker / Alone Together"));
}

TEST_F(Live365Reader, SecondsLeftSchedulesReload)
{
    const struct {
        qint32 startTick;
        const char* tail;
        qint64 reloadAfterMs;  // 0: never
    } cases[] = {
        {1000, "var gSecondsLeft = 4;", 4000},
        {std::numeric_limits<qint32>::max() - 1500, "var gSecondsLeft = 3;", 3000},  // across the wrap
        {1000, "", 0},
        {1000, "var gSecondsLeft = 0;", 0},
    };
    for (const auto& c : cases) {
        FakeWebServer server;
        ASSERT_TRUE(server.start());
        qputenv("TONQUILL_LIVE365_HOST", server.hostSetting().toLatin1());
        server.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Page(kWindowPage)});
        server.route(QStringLiteral("/np/"), {FakeWebServer::Page(nowPlayingPage("A", "One", c.tail)),
                                              FakeWebServer::Page(nowPlayingPage("B", "Two", c.tail))});
        m_clock.set(c.startTick);
        m_titles->clear();
        m_reader->SetStationName(QStringLiteral("jazzcat"));
        ASSERT_TRUE(waitFor(*m_titles)) << c.tail;
        const qint64 wait = c.reloadAfterMs ? c.reloadAfterMs : 3600 * 1000;
        m_clock.advance(wait - 100);
        ASSERT_TRUE(WaitForTimerTicks(ctlLive365TitleReader::kTimerPeriodMs));
        EXPECT_EQ(server.countFor(QStringLiteral("/np/")), 1) << "too early: " << c.tail;
        m_clock.advance(101);
        if (c.reloadAfterMs) {
            ASSERT_TRUE(waitFor(*m_titles, 2)) << c.tail;
            EXPECT_EQ(title(1), QStringLiteral("B / Two"));
            EXPECT_EQ(server.requestLines().last(), QStringLiteral("GET /np/now.js?handle=abc&membername=jazzcat HTTP/1.1"));
        } else {
            expectQuiet();
            EXPECT_EQ(server.countFor(QStringLiteral("/np/")), 1) << c.tail;
        }
        m_reader->SetStationName(QString());
    }
    EXPECT_EQ(m_errors->count(), 0);
}

TEST_F(Live365Reader, HangingNowPlayingRequestIsMadeAgain)
{
    for (qint32 startTick : {1000, 0, std::numeric_limits<qint32>::max() - 3000}) {
        FakeWebServer server;
        ASSERT_TRUE(server.start());
        qputenv("TONQUILL_LIVE365_HOST", server.hostSetting().toLatin1());
        server.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Page(kWindowPage)});
        server.route(QStringLiteral("/np/"), {FakeWebServer::Held("<html>artist:\"Half"),
                                              FakeWebServer::Page(nowPlayingPage("Whole", "Page"))});
        m_clock.set(startTick);
        m_titles->clear();
        m_reader->SetStationName(QStringLiteral("jazzcat"));
        ASSERT_TRUE(WaitUntil([&] { return server.countFor(QStringLiteral("/np/")) == 1; })) << startTick;
        m_clock.advance(5900);
        ASSERT_TRUE(WaitForTimerTicks(ctlLive365TitleReader::kTimerPeriodMs));
        EXPECT_EQ(server.countFor(QStringLiteral("/np/")), 1) << startTick;
        m_clock.advance(200);
        ASSERT_TRUE(waitFor(*m_titles)) << startTick;
        EXPECT_EQ(title(0), QStringLiteral("Whole / Page"));
        EXPECT_EQ(m_reader->HeaderRem(), QStringLiteral("/np/now.js?handle=abc&membername="));
        m_reader->SetStationName(QString());
    }
}

TEST_F(Live365Reader, IncompletePagesTimeOut)
{
    m_server.route(QStringLiteral("/stations/"), {FakeWebServer::Held("<html>LaunchBroad")});
    m_server.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Held("<html><frame src=\"/np")});
    m_reader->GetL365StationFromNumber(QStringLiteral("1"));
    ASSERT_TRUE(WaitUntil([&] { return m_server.requestLines().size() == 1; }));
    m_clock.advance(14900);
    ASSERT_TRUE(WaitForTimerTicks(ctlLive365TitleReader::kTimerPeriodMs));
    EXPECT_EQ(m_errors->count(), 0);
    m_clock.advance(200);
    // Without an owner the error repeats on every tick.
    ASSERT_TRUE(waitFor(*m_errors, 2));
    EXPECT_EQ(m_errors->at(0).first().toInt(), 4);
    EXPECT_EQ(m_errors->at(1).first().toInt(), 4);

    m_reader->SetStationName(QString());
    behaveLikeOwner();
    m_errors->clear();
    m_reader->SetStationName(QStringLiteral("jazzcat"));
    ASSERT_TRUE(WaitUntil([&] { return m_server.requestLines().size() == 2; }));
    m_clock.advance(15100);
    ASSERT_TRUE(waitFor(*m_errors));
    expectQuiet();
    ASSERT_EQ(m_errors->count(), 1) << "the owner's reset ends the repetition";
    EXPECT_EQ(firstError(), 7);
}

TEST_F(Live365Reader, ConnectionFailures)
{
    const RefusingPort refusing;  // bound, never listening: nobody can take it meanwhile
    const int refused = refusing.port();
    ASSERT_NE(refused, 0);
    StalledListener stalled;
    const bool canStall = stalled.open();
    const QString refusedHost = QStringLiteral("127.0.0.1:%1").arg(refused);
    const QString stalledHost = QStringLiteral("127.0.0.1:%1").arg(stalled.port());
    enum Step { ByNumber, ByName, NowPlaying };
    const struct {
        Step step;
        bool stall;
        int code;
    } cases[] = {
        {ByNumber, false, 3}, {ByName, false, 6}, {NowPlaying, false, 1},
        {ByNumber, true, 4},  {ByName, true, 7},  {NowPlaying, true, 2},
    };
    for (const auto& c : cases) {
        if (c.stall && !canStall) {
            ADD_FAILURE() << "could not make a connection hang on 127.0.0.1";
            continue;
        }
        const QString bad = c.stall ? stalledHost : refusedHost;
        FakeWebServer server;
        ASSERT_TRUE(server.start());
        // The now-playing address names its own host, which fails.
        server.route(QStringLiteral("/cgi-bin/mini.cgi"),
                     {FakeWebServer::Page(windowPageFor(QStringLiteral("http://%1/np/now.js?m=").arg(bad)))});
        qputenv("TONQUILL_LIVE365_HOST", (c.step == NowPlaying ? server.hostSetting() : bad).toLatin1());
        m_errors->clear();
        if (c.step == ByNumber)
            m_reader->GetL365StationFromNumber(QStringLiteral("9"));
        else
            m_reader->SetStationName(QStringLiteral("jazzcat"));
        if (c.step == NowPlaying)
            ASSERT_TRUE(WaitUntil([&] { return server.requestLines().size() == 1; }));
        if (c.stall) {
            ASSERT_TRUE(WaitForTimerTicks(ctlLive365TitleReader::kTimerPeriodMs));
            EXPECT_EQ(m_errors->count(), 0) << "still connecting";
            m_clock.advance(3001);
        }
        ASSERT_TRUE(waitFor(*m_errors)) << c.code;
        expectQuiet();
        EXPECT_EQ(m_errors->count(), 1) << c.code;
        EXPECT_EQ(firstError(), c.code);
        m_reader->SetStationName(QString());
    }
    EXPECT_EQ(m_titles->count(), 0);
}

TEST_F(Live365Reader, ClearingNameWhileRequestsArePendingStopsEverything)
{
    m_server.route(QStringLiteral("/stations/"), {FakeWebServer::Held("<html>LaunchBroadcast('x")});
    m_server.route(QStringLiteral("/cgi-bin/mini.cgi"),
                   {FakeWebServer::Page(kWindowPage), FakeWebServer::Held("<html><frame src=\"/")});
    m_server.route(QStringLiteral("/np/"), {FakeWebServer::Held("<html>artist:\"Half")});
    m_reader->GetL365StationFromNumber(QStringLiteral("1"));
    m_reader->SetStationName(QStringLiteral("jazzcat"));
    ASSERT_TRUE(WaitUntil([&] { return m_server.countFor(QStringLiteral("/np/")) == 1; }));
    m_reader->ReadWindow();
    ASSERT_TRUE(WaitUntil([&] { return m_server.requestLines().size() == 4 && m_server.openConnections() == 3; }));

    m_reader->SetStationName(QString());
    EXPECT_FALSE(m_reader->HasOpenSocket());
    EXPECT_TRUE(WaitUntil([&] { return m_server.openConnections() == 0; }, 2000));
    EXPECT_TRUE(m_reader->HeaderRem().isEmpty());
    for (int i = 0; i < 3; ++i) {
        m_clock.advance(10000);
        expectQuiet();
    }
    EXPECT_EQ(m_titles->count() + m_names->count() + m_errors->count(), 0);
    EXPECT_EQ(m_server.requestLines().size(), 4);
}

}  // namespace

// A host setting with "https://" fetches the pages over TLS, and so does a
// now-playing address the window page gives as "https://"; a certificate that
// does not verify is a connection error that names the host and the reason.
TEST_F(Live365Reader, PagesOverHttps)
{
    ASSERT_TRUE(MakeCertificate(m_home, QStringLiteral("IP:127.0.0.1")));
    ASSERT_TRUE(MakeCertificate(m_home, QStringLiteral("DNS:wrong.example"), QStringLiteral("wrong-")));
    qputenv("TONQUILL_CA_FILE", m_home.file(QStringLiteral("cert.pem")).toUtf8());
    TlsServer secure(m_home.file(QStringLiteral("cert.pem")), m_home.file(QStringLiteral("key.pem")),
                     [&](const QByteArray& request, bool&) -> QByteArray {
                         if (request.startsWith("GET /stations/"))
                             return "HTTP/1.0 200 OK\r\n\r\n" + kStationPage;
                         if (request.startsWith("GET /cgi-bin/mini.cgi"))
                             return "HTTP/1.0 200 OK\r\n\r\n" + windowPageFor(secure.base() + "/np/now.js?m=");
                         return "HTTP/1.0 200 OK\r\n\r\n" + nowPlayingPage("Miles Davis", "So What");
                     });
    qputenv("TONQUILL_LIVE365_HOST", "https://127.0.0.1:" + QByteArray::number(secure.serverPort()));
    behaveLikeOwner();
    m_reader->GetL365StationFromNumber(QStringLiteral("123"));
    ASSERT_TRUE(waitFor(*m_titles)) << firstError();
    EXPECT_EQ(title(0), QStringLiteral("Miles Davis / So What"));
    EXPECT_EQ(secure.handshakes, 3);
    ASSERT_EQ(secure.requests.size(), 3);
    EXPECT_TRUE(secure.requests[2].startsWith("GET /np/now.js?m=jazzcat HTTP/1.1\r\n"));
    m_reader->SetStationName(QString());

    TlsServer wrong(m_home.file(QStringLiteral("wrong-cert.pem")), m_home.file(QStringLiteral("wrong-key.pem")),
                    [](const QByteArray&, bool&) { return "HTTP/1.0 200 OK\r\n\r\n" + kStationPage; });
    qputenv("TONQUILL_LIVE365_HOST", "https://127.0.0.1:" + QByteArray::number(wrong.serverPort()));
    m_errors->clear();
    m_names->clear();
    m_reader->GetL365StationFromNumber(QStringLiteral("123"));
    const bool failed = waitFor(*m_errors);
    qunsetenv("TONQUILL_CA_FILE");
    ASSERT_TRUE(failed);
    EXPECT_EQ(firstError(), 3);
    EXPECT_EQ(m_names->count(), 0);
    EXPECT_TRUE(wrong.requests.isEmpty());  // nothing was sent over it
    const QString message = m_reader->StdErrorMessage(3);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Connection error reading Live365 name!\r\n"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("127.0.0.1")) && message.contains(QStringLiteral("host name"), Qt::CaseInsensitive))
        << message.toStdString();
}
