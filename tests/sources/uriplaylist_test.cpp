#include "sources/uriplaylist.h"

#include <gtest/gtest.h>

namespace {

PlaylistEntry entry(const char* host, const char* resource, int port, const char* query = "")
{
    return PlaylistEntry{QString::fromUtf8(host), QString::fromUtf8(resource), port, QString::fromUtf8(query)};
}

struct PlaylistCase {
    const char* name;
    const char* address;
    const char* text;
    int error;
    QList<PlaylistEntry> entries;
    bool hasTitle;
    const char* title;
};

const QString kPls = QStringLiteral("http://h.example.com/list.pls");
const QString kM3u = QStringLiteral("http://h.example.com/list.m3u");

const PlaylistCase kCases[] = {
    {"three entries in file order with the first title",
     "x.pls",
     "[playlist]\r\nNumberOfEntries=3\r\nFile1=http://a.example.com:8000/\r\nTitle1=(#1 - 5/100) Radio One\r\n"
     "Length1=-1\r\nFile2=http://b.example.com:8002/live?sid=2\r\nTitle2=Second\r\nFile3=c.example.com:9000\r\n"
     "Title3=Third\r\nVersion=2\r\n",
     plsOK,
     {entry("a.example.com", "/", 8000), entry("b.example.com", "/live", 8002, "sid=2"),
      entry("c.example.com", "/", 9000)},
     true,
     "(#1 - 5/100) Radio One"},
    {"LF line ends",
     "x.pls",
     "[playlist]\nFile1=http://a.example.com:8000/s\nTitle1=T\n",
     plsOK,
     {entry("a.example.com", "/s", 8000)},
     true,
     "T"},
    {"a last entry without a line end runs to the end",
     "x.pls",
     "[playlist]\r\nTitle1=T\r\nFile1=http://a.example.com/z",
     plsOK,
     {entry("a.example.com", "/z", 80)},
     true,
     "T"},
    {"no title keeps the one from the address",
     "x.pls",
     "File1=http://a.example.com/\r\n",
     plsOK,
     {entry("a.example.com", "/", 80)},
     false,
     ""},
    {"File counts wherever it stands",
     "x.pls",
     "Title1=My File Radio\r\nLength1=-1\r\nFile1=http://a.example.com/\r\n",
     plsOK,
     {entry("-1", "/", 80), entry("a.example.com", "/", 80)},
     true,
     "My File Radio"},
    {"an empty value names no server",
     "x.pls",
     "File1=\r\nFile2=http://b.example.com/\r\n",
     plsOK,
     {entry("b.example.com", "/", 80)},
     false,
     ""},
    {"a stray File after the entries ends the scan",
     "x.pls",
     "File1=http://a.example.com/\r\nFileless",
     plsOK,
     {entry("a.example.com", "/", 80)},
     false,
     ""},
    {"File is matched in exact case", "x.pls", "file1=http://a.example.com/\r\nFILE2=x\r\n", plsBadPLS, {}, false, ""},
    {"no File at all", "x.pls", "<html><body>Not found</body></html>", plsBadPLS, {}, false, ""},
    {"empty text", "x.pls", "", plsBadPLS, {}, false, ""},
    {"Ogg stations are listed like any other",
     "x.pls",
     "File1=http://a.example.com:8000/\r\nFile2=http://b.example.com:8000/radio.ogg\r\n",
     plsOK,
     {entry("a.example.com", "/", 8000), entry("b.example.com", "/radio.ogg", 8000)},
     false,
     ""},
    {".ogg in an M3U too", "x.m3u", "http://a.example.com/radio.ogg\n", plsOK,
     {entry("a.example.com", "/radio.ogg", 80)}, true, ""},
    {"an .OGG in a query",
     "x.pls",
     "Title1=T\r\nFile1=http://a.example.com/s?f=x.OGG\r\n",
     plsOK,
     {entry("a.example.com", "/s", 80, "f=x.OGG")},
     true,
     "T"},
    {"a title, an id or a host with .ogg refuses nothing",
     "x.pls",
     "StationUUID=a.ogg\r\nTitle1=Best .ogg Radio\r\nFile1=http://radio.ogg.example.com/live.mp3\r\n",
     plsOK,
     {entry("radio.ogg.example.com", "/live.mp3", 80)},
     true,
     "Best .ogg Radio"},
    {"an M3U comment with .ogg refuses nothing",
     "x.m3u",
     "#EXTINF:-1,Jazz.ogg\r\nhttp://a.example.com/s\n",
     plsOK,
     {entry("a.example.com", "/s", 80)},
     true,
     ""},
    {"a bad entry stops with 99 after the good ones",
     "x.pls",
     "File1=http://a.example.com/\r\nFile2=http://b.example.com:70000/\r\nFile3=http://c.example.com/\r\n",
     plsUnknown,
     {entry("a.example.com", "/", 80)},
     false,
     ""},
    {"M3U with CR LF keeps the CR in the path",
     "x.m3u",
     "http://a.example.com:8000/live\r\n",
     plsOK,
     {entry("a.example.com", "/live\r", 8000)},
     true,
     ""},
    {"M3U with LF gives a clean path",
     "x.m3u",
     "http://a.example.com:8000/live\n",
     plsOK,
     {entry("a.example.com", "/live", 8000)},
     true,
     ""},
    {"M3U without a line end keeps its last character",
     "x.m3u",
     "http://a.example.com:8000/live",
     plsOK,
     {entry("a.example.com", "/live", 8000)},
     true,
     ""},
    {"M3U address after comments",
     "x.m3u",
     "#EXTM3U\r\n#EXTINF:-1,Station\r\nhttp://a.example.com/s?id=4\n",
     plsOK,
     {entry("a.example.com", "/s", 80, "id=4")},
     true,
     ""},
    {"M3U further lines stay in the path",
     "x.m3u",
     "http://a.example.com/one\nhttp://b.example.com/two\n",
     plsOK,
     {entry("a.example.com", "/one\nhttp://b.example.com/two", 80)},
     true,
     ""},
    {"M3U without http://", "x.m3u", "#EXTM3U\r\nHTTP://a.example.com/\r\n", plsM3UNoHttp, {}, false, ""},
    {"M3U with a bad port", "x.m3u", "http://a.example.com:70000/\n", plsUnknown, {}, false, ""},
    {"only a lower-case .m3u ending means M3U",
     "x.M3U",
     "File1=http://a.example.com/\r\n",
     plsOK,
     {entry("a.example.com", "/", 80)},
     false,
     ""},
    {"response headers are part of the text",
     "x.pls",
     "HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n[playlist]\r\nFile1=http://a.example.com:8000\r\n"
     "Title1=Head\r\n",
     plsOK,
     {entry("a.example.com", "/", 8000)},
     true,
     "Head"},
};

class PlaylistTable : public ::testing::TestWithParam<PlaylistCase> {};

void PrintTo(const PlaylistCase& c, std::ostream* os)
{
    *os << c.name;
}

TEST_P(PlaylistTable, ParsesTheText)
{
    const PlaylistCase& c = GetParam();
    const PlaylistResult r = ParsePlaylist(QString::fromUtf8(c.text), QString::fromUtf8(c.address));
    EXPECT_EQ(r.Error, c.error);
    EXPECT_EQ(r.Entries, c.entries);
    EXPECT_EQ(r.HasTitle, c.hasTitle);
    EXPECT_EQ(r.FirstTitle, QString::fromUtf8(c.title));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PlaylistTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlaylistCase>& info) {
                             std::string n;
                             for (const char* p = info.param.name; *p; ++p)
                                 n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n + "_" + std::to_string(info.index);
                         });

struct RefreshCase {
    const char* text;
    const char* url;
};

const RefreshCase kRefresh[] = {
    {"<meta http-equiv=\"refresh\" content=\"0;url=http://a.example.com/list.pls\">", "http://a.example.com/list.pls"},
    {"<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=\"http://a.example.com/x.pls\"\">", "http://a.example.com/x.pls"},
    {"<meta http-equiv=\"refresh\" content=\"5;url=\"\"http://a.example.com/q\">", "http://a.example.com/q"},
    {"content=\"0;url=next.pls\">", "next.pls"},
    {"url=http://a.example.com/x,more", "http://a.example.com/x"},
    {"url=http://a.example.com/x;more", "http://a.example.com/x"},
    {"url='http://a.example.com/x' >", "'http://a.example.com/x' "},
    {"url=http://a.example.com/to-the-end", "http://a.example.com/to-the-end"},
    {"url=>", ""},
    {"url=", ""},
    {"<meta http-equiv=\"refresh\" content=\"30\">", ""},
    {"", ""},
    // Characters whose lower case is longer must not shift the position read.
    {"\u0130\u0130 URL=http://a.example.com/i>", "http://a.example.com/i"},
};

TEST(GetRefreshURL, TakesTheAddressAfterUrlEquals)
{
    for (const RefreshCase& c : kRefresh)
        EXPECT_EQ(GetRefreshURL(QString::fromUtf8(c.text)), QString::fromUtf8(c.url)) << c.text;
}

} // namespace
