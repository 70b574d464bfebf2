#include "sources/httpresponse.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using S = HttpResponseAssembler::Status;

struct AssemblyCase {
    const char* name;
    std::vector<QByteArray> pieces;
    bool closeAfter; // the peer closes after the last piece
    S status;
    QByteArray header;
    QByteArray body;
};

const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\n";

const AssemblyCase kCases[] = {
    {"length in one piece",
     {kHead + "Content-Length: 5\r\n\r\nhello"},
     false,
     S::Complete,
     kHead + "Content-Length: 5\r\n\r\n",
     "hello"},
    {"length in pieces, split inside the blank line",
     {kHead + "Content-Length: 11\r\n\r", "\nhello", " world"},
     false,
     S::Complete,
     kHead + "Content-Length: 11\r\n\r\n",
     "hello world"},
    {"length: bytes after the body are ignored",
     {kHead + "content-length: 2\r\n\r\nabcdef"},
     false,
     S::Complete,
     kHead + "content-length: 2\r\n\r\n",
     "ab"},
    {"length not reached yet", {kHead + "Content-Length: 10\r\n\r\nabc"}, false, S::NeedMore, "", ""},
    {"length cut short by a close", {kHead + "Content-Length: 10\r\n\r\nabc"}, true, S::Broken, "", ""},
    {"length zero", {kHead + "Content-Length: 0\r\n\r\n"}, false, S::Complete, kHead + "Content-Length: 0\r\n\r\n", ""},
    {"chunked in one piece",
     {kHead + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;ext=1\r\n world\r\n0\r\n\r\n"},
     false,
     S::Complete,
     kHead + "Transfer-Encoding: chunked\r\n\r\n",
     "hello world"},
    {"chunked with trailers",
     {kHead + "Transfer-Encoding: Chunked\r\n\r\nA\r\n0123456789\r\n0\r\nX-T: 1\r\n\r\n"},
     false,
     S::Complete,
     kHead + "Transfer-Encoding: Chunked\r\n\r\n",
     "0123456789"},
    {"chunked with LF only",
     {"HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n3\nabc\n0\n\n"},
     false,
     S::Complete,
     "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n",
     "abc"},
    {"chunked closed after the last chunk",
     {kHead + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n"},
     true,
     S::Complete,
     kHead + "Transfer-Encoding: chunked\r\n\r\n",
     "abc"},
    {"chunked closed in the middle", {kHead + "Transfer-Encoding: chunked\r\n\r\n9\r\nabc"}, true, S::Broken, "", ""},
    {"chunk size not hex", {kHead + "Transfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n"}, false, S::Broken, "", ""},
    {"chunk data longer than its size",
     {kHead + "Transfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n0\r\n\r\n"},
     false,
     S::Broken,
     "",
     ""},
    {"chunked wins over a length",
     {kHead + "Content-Length: 1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n"},
     false,
     S::Complete,
     kHead + "Content-Length: 1\r\nTransfer-Encoding: chunked\r\n\r\n",
     "ab"},
    {"until close",
     {"HTTP/1.0 200 OK\r\n\r\nFile1=", "http://a/\r\n"},
     true,
     S::Complete,
     "HTTP/1.0 200 OK\r\n\r\n",
     "File1=http://a/\r\n"},
    {"until close, still open", {"HTTP/1.0 200 OK\r\n\r\nFile1="}, false, S::NeedMore, "", ""},
    {"ICY status line and LF-only header",
     {"ICY 200 OK\nicy-name: x\n\nabc"},
     true,
     S::Complete,
     "ICY 200 OK\nicy-name: x\n\n",
     "abc"},
    {"no blank line before the close: all of it is the header",
     {"200 OK\r\nFile1=http://a/"},
     true,
     S::Complete,
     "200 OK\r\nFile1=http://a/",
     ""},
    {"closed without a byte", {}, true, S::Broken, "", ""},
    {"204 has no body", {"HTTP/1.1 204 No Content\r\n\r\n"}, false, S::Complete, "HTTP/1.1 204 No Content\r\n\r\n", ""},
    {"declared length past the bound", {kHead + "Content-Length: 300000\r\n\r\n"}, false, S::TooLarge, "", ""},
};

class AssemblyTable : public ::testing::TestWithParam<AssemblyCase> {};

void PrintTo(const AssemblyCase& c, std::ostream* os)
{
    *os << c.name;
}

TEST_P(AssemblyTable, GathersTheResponse)
{
    const AssemblyCase& c = GetParam();
    HttpResponseAssembler a;
    S status = S::NeedMore;
    for (const QByteArray& piece : c.pieces)
        status = a.Feed(piece);
    if (c.closeAfter)
        status = a.FinishOnClose();
    EXPECT_EQ(status, c.status) << c.name;
    if (c.status == S::Complete) {
        EXPECT_EQ(a.Header(), c.header) << c.name;
        EXPECT_EQ(a.Body(), c.body) << c.name;
        EXPECT_EQ(a.Whole(), c.header + c.body) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Responses, AssemblyTable, ::testing::ValuesIn(kCases));

// Every way of cutting a response into two pieces, and byte by byte, gives
// the same result as one piece.
TEST(HttpResponseAssembler, AnySplitGivesTheSameResponse)
{
    const QByteArray responses[] = {
        kHead + "Content-Length: 26\r\n\r\nFile1=http://a.example/\r\nX",
        kHead + "Transfer-Encoding: chunked\r\n\r\n4\r\nFile\r\n15\r\n1=http://a.example/\r\n\r\n0\r\n\r\n",
    };
    for (const QByteArray& whole : responses) {
        HttpResponseAssembler once;
        ASSERT_EQ(once.Feed(whole), S::Complete);
        for (qsizetype cut = 1; cut < whole.size(); ++cut) {
            HttpResponseAssembler two;
            EXPECT_EQ(two.Feed(whole.left(cut)), S::NeedMore) << cut;
            EXPECT_EQ(two.Feed(whole.mid(cut)), S::Complete) << cut;
            EXPECT_EQ(two.Body(), once.Body()) << cut;
            EXPECT_EQ(two.Header(), once.Header()) << cut;
        }
        HttpResponseAssembler bytes;
        S last = S::NeedMore;
        for (const char ch : whole)
            last = bytes.Feed(QByteArray(1, ch));
        EXPECT_EQ(last, S::Complete);
        EXPECT_EQ(bytes.Body(), once.Body());
    }
}

TEST(HttpResponseAssembler, TheSizeBoundHoldsForEveryKindOfBody)
{
    const QByteArray big(2000, 'x');
    const QByteArray starts[] = {
        "HTTP/1.0 200 OK\r\n\r\n", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
        "HTTP/1.1 200 OK\r\nX-Padding: ", // a header that never ends
    };
    for (const QByteArray& start : starts) {
        HttpResponseAssembler a(1024);
        S status = a.Feed(start);
        for (int i = 0; i < 5 && status == S::NeedMore; ++i)
            status = a.Feed(start.contains("chunked") ? QByteArray("7D0\r\n") + big + "\r\n" : big);
        EXPECT_EQ(status, S::TooLarge) << start.constData();
        EXPECT_EQ(a.Feed("more"), S::TooLarge);
    }
    // Exactly at the bound is still accepted.
    HttpResponseAssembler edge(64);
    const QByteArray head = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n";
    EXPECT_EQ(edge.Feed(head + QByteArray(64 - head.size(), 'y')), S::Complete);
}

TEST(HttpResponseAssembler, ResetStartsAFreshResponse)
{
    HttpResponseAssembler a;
    ASSERT_EQ(a.Feed("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nA"), S::Complete);
    a.Reset();
    EXPECT_EQ(a.CurrentStatus(), S::NeedMore);
    EXPECT_EQ(a.Feed("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nB"), S::Complete);
    EXPECT_EQ(a.Body(), QByteArray("B"));
}

} // namespace
