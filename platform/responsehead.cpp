#include "platform/responsehead.h"

#include <algorithm>

namespace ResponseHead {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

qsizetype LineEnd(const QByteArray& text, qsizetype from)
{
    qsizetype end = from;
    while (end < text.size() && text.at(end) != '\r' && text.at(end) != '\n')
        ++end;
    return end;
}

// True when the line at `start` begins with `lowerName` in any letter case,
// directly followed by ':'.
bool NameAt(const QByteArray& head, qsizetype start, const QByteArray& lowerName)
{
    const qsizetype n = lowerName.size();
    if (start + n >= head.size() || head.at(start + n) != ':')
        return false;
    for (qsizetype k = 0; k < n; ++k) {
        if (Lower(head.at(start + k)) != lowerName.at(k))
            return false;
    }
    return true;
}

} // namespace

qsizetype FindEnd(const QByteArray& data, BlankLine blankLine, qsizetype from)
{
    from = std::max<qsizetype>(from, 0);
    const qsizetype crlf = data.indexOf("\r\n\r\n", from);
    if (blankLine == BlankLine::CrLf)
        return crlf < 0 ? -1 : crlf + 4;
    const qsizetype lf = data.indexOf("\n\n", from);
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        return crlf + 4;
    return lf < 0 ? -1 : lf + 2;
}

StatusLine ReadStatusLine(const QByteArray& head)
{
    StatusLine s;
    s.text = head.left(LineEnd(head, 0));
    const QByteArray& line = s.text;
    const qsizetype space = line.indexOf(' ');
    if (space <= 0)
        return s;
    const QByteArray protocol = line.left(space);
    if (protocol != "ICY" && !protocol.startsWith("HTTP/"))
        return s;
    qsizetype pos = space;
    while (pos < line.size() && line.at(pos) == ' ')
        ++pos;
    if (pos + 3 > line.size() || !IsDigit(line.at(pos)) || !IsDigit(line.at(pos + 1)) || !IsDigit(line.at(pos + 2)))
        return s;
    if (pos + 3 < line.size() && IsDigit(line.at(pos + 3)))
        return s;
    s.code = (line.at(pos) - '0') * 100 + (line.at(pos + 1) - '0') * 10 + (line.at(pos + 2) - '0');
    s.icy = protocol == "ICY";
    pos += 3;
    while (pos < line.size() && line.at(pos) == ' ')
        ++pos;
    s.reason = line.mid(pos);
    return s;
}

bool FindField(const QByteArray& head, const QByteArray& lowerName, QByteArray& value)
{
    qsizetype eol = head.indexOf('\n');
    while (eol >= 0) {
        const qsizetype start = eol + 1;
        if (start >= head.size() || head.at(start) == '\n' ||
            (head.at(start) == '\r' && start + 1 < head.size() && head.at(start + 1) == '\n'))
            return false; // the blank line: the head ends
        if (NameAt(head, start, lowerName)) {
            const qsizetype from = start + lowerName.size() + 1;
            value = head.mid(from, LineEnd(head, from) - from).trimmed();
            return true;
        }
        eol = head.indexOf('\n', start);
    }
    return false;
}

QByteArray Field(const QByteArray& head, const QByteArray& lowerName)
{
    QByteArray value;
    FindField(head, lowerName, value);
    return value;
}

} // namespace ResponseHead
