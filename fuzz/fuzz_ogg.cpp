// The Ogg demultiplexer fed one stream in pieces the fuzzer chooses. The
// same bytes fed in one piece must give the same files (header pages and
// pages, byte for byte), the same names and the same counts.
#include "fuzzpieces.h"
#include "recorder/oggdemuxer.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

struct File {
    quint32 serial;
    int codec;
    QString artist, title;
    QByteArray bytes;
    int ended;
    bool operator==(const File& o) const
    {
        return serial == o.serial && codec == o.codec && artist == o.artist && title == o.title && bytes == o.bytes &&
               ended == o.ended;
    }
};

class Collector : public OggDemuxer::Sink {
public:
    void OnStreamStart(const OggStreamInfo& info) override
    {
        if (open || info.headerPages.size() > OggDemuxer::kMaxHeaderBytes)
            std::abort();
        open = true;
        files.push_back({info.serial, int(info.codec), info.artist, info.title, info.headerPages, 0});
    }
    void OnPage(const char* data, qsizetype size) override
    {
        if (!open || size < kOggPageHeaderBytes || size > OggDemuxer::kMaxPageBytes)
            std::abort();
        files.back().bytes.append(data, size);
    }
    void OnStreamEnd(bool complete) override
    {
        if (!open)
            std::abort();
        open = false;
        files.back().ended = complete ? 1 : -1;
    }
    bool open = false;
    std::vector<File> files;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const std::vector<size_t> cuts = ConsumeCuts(fdp);
    const std::vector<char> stream = fdp.ConsumeRemainingBytes<char>();

    Collector whole;
    OggDemuxer one;
    one.Feed(stream.data(), qsizetype(stream.size()), whole);
    one.Finish(whole);

    Collector chunked;
    OggDemuxer many;
    FeedInPieces(stream, cuts, [&](const char* piece, size_t n) { many.Feed(piece, qsizetype(n), chunked); });
    many.Finish(chunked);

    if (whole.files != chunked.files || whole.open || chunked.open)
        std::abort();
    if (one.Pages() != many.Pages() || one.BadPages() != many.BadPages() || one.SkippedBytes() != many.SkippedBytes() ||
        one.SkippedPages() != many.SkippedPages() || one.UnendedStreams() != many.UnendedStreams() ||
        one.OtherStreams() != many.OtherStreams() || one.OversizedStreams() != many.OversizedStreams() ||
        one.SequenceGaps() != many.SequenceGaps())
        std::abort();
    return 0;
}
