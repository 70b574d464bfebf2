// The demultiplexer fed one stream in pieces the fuzzer chooses. The same
// bytes fed in one piece must give the same header, the same audio and the
// same metadata blocks in the same order.
#include "recorder/icydemuxer.h"

#include "fuzzpieces.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

namespace {

struct Event {
    bool metadata;
    QByteArray bytes;
};

class Collector : public IcyDemuxer::Sink {
public:
    bool OnHeader(const IcyHeader& header, const QByteArray&) override
    {
        ++headers;
        raw = header.raw;
        complete = header.complete;
        return accept;
    }
    void OnMetadata(const QByteArray& block) override
    {
        if (block.isEmpty() || block.size() % 16 != 0 || block.size() > 255 * 16)
            std::abort();
        ParseStreamTitle(block);
        ContainsStreamTitle(block);
        events.push_back({true, block});
    }
    void OnAudio(const char* data, qsizetype size) override
    {
        if (size <= 0)
            std::abort();
        if (!events.empty() && !events.back().metadata)
            events.back().bytes.append(data, size);
        else
            events.push_back({false, QByteArray(data, size)});
    }

    bool accept = true;
    int headers = 0;
    QByteArray raw;
    bool complete = false;
    std::vector<Event> events;
};

bool Same(const Collector& a, const Collector& b)
{
    if (a.headers != b.headers || a.raw != b.raw || a.complete != b.complete || a.events.size() != b.events.size())
        return false;
    for (size_t i = 0; i < a.events.size(); ++i) {
        if (a.events[i].metadata != b.events[i].metadata || a.events[i].bytes != b.events[i].bytes)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const bool metadataMode = fdp.ConsumeBool();
    const bool accept = fdp.ConsumeBool();
    const std::vector<size_t> cuts = ConsumeCuts(fdp);
    const std::vector<char> stream = fdp.ConsumeRemainingBytes<char>();

    Collector whole;
    whole.accept = accept;
    IcyDemuxer one;
    one.Reset(metadataMode);
    one.Feed(stream.data(), qsizetype(stream.size()), whole);

    Collector chunked;
    chunked.accept = accept;
    IcyDemuxer many;
    many.Reset(metadataMode);
    FeedInPieces(stream, cuts, [&](const char* piece, size_t n) { many.Feed(piece, qsizetype(n), chunked); });

    if (!Same(whole, chunked))
        std::abort();
    if (one.AudioBytes() != many.AudioBytes() || one.MetadataBytes() != many.MetadataBytes()
        || one.HeaderPending() != many.HeaderPending() || one.Refused() != many.Refused())
        std::abort();
    if (one.PendingHeader().size() > IcyDemuxer::kMaxHeaderBytes)
        std::abort();
    return 0;
}
