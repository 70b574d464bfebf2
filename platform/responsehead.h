#pragma once

#include <QByteArray>

// Reads the head of a server's answer: the status line ("ICY 200 OK",
// "HTTP/1.0 200 OK", "HTTP/1.1 302 Found") and the header fields up to the
// blank line. Pure: bytes in, values out. Stream servers, playlist servers
// and the player all read their answers through it.
namespace ResponseHead {

// Which line ends make the blank line that ends a head.
enum class BlankLine {
    CrLf,     // only "\r\n\r\n" (what a stream server sends)
    CrLfOrLf, // "\r\n\r\n" or "\n\n", whichever comes first
};

// The index just past the blank line that ends the head in `data`, or -1
// while it has not come. The search starts at `from`, so a caller that
// appends chunks can look again from a few bytes before the new ones.
qsizetype FindEnd(const QByteArray& data, BlankLine blankLine, qsizetype from = 0);

struct StatusLine {
    QByteArray text;   // the first line, without its line end
    int code = 0;      // 0 when the line is no ICY or HTTP status line
    bool icy = false;  // "ICY NNN ..." rather than "HTTP/x.y NNN ..."
    QByteArray reason; // what follows the code, spaces skipped; "" when missing
};

// The status line: a protocol of "ICY" or "HTTP/..." at the start of the
// line, spaces, and a code of exactly three digits (a fourth digit makes it
// unreadable). Anything else reads as code 0.
StatusLine ReadStatusLine(const QByteArray& head);

// The value of the first header field named `lowerName` (lower case, any
// letter case in the head), trimmed; false when there is none. A field
// starts a line after the status line with its name directly followed by
// ':'; the value runs to the line's end (CR or LF). A folded continuation
// line (one starting with a space or tab) is no field of its own. The search
// ends at the head's blank line.
bool FindField(const QByteArray& head, const QByteArray& lowerName, QByteArray& value);
// The same, "" when absent.
QByteArray Field(const QByteArray& head, const QByteArray& lowerName);

} // namespace ResponseHead
