// Which answers to a station's address are an HLS playlist, the station
// itself: by content type or ".m3u8" address, and a body of #EXT-X- tags.
#include "platform/tickcount.h"
#include "sources/urigrabber.h"
#include "sources/uriplaylist.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
const QByteArray kHls = "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg1.aac\n";
const QByteArray kServers = "#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example:8000/live\n";

TEST(HlsDetection, HlsPlaylistsAreTheStationAndServerListsStayWhatTheyAre)
{
    struct Row {
        const char* name;
        QString path;
        QByteArray contentType;
        QByteArray body;
        QStringList events; // "host path port query hls"
    };
    const QList<Row> rows = {
        {"an .m3u8 address",
         QStringLiteral("/live/index.m3u8?token=7"),
         "text/plain",
         kHls,
         {QStringLiteral("127.0.0.1 /live/index.m3u8 * token=7 hls")}},
        {"an HLS content type",
         QStringLiteral("/radio.m3u"),
         "application/vnd.apple.mpegurl",
         kHls,
         {QStringLiteral("127.0.0.1 /radio.m3u * hls")}},
        {"audio/mpegurl",
         QStringLiteral("/radio.pls"),
         "audio/mpegurl; charset=utf-8",
         kHls,
         {QStringLiteral("127.0.0.1 /radio.pls * hls")}},
        {"a plain M3U of servers, HLS type",
         QStringLiteral("/radio.m3u"),
         "audio/x-mpegurl",
         kServers,
         {QStringLiteral("radio.example /live 8000 icy")}},
        {"an HLS body of another type, not .m3u8", QStringLiteral("/radio.m3u"), "text/plain", kHls, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: " + row.contentType +
                                  "\r\nContent-Length: " + QByteArray::number(row.body.size()) + "\r\n\r\n" + row.body;
        ScriptedServer server([&](const QByteArray&) { return ScriptedReply{{answer}, false}; });
        FakeTickSource clock;
        RecordingMessageService messages;
        ctlURIGrabber g(&clock, &messages);
        QStringList raised;
        bool done = false, failed = false;
        QObject::connect(
            &g, &ctlURIGrabber::URLRaise,
            [&](const QString& host, const QString& resource, int port, const QString& query, bool, bool hls) {
                QStringList parts{host, resource, port == server.port() ? QStringLiteral("*") : QString::number(port)};
                if (!query.isEmpty())
                    parts << query;
                parts << (hls ? QStringLiteral("hls") : QStringLiteral("icy"));
                raised << parts.join(QLatin1Char(' '));
            });
        QObject::connect(&g, &ctlURIGrabber::Done, [&] { done = true; });
        QObject::connect(&g, &ctlURIGrabber::Error, [&](int) { failed = true; });
        g.StartURIValidation(server.base() + row.path);
        ASSERT_TRUE(WaitUntil([&] { return done || failed; }, 3000));
        EXPECT_EQ(raised, row.events);
    }
}
// A playlist saved on disk: an ".m3u8" list of servers is an M3U in UTF-8;
// a saved master playlist records its chosen variant; a playlist of
// segments cannot be read again and says so.
TEST(HlsDetection, LocalM3u8Files)
{
    const struct {
        const char* name;
        QByteArray body;
        QStringList events;
        int error;
    } rows[] = {
        {"a UTF-8 list of servers",
         "#EXTM3U\n#EXTINF:-1,R\xc3\xa4dio\nhttp://radio.example:8000/live\n",
         {QStringLiteral("radio.example /live 8000 icy")},
         plsOK},
        {"a master playlist",
         "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nhttps://cdn.example/lo.m3u8\n"
         "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\nhttps://cdn.example/hi/index.m3u8?t=1\n",
         {QStringLiteral("cdn.example /hi/index.m3u8 443 t=1 hls")},
         plsOK},
        {"a master naming files beside it", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000\nlo.m3u8\n", {}, plsM3UNoHttp},
        {"a playlist of segments", kHls, {}, plsHlsMediaFile},
    };
    TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = folder.file(QStringLiteral("station.m3u8"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(row.body) == row.body.size());
        file.close();
        FakeTickSource clock;
        RecordingMessageService messages;
        ctlURIGrabber g(&clock, &messages);
        QStringList raised;
        int error = plsOK;
        QObject::connect(
            &g, &ctlURIGrabber::URLRaise,
            [&](const QString& host, const QString& resource, int port, const QString& query, bool, bool hls) {
                raised << QStringList{host, resource, QString::number(port), query,
                                      hls ? QStringLiteral("hls") : QStringLiteral("icy")}
                              .join(QLatin1Char(' '))
                              .replace(QStringLiteral("  "), QStringLiteral(" "));
            });
        QObject::connect(&g, &ctlURIGrabber::Error, [&](int code) { error = code; });
        g.StartURIValidation(path); // a local file is read at once
        EXPECT_EQ(raised, row.events);
        EXPECT_EQ(error, row.error);
        if (row.error != plsOK)
            EXPECT_FALSE(ctlURIGrabber::ErrorText(row.error).isEmpty());
    }
}
} // namespace
