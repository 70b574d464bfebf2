#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>

// The most an HLS playlist may hold.
constexpr qsizetype kMaxHlsPlaylistBytes = 1024 * 1024;

// How a media segment is encrypted.
struct HlsKey {
    enum class Method { None, Aes128, SampleAes, Other };
    Method method = Method::None;
    QUrl uri;
    bool hasIv = false;
    QByteArray iv; // 16 bytes when hasIv
    bool operator==(const HlsKey&) const = default;
};

struct HlsMediaSegment {
    qint64 sequence = 0;
    double duration = 0;
    QString title; // from #EXTINF: "Artist - Title", the title alone, or ""
    QUrl uri;
    bool discontinuity = false; // #EXT-X-DISCONTINUITY before this segment
    HlsKey key;
    QUrl map; // #EXT-X-MAP's address; empty without one
    // The key in force where that #EXT-X-MAP stands: its initialization
    // section is encrypted with it.
    HlsKey mapKey;
};

struct HlsVariantStream {
    QUrl uri;
    qint64 bandwidth = 0;
    QString codecs; // as listed, lower case
    QString audioGroup;
};

struct HlsRendition {
    QString type; // upper case: AUDIO, VIDEO, SUBTITLES ...
    QString groupId;
    QString name;
    bool isDefault = false;
    QUrl uri; // empty: the rendition is inside the variant's stream
};

struct HlsPlaylist {
    enum class Kind { Media, Master };
    enum class Error { None, NotHls, TooLarge, Empty };
    Error error = Error::None;
    Kind kind = Kind::Media;
    double targetDuration = 0; // seconds
    qint64 mediaSequence = 0;
    bool endList = false;
    QList<HlsMediaSegment> segments;
    QList<HlsVariantStream> variants;
    QList<HlsRendition> renditions;

    bool ok() const { return error == Error::None; }
};

// An answer is an HLS playlist: it is of an HLS content type (or its
// address ends in ".m3u8") and its body starts with "#EXTM3U" and holds
// "#EXT-X-" tags. A plain M3U list of servers is none.
bool IsHlsContentType(const QByteArray& contentType);
bool IsHlsAddress(const QString& path);
bool LooksLikeHlsPlaylist(const QByteArray& body);

// Reads an HLS playlist (RFC 8216); addresses are resolved against `base`.
// Unknown tags and broken lines are passed over.
HlsPlaylist ParseHlsPlaylist(const QByteArray& text, const QUrl& base);

// The attribute list of a tag ("KEY=value,KEY2=\"quoted, value\""), names upper case.
QMap<QString, QString> ParseHlsAttributes(const QString& list);

// The title an #EXTINF line's text after the duration names: the
// title="…" artist="…" pairs when there are any, else the plain text
// after the first comma.
QString HlsExtinfTitle(const QString& afterDuration);

// Picks the variant to record: of those whose codecs are audio Tonquill
// records (AAC "mp4a", MP3; unnamed codecs count), the one of the highest
// bandwidth, or of the lowest when `lowest`. -1 when none fits.
int PickHlsVariant(const HlsPlaylist& master, bool lowest);
// The media playlist for the variant at `index`: its audio rendition's
// when it names one with an address (the default one first), else its own.
QUrl HlsVariantMediaUrl(const HlsPlaylist& master, int index);
