#include "platform/messages.h"
#include "platform/tickcount.h"
#include "sources/urigrabber.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QByteArray kUserAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)\r\n";

QByteArray expectedRequest(const QByteArray& target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + kUserAgent + "\r\n";
}

// Everything the grabber reports, one line per event.
struct EventLog {
    QStringList lines;
    QString titleAtDone;
    explicit EventLog(ctlURIGrabber& g)
    {
        QObject::connect(&g, &ctlURIGrabber::URLRaise,
                         [this](const QString& host, const QString& resource, int port, const QString& query) {
                             lines << QStringLiteral("URLRaise %1 %2 %3 %4").arg(host, resource).arg(port).arg(query);
                         });
        QObject::connect(&g, &ctlURIGrabber::Done, [this, &g] {
            lines << QStringLiteral("Done");
            titleAtDone = g.strFirstTitle;
        });
        QObject::connect(&g, &ctlURIGrabber::Error,
                         [this](int code) { lines << QStringLiteral("Error %1").arg(code); });
    }
    bool finished() const
    {
        return !lines.isEmpty() && (lines.last() == QLatin1String("Done") || lines.last().startsWith("Error"));
    }
};

const QByteArray kPlsBody =
    "[playlist]\r\nNumberOfEntries=3\r\nFile1=http://a.example.com:8000/\r\n"
    "Title1=(#1 - 12/500) Test Radio\r\nLength1=-1\r\nFile2=http://b.example.com:8002/live?sid=2\r\n"
    "Title2=Second\r\nLength2=-1\r\nFile3=c.example.com:9000\r\nTitle3=Third\r\nVersion=2\r\n";

const QStringList kPlsEvents = {
    QStringLiteral("URLRaise a.example.com / 8000 "),
    QStringLiteral("URLRaise b.example.com /live 8002 sid=2"),
    QStringLiteral("URLRaise c.example.com / 9000 "),
    QStringLiteral("Done"),
};

// Chunks of at most `size` bytes; the closing zero chunk only when `last`.
QByteArray chunks(const QByteArray& body, int size, bool last)
{
    QByteArray out;
    for (qsizetype at = 0; at < body.size(); at += size) {
        const QByteArray part = body.mid(at, size);
        out += QByteArray::number(part.size(), 16) + "\r\n" + part + "\r\n";
    }
    return last ? out + "0\r\n\r\n" : out;
}

QByteArray lengthHeader(const QByteArray& status, const QByteArray& body)
{
    return status + "Content-Type: audio/x-scpls\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
}

struct Delivery {
    const char* name;
    std::function<ScriptedReply(const QByteArray& body)> make;
};

const QByteArray k11 = "HTTP/1.1 200 OK\r\n";

const Delivery kDeliveries[] = {
    {"one piece with a length, kept open",
     [](const QByteArray& b) {
         return ScriptedReply{{lengthHeader(k11, b) + b}, false};
     }},
    {"header and body written apart",
     [](const QByteArray& b) {
         return ScriptedReply{{lengthHeader(k11, b), b}, false};
     }},
    {"status line, header lines and body in pieces",
     [](const QByteArray& b) {
         const QByteArray head = lengthHeader(k11, b);
         return ScriptedReply{{head.left(17), head.mid(17, 20), head.mid(37), b.left(20), b.mid(20)}, false};
     }},
    {"chunked over several writes",
     [](const QByteArray& b) {
         return ScriptedReply{
             {k11 + "Transfer-Encoding: chunked\r\n\r\n", chunks(b.left(50), 16, false), chunks(b.mid(50), 64, true)},
             false};
     }},
    {"until the server closes",
     [](const QByteArray& b) {
         return ScriptedReply{{"HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n", b.left(30), b.mid(30)}, true};
     }},
    {"one piece, then closed",
     [](const QByteArray& b) {
         return ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + b}, true};
     }},
};

class Grabber : public ::testing::Test {
protected:
    // Runs one fetch against a server that gives `reply` to every request.
    QStringList fetch(const QString& path, const ScriptedReply& reply, int timeoutMs = 3000)
    {
        ScriptedServer server([&](const QByteArray&) { return reply; });
        ctlURIGrabber g(&clock, &messages);
        EventLog log(g);
        g.StartURIValidation(server.base() + path);
        EXPECT_TRUE(WaitUntil([&] { return log.finished(); }, timeoutMs));
        RunPendingEvents(); // nothing more may follow
        requests = server.requests;
        title = g.strFirstTitle;
        lastPort = server.port();
        return log.lines;
    }

    FakeTickSource clock;
    RecordingMessageService messages;
    QList<QByteArray> requests;
    QString title;
    int lastPort = 0;
};

TEST_F(Grabber, APlsRaisesEveryServerInOrderThenDoneWhateverTheDelivery)
{
    for (const Delivery& d : kDeliveries) {
        SCOPED_TRACE(d.name);
        ScriptedServer server([&](const QByteArray&) { return d.make(kPlsBody); });
        ctlURIGrabber g(&clock, &messages);
        EventLog log(g);
        g.StartURIValidation(server.base() + QStringLiteral("/tunein/station.pls"));
        EXPECT_EQ(g.strFirstTitle, QStringLiteral("station"));
        EXPECT_TRUE(g.IsBusy());
        ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
        EXPECT_EQ(log.lines, kPlsEvents);
        EXPECT_EQ(log.titleAtDone, QStringLiteral("(#1 - 12/500) Test Radio"));
        EXPECT_FALSE(g.IsBusy());
        ASSERT_EQ(server.requests.size(), 1);
        EXPECT_EQ(server.requests.at(0), expectedRequest("/tunein/station.pls"));
        EXPECT_TRUE(messages.messages.isEmpty());
    }
}

TEST_F(Grabber, SendsTheQueryStringAndTheHostWithoutItsPort)
{
    fetch(QStringLiteral("/sbin/tunein-station.pls?id=1014&x=y"),
          ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + kPlsBody}});
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.at(0), expectedRequest("/sbin/tunein-station.pls?id=1014&x=y"));
}

TEST_F(Grabber, M3uResponsesKeepOrDropTheCarriageReturn)
{
    const struct {
        QByteArray body;
        QString event;
    } cases[] = {
        {"http://a.example.com:8000/live\r\n", QStringLiteral("URLRaise a.example.com /live\r 8000 ")},
        {"http://a.example.com:8000/live\n", QStringLiteral("URLRaise a.example.com /live 8000 ")},
        {"#EXTM3U\n#EXTINF:-1,Name\nhttp://a.example.com/s?k=v\n", QStringLiteral("URLRaise a.example.com /s 80 k=v")},
    };
    for (const auto& c : cases) {
        const QStringList events =
            fetch(QStringLiteral("/radio.m3u"), ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n", c.body}, true});
        EXPECT_EQ(events, (QStringList{c.event, QStringLiteral("Done")}));
        EXPECT_EQ(title, QString());
    }
}

TEST_F(Grabber, RefusedContentEndsInItsCode)
{
    const struct {
        const char* path;
        ScriptedReply reply;
        QStringList events;
    } cases[] = {
        {"/list.pls",
         {{"HTTP/1.0 200 OK\r\n\r\nFile1=http://a.example.com/\r\nFile2=http://b/s.ogg\r\n"}},
         {QStringLiteral("URLRaise a.example.com / 80 "), QStringLiteral("URLRaise b /s.ogg 80 "),
          QStringLiteral("Done")}},
        {"/list.pls",
         {{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\n", "not found"}, false},
         {QStringLiteral("Error 3")}},
        {"/list.pls", {{"HTTP/1.0 200 OK\r\n\r\n<html>nothing</html>"}}, {QStringLiteral("Error 6")}},
        {"/list.m3u", {{"HTTP/1.0 200 OK\r\n\r\n#EXTM3U\r\n"}}, {QStringLiteral("Error 5")}},
        {"/list.pls",
         {{"HTTP/1.0 200 OK\r\n\r\nFile1=http://a.example.com/\r\nFile2=http://b.example.com:50000/\r\n"}},
         {QStringLiteral("URLRaise a.example.com / 80 "), QStringLiteral("URLRaise b.example.com / 50000 "),
          QStringLiteral("Done")}},
        {"/list.pls",
         {{"HTTP/1.0 200 OK\r\n\r\nFile1=http://a.example.com/\r\nFile2=http://b.example.com:65536/\r\n"}},
         {QStringLiteral("URLRaise a.example.com / 80 "), QStringLiteral("Error 99")}},
        {"/list.pls",
         {{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nFile1=http://a/\r\n"}, true},
         {QStringLiteral("Error 3")}},
        {"/list.pls",
         {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nnot-hex\r\n"}, false},
         {QStringLiteral("Error 3")}},
        {"/list.pls", {{}, true}, {QStringLiteral("Error 3")}},
        // An Ogg stream at the list's address is the station itself; an Ogg
        // file of a given length is not a stream.
        {"/list.pls",
         {{"HTTP/1.0 200 OK\r\n\r\nTitle1=Best .ogg Radio\r\nFile1=http://a.example.com/live.mp3\r\n"}},
         {QStringLiteral("URLRaise a.example.com /live.mp3 80 "), QStringLiteral("Done")}},
        {"/list.pls",
         {{"HTTP/1.1 200 OK\r\nContent-Type: Application/Ogg\r\n\r\nOggS\0\2"}, false},
         {QStringLiteral("URLRaise 127.0.0.1 /list.pls PORT "), QStringLiteral("Done")}},
        {"/list.pls",
         {{"HTTP/1.0 200 OK\r\nContent-Type: audio/ogg\r\nContent-Length: 4\r\n\r\nOggS"}},
         {QStringLiteral("Error 7")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.pieces.empty() ? "closed at once" : c.reply.pieces.at(0).constData());
        const QStringList events = fetch(QString::fromUtf8(c.path), c.reply);
        QStringList expected = c.events;
        expected.replaceInStrings(QStringLiteral("PORT"), QString::number(lastPort));
        EXPECT_EQ(events, expected);
    }
}

TEST_F(Grabber, AResponsePastTheSizeBoundIsRefusedAsTooLarge)
{
    const qsizetype bound = 16 * 1024 * 1024;
    const QByteArray big = "File1=http://a.example.com/\r\n" + QByteArray(bound, 'x');
    const ScriptedReply replies[] = {
        {{"HTTP/1.0 200 OK\r\n\r\n", big.left(100 * 1024), big.mid(100 * 1024)}, false},
        {{"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(big.size()) + "\r\n\r\n"}, false},
    };
    for (const ScriptedReply& r : replies)
        EXPECT_EQ(fetch(QStringLiteral("/big.pls"), r), QStringList{QStringLiteral("Error 8")});
    EXPECT_EQ(ctlURIGrabber::ErrorText(8), QStringLiteral("The playlist file is too large (more than 16 MiB)!"));
}

TEST_F(Grabber, APlaylistOfTenThousandEntriesIsRead)
{
    QByteArray body = "[playlist]\r\nNumberOfEntries=10000\r\n";
    for (int i = 1; i <= 10000; ++i)
        body += "File" + QByteArray::number(i) + "=http://s" + QByteArray::number(i) + ".example.com:8000/" +
                QByteArray(40, 'p') + "\r\n";
    const QStringList lines =
        fetch(QStringLiteral("/many.pls"), ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + body}}, 30000);
    ASSERT_EQ(lines.size(), 10001);
    EXPECT_EQ(lines.back(), QStringLiteral("Done"));
}

TEST_F(Grabber, FollowsAMetaRefreshWithAQuotedAddress)
{
    QString target;
    ScriptedServer server([&](const QByteArray& request) {
        if (request.startsWith("GET /page.pls "))
            return ScriptedReply{{"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n",
                                  "<html><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=\"" + target.toUtf8() +
                                      "\"\"></head></html>"}};
        return ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + kPlsBody}};
    });
    target = server.base() + QStringLiteral("/real/list.pls");
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(server.base() + QStringLiteral("/page.pls"));
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
    EXPECT_EQ(log.lines, kPlsEvents);
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_EQ(server.requests.at(1), expectedRequest("/real/list.pls"));
    EXPECT_EQ(g.Address(), target);
}

TEST_F(Grabber, ARefreshThatIsNotHttpEndsInBadFileName)
{
    TempFolder folder;
    // Even a file that exists is not opened on a page's word.
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("local.pls")), "File1=http://a.example.com/\r\n"));
    for (const QString& where : {QStringLiteral("next.pls"), folder.file(QStringLiteral("local.pls"))}) {
        const QByteArray page = "<meta http-equiv=\"refresh\" content=\"0;url=" + where.toUtf8() + "\">";
        EXPECT_EQ(fetch(QStringLiteral("/page.pls"), ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + page}}),
                  QStringList{QStringLiteral("Error 4")});
    }
    EXPECT_EQ(title, QStringLiteral("local"));
}

TEST_F(Grabber, AMalformedRefreshShowsTheSourceAndRaisesNothing)
{
    const QByteArray page = "<meta http-equiv=\"refresh\" content=\"30\">";
    ScriptedServer server([&](const QByteArray&) { return ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n" + page}}; });
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(server.base() + QStringLiteral("/page.pls"));
    ASSERT_TRUE(WaitUntil([&] { return !messages.messages.isEmpty(); }, 3000));
    RunPendingEvents();
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_FALSE(g.IsBusy());
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_EQ(messages.messages.at(0),
              QStringLiteral("The meta-refresh data passed to the Tavrix is malformed. \r\nSource:\r\n"
                             "HTTP/1.0 200 OK\r\n\r\n") +
                  QString::fromUtf8(page));
    // The time-out stays quiet afterwards.
    clock.advance(10000);
    g.Timer1_Timer();
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(Grabber, ARefreshLoopIsCutOff)
{
    QString self;
    ScriptedServer server([&](const QByteArray&) {
        return ScriptedReply{
            {"HTTP/1.0 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0;url=" + self.toUtf8() + "\">"}};
    });
    self = server.base() + QStringLiteral("/loop.pls");
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(self);
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 3")});
    EXPECT_EQ(server.requests.size(), ctlURIGrabber::kMaxRefreshFollows + 1);
}

TEST_F(Grabber, ASilentServerTimesOutAfter3001Milliseconds)
{
    ScriptedServer server([](const QByteArray&) { return ScriptedReply{{}, false, true}; });
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(server.base() + QStringLiteral("/quiet.pls"));
    ASSERT_TRUE(WaitUntil([&] { return server.requests.size() == 1; }, 3000));
    clock.advance(3000);
    g.Timer1_Timer(); // a tick at the last moment before the time-out
    RunPendingEvents();
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_TRUE(g.IsBusy());
    clock.advance(1);
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 1000));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 3")});
    EXPECT_FALSE(g.IsBusy());
}

TEST_F(Grabber, DataThatKeepsComingHoldsTheTimeOutOff)
{
    ScriptedServer server(
        [](const QByteArray&) {
            return ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n", "File1=http://a.example.com/\r\n", "Title1=Slow\r\n"}};
        },
        200);
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    // About two seconds of the fake clock pass between pieces, four in all:
    // each piece arrives in time although the whole takes longer than 3001 ms.
    g.StartURIValidation(server.base() + QStringLiteral("/slow.pls"));
    QTimer advance;
    QObject::connect(&advance, &QTimer::timeout, [&] { clock.advance(200); });
    advance.start(20);
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
    EXPECT_EQ(log.lines, (QStringList{QStringLiteral("URLRaise a.example.com / 80 "), QStringLiteral("Done")}));
    EXPECT_EQ(log.titleAtDone, QStringLiteral("Slow"));
}

TEST_F(Grabber, ASilentServerTimesOutInRealTime)
{
    SystemTickSource realClock;
    ScriptedServer server([](const QByteArray&) { return ScriptedReply{{}, false, true}; });
    ctlURIGrabber g(&realClock, &messages);
    EventLog log(g);
    QElapsedTimer watch;
    watch.start();
    g.StartURIValidation(server.base() + QStringLiteral("/quiet.pls"));
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 6000));
    EXPECT_GE(watch.elapsed(), 2900);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 3")});
}

TEST_F(Grabber, ARefusedConnectionRaisesOneWinsockError)
{
    int port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(ListenLowPort(probe));
        port = probe.serverPort();
    }
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(QStringLiteral("http://127.0.0.1:%1/none.pls").arg(port));
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
    g.Timer1_Timer(); // ticks after the error change nothing
    g.Timer1_Timer();
    RunPendingEvents();
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 1")});
    EXPECT_FALSE(g.IsBusy());
}

TEST_F(Grabber, AnAddressWithoutAUsablePortRaisesAWinsockError)
{
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    g.StartURIValidation(QStringLiteral("httpx://127.0.0.1/none.pls")); // unknown protocol: port 0
    ASSERT_TRUE(WaitUntil([&] { return log.finished(); }, 3000));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 1")});
}

TEST_F(Grabber, AConnectionStillPendingAfter3000MillisecondsTimesOut)
{
    ScriptedServer server([](const QByteArray&) { return ScriptedReply{{}, false, true}; });
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    // The name is looked up on another thread, so the connection cannot be
    // made before the event loop runs again.
    g.StartURIValidation(QStringLiteral("http://localhost:%1/wait.pls").arg(server.port()));
    clock.advance(3000);
    g.Timer1_Timer();
    EXPECT_TRUE(log.lines.isEmpty());
    clock.advance(1);
    g.Timer1_Timer();
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 2")});
    EXPECT_FALSE(g.IsBusy());
    RunPendingEvents();
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Error 2")});
    EXPECT_TRUE(server.requests.isEmpty());
}

TEST_F(Grabber, LocalFilesAndAddressesThatCannotBeFetched)
{
    TempFolder folder;
    const QString pls = folder.file(QStringLiteral("My Station.pls"));
    ASSERT_TRUE(WriteAll(pls, "[playlist]\r\nFile1=http://a.example.com:8000/\r\nTitle1=Local Title\r\nFile2="
                              "http://b.example.com:8010/x?y\r\n"));
    const QString m3u = folder.file(QStringLiteral("radio.m3u"));
    ASSERT_TRUE(WriteAll(m3u, "#EXTM3U\nhttp://c.example.com:8000/live\n"));
    const QString bad = folder.file(QStringLiteral("bad.pls"));
    ASSERT_TRUE(WriteAll(bad, "[playlist]\r\nFile1=http://a.example.com:99999/\r\n"));
    // Not regular files (a FIFO must not block, a device must not read without
    // end) and a file past the bound of a fetched playlist.
    const QString fifo = folder.file(QStringLiteral("fifo.pls"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = folder.file(QStringLiteral("zero.pls"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString huge = folder.file(QStringLiteral("huge.pls"));
    ASSERT_TRUE(WriteAll(huge, "File1=http://a.example.com/\r\n" + QByteArray(16 * 1024 * 1024, '#')));

    const struct {
        QString address;
        QStringList events;
        QString title;
    } cases[] = {
        {pls,
         {QStringLiteral("URLRaise a.example.com / 8000 "), QStringLiteral("URLRaise b.example.com /x 8010 y"),
          QStringLiteral("Done")},
         QStringLiteral("Local Title")},
        {m3u, {QStringLiteral("URLRaise c.example.com /live 8000 "), QStringLiteral("Done")}, QString()},
        {bad, {QStringLiteral("Error 99")}, QStringLiteral("bad")},
        {folder.file(QStringLiteral("missing.pls")), {QStringLiteral("Error 4")}, QStringLiteral("missing")},
        {fifo, {QStringLiteral("Error 9")}, QStringLiteral("fifo")},
        {zero, {QStringLiteral("Error 9")}, QStringLiteral("zero")},
        {huge, {QStringLiteral("Error 8")}, QStringLiteral("huge")},
        {QStringLiteral("HTTP://127.0.0.1:1/list.pls"), {QStringLiteral("Error 4")}, QStringLiteral("list")},
        {QStringLiteral("http://127.0.0.1:1/a.p"), {QStringLiteral("Error 99")}, QStringLiteral("unchanged")},
        {QStringLiteral("http://127.0.0.1:0/list.pls"), {QStringLiteral("Error 99")}, QStringLiteral("list")},
        {QString(), {QStringLiteral("Error 99")}, QStringLiteral("unchanged")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        ctlURIGrabber g(&clock, &messages);
        g.strFirstTitle = QStringLiteral("unchanged");
        EventLog log(g);
        g.StartURIValidation(c.address);
        // Local files and refused addresses report before the call returns.
        EXPECT_EQ(log.lines, c.events);
        EXPECT_EQ(g.strFirstTitle, c.title);
        EXPECT_FALSE(g.IsBusy());
    }
}

TEST_F(Grabber, AHandlerThatStartsAnotherFetchEndsTheReportOfTheFirst)
{
    TempFolder folder;
    const QString first = folder.file(QStringLiteral("first.pls"));
    const QString second = folder.file(QStringLiteral("second.pls"));
    ASSERT_TRUE(WriteAll(first, "File1=http://a.example.com/\r\nFile2=http://b.example.com/\r\n"));
    ASSERT_TRUE(WriteAll(second, "File1=http://c.example.com/\r\nTitle1=Second\r\n"));
    ctlURIGrabber g(&clock, &messages);
    EventLog log(g);
    bool restarted = false;
    QObject::connect(&g, &ctlURIGrabber::URLRaise, [&] {
        if (!restarted) {
            restarted = true;
            g.StartURIValidation(second);
        }
    });
    g.StartURIValidation(first);
    EXPECT_EQ(log.lines, (QStringList{QStringLiteral("URLRaise a.example.com / 80 "),
                                      QStringLiteral("URLRaise c.example.com / 80 "), QStringLiteral("Done")}));
    EXPECT_EQ(log.titleAtDone, QStringLiteral("Second"));
}

TEST(GrabberMessages, EveryCodeShowsItsTextAndOthersShowNothing)
{
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {1, "Winsock error on loading playlist file!"},
        {2, "Timeout connecting to remote site!"},
        {3, "Invalid URL or network error! Please make sure that the playlist file location is correct."},
        {4, "Bad playlist filename!"},
        {5, "The M3U file does not contain a proper HTTP reference in the filename!"},
        {6, "The PLS file is formatted incorrectly!"},
        {7, "This Ogg address is a file, not a stream: only Ogg streams can be recorded!"},
        {8, "The playlist file is too large (more than 16 MiB)!"},
        {9, "The playlist is not a regular file!"},
        {10, "This HLS playlist file lists the parts of a stream, not a station: record the address it came from "
             "instead!"},
        {99, "Unknown error retrieving playlist!"},
        {0, ""},
        {11, ""},
        {98, ""},
        {100, ""},
        {-1, ""},
    };
    FakeTickSource clock;
    for (const auto& c : cases) {
        RecordingMessageService messages;
        ctlURIGrabber g(&clock, &messages);
        g.StdErrorMessage(c.code);
        EXPECT_EQ(ctlURIGrabber::ErrorText(c.code), QString::fromUtf8(c.text)) << c.code;
        if (*c.text)
            EXPECT_EQ(messages.messages, QStringList{QString::fromUtf8(c.text)}) << c.code;
        else
            EXPECT_TRUE(messages.messages.isEmpty()) << c.code;
    }
}

} // namespace
