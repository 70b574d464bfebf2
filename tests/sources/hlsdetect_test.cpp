// Which answers to a station's address are an HLS playlist, the station
// itself: by content type or ".m3u8" address, and a body of #EXT-X- tags.
#include "platform/tickcount.h"
#include "sources/urigrabber.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

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
} // namespace
