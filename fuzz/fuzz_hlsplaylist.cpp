// HLS playlists: master and media playlists, their attributes and #EXTINF titles.
#include "sources/hlsplaylist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const HlsPlaylist list = ParseHlsPlaylist(text, QUrl(QStringLiteral("http://127.0.0.1:8000/live/index.m3u8")));
    if (list.ok() != (list.error == HlsPlaylist::Error::None))
        std::abort();
    if (!list.ok() && !list.segments.isEmpty() && list.error != HlsPlaylist::Error::Empty)
        std::abort();
    // Sequence numbers follow one another.
    for (qsizetype i = 1; i < list.segments.size(); ++i)
        if (list.segments[i].sequence != list.segments[i - 1].sequence + 1)
            std::abort();
    for (bool lowest : {false, true}) {
        const int chosen = PickHlsVariant(list, lowest);
        if (chosen >= list.variants.size())
            std::abort();
        HlsVariantMediaUrl(list, chosen);
    }
    const QString line = QString::fromUtf8(text.left(4096));
    ParseHlsAttributes(line);
    HlsExtinfTitle(line);
    return 0;
}
