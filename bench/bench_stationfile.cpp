// The station list with one very long line among ordinary stations: reading
// it (the line is cut) and writing it back, at 1, 10 and 40 MB, so that a
// step that grows faster than the file shows in the complexity fit.
#include "config/stationfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_StationFileWithALongLine(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Playlist.txt"));
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += "Station " + QByteArray::number(i) + "\r\nhttp://h/" + QByteArray::number(i) + ".pls\r\n";
    bytes += QByteArray(state.range(0), 'n') + "\r\nhttp://long/x.pls\r\nLast\r\nhttp://h/last.pls\r\n";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the fixture");
            return;
        }
    }
    const QByteArray original = bytes;
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(original);
        f.close();
        state.ResumeTiming();
        QList<StationEntry> stations;
        ReadStationFile(path, stations);
        WriteStationFile(path, stations);
        benchmark::DoNotOptimize(stations.size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StationFileWithALongLine)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Arg(40'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
