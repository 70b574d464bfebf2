#pragma once

#include "recorder/coverart.h"
#include "recorder/coverfetcher.h"
#include "recorder/coverlookup.h"

#include <QObject>
#include <QString>

class SongWriter;

// The picture file kept for a station, by its address (per-user settings,
// section "StationPictures", the key made from the address); "" when none is.
QString StationPicturePath(const QString& stationAddress);
void SetStationPicturePath(const QString& stationAddress, const QString& path);

// The recording's covers: what the stream brings or names for a song is
// made the song's cover in the song writer (first found wins), fetched
// when it is an address. The song's file never waits for it.
class RecorderCovers : public QObject {
    Q_OBJECT
public:
    explicit RecorderCovers(SongWriter& writer, QObject* parent = nullptr);
    // Covers are wanted ("CoverArt"); off, nothing is fetched or offered.
    void SetEnabled(bool on) { m_enabled = on; }
    bool Enabled() const { return m_enabled; }
    CoverFetcher& Fetcher() { return m_fetcher; }
    // Songs without a picture of their own are looked up by artist and
    // title ("CoverLookup"; off by default).
    void SetLookupEnabled(bool on);
    CoverLookup& Lookup() { return m_lookup; }

    // A song's title began: it is looked up when look-ups are on.
    void Titled(const QString& title);

    // A stream title came with a StreamUrl.
    void StreamUrl(const QString& title, const QByteArray& url);
    // A picture inside the stream for the song of `title` (an HLS tag's APIC).
    void StreamPicture(const QString& title, const QByteArray& bytes, const QByteArray& mimeType);
    // The station's own picture, for songs without one; an address is fetched.
    void SetStationLogo(const QByteArray& bytes);
    // The picture kept for the station at `stationAddress` (StationPicturePath), or none.
    void LoadStationLogo(const QString& stationAddress);

    // The cover of the song recording now (the station's logo when it has none).
    CoverPicture Current() const;
    // The cover of the song named `song` (a file's name), else the station's logo.
    CoverPicture For(const QString& song) const;

signals:
    // `song` has a cover now (the name the song writer gives it).
    void coverChanged(const QString& song, const CoverPicture& picture);
    // A picture was refused: for the log and the tests.
    void coverRefused(const QString& song, const QString& why);

private:
    void offer(const QString& song, int source, const CoverPicture& picture);

    SongWriter& m_writer;
    CoverFetcher m_fetcher;
    CoverFetcher m_logoFetcher; // the station's picture, named by its playlist
    CoverLookup m_lookup;
    bool m_lookupEnabled = false;
    bool m_enabled = true;
    QString m_lastUrlSong; // the song whose StreamUrl was fetched last
};
