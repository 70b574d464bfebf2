#pragma once

#include <QByteArray>
#include <QString>

// The pieces of the Live365 web pages that the title reader relies on, and
// how it addresses the Live365 web server. Pure text work, no I/O except the
// host setting.

// The text between lStartPattern (searched from the 1-based StartPos) and the
// next lEndPattern after it. When the end pattern is missing, or follows the
// start pattern directly, the rest of inS after the start pattern. "" when
// the start pattern is missing. The result is trimmed of spaces at both ends.
QString ExtractFromString(const QString& inS, const QString& lStartPattern, const QString& lEndPattern,
                          int StartPos = 1);

// A page is complete once it holds "</html>" or "</HTML>".
bool PageIsComplete(const QByteArray& page);
// The same, looking only at what the last `appended` bytes may have completed.
bool PageCompletedBy(const QByteArray& page, qsizetype appended);

// The station page: the broadcast name between "LaunchBroadcast('" and the
// next "'". False when the marker is missing, the name is not closed or the
// name is empty.
bool ParseBroadcastName(const QString& page, QString& name);

// The player window page: the address in the last "<frame src=\"" before
// "\"Live365PlayerPlaylist\"", up to the next double quote. In AFL mode,
// and only when the page holds "\"OR\";", every "handle=" of that address
// becomes "handle=afl%3A". False when the marker or the frame is missing, or
// the address is empty.
bool ParseNowPlayingPrefix(const QString& page, bool aflMode, QString& prefix);

struct NowPlaying {
    QString strArtist;
    QString strTitle;
    qint32 secondsLeft = 0;  // 0 = unknown
};
// The now-playing page: the "artist:\"" and "title:\"" entries, each closed
// by "\",", and the number of the "gSecondsLeft" entry.
NowPlaying ParseNowPlaying(const QString& page);
// The "gSecondsLeft = N;" entry: N when the text after the first space is a
// number, else 0. Fractions are rounded; out-of-range values give 0.
qint32 ParseSecondsLeft(const QString& page);

// Where the Live365 web server is, as "host" or "host:port", or with its
// scheme ("https://host[:port]" for a server that answers only over TLS): the environment
// variable TONQUILL_LIVE365_HOST, else "tavrix.ini" section "Advanced" key
// "Live365Host", else the service's public host.
QString Live365Host();
inline constexpr const char* kLive365DefaultHost = "www.live365.com";

// One page address made ready for a request.
struct PageAddress {
    QString host;
    int port = 80;
    QString resource = QStringLiteral("/");
    QString queryString;
    bool secure = false;  // fetched over TLS
};
// Splits "host" or "host:port" (port 80 when absent or not a number), each
// optionally after "http://" or "https://"; with "https://" the server is
// reached over TLS (`secure`) and the port is 443 unless one is given.
void SplitHostAndPort(const QString& hostSetting, QString& host, int& port, bool* secure = nullptr);
// Resolves an address read from a page or built by the reader: an absolute
// "scheme://host[:port]/path?query" is split by CUri and used as given, over
// TLS when the scheme is "https" (an address CUri refuses gives an empty
// host, so the connection fails); a path beginning with "/" goes to
// serviceHost, over TLS when that setting says "https://"; any other relative
// address is taken relative to the player window's folder "/cgi-bin/".
PageAddress ResolvePageAddress(const QString& address, const QString& serviceHost);
// "GET <resource>[?<query>] HTTP/1.1" CR LF "Host: <host>" CR LF CR LF.
// Spaces, control characters and non-ASCII characters of the target are
// percent-encoded so that nothing in a page can break the request line.
QByteArray BuildPageRequest(const PageAddress& address);
// A value made safe for a query string or a path segment (RFC 3986
// unreserved characters kept, everything else percent-encoded as UTF-8).
QString EncodeRequestValue(const QString& value);
