#include "config/settings.h"
#include "platform/folders.h"
#include "sources/live365pages.h"
#include "sources/live365reader.h"
#include "tests/support/eventwait.h"

#include <gtest/gtest.h>

namespace {

struct ExtractCase {
    const char* text;
    const char* start;
    const char* end;
    int startPos;
    const char* expected;
};

TEST(Live365Pages, ExtractFromString)
{
    const ExtractCase cases[] = {
        {"artist:\"Nina Simone\", title:\"x\",", "artist:\"", "\",", 1, "Nina Simone"},
        {"artist:\"  Padded  \",", "artist:\"", "\",", 1, "Padded"},
        {"no marker here", "artist:\"", "\",", 1, ""},
        // End pattern missing: the rest of the text, trimmed.
        {"artist:\"Unclosed and the rest  ", "artist:\"", "\",", 1, "Unclosed and the rest"},
        // End pattern right after the start: the rest as well.
        {"artist:\"\", title:\"T\",", "artist:\"", "\",", 1, "\", title:\"T\","},
        // StartPos skips an earlier occurrence (1-based).
        {"a[1] a[2]", "a[", "]", 5, "2"},
        {"a[1] a[2]", "a[", "]", 1, "1"},
        {"a[1]", "a[", "]", 40, ""},
        // Only spaces are trimmed.
        {"k= \tv\t ;", "k=", ";", 1, "\tv\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFromString(QString::fromUtf8(c.text), QString::fromUtf8(c.start), QString::fromUtf8(c.end),
                                    c.startPos),
                  QString::fromUtf8(c.expected))
            << c.text << " from " << c.startPos;
    }
    EXPECT_EQ(ctlLive365TitleReader::ExtractFromString(QStringLiteral("x<y>"), QStringLiteral("<"), QStringLiteral(">")),
              QStringLiteral("y"));
}

TEST(Live365Pages, SecondsLeft)
{
    const struct {
        const char* page;
        qint32 seconds;
    } cases[] = {
        {"var gSecondsLeft = 125;", 125},
        {"var gSecondsLeft =  42 ;", 42},
        {"gSecondsLeft = 12.6;", 13},
        {"gSecondsLeft = abc;", 0},
        {"gSecondsLeft=30;", 0},  // no space: no number
        {"gSecondsLeft = 99999999999;", 0},
        {"gSecondsLeft = -4;", -4},
        {"var other = 5;", 0},
        {"gSecondsLeft = 7", 7},  // no ";" at all: the rest of the page
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSecondsLeft(QString::fromUtf8(c.page)), c.seconds) << c.page;
}

TEST(Live365Pages, BroadcastName)
{
    const struct {
        const char* page;
        bool ok;
        const char* name;
    } cases[] = {
        {"<script>LaunchBroadcast('jazzcat');</script>", true, "jazzcat"},
        {"LaunchBroadcast('first') LaunchBroadcast('second')", true, "first"},
        {"<script>Launch('jazzcat');</script>", false, ""},
        {"LaunchBroadcast('');", false, ""},
        {"LaunchBroadcast('never closed", false, ""},
    };
    for (const auto& c : cases) {
        QString name;
        EXPECT_EQ(ParseBroadcastName(QString::fromUtf8(c.page), name), c.ok) << c.page;
        if (c.ok)
            EXPECT_EQ(name, QString::fromUtf8(c.name));
    }
}

TEST(Live365Pages, NowPlayingPrefix)
{
    const char* twoFrames = "<frame src=\"/top.cgi\" name=\"top\">"
                            "<frame src=\"/np.cgi?handle=h1&x=handle=2&m=\" name=\"Live365PlayerPlaylist\">";
    const QByteArray withOr = QByteArray(twoFrames) + "<script>var t = \"OR\";</script>";
    const struct {
        QByteArray page;
        bool afl;
        bool ok;
        const char* prefix;
    } cases[] = {
        {twoFrames, false, true, "/np.cgi?handle=h1&x=handle=2&m="},
        {twoFrames, true, true, "/np.cgi?handle=h1&x=handle=2&m="},
        {withOr, false, true, "/np.cgi?handle=h1&x=handle=2&m="},
        {withOr, true, true, "/np.cgi?handle=afl%3Ah1&x=handle=afl%3A2&m="},
        {"<frame src=\"/np.cgi?m=\" name=\"Player\">", false, false, ""},
        {"<iframe name=\"Live365PlayerPlaylist\">", false, false, ""},
        // A frame after the marker does not count.
        {"<b name=\"Live365PlayerPlaylist\"><frame src=\"/late\">", false, false, ""},
        {"<frame src=\"\" name=\"Live365PlayerPlaylist\">", false, false, ""},
    };
    for (const auto& c : cases) {
        QString prefix;
        EXPECT_EQ(ParseNowPlayingPrefix(QString::fromUtf8(c.page), c.afl, prefix), c.ok) << c.page.constData();
        if (c.ok)
            EXPECT_EQ(prefix, QString::fromUtf8(c.prefix)) << c.page.constData();
    }
}

TEST(Live365Pages, PageEnd)
{
    EXPECT_TRUE(PageIsComplete("<html></html>"));
    EXPECT_TRUE(PageIsComplete("<HTML></HTML>\r\n"));
    EXPECT_FALSE(PageIsComplete("<html></Html>"));
    EXPECT_FALSE(PageIsComplete("<html></htm"));
    // The marker split over the last two chunks is found.
    EXPECT_TRUE(PageCompletedBy("<html>...</ht" "ml>", 3));
    EXPECT_TRUE(PageCompletedBy("<html>...</HTML>", 1));
    EXPECT_FALSE(PageCompletedBy("<html>...</htm", 4));
}

TEST(Live365Pages, RequestsAndAddresses)
{
    const struct {
        const char* address;
        const char* host;
        QByteArray request;
        int port;
        bool secure = false;
    } cases[] = {
        {"/stations/123", "127.0.0.1:8123", "GET /stations/123 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 8123},
        {"/cgi-bin/mini.cgi?membername=a&b=", "www.live365.com",
         "GET /cgi-bin/mini.cgi?membername=a&b= HTTP/1.1\r\nHost: www.live365.com\r\n\r\n", 80},
        {"play.cgi?h=1", "h:81", "GET /cgi-bin/play.cgi?h=1 HTTP/1.1\r\nHost: h\r\n\r\n", 81},
        {"http://np.example:8080/now?x=1&m=", "ignored:1", "GET /now?x=1&m= HTTP/1.1\r\nHost: np.example\r\n\r\n",
         8080},
        {"http://np.example", "ignored:1", "GET / HTTP/1.1\r\nHost: np.example\r\n\r\n", 80},
        {"HTTPS://np.example/now", "ignored:1", "GET /now HTTP/1.1\r\nHost: np.example\r\n\r\n", 443, true},
        {"https://np.example:8443/now", "http://h", "GET /now HTTP/1.1\r\nHost: np.example\r\n\r\n", 8443, true},
        // The host setting's scheme decides for the paths on the service's server.
        {"/stations/1", "https://h", "GET /stations/1 HTTP/1.1\r\nHost: h\r\n\r\n", 443, true},
        {"now.cgi", "https://h:8443/", "GET /cgi-bin/now.cgi HTTP/1.1\r\nHost: h\r\n\r\n", 8443, true},
        {"/stations/1", "http://h", "GET /stations/1 HTTP/1.1\r\nHost: h\r\n\r\n", 80},
        // Nothing from a page can break the request line.
        {"/a b?c=d\r\nX-Evil: 1", "h", "GET /a%20b?c=d%0D%0AX-Evil:%201 HTTP/1.1\r\nHost: h\r\n\r\n", 80},
    };
    for (const auto& c : cases) {
        const PageAddress a = ResolvePageAddress(QString::fromUtf8(c.address), QString::fromUtf8(c.host));
        EXPECT_EQ(BuildPageRequest(a), c.request) << c.address;
        EXPECT_EQ(a.port, c.port) << c.address;
        EXPECT_EQ(a.secure, c.secure) << c.address;
    }
    EXPECT_EQ(EncodeRequestValue(QStringLiteral("My Station&x=ü")), QStringLiteral("My%20Station%26x%3D%C3%BC"));
}

TEST(Live365Pages, HostSetting)
{
    TempFolder home;
    ProgramFolders::SetOverride(home.path());
    const QByteArray saved = qgetenv("TONQUILL_LIVE365_HOST");
    qunsetenv("TONQUILL_LIVE365_HOST");

    EXPECT_EQ(Live365Host(), QStringLiteral("www.live365.com"));
    ASSERT_TRUE(WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("Live365Host"), QStringLiteral("ini.host:81"),
                              TavrixIniPath()));
    EXPECT_EQ(Live365Host(), QStringLiteral("ini.host:81"));
    qputenv("TONQUILL_LIVE365_HOST", "127.0.0.1:9");
    EXPECT_EQ(Live365Host(), QStringLiteral("127.0.0.1:9"));

    QString host;
    int port = 0;
    SplitHostAndPort(QStringLiteral("ini.host:81"), host, port);
    EXPECT_EQ(host, QStringLiteral("ini.host"));
    EXPECT_EQ(port, 81);
    SplitHostAndPort(QStringLiteral("plain"), host, port);
    EXPECT_EQ(host, QStringLiteral("plain"));
    EXPECT_EQ(port, 80);

    if (saved.isNull())
        qunsetenv("TONQUILL_LIVE365_HOST");
    else
        qputenv("TONQUILL_LIVE365_HOST", saved);
    ProgramFolders::SetOverride(QString());
}

TEST(Live365Pages, ErrorTexts)
{
    FakeTickSource clock;
    ctlLive365TitleReader reader(&clock);
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {1, "Connection error to Live365 playlist server!"},
        {2, "Timeout connecting to Live365 playlist server!"},
        {3, "Connection error reading Live365 name!"},
        {4, "Timeout reading Live365 name!"},
        {5, "Could not find broadcast information!"},
        {6, "Connection error getting Live365 playlist information!"},
        {7, "Timeout reading Live365 playlist information"},
        {8, "Could not find playlist information"},
        {99, "Unknown error connecting to live 365 playlist server!"},
        {0, ""},
        {9, ""},
        {-1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader.StdErrorMessage(c.code), QString::fromUtf8(c.text)) << c.code;
}

}  // namespace
