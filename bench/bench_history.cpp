// The title history at scale: a million plays written through the history's
// writer (time, and the file's size), the titles played most often over
// them as the "What Plays Where" window asks for them, and the memory of 20
// stations each keeping 5 minutes of audio.
#include "history/historycharts.h"
#include "history/historystore.h"
#include "history/historywriter.h"
#include "recorder/lastminutes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace {

// Resident memory in KiB.
long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417 bytes, 26 ms.
QByteArray frame()
{
    QByteArray f(417, '\x55');
    f[0] = char(0xff);
    f[1] = char(0xfb);
    f[2] = char(0x90);
    f[3] = char(0x00);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int plays = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;

    // Memory first, before the plays' queue has grown the heap.
    const long before = residentKiB();
    std::vector<std::unique_ptr<LastMinutes>> stations;
    const QByteArray chunk = frame().repeated(40); // about a second
    for (int s = 0; s < 20; ++s) {
        auto kept = std::make_unique<LastMinutes>(5 * 60 * 1000);
        kept->BeginStream(LastMinutes::Framing::Mp3);
        for (int second = 0; second < 7 * 60; ++second)
            kept->Append(chunk.constData(), chunk.size());
        stations.push_back(std::move(kept));
    }
    qint64 bytes = 0;
    for (const auto& kept : stations)
        bytes += kept->KeptBytes();
    std::printf("watched stations=20 kept-minutes=5 kept-bytes=%lld rss-added-kib=%ld\n", static_cast<long long>(bytes),
                residentKiB() - before);
    stations.clear();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    QElapsedTimer timer;
    timer.start();
    const QDateTime t0(QDate(2026, 1, 1), QTime(0, 0));
    {
        HistoryWriter writer(path);

        for (int i = 0; i < plays; ++i) {
            Play p;
            p.station = QStringLiteral("Station %1").arg(i % 20);
            p.address = QStringLiteral("http://127.0.0.1:8000/stream%1").arg(i % 20);
            const int song = int((qint64(i) * 7919) % 5000); // 5000 titles, each played about 200 times
            p.title = QStringLiteral("Artist %1 - Song %2").arg(song % 400).arg(song);
            SplitTitle(p.title, &p.artist, &p.song);
            p.start = t0.addSecs(qint64(i) * 11);
            p.end = p.start.addSecs(200);
            p.file = QStringLiteral("/music/") + p.title + QStringLiteral(".mp3");
            p.state = QLatin1String(kPlayComplete);
            writer.Begin(p);
        }
        const qint64 queued = timer.elapsed();
        while (writer.Pending() > 0)
            QThread::msleep(20);
        std::printf("insert plays=%d queued-ms=%lld written-ms=%lld failed=%d\n", plays, static_cast<long long>(queued),
                    static_cast<long long>(timer.elapsed()), writer.Failed());
    }
    std::printf("db bytes=%lld (%.1f per play)\n", static_cast<long long>(QFileInfo(path).size()),
                double(QFileInfo(path).size()) / plays);

    HistoryStore store(path);
    store.Open();
    // The "What Plays Where" window's first page of its chart, as it asks
    // for it: each period across all stations, all of it on one station,
    // and a search.
    const QDateTime now = t0.addSecs(qint64(plays) * 11);
    struct Chart {
        const char* name;
        ChartPeriod period;
        const char* station;
        const char* search;
    } const charts[] = {
        {"all", ChartPeriod::All, "", ""},
        {"this-month", ChartPeriod::ThisMonth, "", ""},
        {"this-week", ChartPeriod::ThisWeek, "", ""},
        {"today", ChartPeriod::Today, "", ""},
        {"all-one-station", ChartPeriod::All, "Station 7", ""},
        {"this-week-one-station", ChartPeriod::ThisWeek, "Station 7", ""},
        {"all-search", ChartPeriod::All, "", "song 12"},
    };
    for (const Chart& chart : charts) {
        ChartFilter filter;
        filter.since = ChartPeriodStart(chart.period, now);
        filter.station = QString::fromLatin1(chart.station);
        filter.search = QString::fromLatin1(chart.search);
        timer.restart();
        const auto top = TopTitlesPage(store, filter, 0, kChartPageRows);
        std::printf("top-titles %s ms=%lld rows=%zu first=\"%s\" (%lld)\n", chart.name,
                    static_cast<long long>(timer.elapsed()), top.size(),
                    top.empty() ? "" : qPrintable(top.front().title), top.empty() ? 0LL : top.front().plays);
        if (!top.empty()) {
            timer.restart();
            const auto heard = PlaysOfTitle(store, top.front().title, filter, 0, kChartPageRows);
            std::printf("  plays-of-title ms=%lld rows=%zu\n", static_cast<long long>(timer.elapsed()), heard.size());
        }
    }
    timer.restart();
    HistoryFilter filter;
    filter.station = QStringLiteral("Station 7");
    filter.limit = 50;
    const auto latest = store.Plays(filter);
    std::printf("latest-of-a-station ms=%lld rows=%zu\n", static_cast<long long>(timer.elapsed()), latest.size());
    return 0;
}
