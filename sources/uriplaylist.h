#pragma once

#include <QList>
#include <QString>

// One stream server named by a playlist.
struct PlaylistEntry {
    QString Host;
    QString Resource; // the server's path, without the query string
    int Port = 0;
    QString QueryString; // without "?", may be empty
    bool Secure = false; // an "https" address
    bool operator==(const PlaylistEntry&) const = default;
};

// Error codes of the playlist lookup; ctlURIGrabber::ErrorText gives their texts.
enum PlaylistError {
    plsOK = 0,
    plsWinsockError = 1,
    plsConnectTimeout = 2,
    plsInvalidResponse = 3,
    plsBadFileName = 4,
    plsM3UNoHttp = 5,
    plsBadPLS = 6,
    plsOggRefused = 7,
    plsTooLarge = 8,      // the playlist passes the size bound
    plsNotAFile = 9,      // a local playlist that is not a regular file (a FIFO, a device)
    plsHlsMediaFile = 10, // a local HLS playlist of segments: no station to read again
    plsUnknown = 99,
};

// The outcome of parsing playlist text. `Entries` holds the servers in
// playlist order up to the first failure; `Error` is plsOK when the whole
// text was read.
struct PlaylistResult {
    int Error = plsOK;
    QList<PlaylistEntry> Entries;
    bool IsM3U = false;
    bool HasTitle = false; // a "Title" entry was found (PLS), or M3U: title is ""
    QString FirstTitle;
};

// Parses PLS or M3U text. `address` is the playlist's own address: one that
// ends in ".m3u" is read as M3U, anything else as PLS. Ogg stations
// (".ogg" addresses) are listed like any other.
//  - M3U: the server runs from the first "http://" to the end of the text,
//    less one final line-end character.
//  - PLS: every "File" (anywhere in the text) followed by "=" gives a value up
//    to the next LF, one trailing CR dropped; the first "Title" gives the title.
PlaylistResult ParsePlaylist(const QString& text, const QString& address);

// The address of an HTML meta refresh: after the first "url=" (any case),
// leading double quotes skipped, up to the first ">", ";", "," or double
// quote. "" when the text has no "url=".
QString GetRefreshURL(const QString& text);

// Lower-cases ASCII letters only, so positions stay where they were.
QString AsciiLower(const QString& text);
