// Throughput of the stream demultiplexer over a stream held in memory: a
// response header, then audio with a metadata block every icy-metaint bytes
// and a new title every few megabytes, fed in chunks of a fixed size.
#include "recorder/icydemuxer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 kStreamAudioBytes = 64ll * 1024 * 1024;
constexpr qint64 kSongBytes = 5ll * 1024 * 1024;

// Counts what comes out, so the work cannot be optimised away.
class CountingSink : public IcyDemuxer::Sink {
public:
    bool OnHeader(const IcyHeader& header, const QByteArray&) override
    {
        headers += header.complete ? 1 : 0;
        return true;
    }
    void OnMetadata(const QByteArray& block) override
    {
        ++blocks;
        titleBytes += ParseStreamTitle(block).size();
    }
    void OnAudio(const char* data, qsizetype size) override
    {
        audio += size;
        checksum += static_cast<unsigned char>(data[size - 1]);
    }
    qint64 headers = 0;
    qint64 blocks = 0;
    qint64 titleBytes = 0;
    qint64 audio = 0;
    quint64 checksum = 0;
};

// The audio bytes of a made stream: whole metadata intervals.
qint64 AudioBytesOf(qint64 metaInt)
{
    return (kStreamAudioBytes + metaInt - 1) / metaInt * metaInt;
}

// Also copies the audio into a buffer, the way the recorder hands it to a
// file: the figure then includes touching every audio byte once.
class CopyingSink : public CountingSink {
public:
    void OnAudio(const char* data, qsizetype size) override
    {
        while (size > 0) {
            const qsizetype n = std::min<qsizetype>(size, qsizetype(buffer.size()) - used);
            std::memcpy(buffer.data() + used, data, size_t(n));
            used = (used + n) % qsizetype(buffer.size());
            audio += n;
            data += n;
            size -= n;
        }
        checksum += static_cast<unsigned char>(buffer[0]);
    }
    std::vector<char> buffer = std::vector<char>(256 * 1024);
    qsizetype used = 0;
};

// The whole stream a server would send: header, then audio interleaved
// with length bytes and, on a title change, a block of text.
QByteArray MakeStream(qint64 metaInt)
{
    QByteArray s;
    s.reserve(kStreamAudioBytes + kStreamAudioBytes / metaInt * 80 + 512);
    s += "ICY 200 OK\r\nicy-name:Bench Station\r\nicy-genre:Test\r\nicy-br:128\r\n"
         "content-type:audio/mpeg\r\nicy-metaint:";
    s += QByteArray::number(metaInt);
    s += "\r\n\r\n";
    std::uint32_t x = 12345;
    qint64 written = 0;
    qint64 nextTitle = 0;
    int song = 0;
    QByteArray audio(int(metaInt), '\0');
    while (written < kStreamAudioBytes) {
        for (char& c : audio) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        s += audio;
        written += metaInt;
        if (written >= nextTitle) {
            QByteArray text = "StreamTitle='Artist " + QByteArray::number(song) + " - Song " + QByteArray::number(song)
                              + "';StreamUrl='';";
            ++song;
            const int len = int((text.size() + 15) / 16);
            text.resize(len * 16, '\0');
            s += char(len);
            s += text;
            nextTitle += kSongBytes;
        } else {
            s += char(0);
        }
    }
    return s;
}

const QByteArray& Stream(qint64 metaInt)
{
    static const QByteArray s8192 = MakeStream(8192);
    static const QByteArray s16000 = MakeStream(16000);
    return metaInt == 8192 ? s8192 : s16000;
}

template <class SinkType>
void BM_Demux(benchmark::State& state)
{
    const qint64 metaInt = state.range(0);
    const qsizetype chunk = qsizetype(state.range(1));
    const QByteArray& stream = Stream(metaInt);
    for (auto _ : state) {
        IcyDemuxer demux;
        demux.Reset(true);
        SinkType sink;
        const char* p = stream.constData();
        qsizetype left = stream.size();
        while (left > 0) {
            const qsizetype n = std::min(left, chunk);
            demux.Feed(p, n, sink);
            p += n;
            left -= n;
        }
        benchmark::DoNotOptimize(sink.checksum);
        if (sink.audio != AudioBytesOf(metaInt) || sink.headers != 1) {
            state.SkipWithError("demultiplexed stream differs from what was made");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}

void Args(benchmark::internal::Benchmark* b)
{
    for (int metaInt : {8192, 16000})
        for (int chunk : {1024, 4096, 16384, 65536, 262144})
            b->Args({metaInt, chunk});
    b->ArgNames({"metaint", "chunk"});
    b->Unit(benchmark::kMillisecond);
}

// The demultiplexer alone: audio is passed on by pointer.
BENCHMARK(BM_Demux<CountingSink>)->Name("BM_Demux")->Apply(Args);
// With every audio byte copied once by the sink.
BENCHMARK(BM_Demux<CopyingSink>)->Name("BM_DemuxCopy")->Apply(Args);

} // namespace

BENCHMARK_MAIN();
