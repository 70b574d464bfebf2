#pragma once

#include <QString>

#include <vector>

// The tags of one audio file, as its container reports them (any may be empty).
struct TrackTags {
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
};

// One title and performer, for the disc or for a track.
struct CdTextEntry {
    QString title;
    QString performer;
};

// The CD-TEXT of a disc: its own entry and one per track, in 7-bit ASCII.
struct CdTextSet {
    CdTextEntry disc;
    std::vector<CdTextEntry> tracks;
    bool empty() const;
};

namespace CdText {
// Longest title or performer kept (the usual cue sheet and player limit).
constexpr int kFieldLimit = 80;
// Payload packs one language block may hold, 12 text bytes each.
constexpr int kMaxPacks = 253;
constexpr int kPackBytes = 12;

// Text fit for CD-TEXT: letters of other scripts and accents transliterated to
// ASCII, control characters and runs of spaces turned into one space, double
// quotes into apostrophes (a cue sheet cannot escape them), trimmed and cut
// to `limit` characters. What has no ASCII form becomes "?".
QString Clean(const QString& text, int limit = kFieldLimit);

// The file name without its folder and extension, cleaned: the title of a
// file without one.
QString TitleFromPath(const QString& path);

// Packs needed for the titles and performers of `set` (each field counts its
// terminating zero byte).
int PacksNeeded(const CdTextSet& set);

// The CD-TEXT of a queue: each track's title (else its file name without the
// extension) and performer (its artist, else its album artist); the disc's
// title is the album all tracks share, its performer the album artist all
// share (else the performer all tracks share). Fields are cleaned and, when
// the whole would not fit one language block, the longest are shortened
// until it does.
CdTextSet Build(const std::vector<TrackTags>& tags, const std::vector<QString>& paths);
} // namespace CdText
