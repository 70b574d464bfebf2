#include "sources/uriplaylist.h"

#include "sources/curi.h"

namespace {

// A value runs from `from` to the next LF, or to the end of the text when no
// LF follows; one trailing CR or LF is dropped.
QString valueFrom(const QString& text, qsizetype from)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'), from);
    QString value = lf >= 0 ? text.mid(from, lf - from) : text.mid(from);
    if (value.endsWith(QLatin1Char('\r')) || value.endsWith(QLatin1Char('\n')))
        value.chop(1);
    return value;
}

// Splits one server address; false when the address cannot be read.
bool toEntry(const QString& address, PlaylistEntry& entry)
{
    CUri uri;
    if (!uri.setUri(address))
        return false;
    entry.Host = uri.Host();
    entry.Resource = uri.Resource();
    entry.Port = uri.Port();
    entry.QueryString = uri.QueryString();
    entry.Secure = AsciiLower(uri.Protocol()) == QLatin1String("https");
    return true;
}

void parseM3U(const QString& text, PlaylistResult& result)
{
    result.IsM3U = true;
    qsizetype start = text.indexOf(QLatin1String("http://"));
    const qsizetype secure = text.indexOf(QLatin1String("https://"));
    if (secure >= 0 && (start < 0 || secure < start))
        start = secure;
    if (start < 0) {
        result.Error = plsM3UNoHttp;
        return;
    }
    // Everything from the address on is taken; only one line end is dropped,
    // so further lines stay part of the address.
    QString address = text.mid(start);
    if (address.endsWith(QLatin1Char('\n')) || address.endsWith(QLatin1Char('\r')))
        address.chop(1);
    PlaylistEntry entry;
    if (!toEntry(address, entry)) {
        result.Error = plsUnknown;
        return;
    }
    // An M3U playlist carries no title.
    result.HasTitle = true;
    result.FirstTitle.clear();
    result.Entries.append(entry);
}

void parsePLS(const QString& text, PlaylistResult& result)
{
    if (!text.contains(QLatin1String("File"))) {
        result.Error = plsBadPLS;
        return;
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype file = text.indexOf(QLatin1String("File"), from);
        if (file < 0)
            break;
        const qsizetype equals = text.indexOf(QLatin1Char('='), file);
        if (equals < 0)
            break; // a stray "File" after the last entry
        const QString value = valueFrom(text, equals + 1);
        from = equals;
        if (value.isEmpty())
            continue;
        PlaylistEntry entry;
        if (!toEntry(value, entry)) {
            result.Error = plsUnknown;
            return;
        }
        result.Entries.append(entry);
    }
    const qsizetype title = text.indexOf(QLatin1String("Title"));
    if (title >= 0) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), title);
        if (equals >= 0) {
            result.HasTitle = true;
            result.FirstTitle = valueFrom(text, equals + 1);
        }
    }
}

} // namespace

QString AsciiLower(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'))
            ch = QChar(ch.unicode() + ('a' - 'A'));
    }
    return out;
}

PlaylistResult ParsePlaylist(const QString& text, const QString& address)
{
    PlaylistResult result;
    // ".m3u8" is an M3U list in UTF-8 (HLS playlists are told apart before).
    if (address.endsWith(QLatin1String(".m3u")) || address.endsWith(QLatin1String(".m3u8")))
        parseM3U(text, result);
    else
        parsePLS(text, result);
    return result;
}

QString GetRefreshURL(const QString& text)
{
    const qsizetype at = AsciiLower(text).indexOf(QLatin1String("url="));
    if (at < 0)
        return QString();
    qsizetype i = at + 4;
    while (i < text.size() && text.at(i) == QLatin1Char('"'))
        ++i;
    const qsizetype begin = i;
    while (i < text.size()) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('>') || ch == QLatin1Char(';') || ch == QLatin1Char(',') || ch == QLatin1Char('"'))
            break;
        ++i;
    }
    return text.mid(begin, i - begin);
}
