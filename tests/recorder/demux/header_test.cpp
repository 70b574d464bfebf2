#include "recorder/icydemuxer.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
    const char* what;
    QByteArray raw;
    int statusCode;
    bool hasName;
    const char* name;
    bool hasMetaInt;
    qint64 metaInt;
    bool hasBitRate;
    qint32 bitRate;
};

const QByteArray kEnd = "\r\n\r\n";

class HeaderTable : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTable, ReadsTheFields)
{
    const HeaderCase& c = GetParam();
    const IcyHeader h = ParseIcyHeader(c.raw);
    EXPECT_EQ(h.statusCode, c.statusCode);
    EXPECT_EQ(h.hasIcyName, c.hasName);
    EXPECT_EQ(h.icyName, QByteArray(c.name));
    EXPECT_EQ(h.hasMetaInt, c.hasMetaInt);
    EXPECT_EQ(h.metaInt, c.metaInt);
    EXPECT_EQ(h.hasBitRate, c.hasBitRate);
    EXPECT_EQ(h.bitRate, c.bitRate);
    EXPECT_EQ(h.raw, c.raw);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, HeaderTable,
    ::testing::Values(
        HeaderCase{"icy", "ICY 200 OK\r\nicy-name:Rock FM\r\nicy-metaint:8192\r\nicy-br:128\r\n\r\n",
                   200, true, "Rock FM", true, 8192, true, 128},
        HeaderCase{"http10", "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-br:192\r\nicy-name: Jazz \r\n"
                             "icy-metaint: 16000\r\n\r\n",
                   200, true, "Jazz", true, 16000, true, 192},
        HeaderCase{"http11 error", "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n",
                   404, false, "", false, 0, false, 0},
        HeaderCase{"icy error", "ICY 400 Server Full\r\n\r\n", 400, false, "", false, 0, false, 0},
        HeaderCase{"garbage status", "HELLO THERE\r\nicy-name:X\r\n\r\n", 0, true, "X", false, 0, false, 0},
        HeaderCase{"four-digit code", "ICY 2000 OK\r\n\r\n", 0, false, "", false, 0, false, 0},
        HeaderCase{"name without CR", "ICY 200 OK\nicy-name:Lost\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"empty name", "ICY 200 OK\r\nicy-name:\r\n\r\n", 200, true, "", false, 0, false, 0},
        HeaderCase{"name is case-sensitive", "ICY 200 OK\r\nICY-NAME:Loud\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"metaint without name", "ICY 200 OK\r\nicy-metaint:4096\r\n\r\n", 200, false, "", true, 4096, false, 0},
        HeaderCase{"metaint spaces", "ICY 200 OK\r\nicy-metaint:    32768\r\n\r\n", 200, false, "", true, 32768, false, 0},
        HeaderCase{"metaint digits stop at garbage", "ICY 200 OK\r\nicy-metaint:12x34\r\n\r\n", 200, false, "", true, 12, false, 0},
        HeaderCase{"metaint garbage", "ICY 200 OK\r\nicy-metaint:abc\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"metaint empty", "ICY 200 OK\r\nicy-metaint:\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"metaint negative", "ICY 200 OK\r\nicy-metaint:-5\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"metaint too large", "ICY 200 OK\r\nicy-metaint:99999999999\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"metaint case-sensitive", "ICY 200 OK\r\nIcy-MetaInt:8192\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"br before another icy field", "ICY 200 OK\r\nicy-br: 64 \r\nicy-pub:1\r\n\r\n", 200, false, "", false, 0, true, 64},
        HeaderCase{"br last field", "ICY 200 OK\r\nicy-pub:1\r\nicy-br:320\r\n\r\n", 200, false, "", false, 0, true, 320},
        HeaderCase{"br followed by other fields", "HTTP/1.0 200 OK\r\nicy-br:128\r\nice-audio-info: bitrate=128\r\n"
                                                  "Server: Icecast\r\n\r\n",
                   200, false, "", false, 0, true, 128},
        HeaderCase{"br value on next line", "ICY 200 OK\r\nicy-br:\r\n 96\r\nicy-pub:0\r\n\r\n", 200, false, "", false, 0, true, 96},
        HeaderCase{"br list", "ICY 200 OK\r\nicy-br:128,64\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"br text", "ICY 200 OK\r\nicy-br:high\r\n\r\n", 200, false, "", false, 0, false, 0},
        HeaderCase{"br empty", "ICY 200 OK\r\nicy-br:\r\nicy-name:N\r\n\r\n", 200, true, "N", false, 0, false, 0}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) {
        QByteArray n = QByteArray(info.param.what);
        for (char& ch : n)
            if (!((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9')))
                ch = '_';
        return n.toStdString();
    });

TEST(IcyHeaderFields, StatusLineWithoutLineEnd)
{
    EXPECT_EQ(ParseIcyHeader("ICY 200 OK\r\nicy-name:A\r\n\r\n").statusLine, QByteArray("ICY 200 OK"));
    EXPECT_EQ(ParseIcyHeader("HTTP/1.0 302 Found\nLocation: x\n\n").statusLine, QByteArray("HTTP/1.0 302 Found"));
    EXPECT_EQ(ParseIcyHeader("HTTP/1.0 302 Found\nLocation: x\n\n").statusCode, 302);
}

TEST(IcyHeaderFields, LocationInAnyCaseAtLineStart)
{
    struct {
        QByteArray raw;
        QByteArray location;
    } cases[] = {
        {"HTTP/1.0 302 Found\r\nLocation: http://a:8010/stream\r\n\r\n", "http://a:8010/stream"},
        {"HTTP/1.0 302 Found\r\nlocation:   http://b/x?y=1  \r\n\r\n", "http://b/x?y=1"},
        {"HTTP/1.0 302 Found\r\nLOCATION:http://c/\r\n\r\n", "http://c/"},
        {"HTTP/1.0 200 OK\r\nContent-Location: /other\r\n\r\n", ""},
        {"HTTP/1.0 302 Found\r\nContent-Location: /other\r\nLocation: /real\r\n\r\n", "/real"},
        {"ICY 200 OK\r\nicy-name:Location: nowhere\r\n\r\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIcyHeader(c.raw).location, c.location) << c.raw.constData();
}

TEST(IcyHeaderFields, ContentTypeTrimmedLowerCase)
{
    EXPECT_EQ(ParseIcyHeader("ICY 200 OK\r\ncontent-type: Audio/MPEG \r\n\r\n").contentType, QByteArray("audio/mpeg"));
    EXPECT_EQ(ParseIcyHeader("HTTP/1.0 200 OK\r\nContent-Type:text/html\r\n\r\n").contentType, QByteArray("text/html"));
    EXPECT_EQ(ParseIcyHeader("ICY 200 OK\r\n\r\n").contentType, QByteArray());
}

TEST(IcyHeaderFields, CompleteOnlyWithBlankLine)
{
    EXPECT_TRUE(ParseIcyHeader("ICY 200 OK\r\n\r\n").complete);
    EXPECT_FALSE(ParseIcyHeader("ICY 200 OK\r\nicy-name:A\r\n").complete);
    EXPECT_FALSE(ParseIcyHeader("ICY 200 OK\n\n").complete);
}

} // namespace
