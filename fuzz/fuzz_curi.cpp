// Address splitting: any text either replaces every field or leaves them all
// as they were.
#include "sources/curi.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    CUri uri(QStringLiteral("http://user:pw@radio.example:8000/live?x=1"));
    const CUri before = uri;
    const bool ok = uri.setUri(text);
    if (!ok) {
        if (uri.Uri() != before.Uri() || uri.Host() != before.Host() || uri.Port() != before.Port()
            || uri.Resource() != before.Resource() || uri.QueryString() != before.QueryString()
            || uri.Protocol() != before.Protocol() || uri.UserName() != before.UserName()
            || uri.Password() != before.Password() || uri.ErrorText().isEmpty())
            std::abort();
    } else if (!uri.ErrorText().isEmpty()) {
        std::abort();
    }
    uri.FullResource();
    CUri::DefaultPort(uri.Protocol());

    CUri fresh;
    fresh.setUri(text);
    fresh.FullResource();
    return 0;
}
