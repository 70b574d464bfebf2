#pragma once

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

// Where a differential target cuts its input: up to 64 piece sizes taken
// from the end of the fuzzer's data.
inline std::vector<size_t> ConsumeCuts(FuzzedDataProvider& fdp)
{
    std::vector<size_t> cuts;
    const int pieces = fdp.ConsumeIntegralInRange<int>(0, 64);
    for (int i = 0; i < pieces; ++i)
        cuts.push_back(fdp.ConsumeIntegralInRange<size_t>(0, 70000));
    return cuts;
}

// Hands `stream` to `feed(data, size)` in the pieces `cuts` gives, then the rest.
template <class Feed> void FeedInPieces(const std::vector<char>& stream, const std::vector<size_t>& cuts, Feed feed)
{
    size_t pos = 0;
    for (size_t cut : cuts) {
        const size_t n = std::min(cut, stream.size() - pos);
        feed(stream.data() + pos, n);
        pos += n;
    }
    feed(stream.data() + pos, stream.size() - pos);
}
