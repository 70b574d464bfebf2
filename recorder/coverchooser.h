#pragma once

#include "recorder/coverart.h"

#include <QString>
#include <deque>

// Where a song's cover came from, the first listed winning over the rest.
enum class CoverSource {
    Stream,      // inside the stream: an HLS segment's ID3 picture, an Ogg song's picture comment
    StreamUrl,   // the picture an ICY StreamUrl named
    Lookup,      // a cover service's answer for the artist and title
    StationLogo, // the station's picture (Radio Browser's, or one the user set)
    None,
};

// The covers of the last songs, by song name: for each the picture from
// the best source offered so far, the station's logo for any other song.
// Pure: it keeps what it is told.
class CoverChooser {
public:
    // How many songs' covers are kept: a picture that comes late still
    // finds a song that closed a moment ago.
    static constexpr int kSongsKept = 8;

    void SetStationLogo(const CoverPicture& logo) { m_logo = logo; }
    const CoverPicture& StationLogo() const { return m_logo; }
    // A picture for `song` from `source`; true when it is now the song's
    // cover (no better source gave one before it). A null picture, or
    // StationLogo or None as the source, is never taken.
    bool Offer(const QString& song, CoverSource source, const CoverPicture& picture);
    // The song has a cover from `source` or a better one.
    bool Has(const QString& song, CoverSource source) const;
    // The song's cover, else the station's logo (null when neither).
    CoverPicture For(const QString& song) const;
    CoverSource SourceFor(const QString& song) const;
    void Clear();

private:
    struct Entry {
        QString song;
        CoverSource source;
        CoverPicture picture;
    };
    const Entry* find(const QString& song) const;
    std::deque<Entry> m_songs; // the newest last
    CoverPicture m_logo;
};
