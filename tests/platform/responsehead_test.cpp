#include "platform/responsehead.h"

#include <gtest/gtest.h>

namespace {

using ResponseHead::BlankLine;

TEST(ResponseHead, ReadsTheStatusLine)
{
    struct Case {
        QByteArray head;
        QByteArray text;
        int code;
        bool icy;
        QByteArray reason;
    } cases[] = {
        {"ICY 200 OK\r\nicy-name:A\r\n\r\n", "ICY 200 OK", 200, true, "OK"},
        {"HTTP/1.0 200 OK\r\n\r\n", "HTTP/1.0 200 OK", 200, false, "OK"},
        {"HTTP/1.1 302 Found\nLocation: x\n\n", "HTTP/1.1 302 Found", 302, false, "Found"},
        {"ICY 404 Resource Not Found\r\n", "ICY 404 Resource Not Found", 404, true, "Resource Not Found"},
        {"HTTP/1.1 204\r\n\r\n", "HTTP/1.1 204", 204, false, ""},              // no reason
        {"ICY 200", "ICY 200", 200, true, ""},                                 // no line end yet
        {"ICY   503   Busy\r\n", "ICY   503   Busy", 503, true, "Busy"},       // runs of spaces
        {"HTTP/1.0 200 OK\rLocation: x", "HTTP/1.0 200 OK", 200, false, "OK"}, // a lone CR ends the line
        {"ICY 2000 OK\r\n", "ICY 2000 OK", 0, false, ""},
        {"ICY 20 OK\r\n", "ICY 20 OK", 0, false, ""},
        {"ICY OK 200\r\n", "ICY OK 200", 0, false, ""},
        {"ICY200 OK\r\n", "ICY200 OK", 0, false, ""},
        {" ICY 200 OK\r\n", " ICY 200 OK", 0, false, ""},
        {"icy 200 ok\r\n", "icy 200 ok", 0, false, ""},
        {"HELLO 200 THERE\r\n", "HELLO 200 THERE", 0, false, ""},
        {"GET / HTTP/1.0\r\n", "GET / HTTP/1.0", 0, false, ""},
        {QByteArray("\x00\xff\x7f 200\r\n", 8), QByteArray("\x00\xff\x7f 200", 7), 0, false, ""},
        {"\r\n\r\n", "", 0, false, ""},
        {"", "", 0, false, ""},
    };
    for (const Case& c : cases) {
        const ResponseHead::StatusLine s = ResponseHead::ReadStatusLine(c.head);
        EXPECT_EQ(s.text, c.text) << c.head.toStdString();
        EXPECT_EQ(s.code, c.code) << c.head.toStdString();
        EXPECT_EQ(s.icy, c.icy) << c.head.toStdString();
        EXPECT_EQ(s.reason, c.reason) << c.head.toStdString();
    }
}

TEST(ResponseHead, FindsTheBlankLine)
{
    struct Case {
        QByteArray data;
        BlankLine blankLine;
        qsizetype from;
        qsizetype end;
    } cases[] = {
        {"ICY 200 OK\r\n\r\nabc", BlankLine::CrLf, 0, 14},
        {"ICY 200 OK\r\n\r\nabc", BlankLine::CrLfOrLf, 0, 14},
        {"ICY 200 OK\n\nabc", BlankLine::CrLf, 0, -1},
        {"ICY 200 OK\n\nabc", BlankLine::CrLfOrLf, 0, 12},
        {"A\n\nB\r\n\r\n", BlankLine::CrLfOrLf, 0, 3}, // whichever comes first
        {"A\r\n\r\nB\n\n", BlankLine::CrLfOrLf, 0, 5},
        {"A\r\n\n", BlankLine::CrLfOrLf, 0, 4}, // a CR LF line, then an LF one
        {"A\r\n\n", BlankLine::CrLf, 0, -1},
        {"ICY 200 OK\r\nicy-name:A\r\n", BlankLine::CrLfOrLf, 0, -1},
        {"ICY 200 OK\r\n\r", BlankLine::CrLf, 0, -1},
        {"A\r\n\r\nB\r\n\r\n", BlankLine::CrLf, 4, 10}, // the search starts at `from`
        {"A\r\n\r\n", BlankLine::CrLf, -3, 5},          // before the start counts as the start
        {"", BlankLine::CrLfOrLf, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResponseHead::FindEnd(c.data, c.blankLine, c.from), c.end) << c.data.toStdString();
}

TEST(ResponseHead, ReadsHeaderFields)
{
    const QByteArray longValue(100000, 'v');
    struct Case {
        QByteArray head;
        QByteArray name;
        bool found;
        QByteArray value;
    } cases[] = {
        {"HTTP/1.0 302 Found\r\nLocation: http://a:8010/s\r\n\r\n", "location", true, "http://a:8010/s"},
        {"HTTP/1.0 302 Found\r\nLOCATION:http://c/\r\n\r\n", "location", true, "http://c/"},
        {"HTTP/1.0 302 Found\r\nlocation:   /x?y=1  \r\n\r\n", "location", true, "/x?y=1"},
        {"HTTP/1.0 302 Found\r\nContent-Location: /o\r\nLocation: /r\r\n\r\n", "location", true, "/r"},
        {"ICY 200 OK\nicy-name: x\nContent-Type: audio/mpeg\n\n", "content-type", true, "audio/mpeg"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 7\r\n\r\n", "content-length", true, "5"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5", "content-length", true, "5"}, // a head cut short
        {"HTTP/1.1 200 OK\r\nLocation:\r\n\r\n", "location", true, ""},
        {"HTTP/1.1 200 OK\r\nLocation: a\rb\r\n\r\n", "location", true, "a"},
        {"HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\n\r\n", "x-long", true, longValue},
        {"Location: /status-line\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\nX-A: 1\r\n Location: /folded\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\nX-A: 1\r\n\tLocation: /folded\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\nLocation : /spaced\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\nLocation\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\nLocations: /x\r\n\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\r\n\r\nLocation: /body\r\n", "location", false, ""},
        {"HTTP/1.1 200 OK\n\nLocation: /body\n", "location", false, ""},
        {"ICY 200 OK\r\nicy-name:Location: nowhere\r\n\r\n", "location", false, ""},
        {"", "location", false, ""},
    };
    for (const Case& c : cases) {
        QByteArray value = "untouched";
        EXPECT_EQ(ResponseHead::FindField(c.head, c.name, value), c.found) << c.head.left(80).toStdString();
        EXPECT_EQ(value, c.found ? c.value : QByteArray("untouched")) << c.head.left(80).toStdString();
        EXPECT_EQ(ResponseHead::Field(c.head, c.name), c.value) << c.head.left(80).toStdString();
    }
}

} // namespace
