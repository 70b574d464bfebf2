// The screening of a server's response header: the parsed fields, the
// status code among them.
#include "recorder/icydemuxer.h"

#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    const IcyHeader h = ParseIcyHeader(raw);
    if (h.raw != raw || h.statusCode < 0 || h.statusCode > 999)
        std::abort();
    if (h.hasMetaInt && (h.metaInt < 0 || h.metaInt > std::numeric_limits<qint32>::max()))
        std::abort();
    if (h.hasBitRate && h.bitRate < 0)
        std::abort();
    if (h.statusLine.contains('\r') || h.statusLine.contains('\n'))
        std::abort();
    if (h.contentType != h.contentType.toLower())
        std::abort();
    return 0;
}
