// Pictures named by a stream are fetched from loopback servers that answer
// well or badly: only a picture within the limits is taken, everything else
// is refused with a reason, and nothing waits past the time limit.
#include "recorder/coverfetcher.h"
#include "recorder/icydemuxer.h"
#include "tests/recorder/cover/pictures.h"
#include "tests/recorder/cover/pictureserver.h"
#include "tests/support/eventwait.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(ParseStreamUrl, TheAddressOfTheBlock)
{
    const struct {
        QByteArray block;
        const char* url;
    } cases[] = {
        {"StreamTitle='A - B';StreamUrl='http://x/c.jpg';", "http://x/c.jpg"},
        {"StreamTitle='A';streamurl='https://x/it''s.png';\0\0\0", "https://x/it''s.png"},
        {"StreamTitle='A';StreamUrl=' http://x/p ';", "http://x/p"},
        {"StreamTitle='A';StreamUrl='http://x/cut", "http://x/cut"},
        {QByteArray("StreamUrl='http://x/pad\0\0\0", 26), "http://x/pad"},
        {"StreamTitle='A';StreamUrl='';", ""},
        {"StreamTitle='A';", ""},
        {"StreamURL='http://x/a';StreamTitle='T';", "http://x/a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStreamUrl(c.block), QByteArray(c.url)) << c.block.constData();
}

struct FetchCase {
    const char* what;
    const char* path;
    const char* error; // part of the reason; nullptr when it is fetched
};

TEST(CoverFetcher, GoodAndHostileServers)
{
    PictureServer server;
    const QByteArray jpeg = pictures::plain(60, 40, "jpeg");
    const QByteArray big = pictures::noise(400, 400, "png");
    server.answers = {
        {"/cover.jpg", {okHead("image/jpeg", jpeg.size()), jpeg}},
        {"/cover-nolength.jpg", {"HTTP/1.0 200 OK\r\nContent-Type: image/jpeg", jpeg}},
        {"/page", {okHead("text/html", 30), "<html><body>cover</body></html>"}},
        {"/untyped", {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(jpeg.size()), jpeg}},
        {"/wrongtype.png", {okHead("image/png", jpeg.size()), jpeg}},
        {"/big", {okHead("image/png", big.size()), big}},
        {"/endless", {"HTTP/1.0 200 OK\r\nContent-Type: image/jpeg", jpeg, true}},
        {"/slow", {"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 5000", {}, false, true}},
        {"/trickle", {okHead("image/jpeg", 100000), {}, false, false, true}},
        {"/loop", {"HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0", {}}},
        {"/hop", {"HTTP/1.1 302 Found\r\nLocation: /cover.jpg\r\nContent-Length: 0", {}}},
        {"/tofile", {"HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0", {}}},
        {"/toftp", {"HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/c.jpg\r\nContent-Length: 0", {}}},
    };
    const FetchCase cases[] = {
        {"a JPEG", "/cover.jpg", nullptr},
        {"a JPEG without its length", "/cover-nolength.jpg", nullptr},
        {"through one redirect", "/hop", nullptr},
        {"a web page", "/page", "not a picture"},
        {"no type", "/untyped", "not a picture"},
        {"a JPEG sent as PNG", "/wrongtype.png", "does not match"},
        {"more than the limit", "/big", "larger than the limit"},
        {"an endless answer", "/endless", "larger than the limit"},
        {"a server that stops", "/slow", "in time"},
        {"a server that sends a byte at a time", "/trickle", "in time"},
        {"a redirect loop", "/loop", "edirect"},
        {"a redirect to file:", "/tofile", ""},
        {"a redirect to ftp:", "/toftp", ""},
        {"nothing there", "/missing", ""},
    };
    CoverFetcher fetcher;
    CoverFetcher::Limits limits;
    limits.timeoutMs = 400;
    limits.maxRedirects = 3;
    limits.maxBytes = 100 * 1024;
    fetcher.SetLimits(limits);
    ASSERT_GT(big.size(), limits.maxBytes);
    QElapsedTimer all;
    all.start();
    for (const FetchCase& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy fetched(&fetcher, &CoverFetcher::fetched);
        QSignalSpy refused(&fetcher, &CoverFetcher::refused);
        const QString song = QString::fromLatin1(c.what);
        ASSERT_TRUE(fetcher.Fetch(song, server.url(QString::fromLatin1(c.path))));
        ASSERT_TRUE(WaitUntil([&] { return fetched.size() + refused.size() > 0; }, 5000));
        EXPECT_EQ(fetcher.Pending(), 0);
        if (!c.error) {
            ASSERT_EQ(fetched.size(), 1) << (refused.isEmpty() ? "" : refused[0][1].toString().toStdString());
            EXPECT_EQ(fetched[0][0].toString(), song);
            const auto picture = fetched[0][1].value<CoverPicture>();
            EXPECT_EQ(picture.data, jpeg);
            continue;
        }
        ASSERT_EQ(refused.size(), 1);
        EXPECT_EQ(refused[0][0].toString(), song);
        EXPECT_TRUE(refused[0][1].toString().contains(QLatin1String(c.error)))
            << refused[0][1].toString().toStdString();
    }
    // Every bad server was left within its limit: no 10 s waits.
    EXPECT_LT(all.elapsed(), 15000);
}

TEST(CoverFetcher, OnlyHttpAndHttpsAddressesAreFetched)
{
    const struct {
        const char* url;
        bool fetchable;
    } cases[] = {
        {"http://127.0.0.1:1/c.jpg", true},
        {"HTTPS://127.0.0.1/c.jpg", true},
        {"file:///etc/passwd", false},
        {"ftp://127.0.0.1/c.jpg", false},
        {"data:image/png;base64,AA", false},
        {"http:///nohost", false},
        {"/relative.jpg", false},
        {"", false},
    };
    CoverFetcher fetcher;
    for (const auto& c : cases) {
        EXPECT_EQ(CoverFetcher::Fetchable(QUrl(QString::fromLatin1(c.url))), c.fetchable) << c.url;
        if (!c.fetchable)
            EXPECT_FALSE(fetcher.Fetch(QStringLiteral("song"), QUrl(QString::fromLatin1(c.url)))) << c.url;
    }
    EXPECT_EQ(fetcher.Pending(), 0);
}

TEST(CoverFetcher, TheSameAddressAgainIsNotFetchedAgain)
{
    PictureServer server;
    const QByteArray jpeg = pictures::plain(20, 20, "jpeg");
    server.answers = {{"/logo.jpg", {okHead("image/jpeg", jpeg.size()), jpeg}}};
    CoverFetcher fetcher;
    QSignalSpy fetched(&fetcher, &CoverFetcher::fetched);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(fetcher.Fetch(QStringLiteral("song %1").arg(i), server.url(QStringLiteral("/logo.jpg"))));
        ASSERT_TRUE(WaitUntil([&] { return fetched.size() == i + 1; }, 5000));
    }
    EXPECT_EQ(fetched[1][0].toString(), QStringLiteral("song 1"));
    EXPECT_EQ(fetched[1][1].value<CoverPicture>().data, jpeg);
    EXPECT_EQ(server.requests, 1);
}

} // namespace
