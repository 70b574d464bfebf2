#pragma once

#include <QByteArray>
#include <QString>

// A station chosen from a directory (Radio Browser), and the one-station
// ".pls" file written for it so the recorder can fetch its stream.
struct RadioStation {
    QString uuid, name, url, codec, countryCode, tags;
    int bitrate = 0;
    int votes = 0;
    QString favicon; // the station's picture (an http or https address), "" when it names none
    bool operator==(const RadioStation&) const = default;
};

// One line of text from a directory's field: control characters and line or
// paragraph separators become spaces, runs of white space one space.
QString StationFieldText(const QString& text);
// The station's id as kept: letters, digits, "-", "_" and "." up to 64
// characters, and never a playlist key ("File", "Title"). "" otherwise.
QString StationId(const QString& uuid);
// An address the recorder can fetch: http or https, a host, no white space
// or control characters.
bool IsStreamAddress(const QString& url);

// The file's parts, each as written.
// The title: one line, "=" written as "-" (the playlist reader takes a "File"
// followed by "=" anywhere as an entry).
QString StationPlaylistTitle(const RadioStation& station);
// The address: every "File" after the host written "%46ile" (the same
// address to a web server), a host that holds "File" in lower case. ""
// when the station has no stream address.
QString StationPlaylistAddress(const RadioStation& station);

// The ".pls" text: the station's id first, then its title, then its one
// address, field by field. Before it is handed out it is read back with the
// recorder's playlist reader: "" unless that finds exactly the one address,
// the title and the id.
QByteArray StationPlaylistText(const RadioStation& station);
// The id kept in such a text ("StationUUID=" line), "" for any other text.
QString StationIdOfPlaylistText(const QString& text);
// The station's picture address kept in such a text ("StationLogo=" line,
// written when the station named one the reader leaves alone); "" when none.
QString StationLogoOfPlaylistText(const QString& text);
