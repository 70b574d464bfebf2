// The HLS fetcher over HTTPS on 127.0.0.1: the server's certificate is
// verified (an authority given through TONQUILL_CA_FILE is trusted, an
// unknown one is not), and a body past the limit is abandoned.
#include "recorder/hlsfetcher.h"
#include "tests/support/eventwait.h"
#include "tests/support/tlsserver.h"

#include <gtest/gtest.h>
#include <optional>

namespace {
TEST(HlsFetcher, VerifiesTheServerAndBoundsTheBody)
{
    TempFolder dir;
    ASSERT_TRUE(MakeCertificate(dir, QStringLiteral("IP:127.0.0.1")));
    const QByteArray body = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n" + QByteArray(2000, '#') + "\n";
    TlsServer server(dir.file(QStringLiteral("cert.pem")), dir.file(QStringLiteral("key.pem")),
                     [&](const QByteArray&, bool&) {
                         return "HTTP/1.1 200 OK\r\nContent-Type: application/vnd.apple.mpegurl\r\nContent-Length: " +
                                QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
                     });
    struct Row {
        const char* name;
        bool trusted;
        qsizetype limit;
        bool ok, tooLarge;
    };
    const QList<Row> rows = {
        {"a known authority", true, 1 << 20, true, false},
        {"an unknown authority", false, 1 << 20, false, false},
        {"a body past the limit", true, 1000, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.trusted)
            qputenv("TONQUILL_CA_FILE", dir.file(QStringLiteral("cert.pem")).toLocal8Bit());
        else
            qunsetenv("TONQUILL_CA_FILE");
        HlsNetFetcher fetcher("Tonquill test");
        std::optional<HlsFetchResult> got;
        fetcher.Get(QUrl(server.base() + QStringLiteral("/live.m3u8")), row.limit,
                    [&](const HlsFetchResult& r) { got = r; });
        EXPECT_TRUE(fetcher.Busy());
        ASSERT_TRUE(WaitUntil([&] { return got.has_value(); }, 15000));
        EXPECT_EQ(got->ok, row.ok) << got->error.toStdString();
        EXPECT_EQ(got->tooLarge, row.tooLarge);
        if (row.ok) {
            EXPECT_EQ(got->body, body);
            EXPECT_EQ(got->contentType, QByteArray("application/vnd.apple.mpegurl"));
        } else {
            EXPECT_TRUE(got->body.isEmpty());
        }
        EXPECT_FALSE(fetcher.Busy());
    }
    qunsetenv("TONQUILL_CA_FILE");
}
} // namespace
