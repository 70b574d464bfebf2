// PLS and M3U playlists, and the meta refresh address of a web page.
#include "sources/uriplaylist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QString address = (data[0] & 1) ? QStringLiteral("http://127.0.0.1:8000/station.m3u")
                                          : QStringLiteral("http://127.0.0.1:8000/station.pls");
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const PlaylistResult result = ParsePlaylist(text, address);
    if (result.IsM3U != bool(data[0] & 1) && result.Error == plsOK)
        std::abort();
    for (const PlaylistEntry& entry : result.Entries) {
        if (entry.Resource.contains(QLatin1Char('?')))
            std::abort();
    }
    GetRefreshURL(text);
    if (AsciiLower(text).size() != text.size())
        std::abort();
    return 0;
}
