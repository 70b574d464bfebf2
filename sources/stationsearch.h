#pragma once

#include "sources/stationplaylist.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The pure pieces of the station searches: the directory's addresses, the
// Radio Browser requests and answers, the playlist files written for a
// chosen station and the pages shown in the search window.

// ---- settings (per-user store, application "Tonquill", section "Search")
QString DirectoryHost();    // key "DirectoryHost"
QString RadioBrowserHost(); // key "RadioBrowserHost"
void SetDirectoryHost(const QString& host);
void SetRadioBrowserHost(const QString& host);
extern const QString kDefaultDirectoryHost;
extern const QString kDefaultRadioBrowserHost;
// "Tonquill/<version>"
QByteArray SearchUserAgent();

// ---- the directory search
// The 75 genres in the order of the genre list.
const QStringList& DirectoryGenres();
// The genre as searched: a leading "- " (a sub-genre) dropped.
QString DirectoryGenreName(const QString& genre);
// Search type 0 (keyword) or 1 (genre): the path and query, by plain
// concatenation without escaping. "" for any other type.
QString DirectorySearchPath(int searchType, const QString& keyword, const QString& genre, const QString& bitrate);
// The host followed by the path, as given (spaces, "&" and "#" stay).
QUrl DirectorySearchUrl(const QString& host, const QString& path);

// ---- pages shown in the search window
// A longer page is cut: laying out much more HTML would hold the window.
constexpr qsizetype kMaxPageBytes = 512 * 1024;
// The page's text: decoded with the charset the server named when the
// bytes are of it; else UTF-8 when they are UTF-8 (a character cut at the
// end of a cut page aside); else the charset the page's head names; else
// Windows-1252.
QString DecodePage(const QByteArray& body, const QByteArray& contentType);
// The page's text for the view, decoded as above, scripts removed.
QString PageHtml(const QByteArray& body, const QByteArray& contentType);

// ---- Radio Browser
struct RadioBrowserQuery {
    QString name, tag, countryCode, codec;
    int bitrateMin = 0;
    QString order = QStringLiteral("votes");
    bool reverse = true;
    int limit = 100;
    bool hideBroken = true;
};

struct RadioBrowserAnswer {
    bool ok = false;
    QString error; // why the answer could not be read
    QList<RadioStation> stations;
    int skipped = 0; // entries without a usable stream address
};

// "<host>/json/stations/search?..." with every value URL-encoded; empty
// search fields are left out.
QUrl RadioBrowserSearchUrl(const QString& host, const RadioBrowserQuery& query);
// "<host>/json/url/<stationuuid>", counted as a click by the directory.
QUrl RadioBrowserClickUrl(const QString& host, const QString& uuid);
// Reads the JSON list of stations. Fields of the wrong type read as empty
// or 0, text fields as one line, an id that is not one as empty; a station
// without an http(s) stream address ("url_resolved", else "url") is skipped.
RadioBrowserAnswer ParseRadioBrowserStations(const QByteArray& json);

// ---- playlist files of chosen stations
// The file name: the station's name cleaned like a recording name, cut to
// 100 characters and to `maxBytes` (the folder's limit) at a character
// boundary, ".pls".
QString StationPlaylistName(const RadioStation& station, qsizetype maxBytes = 255);
// The user's folder of these files (the data folder's "Stations/").
QString StationsFolder();
// Writes the station's playlist into `folder` (created when missing) and
// returns its path; a file of another station with the same name gets a
// number. "" with `error` set when it cannot be written.
QString WriteStationPlaylist(const QString& folder, const RadioStation& station, QString* error);
// The Radio Browser id kept in a playlist file written above, "" for any
// other file.
QString StationUuidOfPlaylist(const QString& path);
