// The one-station playlist written for a directory's station, read back by
// the recorder's playlist reader: what is written reads back as the same
// station (its one address, its title, its id), and nothing more.
#include "sources/stationplaylist.h"
#include "sources/uriplaylist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The fields, separated by NUL bytes: id, name, address.
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    RadioStation station;
    station.uuid = QString::fromUtf8(parts.value(0));
    station.name = QString::fromUtf8(parts.value(1));
    station.url = QString::fromUtf8(parts.value(2));

    const QString text = QString::fromUtf8(StationPlaylistText(station));
    const QString address = StationPlaylistAddress(station);
    if (text.isEmpty())
        return 0;
    // A written file always has an address the recorder can fetch.
    if (!IsStreamAddress(station.url) || address.isEmpty())
        std::abort();
    const PlaylistResult read = ParsePlaylist(text, QStringLiteral("station.pls"));
    const PlaylistResult alone = ParsePlaylist(QStringLiteral("File1=") + address, QStringLiteral("station.pls"));
    if (read.Error != plsOK || read.Entries.size() != 1 || read.Entries != alone.Entries)
        std::abort();
    // The address is the station's, up to "File" written in its percent form
    // and the case of a host name.
    if (QString(address).replace(QLatin1String("%46ile"), QLatin1String("File")).toLower() != station.url.toLower())
        std::abort();
    const QString title = StationPlaylistTitle(station);
    if (!read.HasTitle || read.FirstTitle != title || title != StationFieldText(title))
        std::abort();
    for (const QChar ch : title) {
        if (ch.category() == QChar::Other_Control || ch == QChar(0x2028) || ch == QChar(0x2029))
            std::abort();
    }
    if (StationIdOfPlaylistText(text) != StationId(station.uuid))
        std::abort();
    // Six lines, a seventh for the id: no field adds one.
    if (text.count(QLatin1Char('\n')) != (StationId(station.uuid).isEmpty() ? 6 : 7))
        std::abort();
    return 0;
}
