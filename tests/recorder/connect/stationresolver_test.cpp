// A station's address or playlist to its servers, or to the one error the
// recorder shows for it.
#include "fixture.h"

#include "platform/messages.h"
#include "platform/tickcount.h"
#include "recorder/stationresolver.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/eventwait.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Where a row's playlist comes from.
enum class From {
    Web,     // the test server answers `body` at `at`
    File,    // a local file named `at` holds `body`
    Address, // `at` is the address itself
};

struct ResolveCase {
    const char* name;
    From from;
    const char* at;
    QByteArray body;
    QStringList servers; // "host path port query", " tls" added for a secure one; {port} is the test server's
    ResolveError error;
    QString message;
    QString title; // "" after an error
};

const QByteArray kOk = "HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nConnection: close\r\n\r\n";
const QString kEmpty = QStringLiteral("Empty MP3 server list due to error!");
const QString kInvalid =
    QStringLiteral("Invalid URL or network error! Please make sure that the playlist file location is correct.");
const QString kUnknown = QStringLiteral("Unknown error retrieving playlist!");

// clang-format off
const ResolveCase kCases[] = {
    {"PLS in order with its first title", From::Web, "/station.pls",
     kOk + "[playlist]\r\nFile1=http://a.example.com:8000/\r\nTitle1=(#1 - 12/500) Test Radio\r\n"
           "File2=https://b.example.com:8443/live?sid=2\r\nFile3=c.example.com:9000\r\n",
     {"a.example.com / 8000 ", "b.example.com /live 8443 sid=2 tls", "c.example.com / 9000 "}, ResolveError::None, "",
     "(#1 - 12/500) Test Radio"},
    {"PLS without a title is named by its address", From::Web, "/jazz.pls",
     kOk + "File1=http://a.example.com/\r\n", {"a.example.com / 80 "}, ResolveError::None, "", "jazz"},
    {"M3U has no title", From::Web, "/list.m3u", kOk + "#EXTM3U\r\nhttp://m.example.com:8080/stream\n",
     {"m.example.com /stream 8080 "}, ResolveError::None, "", ""},
    {"a redirect is followed", From::Web, "/old.pls",
     "HTTP/1.1 302 Found\r\nLocation: /moved.pls\r\nContent-Length: 0\r\n\r\n", {"moved.example.com / 80 "},
     ResolveError::None, "", "moved"},
    {"an Ogg stream is its own server", From::Web, "/live.ogg",
     "HTTP/1.0 200 OK\r\nContent-Type: audio/ogg\r\n\r\nOggS", {"127.0.0.1 /live.ogg {port} "}, ResolveError::None, "",
     "live"},
    {"an Ogg file is refused", From::Web, "/song.ogg",
     "HTTP/1.1 200 OK\r\nContent-Type: audio/ogg\r\nContent-Length: 4\r\n\r\nOggS", {}, ResolveError::OggFile,
     "This Ogg address is a file, not a stream: only Ogg streams can be recorded!", ""},
    {"PLS whose entries are all empty", From::Web, "/none.pls", kOk + "[playlist]\r\nFile1=\r\nFile2=\r\n", {},
     ResolveError::NoServers, kEmpty, "none"},
    {"PLS without File", From::Web, "/bad.pls", kOk + "<html>moved</html>", {}, ResolveError::BadPLS,
     "The PLS file is formatted incorrectly!", ""},
    {"a bad entry keeps the servers before it", From::Web, "/part.pls",
     kOk + "File1=http://a.example.com/\r\nFile2=http://b.example.com:70000/\r\nFile3=http://c.example.com/\r\n",
     {"a.example.com / 80 "}, ResolveError::Unknown, kUnknown, ""},
    {"M3U without an address", From::Web, "/empty.m3u", kOk + "#EXTM3U\r\n", {}, ResolveError::M3UNoHttp,
     "The M3U file does not contain a proper HTTP reference in the filename!", ""},
    {"an error answer", From::Web, "/gone.pls", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", {},
     ResolveError::InvalidResponse, kInvalid, ""},
    {"a local PLS file", From::File, "local.pls", "[playlist]\r\nFile1=http://l.example.com:8000/\r\nTitle1=Local\r\n",
     {"l.example.com / 8000 "}, ResolveError::None, "", "Local"},
    {"a local file that is not there", From::File, "missing.pls", {}, {}, ResolveError::BadFileName,
     "Bad playlist filename!", ""},
    {"an address too short to name a playlist", From::Address, "a.b", {}, {}, ResolveError::Unknown, kUnknown, ""},
    {"a playlist server that refuses", From::Address, "http://127.0.0.1:1/x.pls", {}, {}, ResolveError::Network,
     "Winsock error on loading playlist file!", ""},
};
// clang-format on

QString describe(const ServerEntry& e)
{
    return e.Host + QLatin1Char(' ') + e.Path + QLatin1Char(' ') + e.Port + QLatin1Char(' ') + e.QueryString +
           (e.Secure ? QStringLiteral(" tls") : QString());
}

QByteArray requestedPath(const QByteArray& request)
{
    const qsizetype from = request.indexOf(' ') + 1;
    return request.mid(from, request.indexOf(' ', from) - from);
}

} // namespace

TEST(StationResolver, ServersOrTheErrorTheRecorderShows)
{
    ScriptedServer server([](const QByteArray& request) {
        const QByteArray path = requestedPath(request);
        if (path == "/moved.pls")
            return ScriptedReply{{kOk + "File1=http://moved.example.com/\r\n"}};
        for (const ResolveCase& c : kCases) {
            if (c.from == From::Web && path == c.at)
                return ScriptedReply{{c.body}};
        }
        return ScriptedReply{{"HTTP/1.1 500 Unexpected\r\nContent-Length: 0\r\n\r\n"}};
    });
    ASSERT_GT(server.port(), 0);
    TempFolder folder;
    FakeTickSource clock;
    RecordingMessageService messages;
    StationResolver resolver(&clock, &messages);
    std::optional<StationResolution> result;
    int results = 0;
    QObject::connect(&resolver, &StationResolver::resolved, [&](const StationResolution& r) {
        result = r;
        ++results;
    });

    for (const ResolveCase& c : kCases) {
        SCOPED_TRACE(c.name);
        result.reset();
        results = 0;
        QString address = QString::fromLatin1(c.at);
        if (c.from == From::Web) {
            address = server.base() + address;
        } else if (c.from == From::File) {
            address = folder.file(address);
            if (!c.body.isNull())
                ASSERT_TRUE(WriteAll(address, c.body));
        }
        resolver.Resolve(address);
        if (c.from == From::File)
            EXPECT_TRUE(result.has_value()) << "a local file is read at once";
        ASSERT_TRUE(WaitUntil([&] { return result.has_value(); }));
        EXPECT_EQ(result->error, c.error);
        EXPECT_EQ(result->ok(), c.error == ResolveError::None);
        EXPECT_EQ(result->message, c.message);
        EXPECT_EQ(result->title, c.title);
        QStringList servers;
        for (qint32 i = 1; i <= result->servers.Last(); ++i)
            servers << describe(result->servers[i]);
        QStringList expected = c.servers;
        expected.replaceInStrings(QStringLiteral("{port}"), QString::number(server.port()));
        EXPECT_EQ(servers, expected);
        EXPECT_FALSE(resolver.Busy());
        RunPendingEvents();
        EXPECT_EQ(results, 1) << "one result per lookup";
    }
    // The resolver shows nothing itself: the recorder does.
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
}

TEST(StationResolver, ALaterLookupAbandonsTheOneRunning)
{
    ScriptedServer server([](const QByteArray& request) {
        if (requestedPath(request) == "/slow.pls")
            return ScriptedReply{{}, false, true}; // never answers
        return ScriptedReply{{kOk + "File1=http://fast.example.com/\r\n"}};
    });
    ASSERT_GT(server.port(), 0);
    FakeTickSource clock;
    StationResolver resolver(&clock, nullptr);
    QList<StationResolution> results;
    QObject::connect(&resolver, &StationResolver::resolved, [&](const StationResolution& r) { results.append(r); });
    resolver.Resolve(server.base() + QStringLiteral("/slow.pls"));
    ASSERT_TRUE(WaitUntil([&] { return server.requests.size() == 1; }));
    EXPECT_TRUE(resolver.Busy());
    resolver.Resolve(server.base() + QStringLiteral("/fast.pls"));
    ASSERT_TRUE(WaitUntil([&] { return !results.isEmpty(); }));
    RunPendingEvents();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].title, QStringLiteral("fast"));
    ASSERT_EQ(results[0].servers.Last(), 1);
    EXPECT_EQ(results[0].servers[1].Host, QStringLiteral("fast.example.com"));
}

// What the recorder does with a station's servers, or with why there are none.
class ResolvedTest : public RecorderFixture {};

TEST_F(ResolvedTest, PlaylistFileOrPresetStartsTheRecordingOrSaysWhyNot)
{
    struct Case {
        const char* name;
        bool preset;         // the preset's playlist (else a playlist file loaded as such)
        QByteArray playlist; // null: no such file; {port} is the loopback station's
        bool records;
        QString message; // the one message shown, "" for none
        QString title;   // the recording's title afterwards
        qint32 servers;  // the servers the recorder holds afterwards
    } cases[] = {
        {"playlist file", false, "File1=http://127.0.0.1:{port}/stream\r\nTitle1=From The List\r\n", true, "",
         "From The List", 1},
        {"preset", true, "File1=http://127.0.0.1:{port}/stream\r\nTitle1=From The List\r\n", true, "", "Test Station",
         1},
        {"playlist file without servers", false, "File1=\r\n", false, kEmpty, "", 0},
        {"preset without servers", true, "File1=\r\n", false, kEmpty, "Test Station", 0},
        {"missing playlist file", false, {}, false, "Bad playlist filename!", "", 0},
        {"a bad entry after a good one", true,
         "File1=http://127.0.0.1:{port}/stream\r\nFile2=http://127.0.0.1:70000/\r\n", false, kUnknown, "Test Station",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        config.NewConfiguration();
        config.sMP3Path = folder.path();
        config.sRecordingTitle = QStringLiteral("Test Station");
        recorder->StopRecording();
        recorder->ClearServers();
        messages.messages.clear();
        host.displays = 0;
        config.bConfigOK = false;
        const QString path = folder.file(QStringLiteral("station.pls"));
        QFile::remove(path);
        if (!c.playlist.isNull())
            ASSERT_TRUE(WriteAll(path, QByteArray(c.playlist).replace("{port}", station.port().toLatin1())));
        if (c.preset) {
            config.sShoutCastFile = path;
            recorder->InitializeMP3Recorder();
        } else {
            QString arg = path;
            ASSERT_TRUE(recorder->LoadConfigurationFile(arg));
        }
        // A local playlist is read at once.
        EXPECT_EQ(recorder->Status().blnRecording, c.records);
        EXPECT_EQ(recorder->phase(), c.records ? frmMP3::Phase::Recording : frmMP3::Phase::Idle);
        EXPECT_EQ(messages.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(config.sRecordingTitle, c.title);
        EXPECT_EQ(host.displays, c.records && !c.preset ? 1 : 0);
        EXPECT_EQ(config.bConfigOK, c.records && !c.preset);
        EXPECT_EQ(recorder->ServerEntries().Last(), c.servers);
        if (c.records) {
            EXPECT_EQ(recorder->ServerEntries()[1].Port, station.port());
            const size_t before = station.connections.size();
            ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > before; }));
        }
    }
}
