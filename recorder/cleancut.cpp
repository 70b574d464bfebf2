#include "recorder/cleancut.h"

#include "listen/mp3decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
constexpr int kBitratesV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesV1[3] = {44100, 48000, 32000};
constexpr int kMinRun = 3;
constexpr size_t kWarmUpFrames = 2;
// A pause is at least 20 dB below the median level of the window around the
// title change (a power ratio of 1/100), or below -60 dBFS (a mean square of
// 32768 * 10^-3 squared): silence is a pause however much of the window it fills.
constexpr double kPauseRatio = 0.01;
constexpr double kSilence = 32.768 * 32.768;

bool sameStream(const unsigned char* a, const unsigned char* b)
{
    // Version, layer and sample rate stay the same from frame to frame.
    return (a[1] & 0xFE) == (b[1] & 0xFE) && (a[2] & 0x0C) == (b[2] & 0x0C);
}
}  // namespace

qsizetype Mp3FrameLength(const unsigned char* h, int* samples, int* sampleRate)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (h[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (h[1] >> 1) & 3;    // 1: layer III
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    const bool v1 = version == 3;
    const int bitrate = (v1 ? kBitratesV1 : kBitratesV2)[bitrateIndex] * 1000;
    const int rate = kRatesV1[rateIndex] >> (v1 ? 0 : version == 2 ? 1 : 2);
    const int padding = (h[2] >> 1) & 1;
    if (samples)
        *samples = v1 ? 1152 : 576;
    if (sampleRate)
        *sampleRate = rate;
    return (v1 ? 144 : 72) * qsizetype(bitrate) / rate + padding;
}

std::vector<Mp3Frame> FindFrameRuns(const QByteArray& bytes, int headerBytes, FrameLengthFn length, SameStreamFn same)
{
    std::vector<Mp3Frame> frames;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype at = 0;
    while (at + headerBytes <= n) {
        // A run starts where kMinRun headers follow one another.
        std::vector<Mp3Frame> run;
        qsizetype pos = at;
        while (pos + headerBytes <= n) {
            Mp3Frame f;
            f.offset = pos;
            f.size = length(p + pos, &f.samples, &f.sampleRate);
            if (f.size <= headerBytes || pos + f.size > n)
                break;
            if (!run.empty() && !same(p + run.front().offset, p + pos))
                break;
            run.push_back(f);
            pos += f.size;
        }
        // A short run is taken when it goes on from the frames before it, or
        // starts the bytes (a file that began on a frame boundary).
        const bool continues = !frames.empty() && frames.back().offset + frames.back().size == at;
        if (int(run.size()) >= kMinRun || (!run.empty() && (continues || at == 0))) {
            frames.insert(frames.end(), run.begin(), run.end());
            at = pos;
        } else {
            ++at;
        }
    }
    return frames;
}

std::vector<Mp3Frame> FindMp3Frames(const QByteArray& bytes)
{
    return FindFrameRuns(bytes, 4, Mp3FrameLength, sameStream);
}

qsizetype ChooseCleanCut(const QByteArray& region, qsizetype nominal, int windowMs)
{
    const std::vector<Mp3Frame> frames = FindMp3Frames(region);
    if (frames.empty())
        return nominal;

    // Loudness of each frame: the mean square of its decoded samples.
    std::vector<double> energy(frames.size(), std::numeric_limits<double>::max());
    Mp3FeedDecoder decoder;
    if (decoder.IsValid()) {
        std::vector<double> sums(frames.size(), 0.0);
        std::vector<qint64> counts(frames.size(), 0);
        qint64 sampleIndex = 0;  // per channel, since the first frame
        const int spf = frames.front().samples;
        qsizetype fed = frames.front().offset;
        const qsizetype end = frames.back().offset + frames.back().size;
        decoder.Feed(region.constData() + fed, end - fed, [&](const Mp3FeedDecoder::Format& format, const char* pcm, qsizetype bytes) {
            const auto* s = reinterpret_cast<const qint16*>(pcm);
            const int channels = std::max(1, format.channels);
            const qsizetype count = bytes / qsizetype(sizeof(qint16)) / channels;
            for (qsizetype i = 0; i < count; ++i, ++sampleIndex) {
                const size_t frame = size_t(sampleIndex / spf);
                if (frame >= frames.size())
                    return;
                for (int c = 0; c < channels; ++c) {
                    const double v = s[i * channels + c];
                    sums[frame] += v * v;
                }
                counts[frame] += channels;
            }
        });
        // The first frames decode without their bit reservoir: their
        // loudness is not known.
        for (size_t i = kWarmUpFrames; i < frames.size(); ++i)
            if (counts[i] > 0)
                energy[i] = sums[i] / double(counts[i]);
    }

    // Boundary i lies before frame i; the last one after the last frame.
    const auto boundary = [&](size_t i) {
        return i < frames.size() ? frames[i].offset : frames.back().offset + frames.back().size;
    };
    // The title's own frame: the boundary nearest to the title change.
    size_t nearest = 0;
    for (size_t i = 0; i <= frames.size(); ++i)
        if (std::llabs(boundary(i) - nominal) < std::llabs(boundary(nearest) - nominal))
            nearest = i;
    const double frameMs = 1000.0 * frames.front().samples / frames.front().sampleRate;
    const int reach = int(windowMs / frameMs);
    // A boundary is as loud as the louder of the frames on either side of it.
    auto loudness = [&](long i) { return std::max(energy[size_t(i) - 1], energy[size_t(i)]); };
    const long first = std::max(1L, long(nearest) - reach);
    const long last = std::min(long(frames.size()) - 1, long(nearest) + reach);

    // A pause is a frame far quieter than the music around it (or silent);
    // music that runs on through the change (a crossfade, talk, a held
    // tone) has none, and the song is cut at its own title's frame.
    std::vector<double> levels;
    for (long i = first - 1; i <= last; ++i)
        if (energy[size_t(i)] != std::numeric_limits<double>::max())
            levels.push_back(energy[size_t(i)]);
    if (levels.empty())
        return boundary(nearest);
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    const double pause = std::max(levels[levels.size() / 2] * kPauseRatio, kSilence);

    // Of the pauses, the one nearest to the title change, and its middle.
    size_t chosen = nearest;
    long chosenDistance = std::numeric_limits<long>::max();
    for (long i = first; i <= last; ++i) {
        if (loudness(i) > pause)
            continue;
        long end = i;
        while (end + 1 <= last && loudness(end + 1) <= pause)
            ++end;
        const long distance = (i <= long(nearest) && long(nearest) <= end)
                                  ? 0
                                  : std::min(std::labs(i - long(nearest)), std::labs(end - long(nearest)));
        if (distance < chosenDistance) {
            chosenDistance = distance;
            chosen = size_t((i + end) / 2);
        }
        i = end;
    }
    return boundary(chosen);
}
